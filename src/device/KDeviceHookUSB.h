#pragma once

#include "device/KHookBase.h"

#include <QThread>

#include <atomic>
#include <functional>
#include <memory>

class KHookDriver;
class KHookSemaphore;

// The fetch loop of the USB hook: waits for the driver's semaphore and fetches one device key
// code per wake-up.
class KDeviceHookUsbWork : public QObject {
    Q_OBJECT
public:
    using QObject::QObject;

    void setDriverHandle(KHookDriver* driver) { driverHandle = driver; }
    void setEventSemaphore(std::shared_ptr<KHookSemaphore> semaphore);
    // Marks the loop as running before its thread starts, so that a stop requested at once is
    // never overwritten by the loop's own start.
    void arm() { running = true; }
    // From the owner's thread: ends the loop after its next fetch.
    void requestStop();

public slots:
    void work();

signals:
    void sigKeyDown(quint32 key);

private:
    std::atomic_bool running{false};
    KHookDriver* driverHandle = nullptr;
    std::shared_ptr<KHookSemaphore> eventSemaphore;
};

// Receives the keys of devices attached through the USB receiver from the receiver's filter
// driver: registers a semaphore with the driver, tells it which keys to take over, and emits
// every fetched device key code unchanged.
class KDeviceHookUSB : public KHookBase {
    Q_OBJECT
public:
    static constexpr int DefaultStartAttempts = 30;
    static constexpr int DefaultStartIntervalMs = 200;
    static constexpr int SemaphoreMaximum = 8000;

    // A null driver means the platform's.
    explicit KDeviceHookUSB(KHookDriver* driver = nullptr, QObject* parent = nullptr);
    ~KDeviceHookUSB() override;

    bool startHook() override;
    bool stopHook() override;
    bool setMouseMask(const quint32& mask) override;
    bool setKeyboardMask(const quint32& mask) override;
    bool isStarted() override { return running; }

    KHookDriver* driver() const { return m_driver; }

    // Tests shorten the start loop through this; the product keeps 30 tries 200 ms apart. A
    // driver whose failures last (KHookDriver::retriesHelp) is tried once.
    void setStartTiming(int attempts, int intervalMs);
    // Called when a start fails on Windows 7, where the driver needs the user's fix.
    static void setDriverFixRequest(std::function<void()> request);

private:
    KHookDriver* m_driver;
    bool running = false;
    KHookDriver* driverHandle = nullptr;
    std::shared_ptr<KHookSemaphore> eventSemaphore;
    QThread* workerThread;
    KDeviceHookUsbWork* worker;
    int m_attempts = DefaultStartAttempts;
    int m_intervalMs = DefaultStartIntervalMs;
};
