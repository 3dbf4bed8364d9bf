#pragma once

#include <QByteArray>
#include <QList>
#include <QObject>

// Raw input: the list of pointing and keyboard devices with a name that identifies each one, and
// the button changes of each mouse, tagged with the device they came from. Button flags use the
// Windows raw mouse layout (KRawMouseFlags) so that the logic above reads one format.
namespace KRawMouseFlags {
constexpr quint16 LeftDown = 0x0001;
constexpr quint16 LeftUp = 0x0002;
constexpr quint16 RightDown = 0x0004;
constexpr quint16 RightUp = 0x0008;
constexpr quint16 MiddleDown = 0x0010;
constexpr quint16 MiddleUp = 0x0020;
constexpr quint16 Button4Down = 0x0040;  // back
constexpr quint16 Button4Up = 0x0080;
constexpr quint16 Button5Down = 0x0100;  // forward
constexpr quint16 Button5Up = 0x0200;
constexpr quint16 Wheel = 0x0400;
constexpr quint16 HWheel = 0x0800;
}  // namespace KRawMouseFlags

struct KRawInputDevice {
    enum Type { Mouse = 0, Keyboard = 1, Hid = 2 };
    quintptr handle = 0;
    Type type = Hid;
    QByteArray name;
};

class KRawInputBackend : public QObject {
    Q_OBJECT
public:
    using QObject::QObject;

    // Every raw-input device whose name can be read. False when the list cannot be had at all.
    virtual bool deviceList(QList<KRawInputDevice>* devices) = 0;
    // Asks for raw mouse input from all devices, also while the program is in the background.
    // Stays in force for the life of the backend. False when the system refuses.
    virtual bool registerMouseInput() = 0;

signals:
    // One raw mouse record: the device it came from and its button flags (one record may carry
    // several flags, or none when it only moves). Delivered in the backend's thread.
    void mouseInput(quintptr device, quint16 buttonFlags);
};
