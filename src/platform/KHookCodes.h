#pragma once

#include <QtGlobal>

// The device key codes a hook driver queues and the key-mask bits that select them, shared by
// the drivers of every platform. Codes with bit 30 clear are mouse events; bit 30 set marks a
// Consumer-page usage of a keyboard special key.
namespace KHookCodes {

constexpr quint32 KeyboardFlag = 0x40000000u;
constexpr quint32 Left = 0x1;
constexpr quint32 Right = 0x2;
constexpr quint32 Middle = 0x4;
constexpr quint32 Back = 0x8;
constexpr quint32 Forward = 0x10;
constexpr quint32 WheelUp = 0x101;
constexpr quint32 WheelDown = 0x1FF;
constexpr quint32 SideWheelUp = 0x201;
constexpr quint32 SideWheelDown = 0x2FF;

// The keyboard-mask bit of a consumer usage; 0 for usages no mask bit selects.
inline quint32 keyboardMaskBit(quint32 usage) {
    switch (usage) {
        case 0xCD:
            return 0x0001;  // play/pause
        case 0x183:
            return 0x0002;  // consumer control configuration (music)
        case 0xB7:
            return 0x0004;  // stop
        case 0xB5:
            return 0x0008;  // next track
        case 0xB6:
            return 0x0010;  // previous track
        case 0xE9:
            return 0x0020;  // volume up
        case 0xEA:
            return 0x0040;  // volume down
        case 0x18A:
            return 0x0080;  // mail
        case 0xE2:
            return 0x0400;  // mute
        case 0x223:
            return 0x1000;  // home
        case 0x224:
            return 0x2000;  // back
        case 0x225:
            return 0x4000;  // forward
        default:
            return 0;
    }
}

// The mask bit that selects a device key code; *keyboard tells which mask it belongs to.
inline quint32 maskBitForCode(quint32 code, bool* keyboard) {
    if (keyboard)
        *keyboard = (code & KeyboardFlag) != 0;
    if (code & KeyboardFlag)
        return (code & ~KeyboardFlag) <= 0xFFFF ? keyboardMaskBit(code & 0xFFFF) : 0;
    switch (code) {
        case Left:
        case Right:
        case Middle:
        case Back:
        case Forward:
            return code;  // the buttons' bits are their codes
        case WheelUp:
            return 0x0020;
        case WheelDown:
            return 0x0040;
        case SideWheelUp:
            return 0x0100;
        case SideWheelDown:
            return 0x0080;
        default:
            return 0;
    }
}

}  // namespace KHookCodes
