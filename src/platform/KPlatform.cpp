#include "platform/KPlatform.h"

#include "platform/sim/KSimPlatform.h"
#ifdef Q_OS_WIN
#include "platform/win/KWinPlatform.h"
#else
#include "platform/linux/KLinuxPlatform.h"
#endif

#include <QDebug>

KPlatform::KPlatform(QObject* parent) : QObject(parent) {}

KPlatform::~KPlatform() = default;

KPlatform::Kind KPlatform::nativeKind() {
#ifdef Q_OS_WIN
    return Kind::Windows;
#else
    return Kind::Linux;
#endif
}

KPlatform::Kind KPlatform::kindFromEnvironment() {
    const QString wanted = qEnvironmentVariable("POINTORA_PLATFORM").trimmed().toLower();
    if (wanted == QLatin1String("sim"))
        return Kind::Sim;
#ifdef Q_OS_WIN
    if (wanted == QLatin1String("windows"))
        return Kind::Windows;
#else
    if (wanted == QLatin1String("linux"))
        return Kind::Linux;
#endif
    if (!wanted.isEmpty())
        qWarning() << "POINTORA_PLATFORM" << wanted << "is unknown; using the native platform";
    return nativeKind();
}

KPlatform* createPlatform(KPlatform::Kind kind, QObject* parent) {
    switch (kind) {
        case KPlatform::Kind::Sim:
            return new KSimPlatform(parent);
        case KPlatform::Kind::Linux:
        case KPlatform::Kind::Windows:
            break;
    }
        // The real system this build is for.
#ifdef Q_OS_WIN
    return new KWinPlatform(parent);
#else
    return new KLinuxPlatform(parent);
#endif
}

KPlatform* KPlatform::instance() {
    static KPlatform* platform = [] {
        KPlatform* created = createPlatform(kindFromEnvironment());
        qInfo().noquote() << "[Info] platform:" << created->name();
        return created;
    }();
    return platform;
}
