#pragma once

#include "platform/KAccessCheck.h"

#include <QByteArray>

#include <functional>

// A device node the access check probes, and how.
struct KLinuxAccessNode {
    QByteArray devnode;
    KAccessCheck::What what = KAccessCheck::What::Receiver;  // Receiver, BleMouse, BleKeyboard
    bool event = false;  // an evdev node (read only) rather than hidraw
};

// What the Linux access check looks at; the defaults are the real system.
struct KLinuxAccessCheckOptions {
    QByteArray uinputPath = "/dev/uinput";
    std::function<QList<KLinuxAccessNode>()> nodes;  // null: the system's, through libudev
    // 0 when the path opens with the flags (it is closed again at once), else errno; null:
    // open(2) and close(2).
    std::function<int(const QByteArray& path, int flags)> probe;
    QStringList ruleDirs;  // empty: KLinuxAccessCheck::standardRuleDirs()
};

// The access check on Linux: /dev/uinput must open for reading and writing, every hidraw node of
// a receiver (vendor 0x24AE on USB) or of a supported Bluetooth device for reading and writing,
// their event nodes for reading, and 70-pointora.rules must be in one of udev's rule folders.
// Nodes are found with libudev; the opens and the folder list can be replaced for tests.
class KLinuxAccessCheck : public KAccessCheck {
    Q_OBJECT
public:
    using Node = KLinuxAccessNode;
    using Options = KLinuxAccessCheckOptions;

    // /etc/udev/rules.d, /run/udev/rules.d, /usr/lib/udev/rules.d, /lib/udev/rules.d and, for
    // an install elsewhere, the install prefix's rule folder.
    static QStringList standardRuleDirs();
    // The receivers' and supported Bluetooth devices' hidraw and event nodes present now.
    static QList<Node> systemNodes();
    // Which of the program's devices a HID identity is, if any.
    static bool classify(quint16 bus, quint16 vendor, quint16 product, What* what);

    explicit KLinuxAccessCheck(const Options& options = Options(), QObject* parent = nullptr);

    Result check() override;

private:
    Options m_options;
};
