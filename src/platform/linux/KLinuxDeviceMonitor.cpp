#include "platform/linux/KLinuxDeviceMonitor.h"

#include "platform/KVirtualDeviceIdentity.h"

#include <QDBusArgument>
#include <QDBusConnection>
#include <QDBusMessage>
#include <QDBusObjectPath>
#include <QDBusPendingCallWatcher>
#include <QDBusVariant>
#include <QDebug>
#include <QSocketNotifier>

#include <libudev.h>
#include <unistd.h>

namespace {

const QString kLogind = QStringLiteral("org.freedesktop.login1");
const QString kManagerPath = QStringLiteral("/org/freedesktop/login1");
const QString kManager = QStringLiteral("org.freedesktop.login1.Manager");
const QString kSession = QStringLiteral("org.freedesktop.login1.Session");
const QString kUser = QStringLiteral("org.freedesktop.login1.User");
const QString kProperties = QStringLiteral("org.freedesktop.DBus.Properties");

quint16 hexAttribute(udev_device* device, const char* name) {
    const char* value = device ? udev_device_get_sysattr_value(device, name) : nullptr;
    return value ? quint16(QByteArray(value).trimmed().toUInt(nullptr, 16)) : 0;
}

// Whether an arriving evdev node belongs to one of the program's own virtual devices, read from
// sysfs (for devices that existed before the monitor started).
bool isOwnNode(udev_device* device) {
    udev_device* input = udev_device_get_parent_with_subsystem_devtype(device, "input", nullptr);
    if (!input)
        return false;
    const char* name = udev_device_get_sysattr_value(input, "name");
    return KVirtualDeviceIdentity::isOwnDevice(name ? QString::fromUtf8(name) : QString(),
                                               hexAttribute(input, "id/bustype"),
                                               hexAttribute(input, "id/vendor"));
}

QByteArray udevProperty(udev_device* device, const char* name) {
    const char* value = udev_device_get_property_value(device, name);
    return value ? QByteArray(value) : QByteArray();
}

}  // namespace

bool KLinuxDeviceMonitor::isOwnInputEvent(const QByteArray& name, const QByteArray& product) {
    // NAME="\"Pointora virtual keyboard\"", PRODUCT="6/2577/11/1" (bus/vendor/product/version).
    QByteArray plain = name;
    if (plain.size() >= 2 && plain.startsWith('"') && plain.endsWith('"'))
        plain = plain.mid(1, plain.size() - 2);
    const QList<QByteArray> ids = product.split('/');
    if (ids.size() < 2)
        return false;
    bool busOk = false;
    bool vendorOk = false;
    const uint bus = ids.at(0).toUInt(&busOk, 16);
    const uint vendor = ids.at(1).toUInt(&vendorOk, 16);
    return busOk && vendorOk && bus <= 0xFFFF && vendor <= 0xFFFF &&
           KVirtualDeviceIdentity::isOwnDevice(QString::fromUtf8(plain), quint16(bus),
                                               quint16(vendor));
}

KLinuxDeviceMonitor::KLinuxDeviceMonitor(QObject* parent) : KDeviceMonitor(parent) {
    m_settle.setSingleShot(true);
    m_settle.setInterval(SettleMs);
    connect(&m_settle, &QTimer::timeout, this, &KLinuxDeviceMonitor::flush);
}

KLinuxDeviceMonitor::~KLinuxDeviceMonitor() {
    delete m_notifier;
    if (m_monitor)
        udev_monitor_unref(m_monitor);
    if (m_udev)
        udev_unref(m_udev);
}

