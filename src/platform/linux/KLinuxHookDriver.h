#pragma once

#include "platform/KHookDriver.h"
#include "platform/linux/KLinuxEventReader.h"

#include <QMutex>
#include <QQueue>
#include <QTimer>

#include <atomic>

class KDeviceMonitor;

// The receiver's filter driver, in the program: it takes over the event nodes of the supported
// receivers (only those that can produce a masked key, and only while a client is registered and
// a mask is set), turns each masked press into a device key code queued with one release of the
// client's semaphore, withholds the masked keys' other events, and re-emits everything else
// through a pass-through device. Opening fails when the pass-through devices cannot be created;
// every grab ends when the driver is cleared, closed or destroyed. Receivers plugged in later
// are found through the device monitor; a burst of changes is looked at once. A failure to open
// lasts (it is /dev/uinput), so retrying does not help.
class KLinuxHookDriver : public KHookDriver {
    Q_OBJECT
public:
    explicit KLinuxHookDriver(KDeviceMonitor* monitor, QObject* parent = nullptr);
    ~KLinuxHookDriver() override;

    bool open() override;
    void close() override;
    bool isOpen() const override { return m_open; }
    bool clear() override;
    bool setFlags(quint32 flags) override;
    bool setSemaphore(std::shared_ptr<KHookSemaphore> semaphore) override;
    bool readKey(quint32* code) override;
    bool setMouseMask(quint32 mask) override;
    bool setKeyboardMask(quint32 mask) override;
    bool retriesHelp() const override { return false; }

private:
    void filter(std::vector<input_event>& frame);
    void updateGrabs();
    void scheduleUpdate() { m_update.start(); }

    KLinuxEventReader m_reader;
    QTimer m_update;
    bool m_open = false;
    bool m_registered = false;
    std::atomic<quint32> m_mouseMask{0};
    std::atomic<quint32> m_keyboardMask{0};
    QMutex m_queueMutex;  // guards the two below
    QQueue<quint32> m_queue;
    std::shared_ptr<KHookSemaphore> m_semaphore;
};
