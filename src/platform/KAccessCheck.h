#pragma once

#include <QList>
#include <QObject>
#include <QString>
#include <QStringList>

// What the program lacks to work with the system's devices: the virtual-device node, the nodes
// of the maker's receivers and Bluetooth devices, and the device rule that grants them. A check
// is a handful of open()/close() calls and directory look-ups, cheap enough for the GUI thread;
// it never grabs or otherwise changes a device.
class KAccessCheck : public QObject {
    Q_OBJECT
public:
    enum class What {
        Uinput,       // /dev/uinput: injected input and the pass-through devices
        Receiver,     // a 2.4 GHz receiver's hidraw or event nodes
        BleMouse,     // a supported Bluetooth mouse's nodes
        BleKeyboard,  // a supported Bluetooth keyboard's nodes
        Rule,         // the device rule 70-pointora.rules is not installed
    };

    struct Item {
        What what = What::Uinput;
        QStringList nodes;  // the refused nodes, or the folders searched for the rule
        QString reason;     // the system's words (strerror) or "not installed"
        int error = 0;      // errno of the refused open, 0 for the rule
    };

    struct Result {
        QList<Item> items;
        bool ok() const { return items.isEmpty(); }
        bool has(What what) const;
        const Item* find(What what) const;
        // "uinput", "receiver", "ble-mouse", "ble-keyboard", "rule", in the order of the items.
        QStringList names() const;
        // One line for the log: "missing uinput (/dev/uinput: Permission denied); ..." or
        // "nothing missing".
        QString summary() const;
    };

    static constexpr const char* RULE_FILE = "70-pointora.rules";

    using QObject::QObject;

    // Runs the check now.
    virtual Result check() = 0;

    static QString nameOf(What what);
    // false when the name is none of nameOf's.
    static bool fromName(const QString& name, What* what);
};
