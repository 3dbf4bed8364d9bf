// A stand-in for systemd-logind on a private system bus (DBUS_SYSTEM_BUS_ADDRESS), for the
// real-kernel scenarios. It owns org.freedesktop.login1 and serves:
//   /org/freedesktop/login1             org.freedesktop.login1.Manager
//       GetSession(s) -> o, GetSessionByPID(u) -> o, GetUser(u) -> o, signal PrepareForSleep(b)
//   /org/freedesktop/login1/session/c1  org.freedesktop.login1.Session
//       properties Id (s), Active (b), State (s); PropertiesChanged when they change
//   /org/freedesktop/login1/user/_UID   org.freedesktop.login1.User
//       property Display (so) = ("c1", session path)
// Driven by lines on standard input, each answered "ok LINE" once done:
//   sleep | wake        PrepareForSleep(true) / PrepareForSleep(false)
//   active 0 | active 1 the session becomes inactive / active
// Prints "ready" once it owns its name. Ends at the end of its input.

#include <QCoreApplication>
#include <QDBusArgument>
#include <QDBusConnection>
#include <QDBusMessage>
#include <QDBusMetaType>
#include <QDBusObjectPath>
#include <QDBusVariant>
#include <QDBusVirtualObject>
#include <QSocketNotifier>
#include <QVariantMap>

#include <unistd.h>

#include <cstdio>

namespace {

const QString kService = QStringLiteral("org.freedesktop.login1");
const QString kRoot = QStringLiteral("/org/freedesktop/login1");
const QString kManager = QStringLiteral("org.freedesktop.login1.Manager");
const QString kSessionInterface = QStringLiteral("org.freedesktop.login1.Session");
const QString kUserInterface = QStringLiteral("org.freedesktop.login1.User");
const QString kProperties = QStringLiteral("org.freedesktop.DBus.Properties");
const QString kSessionId = QStringLiteral("c1");
const QString kSessionPath = QStringLiteral("/org/freedesktop/login1/session/c1");
const QString kUserPrefix = QStringLiteral("/org/freedesktop/login1/user/_");

}  // namespace

// The (so) pair of the user's Display property.
struct SessionRef {
    QString id;
    QDBusObjectPath path;
};
Q_DECLARE_METATYPE(SessionRef)

QDBusArgument& operator<<(QDBusArgument& argument, const SessionRef& ref) {
    argument.beginStructure();
    argument << ref.id << ref.path;
    argument.endStructure();
    return argument;
}

const QDBusArgument& operator>>(const QDBusArgument& argument, SessionRef& ref) {
    argument.beginStructure();
    argument >> ref.id >> ref.path;
    argument.endStructure();
    return argument;
}

class Login1 : public QDBusVirtualObject {
public:
    explicit Login1(QDBusConnection connection) : m_connection(connection) {}

    QString introspect(const QString& path) const override {
        if (path == kRoot)
            return QStringLiteral(
                "<interface name=\"org.freedesktop.login1.Manager\">"
                "<method name=\"GetSession\"><arg type=\"s\" direction=\"in\"/>"
                "<arg type=\"o\" direction=\"out\"/></method>"
                "<method name=\"GetSessionByPID\"><arg type=\"u\" direction=\"in\"/>"
                "<arg type=\"o\" direction=\"out\"/></method>"
                "<method name=\"GetUser\"><arg type=\"u\" direction=\"in\"/>"
                "<arg type=\"o\" direction=\"out\"/></method>"
                "<signal name=\"PrepareForSleep\"><arg type=\"b\"/></signal>"
                "</interface><node name=\"session\"/><node name=\"user\"/>");
        if (path == kRoot + QStringLiteral("/session"))
            return QStringLiteral("<node name=\"c1\"/>");
        if (path == kSessionPath)
            return QStringLiteral(
                "<interface name=\"org.freedesktop.login1.Session\">"
                "<property name=\"Id\" type=\"s\" access=\"read\"/>"
                "<property name=\"Active\" type=\"b\" access=\"read\"/>"
                "<property name=\"State\" type=\"s\" access=\"read\"/>"
                "</interface>");
        if (path.startsWith(kUserPrefix))
            return QStringLiteral(
                "<interface name=\"org.freedesktop.login1.User\">"
                "<property name=\"Display\" type=\"(so)\" access=\"read\"/>"
                "</interface>");
        return QString();
    }

