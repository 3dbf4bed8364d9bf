#pragma once

// Scripted stand-ins for the device backends of the platform layer: they keep what the code
// under test asked of them and answer as the test says. None touches a device node.

#include "platform/KDeviceMonitor.h"
#include "platform/KHidBackend.h"
#include "platform/KHookDriver.h"
#include "platform/KLowLevelHookBackend.h"
#include "platform/KRawInputBackend.h"

#include <QMap>
#include <QMutex>
#include <QMutexLocker>
#include <QQueue>
#include <QSet>

#include <atomic>
#include <cstring>

class FakeHidBackend : public KHidBackend {
public:
    struct Device {
        KHID::KHidDetail detail;
        QByteArray inputReport;  // returned by GET_REPORT (ID byte included)
    };

    void add(const KHID::KHidDetail& detail, const QByteArray& inputReport = QByteArray()) {
        m_order << detail.devicePath;
        m_devices.insert(detail.devicePath, Device{detail, inputReport});
    }

    QList<QByteArray> interfacePaths() override {
        ++enumerations;
        return m_order;
    }
    bool queryInterface(const QByteArray& path, KHID::KHidDetail* detail) override {
        if (undescribable.contains(path) || !m_devices.contains(path))
            return false;
        *detail = m_devices.value(path).detail;
        return true;
    }
    Handle open(const QByteArray& path, Access access) override {
        if (!m_devices.contains(path) || (access == Access::Read && unreadable.contains(path)) ||
            (access == Access::ReadWrite && unwritable.contains(path)))
            return InvalidHandle;
        const Handle handle = m_next++;
        opened.insert(handle, path);
        return handle;
    }
    void close(Handle handle) override { opened.remove(handle); }
    bool getInputReport(Handle handle, uchar* buffer, int length) override {
        if (!opened.contains(handle) || failTransfers)
            return false;
        lastInputRequest = QByteArray(reinterpret_cast<char*>(buffer), length);
        const QByteArray report = m_devices.value(opened.value(handle)).inputReport;
        std::memcpy(buffer, report.constData(), size_t(qMin(length, report.size())));
        return true;
    }
    bool setOutputReport(Handle handle, const uchar* buffer, int length) override {
        if (!opened.contains(handle) || failTransfers)
            return false;
        sent << QByteArray(reinterpret_cast<const char*>(buffer), length);
        return true;
    }

    QSet<QByteArray> undescribable, unreadable, unwritable;
    bool failTransfers = false;
    int enumerations = 0;
    QMap<Handle, QByteArray> opened;
    QList<QByteArray> sent;
    QByteArray lastInputRequest;

private:
    QList<QByteArray> m_order;
    QMap<QByteArray, Device> m_devices;
    Handle m_next = 100;
};

class FakeDeviceMonitor : public KDeviceMonitor {
public:
    bool start() override {
        ++starts;
        return startResult;
    }
    void change(bool arrival, const QString& path) { emit deviceChanged(arrival, path); }
    void resume() { emit sessionResumed(); }
    int starts = 0;
    bool startResult = true;
};

class FakeRawInput : public KRawInputBackend {
public:
    bool deviceList(QList<KRawInputDevice>* out) override {
        *out = devices;
        return listWorks;
    }
    bool registerMouseInput() override {
        ++registrations;
        return registerWorks;
    }
    void mouse(quintptr device, quint16 flags) { emit mouseInput(device, flags); }

    QList<KRawInputDevice> devices;
    bool listWorks = true;
    bool registerWorks = true;
    int registrations = 0;
};

class FakeLowLevelHooks : public KLowLevelHookBackend {
public:
    bool installMouseHook(MouseProc proc) override {
        mouseProc = std::move(proc);
        return true;
    }
    void removeMouseHook() override { mouseProc = MouseProc(); }
    bool installKeyboardHook(KeyboardProc proc) override {
        keyboardProc = std::move(proc);
        return true;
    }
    void removeKeyboardHook() override { keyboardProc = KeyboardProc(); }
    void setDevicePatterns(const QStringList& list) override { patterns = list; }
    void setMasks(quint32 mouse, quint32 keyboard) override {
        mouseMask = mouse;
        keyboardMask = keyboard;
    }
    // Runs an event through the installed procedure; true when it was swallowed.
    bool mouse(quint32 message, quint32 data = 0, quintptr extra = 0) {
        return mouseProc && mouseProc(KMouseHookRecord{message, data, extra});
    }
    bool key(quint32 vk, bool up, quintptr extra = 0) {
        return keyboardProc &&
               keyboardProc(KKeyboardHookRecord{vk, up ? KHookValues::LlkhfUp : 0u, extra});
    }

    MouseProc mouseProc;
    KeyboardProc keyboardProc;
    QStringList patterns;
    quint32 mouseMask = 0, keyboardMask = 0;
};

// A filter driver with a scripted queue; it can refuse the semaphore a number of times.
class FakeHookDriver : public KHookDriver {
public:
    bool open() override {
        ++opens;
        m_open = present;
        return m_open;
    }
    void close() override {
        m_open = false;
        ++closes;
    }
    bool isOpen() const override { return m_open; }
    bool clear() override {
        if (!m_open)
            return false;
        ++clears;
        QMutexLocker lock(&m_mutex);
        m_semaphore.reset();
        return true;
    }
    bool setFlags(quint32) override { return m_open; }
    bool setSemaphore(std::shared_ptr<KHookSemaphore> semaphore) override {
        ++semaphoreAttempts;
        if (!m_open || refusals > 0) {
            --refusals;
            return false;
        }
        QMutexLocker lock(&m_mutex);
        m_semaphore = std::move(semaphore);
        return true;
    }
    bool readKey(quint32* code) override {
        ++reads;
        QMutexLocker lock(&m_mutex);
        if (m_queue.isEmpty())
            return false;
        *code = m_queue.dequeue();
        return true;
    }
    bool setMouseMask(quint32 mask) override {
        if (!m_open)
            return false;
        mouseMask = mask;
        return true;
    }
    bool setKeyboardMask(quint32 mask) override {
        if (!m_open)
            return false;
        keyboardMask = mask;
        return true;
    }
    // Queues codes and releases the semaphore once per code, as the driver does.
    void queue(const QList<quint32>& codes, bool signal = true) {
        std::shared_ptr<KHookSemaphore> semaphore;
        {
            QMutexLocker lock(&m_mutex);
            for (quint32 code : codes)
                m_queue.enqueue(code);
            semaphore = m_semaphore;
        }
        if (signal && semaphore)
            semaphore->release(codes.size());
    }
    bool hasClient() {
        QMutexLocker lock(&m_mutex);
        return bool(m_semaphore);
    }

    bool present = true;
    int refusals = 0;
    int opens = 0, closes = 0, clears = 0, semaphoreAttempts = 0;
    std::atomic<int> reads{0};
    std::atomic<quint32> mouseMask{0xFFFFFFFF}, keyboardMask{0xFFFFFFFF};

private:
    bool m_open = false;
    QMutex m_mutex;
    QQueue<quint32> m_queue;
    std::shared_ptr<KHookSemaphore> m_semaphore;
};
