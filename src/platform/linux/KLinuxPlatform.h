#pragma once

#include "platform/KPlatform.h"

// The real Linux system: device nodes, uinput, X11 and D-Bus services.
class KLinuxPlatform : public KPlatform {
    Q_OBJECT
public:
    explicit KLinuxPlatform(QObject* parent = nullptr);

    Kind kind() const override { return Kind::Linux; }
    QString name() const override { return QStringLiteral("linux"); }
};
