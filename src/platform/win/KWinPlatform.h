#pragma once

#include "platform/KPlatform.h"

#include <QMutex>

#include <memory>

class KWinDesktopBackend;
class KWinInputInjector;
class KWinSessionBackend;

// The real Windows system: SetupAPI and the HID class library, the receiver's filter driver,
// raw input, low-level hooks, injected input, GDI gamma, the shell and the registry.
class KWinPlatform : public KPlatform {
    Q_OBJECT
public:
    explicit KWinPlatform(QObject* parent = nullptr);
    ~KWinPlatform() override;

    Kind kind() const override { return Kind::Windows; }
    QString name() const override { return QStringLiteral("windows"); }
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
    std::unique_ptr<KWinInputInjector> m_inputInjector;
    std::unique_ptr<KWinDesktopBackend> m_desktop;
    std::unique_ptr<KWinSessionBackend> m_session;
    // Device access; the HID backend may be asked for from the pairing thread.
    QMutex m_deviceMutex;
    KHidBackend* m_hid = nullptr;
    KDeviceMonitor* m_monitor = nullptr;
    KRawInputBackend* m_rawInput = nullptr;
    KHookDriver* m_driver = nullptr;
    KLowLevelHookBackend* m_hooks = nullptr;
    KAccessCheck* m_access = nullptr;
};