bool KLinuxDeviceMonitor::start() {
    if (!m_sessionWatched) {
        m_sessionWatched = true;
        watchSession();
    }
    if (m_notifier)
        return true;
    m_udev = m_udev ? m_udev : udev_new();
    if (m_udev && !m_monitor)
        m_monitor = udev_monitor_new_from_netlink(m_udev, "udev");
    if (!m_monitor) {
        qWarning().noquote() << "device notifications unavailable: cannot open the udev monitor";
        return false;
    }
    udev_monitor_filter_add_match_subsystem_devtype(m_monitor, "hidraw", nullptr);
    udev_monitor_filter_add_match_subsystem_devtype(m_monitor, "input", nullptr);
    if (udev_monitor_enable_receiving(m_monitor) < 0) {
        qWarning().noquote() << "device notifications unavailable: the udev monitor refuses";
        return false;
    }
    m_notifier = new QSocketNotifier(udev_monitor_get_fd(m_monitor), QSocketNotifier::Read, this);
    connect(m_notifier, &QSocketNotifier::activated, this, &KLinuxDeviceMonitor::readEvents);
    return true;
}

void KLinuxDeviceMonitor::readEvents() {
    while (udev_device* device = udev_monitor_receive_device(m_monitor)) {
        const char* action = udev_device_get_action(device);
        const char* node = udev_device_get_devnode(device);
        const char* sysname = udev_device_get_sysname(device);
        const char* path = udev_device_get_devpath(device);
        const QByteArray name = sysname ? QByteArray(sysname) : QByteArray();
        const QByteArray devpath = path ? QByteArray(path) : QByteArray();
        const bool add = action && qstrcmp(action, "add") == 0;
        const bool remove = action && qstrcmp(action, "remove") == 0;
        if (!node && name.startsWith("input")) {
            // The input device above the event node: its own event says whose it is, even when
            // the device is gone by the time the event is read.
            if (add &&
                isOwnInputEvent(udevProperty(device, "NAME"), udevProperty(device, "PRODUCT")))
                m_ownInputs.insert(devpath);
            else if (remove)
                m_ownInputs.remove(devpath);
        } else if (node && (name.startsWith("hidraw") || name.startsWith("event")) &&
                   (add || remove)) {
            bool own = false;
            if (name.startsWith("event")) {
                const QByteArray parent = devpath.left(devpath.lastIndexOf('/'));
                if (add) {
                    own = m_ownInputs.contains(parent) || isOwnNode(device);
                    if (own)
                        m_ownNodes.insert(devpath);
                } else {
                    own = m_ownNodes.remove(devpath) || m_ownInputs.contains(parent);
                }
            }
            if (!own) {
                m_pending.append(qMakePair(add, QString::fromUtf8(node)));
                m_settle.start();
            }
        }
        udev_device_unref(device);
    }
}

void KLinuxDeviceMonitor::flush() {
    const QList<QPair<bool, QString>> pending = m_pending;
    m_pending.clear();
    for (const auto& change : pending)
        emit deviceChanged(change.first, change.second);
}

void KLinuxDeviceMonitor::onPrepareForSleep(bool sleeping) {
    if (!sleeping)
        emit sessionResumed();
}

// logind tells when the system wakes from sleep and whether the session is active.
void KLinuxDeviceMonitor::watchSession() {
    QDBusConnection bus = QDBusConnection::systemBus();
    if (!bus.isConnected() ||
        !bus.connect(kLogind, kManagerPath, kManager, QStringLiteral("PrepareForSleep"), this,
                     SLOT(onPrepareForSleep(bool)))) {
        qInfo().noquote() << "[Info] logind is not reachable on the system bus: the device hook "
                             "is not set up again after sleep and follows no session switch";
        return;
    }
    findSession(FromSessionId);
}

void KLinuxDeviceMonitor::askLogind(const QString& path, const QString& interface,
                                    const QString& method, const QVariantList& arguments,
                                    std::function<void(const QVariant&)> done) {
    QDBusMessage message = QDBusMessage::createMethodCall(kLogind, path, interface, method);
    message.setArguments(arguments);
    auto* watcher =
        new QDBusPendingCallWatcher(QDBusConnection::systemBus().asyncCall(message), this);
    connect(watcher, &QDBusPendingCallWatcher::finished, this, [done](QDBusPendingCallWatcher* w) {
        w->deleteLater();
        const QDBusMessage reply = w->reply();
        const bool ok = reply.type() == QDBusMessage::ReplyMessage && !reply.arguments().isEmpty();
        done(ok ? reply.arguments().first() : QVariant());
    });
}

