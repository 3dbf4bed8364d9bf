#pragma once

#include <QtGlobal>

// The maker's Bluetooth LE mice and keyboards (HID over GATT), by vendor and product ID: the one
// list the device watcher's name patterns and the access check are made from (the udev rule in
// packaging/udev lists the same three).
namespace KBluetoothDevices {

struct Device {
    quint16 vendor;
    quint16 product;
    bool keyboard;  // false: a mouse
};

constexpr Device kDevices[] = {
    {0x000E, 0x3412, true},
    {0x1235, 0xAA22, false},
    {0x248A, 0x8266, false},
};

}  // namespace KBluetoothDevices
