#include "platform/linux/KLinuxAccessCheck.h"

#include "app/KConstants.h"
#include "platform/KBluetoothDevices.h"
#include "platform/linux/KLinuxUdev.h"

#include <QDir>
#include <QFileInfo>

#include <fcntl.h>
#include <linux/input.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

namespace {

int openProbe(const QByteArray& path, int flags) {
    const int fd = ::open(path.constData(), flags | O_CLOEXEC | O_NONBLOCK);
    if (fd < 0)
        return errno;
    ::close(fd);
    return 0;
}

QString reasonOf(int error) {
    return QString::fromLocal8Bit(strerror(error));
}

}  // namespace

QStringList KLinuxAccessCheck::standardRuleDirs() {
    QStringList dirs = {QStringLiteral("/etc/udev/rules.d"), QStringLiteral("/run/udev/rules.d"),
                        QStringLiteral("/usr/lib/udev/rules.d"),
                        QStringLiteral("/lib/udev/rules.d")};
#ifdef POINTORA_INSTALL_RULES_DIR
    const QString installed = QDir::cleanPath(QStringLiteral(POINTORA_INSTALL_RULES_DIR));
    if (!dirs.contains(installed))
        dirs << installed;
#endif
    return dirs;
}

bool KLinuxAccessCheck::classify(quint16 bus, quint16 vendor, quint16 product, What* what) {
    if (bus == BUS_USB && vendor == RECEIVER_VENDOR_ID) {
        *what = What::Receiver;
        return true;
    }
    if (bus != BUS_BLUETOOTH)
        return false;
    for (const KBluetoothDevices::Device& device : KBluetoothDevices::kDevices) {
        if (device.vendor == vendor && device.product == product) {
            *what = device.keyboard ? What::BleKeyboard : What::BleMouse;
            return true;
        }
    }
    return false;
}

QList<KLinuxAccessCheck::Node> KLinuxAccessCheck::systemNodes() {
    QList<Node> nodes;
    for (const KLinuxUdev::HidrawNode& hidraw : KLinuxUdev::hidrawNodes()) {
        Node node;
        if (classify(hidraw.bus, hidraw.vendor, hidraw.product, &node.what)) {
            node.devnode = hidraw.devnode;
            nodes << node;
        }
    }
    for (const KLinuxUdev::InputNode& input : KLinuxUdev::inputNodes()) {
        Node node;
        if (classify(input.bus, input.vendor, input.product, &node.what)) {
            node.devnode = input.devnode;
            node.event = true;
            nodes << node;
        }
    }
    return nodes;
}

KLinuxAccessCheck::KLinuxAccessCheck(const Options& options, QObject* parent)
    : KAccessCheck(parent), m_options(options) {
    if (!m_options.nodes)
        m_options.nodes = &KLinuxAccessCheck::systemNodes;
    if (!m_options.probe)
        m_options.probe = &openProbe;
    if (m_options.ruleDirs.isEmpty())
        m_options.ruleDirs = standardRuleDirs();
}

KAccessCheck::Result KLinuxAccessCheck::check() {
    Result result;
    if (const int error = m_options.probe(m_options.uinputPath, O_RDWR)) {
        Item item;
        item.what = What::Uinput;
        item.nodes << QString::fromLocal8Bit(m_options.uinputPath);
        item.error = error;
        item.reason = reasonOf(error);
        result.items << item;
    }
    // One item per kind of device, naming each refused node; the first node's reason stands for
    // the others (they share the rule that grants them).
    const QList<Node> nodes = m_options.nodes();
    for (What what : {What::Receiver, What::BleMouse, What::BleKeyboard}) {
        Item item;
        item.what = what;
        for (const Node& node : nodes) {
            if (node.what != what)
                continue;
            const int error = m_options.probe(node.devnode, node.event ? O_RDONLY : O_RDWR);
            // A node gone between the listing and the open is not one the program needs.
            if (error == 0 || error == ENOENT || error == ENODEV || error == ENXIO)
                continue;
            if (!item.error) {
                item.error = error;
                item.reason = reasonOf(error);
            }
            item.nodes << QString::fromLocal8Bit(node.devnode);
        }
        if (item.error)
            result.items << item;
    }
    bool ruleFound = false;
    for (const QString& dir : qAsConst(m_options.ruleDirs)) {
        if (QFileInfo(QDir(dir).filePath(QLatin1String(RULE_FILE))).isFile()) {
            ruleFound = true;
            break;
        }
    }
    if (!ruleFound) {
        Item item;
        item.what = What::Rule;
        item.nodes = m_options.ruleDirs;
        item.reason = QStringLiteral("%1 is not installed").arg(QLatin1String(RULE_FILE));
        result.items << item;
    }
    return result;
}