// Our session is the one named by XDG_SESSION_ID, else the session of this process, else the
// user's display session (programs started by a desktop's launcher often sit outside the
// session's scope). Every call is asynchronous: the window never waits for the system bus.
void KLinuxDeviceMonitor::findSession(SessionLookup step) {
    auto pathOr = [this](SessionLookup next) {
        return [this, next](const QVariant& reply) {
            const QString path = reply.value<QDBusObjectPath>().path();
            if (path.isEmpty())
                findSession(next);
            else
                sessionFound(path);
        };
    };
    switch (step) {
        case FromSessionId: {
            const QString id = qEnvironmentVariable("XDG_SESSION_ID");
            if (id.isEmpty())
                findSession(FromProcess);
            else
                askLogind(kManagerPath, kManager, QStringLiteral("GetSession"), {id},
                          pathOr(FromProcess));
            return;
        }
        case FromProcess:
            askLogind(kManagerPath, kManager, QStringLiteral("GetSessionByPID"),
                      {QVariant::fromValue(uint(::getpid()))}, pathOr(FromUser));
            return;
        case FromUser:
            askLogind(
                kManagerPath, kManager, QStringLiteral("GetUser"),
                {QVariant::fromValue(uint(::getuid()))}, [this](const QVariant& reply) {
                    const QString user = reply.value<QDBusObjectPath>().path();
                    if (user.isEmpty()) {
                        findSession(NotFound);
                        return;
                    }
                    // Display is a struct (session id, session path).
                    askLogind(
                        user, kProperties, QStringLiteral("Get"),
                        {kUser, QStringLiteral("Display")}, [this](const QVariant& display) {
                            QString id;
                            QDBusObjectPath path;
                            const QDBusArgument arg =
                                display.value<QDBusVariant>().variant().value<QDBusArgument>();
                            if (arg.currentType() == QDBusArgument::StructureType) {
                                arg.beginStructure();
                                arg >> id >> path;
                                arg.endStructure();
                            }
                            if (path.path().isEmpty() || path.path() == "/")
                                findSession(NotFound);
                            else
                                sessionFound(path.path());
                        });
                });
            return;
        case NotFound:
            qInfo().noquote() << "[Info] no logind session found for this program: the device "
                                 "hook follows no session switch";
            return;
    }
}

void KLinuxDeviceMonitor::sessionFound(const QString& path) {
    m_sessionPath = path;
    QDBusConnection::systemBus().connect(
        kLogind, path, kProperties, QStringLiteral("PropertiesChanged"), this,
        SLOT(onSessionPropertiesChanged(QString, QVariantMap, QStringList)));
    qInfo().noquote() << "[Info] following the logind session" << path;
    readSessionActive();
}

void KLinuxDeviceMonitor::readSessionActive() {
    askLogind(m_sessionPath, kProperties, QStringLiteral("Get"),
              {kSession, QStringLiteral("Active")}, [this](const QVariant& reply) {
                  if (reply.isValid())
                      setSessionActive(reply.value<QDBusVariant>().variant().toBool());
              });
}

void KLinuxDeviceMonitor::onSessionPropertiesChanged(const QString& interface,
                                                     const QVariantMap& changed,
                                                     const QStringList& invalidated) {
    if (interface != kSession)
        return;
    if (changed.contains(QStringLiteral("Active")))
        setSessionActive(changed.value(QStringLiteral("Active")).toBool());
    else if (invalidated.contains(QStringLiteral("Active")))
        readSessionActive();
}

void KLinuxDeviceMonitor::setSessionActive(bool active) {
    if (active == m_sessionActive)
        return;
    m_sessionActive = active;
    qInfo().noquote() << (active ? "[Info] the session is active again"
                                 : "[Info] the session is no longer active");
    emit sessionActiveChanged(active);
}
