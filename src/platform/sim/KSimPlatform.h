#pragma once

#include "platform/KPlatform.h"

#include <memory>

class KSimController;
class KSimDesktopBackend;
class KSimInputInjector;
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

private:
    KSimController* m_controller;
    std::unique_ptr<KSimInputInjector> m_inputInjector;
    std::unique_ptr<KSimDesktopBackend> m_desktop;
    std::unique_ptr<KSimSessionBackend> m_session;
};
