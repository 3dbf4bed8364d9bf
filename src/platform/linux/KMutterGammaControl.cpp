#include "platform/linux/KGammaControl.h"

#include <QCoreApplication>
#include <QDBusArgument>
#include <QDBusConnection>
#include <QDBusMessage>
#include <QDBusMetaType>
#include <QDebug>

namespace {

const QString kService = QStringLiteral("org.gnome.Mutter.DisplayConfig");
const QString kPath = QStringLiteral("/org/gnome/Mutter/DisplayConfig");
const QString kInterface = QStringLiteral("org.gnome.Mutter.DisplayConfig");

// Errors that say the session offers no such service or refuses us: brightness cannot work.
bool meansUnavailable(const QString& error) {
    static const QStringList names = {
        QStringLiteral("org.freedesktop.DBus.Error.ServiceUnknown"),
        QStringLiteral("org.freedesktop.DBus.Error.NameHasNoOwner"),
        QStringLiteral("org.freedesktop.DBus.Error.UnknownMethod"),
        QStringLiteral("org.freedesktop.DBus.Error.UnknownObject"),
        QStringLiteral("org.freedesktop.DBus.Error.UnknownInterface"),
        QStringLiteral("org.freedesktop.DBus.Error.AccessDenied"),
        QStringLiteral("org.freedesktop.DBus.Error.NotSupported"),
        QStringLiteral("org.freedesktop.DBus.Error.Disconnected"),
    };
    return names.contains(error) ||
           error.startsWith(QLatin1String("org.freedesktop.DBus.Error.Spawn"));
}

std::vector<quint16> toVector(const QVariant& value) {
    const QList<quint16> list = qdbus_cast<QList<quint16>>(value);
    return std::vector<quint16>(list.begin(), list.end());
}

QVariant fromVector(const std::vector<quint16>& values) {
    QList<quint16> list;
    list.reserve(int(values.size()));
    for (quint16 v : values)
        list << v;
    return QVariant::fromValue(list);
}

}  // namespace

KMutterGammaControl::KMutterGammaControl()
    : KMutterGammaControl(QDBusConnection::sessionBus(), 1000) {}

KMutterGammaControl::KMutterGammaControl(const QDBusConnection& bus, int timeoutMs)
    : m_bus(std::make_unique<QDBusConnection>(bus)), m_timeoutMs(timeoutMs) {
    qDBusRegisterMetaType<QList<quint16>>();
}

KMutterGammaControl::~KMutterGammaControl() {
    // Without the application object the bus cannot be used any more; the tables were put back
    // when it quit.
    if (QCoreApplication::instance())
        restoreOnDestruction();
}

bool KMutterGammaControl::resources(quint32* serial, QList<Crtc>* crtcs, bool* unavailable) {
    *unavailable = false;
    if (!m_bus->isConnected()) {
        *unavailable = true;
        setUnavailableReason(QStringLiteral("no session bus for Mutter's display configuration"));
        return false;
    }
    const QDBusMessage reply = m_bus->call(
        QDBusMessage::createMethodCall(kService, kPath, kInterface, QStringLiteral("GetResources")),
        QDBus::Block, m_timeoutMs);
    if (reply.type() != QDBusMessage::ReplyMessage) {
        *unavailable = meansUnavailable(reply.errorName());
        setUnavailableReason(QStringLiteral("Mutter's display configuration answers %1 (%2)")
                                 .arg(reply.errorName(), reply.errorMessage()));
        if (!*unavailable)
            qWarning().noquote() << "desktop: GetResources failed:" << reply.errorName()
                                 << reply.errorMessage();
        return false;
    }
    const QList<QVariant> args = reply.arguments();
    if (args.size() < 2 || !reply.signature().startsWith(QLatin1String("ua(uxiiiiiuaua{sv})"))) {
        qWarning().noquote() << "desktop: GetResources answered with signature"
                             << reply.signature();
        return false;
    }
    *serial = args.at(0).toUInt();
    crtcs->clear();
    const QDBusArgument list = args.at(1).value<QDBusArgument>();
    list.beginArray();
    while (!list.atEnd()) {
        quint32 id = 0, transform = 0;
        qint64 winsysId = 0;
        qint32 x = 0, y = 0, width = 0, height = 0, mode = -1;
        QList<quint32> transforms;
        QVariantMap properties;
        list.beginStructure();
        list >> id >> winsysId >> x >> y >> width >> height >> mode >> transform >> transforms >>
            properties;
        list.endStructure();
        // A CRTC with no mode drives no monitor.
        crtcs->append(Crtc{id, mode >= 0});
    }
    list.endArray();
    return true;
}

