#include "platform/sim/KSimPlatform.h"

#include "platform/KPacedInjector.h"
#include "platform/sim/KSimAccessCheck.h"
#include "platform/sim/KSimController.h"
#include "platform/sim/KSimDesktopBackend.h"
#include "platform/sim/KSimDevices.h"
#include "platform/sim/KSimInputInjector.h"
#include "platform/sim/KSimReceiverFirmware.h"
#include "platform/sim/KSimSessionBackend.h"

#include <QCoreApplication>

#include <QDebug>

KSimPlatform::KSimPlatform(QObject* parent)
    : KPlatform(parent),
      m_controller(new KSimController(KSimController::Options::fromEnvironment(), this)) {
    m_controller->start();
    // Created at once (not on first use) so that any thread may use it without locking. Paced
    // like the Linux backend's: repeated clicks are spaced.
    m_simInjector = std::make_unique<KSimInputInjector>(m_controller);
    const QString injection = qEnvironmentVariable("POINTORA_SIM_INJECTION");
    if (injection == QLatin1String("x11-programs"))
        m_simInjector->setReach(KInputInjector::Reach::X11Programs);
    else if (injection == QLatin1String("nobody"))
        m_simInjector->setReach(KInputInjector::Reach::Nobody);
    else if (!injection.isEmpty() && injection != QLatin1String("everyone"))
        qWarning().noquote() << "POINTORA_SIM_INJECTION: unknown value" << injection
                             << "(known: everyone, x11-programs, nobody)";
    m_inputInjector = std::make_unique<KPacedInjector>(m_simInjector.get());
    // Held clicks go out before the program ends, as on Linux.
    if (QCoreApplication* app = QCoreApplication::instance())
        connect(app, &QCoreApplication::aboutToQuit, this, [this] {
            m_inputInjector->waitUntilIdle(int(KPacedInjector::kFlushLimitUs / 1000));
        });
    // The simulated display and session at once too: their socket commands and state fields
    // exist from the start.
    m_desktop = std::make_unique<KSimDesktopBackend>(m_controller);
    m_session = std::make_unique<KSimSessionBackend>(m_controller);
    // The simulated devices and their backends, likewise at once: the "press" command must find
    // them, and the HID backend is used from the pairing thread.
    m_devices = new KSimDevices(m_controller, this);
    m_hid = new KSimHidBackend(m_devices, this);
    m_monitor = new KSimDeviceMonitor(m_devices, this);
    m_rawInput = new KSimRawInputBackend(m_devices, this);
    m_driver = new KSimHookDriver(m_devices, this);
    m_hooks = new KSimLowLevelHookBackend(m_devices, this);
    // The receiver's pairing firmware answers the reports of its vendor-defined interface.
    m_firmware = std::make_unique<KSimReceiverFirmware>();
    m_firmware->serve(m_devices);
    m_firmware->registerCommands(m_controller);
    // The simulated permissions (POINTORA_SIM_ACCESS, "access deny|allow NAME") at once too:
    // the devices refuse what they deny from the start.
    m_access = new KSimAccessCheck(m_controller, m_devices, this);
    m_devices->setAccess(m_access);
}

KSimPlatform::~KSimPlatform() = default;

KInputInjector* KSimPlatform::inputInjector() {
    return m_inputInjector.get();
}

KDesktopBackend* KSimPlatform::desktopBackend() {
    return m_desktop.get();
}

KSessionBackend* KSimPlatform::sessionBackend() {
    return m_session.get();
}

KHidBackend* KSimPlatform::hidBackend() {
    return m_hid;
}

KDeviceMonitor* KSimPlatform::deviceMonitor() {
    return m_monitor;
}

KRawInputBackend* KSimPlatform::rawInputBackend() {
    return m_rawInput;
}

KHookDriver* KSimPlatform::hookDriver() {
    return m_driver;
}

KLowLevelHookBackend* KSimPlatform::lowLevelHookBackend() {
    return m_hooks;
}

KAccessCheck* KSimPlatform::accessCheck() {
    return m_access;
}
