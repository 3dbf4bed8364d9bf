#pragma once

#include <QByteArray>
#include <QList>
#include <QString>

// Device discovery through libudev, and the messages that explain missing permissions. Every
// call makes its own udev context, so the functions may be used from any thread.
namespace KLinuxUdev {

// One evdev node (/dev/input/eventN) with the identity of its input device.
struct InputNode {
    QByteArray devnode;
    QByteArray sysname;   // eventN
    quintptr handle = 0;  // the node's device number: stable while the node exists
    QString name;
    quint16 bus = 0;
    quint16 vendor = 0;
    quint16 product = 0;
    quint16 version = 0;
    bool mouse = false;     // udev's ID_INPUT_MOUSE
    bool keyboard = false;  // ID_INPUT_KEYBOARD
};

// One hidraw node with its HID device's identity.
struct HidrawNode {
    QByteArray devnode;
    QByteArray hidSyspath;  // the HID device in sysfs (holds report_descriptor)
    quint16 bus = 0;
    quint16 vendor = 0;
    quint16 product = 0;
    quint16 version = 0;
    QString productString;
};

// Every evdev node except the program's own virtual devices.
QList<InputNode> inputNodes();
QList<HidrawNode> hidrawNodes();
bool findHidrawNode(const QByteArray& devnode, HidrawNode* out);
// The raw report descriptor of a HID device; empty when it cannot be read.
QByteArray reportDescriptor(const HidrawNode& node);

// Logs, as a warning, why a node could not be opened and, for a permission problem, how to
// grant access (the udev rule shipped with the program).
void reportOpenFailure(const QByteArray& node, int error, const QString& purpose);

}  // namespace KLinuxUdev
