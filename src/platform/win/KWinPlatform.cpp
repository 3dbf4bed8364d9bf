#include "platform/win/KWinPlatform.h"

#include "platform/win/KWinAccessCheck.h"
#include "platform/win/KWinDesktopBackend.h"
#include "platform/win/KWinDeviceMonitor.h"
#include "platform/win/KWinHidBackend.h"
#include "platform/win/KWinHookDriver.h"
#include "platform/win/KWinInputInjector.h"
#include "platform/win/KWinLowLevelHookBackend.h"
#include "platform/win/KWinRawInputBackend.h"
#include "platform/win/KWinSessionBackend.h"

#include <QMutexLocker>

KWinPlatform::KWinPlatform(QObject* parent) : KPlatform(parent) {}

KWinPlatform::~KWinPlatform() = default;

// The system serialises injected events and counts clicks sent back to back, so the injector
// needs no pacing here.
KInputInjector* KWinPlatform::inputInjector() {
    QMutexLocker lock(&m_inputMutex);
    if (!m_inputInjector)
        m_inputInjector = std::make_unique<KWinInputInjector>();
    return m_inputInjector.get();
}

KDesktopBackend* KWinPlatform::desktopBackend() {
    if (!m_desktop)
        m_desktop = std::make_unique<KWinDesktopBackend>();
    return m_desktop.get();
}

KSessionBackend* KWinPlatform::sessionBackend() {
    if (!m_session)
        m_session = std::make_unique<KWinSessionBackend>();
    return m_session.get();
}

// The device backends are children of the platform, made in its thread whichever thread asks
// first, so that their windows and queued signals belong to the main thread.
KHidBackend* KWinPlatform::hidBackend() {
    QMutexLocker lock(&m_deviceMutex);
    if (!m_hid) {
        m_hid = new KWinHidBackend;
        m_hid->moveToThread(thread());
        m_hid->setParent(this);
    }
    return m_hid;
}

KDeviceMonitor* KWinPlatform::deviceMonitor() {
    QMutexLocker lock(&m_deviceMutex);
    if (!m_monitor)
        m_monitor = new KWinDeviceMonitor(this);
    return m_monitor;
}

KRawInputBackend* KWinPlatform::rawInputBackend() {
    QMutexLocker lock(&m_deviceMutex);
    if (!m_rawInput)
        m_rawInput = new KWinRawInputBackend(this);
    return m_rawInput;
}

KHookDriver* KWinPlatform::hookDriver() {
    QMutexLocker lock(&m_deviceMutex);
    if (!m_driver)
        m_driver = new KWinHookDriver(this);
    return m_driver;
}

KLowLevelHookBackend* KWinPlatform::lowLevelHookBackend() {
    QMutexLocker lock(&m_deviceMutex);
    if (!m_hooks)
        m_hooks = new KWinLowLevelHookBackend(this);
    return m_hooks;
}

KAccessCheck* KWinPlatform::accessCheck() {
    if (!m_access)
        m_access = new KWinAccessCheck(this);
    return m_access;
}
