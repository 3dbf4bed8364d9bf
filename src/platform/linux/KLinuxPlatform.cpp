#include "platform/linux/KLinuxPlatform.h"

#include "platform/KPacedInjector.h"
#include "platform/linux/KKeyboardLayoutTracker.h"
#include "platform/linux/KLinuxAccessCheck.h"
#include "platform/linux/KLinuxBluetoothInput.h"
#include "platform/linux/KLinuxDesktopBackend.h"
#include "platform/linux/KLinuxDeviceMonitor.h"
#include "platform/linux/KLinuxHidBackend.h"
#include "platform/linux/KLinuxHookDriver.h"
#include "platform/linux/KLinuxInputInjector.h"
#include "platform/linux/KLinuxSessionBackend.h"

#include <QCoreApplication>
#include <QMetaObject>
#include <QMutexLocker>
#include <QThread>

KLinuxPlatform::KLinuxPlatform(QObject* parent) : KPlatform(parent) {
    // Clicks still held for spacing go out before the program ends (the platform itself lives
    // until process exit, past the event loop).
    if (QCoreApplication* app = QCoreApplication::instance())
        connect(app, &QCoreApplication::aboutToQuit, this, [this] {
            QMutexLocker lock(&m_inputMutex);
            if (m_pacedInjector)
                m_pacedInjector->waitUntilIdle(int(KPacedInjector::kFlushLimitUs / 1000));
        });
}

KLinuxPlatform::~KLinuxPlatform() = default;

KInputInjector* KLinuxPlatform::inputInjector() {
    QMutexLocker lock(&m_inputMutex);
    if (!m_inputInjector) {
        KLinuxInputInjector::Options options;
        options.layout = m_layoutSlot;
        m_inputInjector = std::make_unique<KLinuxInputInjector>(options);
        // uinput keys need the session's layout; XTest reads the X server's by itself. The
        // tracker watches sockets and files, so it lives in the platform's thread: asked from
        // another thread, it starts there shortly (keys sent meanwhile use US positions).
        if (m_inputInjector->method() == QLatin1String("uinput")) {
            auto start = [this] {
                if (m_layoutTracker)
                    return;
                KKeyboardLayoutTracker::Options trackerOptions;
                trackerOptions.slot = m_layoutSlot;
                m_layoutTracker =
                    new KKeyboardLayoutTracker(KDesktopSession::current(), trackerOptions, this);
            };
            if (QThread::currentThread() == thread())
                start();
            else
                QMetaObject::invokeMethod(this, start, Qt::QueuedConnection);
        }
        m_pacedInjector = std::make_unique<KPacedInjector>(m_inputInjector.get());
    }
    return m_pacedInjector.get();
}

KDesktopBackend* KLinuxPlatform::desktopBackend() {
    // The routes depend on whether injected keys reach the compositor, so the injector comes
    // first.
    if (!m_desktop)
        m_desktop = std::make_unique<KLinuxDesktopBackend>(
            KLinuxDesktopBackend::optionsFor(inputInjector()));
    return m_desktop.get();
}

KSessionBackend* KLinuxPlatform::sessionBackend() {
    if (!m_session)
        m_session = std::make_unique<KLinuxSessionBackend>();
    return m_session.get();
}

// The device backends are children of the platform, made in its thread whichever thread asks
// first, so that their notifiers and queued signals belong to the main thread.
KHidBackend* KLinuxPlatform::hidBackend() {
    QMutexLocker lock(&m_deviceMutex);
    if (!m_hid) {
        m_hid = new KLinuxHidBackend;
        m_hid->moveToThread(thread());
        m_hid->setParent(this);
    }
    return m_hid;
}

KDeviceMonitor* KLinuxPlatform::deviceMonitor() {
    QMutexLocker lock(&m_deviceMutex);
    if (!m_monitor)
        m_monitor = new KLinuxDeviceMonitor(this);
    return m_monitor;
}

KRawInputBackend* KLinuxPlatform::rawInputBackend() {
    QMutexLocker lock(&m_deviceMutex);
    if (!m_rawInput)
        m_rawInput = new KLinuxRawInputBackend(this);
    return m_rawInput;
}

KHookDriver* KLinuxPlatform::hookDriver() {
    KDeviceMonitor* monitor = deviceMonitor();
    QMutexLocker lock(&m_deviceMutex);
    if (!m_driver)
        m_driver = new KLinuxHookDriver(monitor, this);
    return m_driver;
}

KLowLevelHookBackend* KLinuxPlatform::lowLevelHookBackend() {
    KDeviceMonitor* monitor = deviceMonitor();
    auto* rawInput = static_cast<KLinuxRawInputBackend*>(rawInputBackend());
    QMutexLocker lock(&m_deviceMutex);
    if (!m_hooks)
        m_hooks = new KLinuxLowLevelHookBackend(rawInput, monitor, this);
    return m_hooks;
}

KAccessCheck* KLinuxPlatform::accessCheck() {
    if (!m_access)
        m_access = new KLinuxAccessCheck(KLinuxAccessCheck::Options(), this);
    return m_access;
}
