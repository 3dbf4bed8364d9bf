#pragma once

#include <QtGlobal>

// The input vocabulary the logic speaks: Windows virtual-key codes and mouse_event flags. The
// input injector's backends translate them to what their system understands.

namespace KVK {
constexpr quint8 BACK = 0x08;
constexpr quint8 TAB = 0x09;
constexpr quint8 RETURN = 0x0D;
constexpr quint8 SHIFT = 0x10;
constexpr quint8 CONTROL = 0x11;
constexpr quint8 MENU = 0x12;  // Alt
constexpr quint8 ESCAPE = 0x1B;
constexpr quint8 SPACE = 0x20;
constexpr quint8 LWIN = 0x5B;
constexpr quint8 RWIN = 0x5C;
constexpr quint8 APPS = 0x5D;
constexpr quint8 F4 = 0x73;
constexpr quint8 LSHIFT = 0xA0;
constexpr quint8 RSHIFT = 0xA1;
constexpr quint8 LCONTROL = 0xA2;
constexpr quint8 RCONTROL = 0xA3;
constexpr quint8 LMENU = 0xA4;
constexpr quint8 RMENU = 0xA5;
constexpr quint8 VOLUME_MUTE = 0xAD;
constexpr quint8 VOLUME_DOWN = 0xAE;
constexpr quint8 VOLUME_UP = 0xAF;
constexpr quint8 MEDIA_NEXT_TRACK = 0xB0;
constexpr quint8 MEDIA_PREV_TRACK = 0xB1;
constexpr quint8 MEDIA_STOP = 0xB2;
constexpr quint8 MEDIA_PLAY_PAUSE = 0xB3;
constexpr quint8 OEM_PLUS = 0xBB;
constexpr quint8 OEM_MINUS = 0xBD;
// Letters and digits are their upper-case ASCII codes ('A' = 0x41, '0' = 0x30).
}  // namespace KVK

namespace KMouseFlag {
constexpr quint32 MOVE = 0x0001;
constexpr quint32 LEFTDOWN = 0x0002;
constexpr quint32 LEFTUP = 0x0004;
constexpr quint32 RIGHTDOWN = 0x0008;
constexpr quint32 RIGHTUP = 0x0010;
constexpr quint32 MIDDLEDOWN = 0x0020;
constexpr quint32 MIDDLEUP = 0x0040;
constexpr quint32 XDOWN = 0x0080;
constexpr quint32 XUP = 0x0100;
constexpr quint32 WHEEL = 0x0800;
constexpr quint32 HWHEEL = 0x1000;

// A click: the down and the up flag in one event.
constexpr quint32 LEFTCLICK = LEFTDOWN | LEFTUP;
constexpr quint32 RIGHTCLICK = RIGHTDOWN | RIGHTUP;
constexpr quint32 MIDDLECLICK = MIDDLEDOWN | MIDDLEUP;
constexpr quint32 XCLICK = XDOWN | XUP;

// Data of the side-button events (a bit mask) and of one wheel notch.
constexpr qint32 XBUTTON1 = 1;  // back
constexpr qint32 XBUTTON2 = 2;  // forward
constexpr qint32 WHEEL_DELTA = 120;
}  // namespace KMouseFlag
