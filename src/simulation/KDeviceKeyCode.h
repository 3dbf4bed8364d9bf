#pragma once

#include <QtGlobal>

// Device key codes: the unsigned 32-bit value a device hook emits for one intercepted event.
// Bit 30 clear: a mouse event; bit 30 set: a Consumer-page usage ID of a keyboard special key.
namespace KDeviceKeyCode {

constexpr quint32 KEYBOARD_FLAG = 0x40000000u;

constexpr quint32 MOUSE_LEFT = 0x1;
constexpr quint32 MOUSE_RIGHT = 0x2;
constexpr quint32 MOUSE_MIDDLE = 0x4;
constexpr quint32 MOUSE_BACK = 0x8;
constexpr quint32 MOUSE_FORWARD = 0x10;
constexpr quint32 WHEEL_UP = 0x101;
constexpr quint32 WHEEL_DOWN = 0x1FF;
constexpr quint32 SIDE_WHEEL_UP = 0x201;
constexpr quint32 SIDE_WHEEL_DOWN = 0x2FF;

constexpr quint32 consumer(quint32 usage) {
    return KEYBOARD_FLAG | usage;
}

}  // namespace KDeviceKeyCode

// The key type a device key code belongs to; every code outside the table gives 1 ("LeftKey").
int codeToKeyType(quint32 code);
