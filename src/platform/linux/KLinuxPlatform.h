#pragma once

#include "platform/KPlatform.h"

#include <QMutex>

#include <memory>

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

private:
    QMutex m_inputMutex;
    std::unique_ptr<KInputInjector> m_inputInjector;
    std::unique_ptr<KDesktopBackend> m_desktop;
    std::unique_ptr<KSessionBackend> m_session;
};
