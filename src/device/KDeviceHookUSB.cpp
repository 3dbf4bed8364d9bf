#include "device/KDeviceHookUSB.h"

#include "platform/KHookDriver.h"
#include "platform/KPlatform.h"

#include <QSysInfo>

namespace {

// The configuration word handed to the driver at start; the driver may ignore it.
constexpr quint32 kDriverFlags = 0x1;

std::function<void()>& driverFixRequest() {
    static std::function<void()> request;
    return request;
}

bool isWindows7() {
    return QSysInfo::productType().contains(QLatin1String("windows"), Qt::CaseInsensitive) &&
           QSysInfo::productVersion().contains(QLatin1Char('7'));
}

}  // namespace

void KDeviceHookUsbWork::setEventSemaphore(std::shared_ptr<KHookSemaphore> semaphore) {
    eventSemaphore = std::move(semaphore);
}

void KDeviceHookUsbWork::requestStop() {
    running = false;
    if (eventSemaphore)
        eventSemaphore->release(1);
}

void KDeviceHookUsbWork::work() {
    if (!eventSemaphore || !driverHandle) {
        running = false;
        return;
    }
    // Every wake-up is followed by exactly one fetch, the one caused by a stop request too.
    do {
        eventSemaphore->acquire();
        quint32 code = 0;
        if (driverHandle->readKey(&code))
            emit sigKeyDown(code);
    } while (running);
}

KDeviceHookUSB::KDeviceHookUSB(KHookDriver* driver, QObject* parent)
    : KHookBase(parent), m_driver(driver ? driver : KPlatform::instance()->hookDriver()) {
    workerThread = new QThread;
    worker = new KDeviceHookUsbWork;
    worker->moveToThread(workerThread);
    connect(worker, &KDeviceHookUsbWork::sigKeyDown, this, &KHookBase::sigKeyDown);
    connect(workerThread, &QThread::started, worker, &KDeviceHookUsbWork::work);
}

KDeviceHookUSB::~KDeviceHookUSB() {
    if (running)
        stopHook();
    // The thread has ended (or never ran), so nothing can touch the worker any more: both go
    // now rather than through an event loop that may no longer run.
    workerThread->quit();
    workerThread->wait();
    delete worker;
    delete workerThread;
}

void KDeviceHookUSB::setStartTiming(int attempts, int intervalMs) {
    m_attempts = attempts;
    m_intervalMs = intervalMs;
}

void KDeviceHookUSB::setDriverFixRequest(std::function<void()> request) {
    driverFixRequest() = std::move(request);
}

bool KDeviceHookUSB::startHook() {
    driverHandle = m_driver->open() ? m_driver : nullptr;
    if (driverHandle && driverHandle->clear())
        driverHandle->setFlags(kDriverFlags);

    // Waiting for a driver that is still being loaded; one that cannot open for good (on Linux:
    // no usable /dev/uinput) is not waited for, so the window never freezes on it.
    const int attempts = m_driver->retriesHelp() ? m_attempts : 1;
    for (int attempt = 0; attempt < attempts; ++attempt) {
        eventSemaphore = std::make_shared<KHookSemaphore>(SemaphoreMaximum);
        if (driverHandle && driverHandle->setSemaphore(eventSemaphore)) {
            running = true;
            worker->setEventSemaphore(eventSemaphore);
            worker->setDriverHandle(driverHandle);
            worker->arm();
            workerThread->start(QThread::TimeCriticalPriority);
            break;
        }
        eventSemaphore.reset();
        if (attempts > 1)
            QThread::msleep(ulong(m_intervalMs));
    }

    if (!running) {
        // A control device that would not take the semaphore is of no further use.
        if (driverHandle)
            driverHandle->close();
        driverHandle = nullptr;
        if (isWindows7() && driverFixRequest())
            driverFixRequest()();
    }
    return running;
}

bool KDeviceHookUSB::stopHook() {
    worker->requestStop();
    workerThread->quit();
    workerThread->wait();

    setMouseMask(0);
    setKeyboardMask(0);
    if (driverHandle)
        driverHandle->clear();
    while (workerThread->isRunning())
        QThread::msleep(100);

    worker->setEventSemaphore(nullptr);
    worker->setDriverHandle(nullptr);
    eventSemaphore.reset();
    if (driverHandle)
        driverHandle->close();
    driverHandle = nullptr;
    running = false;
    return true;
}

bool KDeviceHookUSB::setMouseMask(const quint32& mask) {
    return driverHandle && driverHandle->setMouseMask(mask);
}

bool KDeviceHookUSB::setKeyboardMask(const quint32& mask) {
    return driverHandle && driverHandle->setKeyboardMask(mask);
}
