#pragma once

#include "platform/KPlatform.h"
#include "platform/linux/KXkbLayout.h"

#include <QMutex>

#include <memory>

class KPacedInjector;

class KKeyboardLayoutTracker;

// The real Linux system: device nodes, uinput, X11 and D-Bus services.
class KLinuxPlatform : public KPlatform {
    Q_OBJECT
public:
    explicit KLinuxPlatform(QObject* parent = nullptr);
    ~KLinuxPlatform() override;

    Kind kind() const override { return Kind::Linux; }
    QString name() const override { return QStringLiteral("linux"); }
    KInputInjector* inputInjector() override;
    KDesktopBackend* desktopBackend() override;
    KSessionBackend* sessionBackend() override;
    KHidBackend* hidBackend() override;
    KDeviceMonitor* deviceMonitor() override;
    KRawInputBackend* rawInputBackend() override;
    KHookDriver* hookDriver() override;
    KLowLevelHookBackend* lowLevelHookBackend() override;
    KAccessCheck* accessCheck() override;

private:
    QMutex m_inputMutex;
    // The backend's injector, and the pacing in front of it that the program uses (declared
    // after it: destroyed first, sending what it still holds).
    std::unique_ptr<KInputInjector> m_inputInjector;
    std::unique_ptr<KPacedInjector> m_pacedInjector;
    // The session's layout for uinput injection, followed in the platform's thread.
    std::shared_ptr<KXkbLayoutSlot> m_layoutSlot = std::make_shared<KXkbLayoutSlot>();
    KKeyboardLayoutTracker* m_layoutTracker = nullptr;
    std::unique_ptr<KDesktopBackend> m_desktop;
    std::unique_ptr<KSessionBackend> m_session;
    // Device access; the HID backend may be asked for from the pairing thread.
    QMutex m_deviceMutex;
    KHidBackend* m_hid = nullptr;
    KDeviceMonitor* m_monitor = nullptr;
    KRawInputBackend* m_rawInput = nullptr;
    KHookDriver* m_driver = nullptr;
    KLowLevelHookBackend* m_hooks = nullptr;
    KAccessCheck* m_access = nullptr;
};
