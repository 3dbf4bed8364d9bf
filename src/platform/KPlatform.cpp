#include "platform/KPlatform.h"

#include "platform/linux/KLinuxPlatform.h"
#include "platform/sim/KSimPlatform.h"

#include <QDebug>

KPlatform::KPlatform(QObject* parent) : QObject(parent) {}

KPlatform::~KPlatform() = default;

KPlatform::Kind KPlatform::nativeKind() {
    return Kind::Linux;
}

KPlatform::Kind KPlatform::kindFromEnvironment() {
    const QString wanted = qEnvironmentVariable("POINTORA_PLATFORM").trimmed().toLower();
    if (wanted == QLatin1String("sim"))
        return Kind::Sim;
    if (wanted == QLatin1String("linux"))
        return Kind::Linux;
    if (!wanted.isEmpty())
        qWarning() << "POINTORA_PLATFORM" << wanted << "is unknown; using the native platform";
    return nativeKind();
}

KPlatform* createPlatform(KPlatform::Kind kind, QObject* parent) {
    switch (kind) {
        case KPlatform::Kind::Sim:
            return new KSimPlatform(parent);
        case KPlatform::Kind::Linux:
            return new KLinuxPlatform(parent);
    }
    return new KLinuxPlatform(parent);
}

KPlatform* KPlatform::instance() {
    static KPlatform* platform = [] {
        KPlatform* created = createPlatform(kindFromEnvironment());
        qInfo().noquote() << "[Info] platform:" << created->name();
        return created;
    }();
    return platform;
}
