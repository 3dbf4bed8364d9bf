#include "platform/linux/KLinuxDeviceMonitor.h"

#include "platform/KVirtualDeviceIdentity.h"

#include <QDBusConnection>
#include <QDebug>
#include <QSocketNotifier>

#include <libudev.h>

namespace {

quint16 hexAttribute(udev_device* device, const char* name) {
    const char* value = device ? udev_device_get_sysattr_value(device, name) : nullptr;
    return value ? quint16(QByteArray(value).trimmed().toUInt(nullptr, 16)) : 0;
}

// Whether an arriving evdev node belongs to one of the program's own virtual devices.
bool isOwnNode(udev_device* device) {
    udev_device* input = udev_device_get_parent_with_subsystem_devtype(device, "input", nullptr);
    if (!input)
        return false;
    const char* name = udev_device_get_sysattr_value(input, "name");
    return KVirtualDeviceIdentity::isOwnDevice(name ? QString::fromUtf8(name) : QString(),
                                               hexAttribute(input, "id/bustype"),
                                               hexAttribute(input, "id/vendor"));
}

}  // namespace

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
    if (!m_sleepWatched) {
        m_sleepWatched = true;
        QDBusConnection bus = QDBusConnection::systemBus();
        if (!bus.isConnected() ||
            !bus.connect(QStringLiteral("org.freedesktop.login1"),
                         QStringLiteral("/org/freedesktop/login1"),
                         QStringLiteral("org.freedesktop.login1.Manager"),
                         QStringLiteral("PrepareForSleep"), this, SLOT(onPrepareForSleep(bool))))
            qInfo().noquote() << "[Info] logind is not reachable on the system bus: the device "
                                 "hook is not set up again after sleep";
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
        const QByteArray name = sysname ? QByteArray(sysname) : QByteArray();
        const bool interesting = node && (name.startsWith("hidraw") || name.startsWith("event"));
        const bool add = action && qstrcmp(action, "add") == 0;
        const bool remove = action && qstrcmp(action, "remove") == 0;
        if (interesting && (add || remove)) {
            const QByteArray devnode(node);
            bool own = false;
            if (add && name.startsWith("event") && isOwnNode(device)) {
                m_ownNodes.insert(devnode);
                own = true;
            } else if (remove) {
                own = m_ownNodes.remove(devnode);
            }
            if (!own) {
                m_pending.append(qMakePair(add, QString::fromUtf8(devnode)));
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