bool KMutterGammaControl::crtcGamma(quint32 serial, quint32 crtc, KGammaTable* table,
                                    bool* unavailable) {
    QDBusMessage call =
        QDBusMessage::createMethodCall(kService, kPath, kInterface, QStringLiteral("GetCrtcGamma"));
    call << serial << crtc;
    const QDBusMessage reply = m_bus->call(call, QDBus::Block, m_timeoutMs);
    *unavailable = false;
    if (reply.type() != QDBusMessage::ReplyMessage || reply.arguments().size() != 3) {
        *unavailable = meansUnavailable(reply.errorName());
        return false;
    }
    table->red = toVector(reply.arguments().at(0));
    table->green = toVector(reply.arguments().at(1));
    table->blue = toVector(reply.arguments().at(2));
    return table->isValid();
}

bool KMutterGammaControl::setCrtcGamma(quint32 serial, quint32 crtc, const KGammaTable& table,
                                       bool* unavailable, bool* stale) {
    QDBusMessage call =
        QDBusMessage::createMethodCall(kService, kPath, kInterface, QStringLiteral("SetCrtcGamma"));
    call << serial << crtc << fromVector(table.red) << fromVector(table.green)
         << fromVector(table.blue);
    const QDBusMessage reply = m_bus->call(call, QDBus::Block, m_timeoutMs);
    *unavailable = *stale = false;
    if (reply.type() == QDBusMessage::ReplyMessage)
        return true;
    // Mutter refuses a serial older than its configuration as "access denied ... stale".
    *stale = reply.errorMessage().contains(QLatin1String("stale"), Qt::CaseInsensitive);
    *unavailable = !*stale && meansUnavailable(reply.errorName());
    if (*unavailable)
        setUnavailableReason(QStringLiteral("Mutter refuses SetCrtcGamma: %1 (%2)")
                                 .arg(reply.errorName(), reply.errorMessage()));
    else if (!*stale)
        qWarning().noquote() << "desktop: SetCrtcGamma failed:" << reply.errorName()
                             << reply.errorMessage();
    return false;
}

KGammaControl::Result KMutterGammaControl::applyCurve(const KDesktopBackend::GammaRamp& curve) {
    // Once more with a fresh serial when the monitors changed between the calls.
    for (int attempt = 0; attempt < 2; ++attempt) {
        quint32 serial = 0;
        QList<Crtc> crtcs;
        bool unavailable = false, stale = false;
        if (!resources(&serial, &crtcs, &unavailable))
            return unavailable ? Result::Unavailable : Result::Failed;
        int applied = 0, failed = 0;
        for (const Crtc& crtc : qAsConst(crtcs)) {
            if (!crtc.active)
                continue;
            if (!m_own.contains(crtc.id)) {
                KGammaTable own;
                if (!crtcGamma(serial, crtc.id, &own, &unavailable)) {
                    if (unavailable) {
                        setUnavailableReason(QStringLiteral("Mutter gives no gamma table"));
                        return Result::Unavailable;
                    }
                    continue;  // no gamma table on this CRTC
                }
                m_own.insert(crtc.id, own);
            }
            if (setCrtcGamma(serial, crtc.id,
                             KGamma::compose(curve, m_own.value(crtc.id).calibration()),
                             &unavailable, &stale)) {
                if (!m_changedCrtcs.contains(crtc.id))
                    m_changedCrtcs << crtc.id;
                ++applied;
            } else if (unavailable) {
                return Result::Unavailable;
            } else if (stale) {
                break;
            } else {
                ++failed;
            }
        }
        if (stale)
            continue;
        if (applied > 0)
            return Result::Applied;
        if (failed > 0)
            return Result::Failed;
        setUnavailableReason(QStringLiteral("no monitor of Mutter's has a gamma table"));
        return Result::Unavailable;
    }
    return Result::Failed;
}

void KMutterGammaControl::restoreTables() {
    quint32 serial = 0;
    QList<Crtc> crtcs;
    bool unavailable = false, stale = false;
    if (!resources(&serial, &crtcs, &unavailable)) {
        m_changedCrtcs.clear();
        return;
    }
    for (quint32 id : qAsConst(m_changedCrtcs)) {
        const bool present =
            std::any_of(crtcs.begin(), crtcs.end(), [id](const Crtc& c) { return c.id == id; });
        if (present)
            setCrtcGamma(serial, id, m_own.value(id), &unavailable, &stale);
    }
    m_changedCrtcs.clear();
}