    bool handleMessage(const QDBusMessage& message, const QDBusConnection& connection) override {
        const QString path = message.path();
        const QString member = message.member();
        const QList<QVariant> args = message.arguments();
        if (path == kRoot && (message.interface() == kManager || message.interface().isEmpty())) {
            if (member == QLatin1String("GetSession")) {
                const QString id = args.value(0).toString();
                if (id == kSessionId || id == QLatin1String("auto") || id == QLatin1String("self"))
                    return reply(connection, message, QVariant::fromValue(session()));
                return fail(connection, message, "org.freedesktop.login1.NoSuchSession",
                            "No session '" + id + "' known");
            }
            if (member == QLatin1String("GetSessionByPID"))
                return reply(connection, message, QVariant::fromValue(session()));
            if (member == QLatin1String("GetUser"))
                return reply(connection, message,
                             QVariant::fromValue(QDBusObjectPath(
                                 kUserPrefix + QString::number(args.value(0).toUInt()))));
            return fail(connection, message, "org.freedesktop.DBus.Error.UnknownMethod",
                        "Unknown method " + member);
        }
        if (message.interface() == kProperties) {
            QVariantMap properties;
            QString interface;
            if (path == kSessionPath) {
                interface = kSessionInterface;
                properties = sessionProperties();
            } else if (path.startsWith(kUserPrefix)) {
                interface = kUserInterface;
                properties.insert(QStringLiteral("Display"),
                                  QVariant::fromValue(SessionRef{kSessionId, session()}));
            } else {
                return fail(connection, message, "org.freedesktop.DBus.Error.UnknownObject",
                            "No object " + path);
            }
            const QString asked = args.value(0).toString();
            if (!asked.isEmpty() && asked != interface)
                return fail(connection, message, "org.freedesktop.DBus.Error.UnknownInterface",
                            "No interface " + asked);
            if (member == QLatin1String("GetAll"))
                return reply(connection, message, QVariant::fromValue(properties));
            if (member == QLatin1String("Get")) {
                const QString name = args.value(1).toString();
                if (!properties.contains(name))
                    return fail(connection, message, "org.freedesktop.DBus.Error.UnknownProperty",
                                "No property " + name);
                return reply(connection, message,
                             QVariant::fromValue(QDBusVariant(properties.value(name))));
            }
            if (member == QLatin1String("Set"))
                return fail(connection, message, "org.freedesktop.DBus.Error.PropertyReadOnly",
                            "Read-only property");
            return fail(connection, message, "org.freedesktop.DBus.Error.UnknownMethod",
                        "Unknown method " + member);
        }
        return fail(connection, message, "org.freedesktop.DBus.Error.UnknownMethod",
                    "Unknown method " + member + " on " + path);
    }

    void prepareForSleep(bool sleeping) {
        QDBusMessage signal = QDBusMessage::createSignal(kRoot, kManager, "PrepareForSleep");
        signal << sleeping;
        m_connection.send(signal);
    }

    void setActive(bool active) {
        if (active == m_active)
            return;
        m_active = active;
        QDBusMessage signal =
            QDBusMessage::createSignal(kSessionPath, kProperties, "PropertiesChanged");
        QVariantMap changed;
        changed.insert(QStringLiteral("Active"), m_active);
        changed.insert(QStringLiteral("State"), state());
        signal << kSessionInterface << changed << QStringList();
        m_connection.send(signal);
    }

private:
    static QDBusObjectPath session() { return QDBusObjectPath(kSessionPath); }
    QString state() const { return m_active ? QStringLiteral("active") : QStringLiteral("online"); }
    QVariantMap sessionProperties() const {
        QVariantMap properties;
        properties.insert(QStringLiteral("Id"), kSessionId);
        properties.insert(QStringLiteral("Active"), m_active);
        properties.insert(QStringLiteral("State"), state());
        return properties;
    }
    static bool reply(const QDBusConnection& connection, const QDBusMessage& message,
                      const QVariant& value) {
        connection.send(message.createReply(value));
        return true;
    }
    static bool fail(const QDBusConnection& connection, const QDBusMessage& message,
                     const char* name, const QString& text) {
        connection.send(message.createErrorReply(QString::fromLatin1(name), text));
        return true;
    }

    QDBusConnection m_connection;
    bool m_active = true;
};

int main(int argc, char* argv[]) {
    QCoreApplication app(argc, argv);
    qDBusRegisterMetaType<SessionRef>();
    QDBusConnection bus = QDBusConnection::systemBus();
    if (!bus.isConnected()) {
        std::fprintf(stderr, "fake_logind: no system bus: %s\n",
                     qPrintable(bus.lastError().message()));
        return 1;
    }
    Login1 login1(bus);
    if (!bus.registerVirtualObject(kRoot, &login1, QDBusConnection::SubPath) ||
        !bus.registerService(kService)) {
        std::fprintf(stderr, "fake_logind: cannot serve %s: %s\n", qPrintable(kService),
                     qPrintable(bus.lastError().message()));
        return 1;
    }
    std::printf("ready\n");
    std::fflush(stdout);

    QByteArray pending;
    QSocketNotifier input(STDIN_FILENO, QSocketNotifier::Read);
    QObject::connect(&input, &QSocketNotifier::activated, &app, [&] {
        char buffer[256];
        const ssize_t got = ::read(STDIN_FILENO, buffer, sizeof buffer);
        if (got <= 0) {
            app.quit();
            return;
        }
        pending.append(buffer, int(got));
        int end = 0;
        while ((end = pending.indexOf('\n')) >= 0) {
            const QByteArray line = pending.left(end).trimmed();
            pending.remove(0, end + 1);
            bool known = true;
            if (line == "sleep")
                login1.prepareForSleep(true);
            else if (line == "wake")
                login1.prepareForSleep(false);
            else if (line == "active 0")
                login1.setActive(false);
            else if (line == "active 1")
                login1.setActive(true);
            else
                known = false;
            // A call to the bus returns after everything sent before it: the signal has reached
            // the bus before the caller hears back.
            bus.call(QDBusMessage::createMethodCall(
                QStringLiteral("org.freedesktop.DBus"), QStringLiteral("/org/freedesktop/DBus"),
                QStringLiteral("org.freedesktop.DBus"), QStringLiteral("GetId")));
            std::printf("%s %s\n", known ? "ok" : "unknown", line.constData());
            std::fflush(stdout);
        }
    });
    return app.exec();
}
