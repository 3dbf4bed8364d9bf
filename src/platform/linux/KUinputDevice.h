#pragma once

#include <QByteArray>
#include <QString>

#include <functional>

struct libevdev;
struct libevdev_uinput;

// Creates one uinput device carrying the program's virtual-device identity: opens the uinput
// node at path, names the device "<prefix> <what>" (UTF-8, cut to the kernel's limit at a
// character boundary) with the given product id, lets describe() enable its events, and creates
// it. Returns the node's descriptor (owned by the caller, to be closed after
// libevdev_uinput_destroy) or -1 with the reason in *error; *openErrno, when given, receives errno
// of a failed open and 0 otherwise.
int createUinputDevice(const QString& path, const QByteArray& what, quint16 product,
                       const std::function<void(libevdev*)>& describe, libevdev_uinput** created,
                       QString* error, int* openErrno = nullptr);

// The full name of a virtual device, as createUinputDevice gives it.
QByteArray uinputDeviceName(const QByteArray& what);
