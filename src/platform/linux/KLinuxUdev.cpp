#include "platform/linux/KLinuxUdev.h"

#include "platform/KVirtualDeviceIdentity.h"
#include "platform/linux/KLinuxEventMap.h"

#include <QDebug>
#include <QFile>
#include <QMutex>
#include <QMutexLocker>
#include <QSet>

#include <libudev.h>

#include <cerrno>
#include <cstring>
#include <memory>

namespace KLinuxUdev {

namespace {

struct UdevDeleter {
    void operator()(udev* u) const { udev_unref(u); }
    void operator()(udev_enumerate* e) const { udev_enumerate_unref(e); }
    void operator()(udev_device* d) const { udev_device_unref(d); }
};
using UdevPtr = std::unique_ptr<udev, UdevDeleter>;
using EnumeratePtr = std::unique_ptr<udev_enumerate, UdevDeleter>;
using DevicePtr = std::unique_ptr<udev_device, UdevDeleter>;

quint16 hexAttribute(udev_device* device, const char* name) {
    const char* value = device ? udev_device_get_sysattr_value(device, name) : nullptr;
    return value ? quint16(QByteArray(value).trimmed().toUInt(nullptr, 16)) : 0;
}

bool propertyIsSet(udev_device* device, const char* name) {
    const char* value = udev_device_get_property_value(device, name);
    return value && qstrcmp(value, "1") == 0;
}

// Calls visit for every device of the subsystem whose sysname matches.
template <typename Visit>
void enumerate(udev* context, const char* subsystem, const char* sysname, Visit visit) {
    EnumeratePtr enumerator(udev_enumerate_new(context));
    if (!enumerator)
        return;
    udev_enumerate_add_match_subsystem(enumerator.get(), subsystem);
    if (sysname)
        udev_enumerate_add_match_sysname(enumerator.get(), sysname);
    udev_enumerate_scan_devices(enumerator.get());
    udev_list_entry* entry = nullptr;
    udev_list_entry_foreach(entry, udev_enumerate_get_list_entry(enumerator.get())) {
        DevicePtr device(udev_device_new_from_syspath(context, udev_list_entry_get_name(entry)));
        if (device && udev_device_get_devnode(device.get()))
            visit(device.get());
    }
}

bool describeHidraw(udev_device* device, HidrawNode* out) {
    udev_device* hid = udev_device_get_parent_with_subsystem_devtype(device, "hid", nullptr);
    if (!hid)
        return false;
    HidrawNode node;
    node.devnode = udev_device_get_devnode(device);
    node.hidSyspath = udev_device_get_syspath(hid);
    const char* hidId = udev_device_get_property_value(hid, "HID_ID");
    if (!hidId || !KLinuxEventMap::parseHidId(hidId, &node.bus, &node.vendor, &node.product))
        return false;
    udev_device* usb = udev_device_get_parent_with_subsystem_devtype(device, "usb", "usb_device");
    node.version = hexAttribute(usb, "bcdDevice");
    const char* product = usb ? udev_device_get_sysattr_value(usb, "product") : nullptr;
    if (!product)
        product = udev_device_get_property_value(hid, "HID_NAME");
    node.productString = product ? QString::fromUtf8(product) : QString();
    *out = node;
    return true;
}

}  // namespace

QList<InputNode> inputNodes() {
    QList<InputNode> nodes;
    UdevPtr context(udev_new());
    if (!context)
        return nodes;
    enumerate(context.get(), "input", "event*", [&nodes](udev_device* device) {
        udev_device* input =
            udev_device_get_parent_with_subsystem_devtype(device, "input", nullptr);
        InputNode node;
        node.devnode = udev_device_get_devnode(device);
        node.sysname = udev_device_get_sysname(device);
        node.handle = quintptr(udev_device_get_devnum(device));
        const char* name = input ? udev_device_get_sysattr_value(input, "name") : nullptr;
        node.name = name ? QString::fromUtf8(name) : QString();
        node.bus = hexAttribute(input, "id/bustype");
        node.vendor = hexAttribute(input, "id/vendor");
        node.product = hexAttribute(input, "id/product");
        node.version = hexAttribute(input, "id/version");
        node.mouse = propertyIsSet(device, "ID_INPUT_MOUSE");
        node.keyboard = propertyIsSet(device, "ID_INPUT_KEYBOARD");
        if (!KVirtualDeviceIdentity::isOwnDevice(node.name, node.bus, node.vendor))
            nodes << node;
    });
    return nodes;
}

QList<HidrawNode> hidrawNodes() {
    QList<HidrawNode> nodes;
    UdevPtr context(udev_new());
    if (!context)
        return nodes;
    enumerate(context.get(), "hidraw", nullptr, [&nodes](udev_device* device) {
        HidrawNode node;
        if (describeHidraw(device, &node))
            nodes << node;
    });
    return nodes;
}

bool findHidrawNode(const QByteArray& devnode, HidrawNode* out) {
    UdevPtr context(udev_new());
    if (!context || !devnode.startsWith("/dev/"))
        return false;
    DevicePtr device(udev_device_new_from_subsystem_sysname(context.get(), "hidraw",
                                                            devnode.mid(5).constData()));
    return device && describeHidraw(device.get(), out);
}

QByteArray reportDescriptor(const HidrawNode& node) {
    QFile file(QString::fromUtf8(node.hidSyspath) + QStringLiteral("/report_descriptor"));
    if (!file.open(QIODevice::ReadOnly))
        return QByteArray();
    return file.read(64 * 1024);
}

void reportOpenFailure(const QByteArray& node, int error, const QString& purpose) {
    // One message per node and reason: the same failure repeats on every device change.
    static QMutex mutex;
    static QSet<QString> reported;
    QMutexLocker lock(&mutex);
    const QString key = QString::fromUtf8(node) + QLatin1Char('/') + QString::number(error);
    if (reported.contains(key))
        return;
    reported.insert(key);
    const QString reason = QString::fromLocal8Bit(strerror(error));
    if (error == EACCES || error == EPERM) {
        qWarning().noquote()
            << QStringLiteral(
                   "cannot open %1 (%2), needed %3. Grant access with the udev rule "
                   "70-pointora.rules (packaging/udev in the sources; installed into "
                   "lib/udev/rules.d by the install rules): copy it to /etc/udev/rules.d if it "
                   "is not installed, run 'sudo udevadm control --reload-rules && sudo udevadm "
                   "trigger', then unplug and replug the device (for /dev/uinput: log out and "
                   "in again). Nothing is taken over until then.")
                   .arg(QString::fromUtf8(node), reason, purpose);
    } else {
        qWarning().noquote() << QStringLiteral("cannot open %1 (%2), needed %3.")
                                    .arg(QString::fromUtf8(node), reason, purpose);
    }
}

}  // namespace KLinuxUdev
