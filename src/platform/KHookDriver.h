#pragma once

#include <QMutex>
#include <QObject>
#include <QWaitCondition>

#include <memory>

// A counting semaphore with a ceiling, created by the program and handed to the hook driver,
// which releases it once per queued key code. Shared ownership: the driver may still hold it for
// a moment after the program lets go.
class KHookSemaphore {
public:
    explicit KHookSemaphore(int maximum) : m_maximum(maximum) {}

    // False (and no change) when the count would pass the ceiling.
    bool release(int n = 1);
    void acquire();
    // Waits at most timeoutMs; true when a unit was taken.
    bool tryAcquire(int timeoutMs);
    int available() const;

private:
    mutable QMutex m_mutex;
    QWaitCondition m_nonZero;
    int m_count = 0;
    const int m_maximum;
};

// The receiver's filter driver as the program's control device sees it. The driver withholds
// the keys selected by the masks from the system, queues their device key codes and releases the
// registered semaphore once per queued code; everything else reaches the system unchanged.
// Every call fails on a driver that is not open. readKey is called from the fetch thread, all
// other calls from the owner's thread.
class KHookDriver : public QObject {
    Q_OBJECT
public:
    using QObject::QObject;

    // Opens the control device; false when it is missing or unusable (the reason is logged).
    virtual bool open() = 0;
    // Closes the control device; a registration still in force is dropped first.
    virtual void close() = 0;
    virtual bool isOpen() const = 0;

    // Drops the previous client's registration and its masks; the driver stops using the
    // semaphore it was given.
    virtual bool clear() = 0;
    // A configuration word sent once at start; drivers may ignore it.
    virtual bool setFlags(quint32 flags) = 0;
    virtual bool setSemaphore(std::shared_ptr<KHookSemaphore> semaphore) = 0;
    // The next queued device key code; returns at once, false when nothing is queued.
    virtual bool readKey(quint32* code) = 0;
    virtual bool setMouseMask(quint32 mask) = 0;
    virtual bool setKeyboardMask(quint32 mask) = 0;

    // Whether a failed open or registration may succeed when tried again a moment later (a
    // driver that is still being loaded). A driver whose failures last answers false, and the
    // hook then tries once instead of waiting through its retries.
    virtual bool retriesHelp() const { return true; }

signals:
    // A device the driver should take over stays the system's (reason: KDeviceRefusal::Reason).
    // May be emitted from any thread.
    void deviceRefused(const QString& node, const QString& name, int reason);
};
