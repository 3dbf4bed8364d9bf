#pragma once

#include "platform/KPlatform.h"

#include <memory>

class KSimAccessCheck;
class KSimController;
class KSimDesktopBackend;
class KSimDevices;
class KSimDeviceMonitor;
class KSimHidBackend;
class KSimHookDriver;
class KPacedInjector;
class KSimInputInjector;
class KSimLowLevelHookBackend;
class KSimRawInputBackend;
class KSimReceiverFirmware;
class KSimSessionBackend;

// The simulated system: devices, input and desktop services that exist only in this process and
// are driven through KSimController's command socket.
class KSimPlatform : public KPlatform {
    Q_OBJECT
public:
    explicit KSimPlatform(QObject* parent = nullptr);
    ~KSimPlatform() override;

    Kind kind() const override { return Kind::Sim; }
    QString name() const override { return QStringLiteral("sim"); }
    KSimController* simController() override { return m_controller; }
    KInputInjector* inputInjector() override;
    KDesktopBackend* desktopBackend() override;
    KSessionBackend* sessionBackend() override;
    KHidBackend* hidBackend() override;
    KDeviceMonitor* deviceMonitor() override;
    KRawInputBackend* rawInputBackend() override;
    KHookDriver* hookDriver() override;
    KLowLevelHookBackend* lowLevelHookBackend() override;
    KAccessCheck* accessCheck() override;
    // The simulated devices behind those backends.
    KSimDevices* simDevices() const { return m_devices; }
    KSimReceiverFirmware* receiverFirmware() const { return m_firmware.get(); }
    // The simulated system's own input, behind the pacing that inputInjector() returns.
    KSimInputInjector* simInputInjector() const { return m_simInjector.get(); }

private:
    KSimController* m_controller;
    std::unique_ptr<KSimInputInjector> m_simInjector;
    std::unique_ptr<KPacedInjector> m_inputInjector;  // after m_simInjector: destroyed first
    std::unique_ptr<KSimDesktopBackend> m_desktop;
    std::unique_ptr<KSimSessionBackend> m_session;
    KSimDevices* m_devices = nullptr;
    KSimHidBackend* m_hid = nullptr;
    KSimDeviceMonitor* m_monitor = nullptr;
    KSimRawInputBackend* m_rawInput = nullptr;
    KSimHookDriver* m_driver = nullptr;
    KSimLowLevelHookBackend* m_hooks = nullptr;
    std::unique_ptr<KSimReceiverFirmware> m_firmware;
    KSimAccessCheck* m_access = nullptr;
};
