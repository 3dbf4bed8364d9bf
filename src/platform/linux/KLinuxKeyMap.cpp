#include "platform/linux/KLinuxKeyMap.h"

#include <X11/XF86keysym.h>
#include <X11/keysym.h>
#include <linux/input-event-codes.h>

#include <array>

namespace {

std::vector<KVirtualKeyMapping> buildTable() {
    std::vector<KVirtualKeyMapping> t = {
        {0x08, KEY_BACKSPACE, XK_BackSpace},
        {0x09, KEY_TAB, XK_Tab},
        {0x0D, KEY_ENTER, XK_Return},
        {0x10, KEY_LEFTSHIFT, XK_Shift_L},
        {0x11, KEY_LEFTCTRL, XK_Control_L},
        {0x12, KEY_LEFTALT, XK_Alt_L},
        {0x13, KEY_PAUSE, XK_Pause},
        {0x14, KEY_CAPSLOCK, XK_Caps_Lock},
        {0x1B, KEY_ESC, XK_Escape},
        {0x20, KEY_SPACE, XK_space},
        {0x21, KEY_PAGEUP, XK_Prior},
        {0x22, KEY_PAGEDOWN, XK_Next},
        {0x23, KEY_END, XK_End},
        {0x24, KEY_HOME, XK_Home},
        {0x25, KEY_LEFT, XK_Left},
        {0x26, KEY_UP, XK_Up},
        {0x27, KEY_RIGHT, XK_Right},
        {0x28, KEY_DOWN, XK_Down},
        {0x2C, KEY_SYSRQ, XK_Print},
        {0x2D, KEY_INSERT, XK_Insert},
        {0x2E, KEY_DELETE, XK_Delete},
        {0x5B, KEY_LEFTMETA, XK_Super_L},
        {0x5C, KEY_RIGHTMETA, XK_Super_R},
        {0x5D, KEY_COMPOSE, XK_Menu},
        {0x5F, KEY_SLEEP, XF86XK_Sleep},
        {0x6A, KEY_KPASTERISK, XK_KP_Multiply},
        {0x6B, KEY_KPPLUS, XK_KP_Add},
        {0x6D, KEY_KPMINUS, XK_KP_Subtract},
        {0x6E, KEY_KPDOT, XK_KP_Decimal},
        {0x6F, KEY_KPSLASH, XK_KP_Divide},
        {0x90, KEY_NUMLOCK, XK_Num_Lock},
        {0x91, KEY_SCROLLLOCK, XK_Scroll_Lock},
        {0xA0, KEY_LEFTSHIFT, XK_Shift_L},
        {0xA1, KEY_RIGHTSHIFT, XK_Shift_R},
        {0xA2, KEY_LEFTCTRL, XK_Control_L},
        {0xA3, KEY_RIGHTCTRL, XK_Control_R},
        {0xA4, KEY_LEFTALT, XK_Alt_L},
        {0xA5, KEY_RIGHTALT, XK_Alt_R},
        {0xA6, KEY_BACK, XF86XK_Back},
        {0xA7, KEY_FORWARD, XF86XK_Forward},
        {0xA8, KEY_REFRESH, XF86XK_Refresh},
        {0xA9, KEY_STOP, XF86XK_Stop},
        {0xAA, KEY_SEARCH, XF86XK_Search},
        {0xAB, KEY_BOOKMARKS, XF86XK_Favorites},
        {0xAC, KEY_HOMEPAGE, XF86XK_HomePage},
        {0xAD, KEY_MUTE, XF86XK_AudioMute},
        {0xAE, KEY_VOLUMEDOWN, XF86XK_AudioLowerVolume},
        {0xAF, KEY_VOLUMEUP, XF86XK_AudioRaiseVolume},
        {0xB0, KEY_NEXTSONG, XF86XK_AudioNext},
        {0xB1, KEY_PREVIOUSSONG, XF86XK_AudioPrev},
        {0xB2, KEY_STOPCD, XF86XK_AudioStop},
        {0xB3, KEY_PLAYPAUSE, XF86XK_AudioPlay},
        {0xB4, KEY_MAIL, XF86XK_Mail},
        {0xB5, KEY_MEDIA, XF86XK_AudioMedia},
        {0xB6, KEY_COMPUTER, XF86XK_MyComputer},
        {0xB7, KEY_CALC, XF86XK_Calculator},
        {0xBA, KEY_SEMICOLON, XK_semicolon},
        {0xBB, KEY_EQUAL, XK_equal},
        {0xBC, KEY_COMMA, XK_comma},
        {0xBD, KEY_MINUS, XK_minus},
        {0xBE, KEY_DOT, XK_period},
        {0xBF, KEY_SLASH, XK_slash},
        {0xC0, KEY_GRAVE, XK_grave},
        {0xDB, KEY_LEFTBRACE, XK_bracketleft},
        {0xDC, KEY_BACKSLASH, XK_backslash},
        {0xDD, KEY_RIGHTBRACE, XK_bracketright},
        {0xDE, KEY_APOSTROPHE, XK_apostrophe},
        {0xE2, KEY_102ND, XK_less},
    };

    // Digits '0'..'9' (0x30..0x39): KEY_1..KEY_9 are consecutive, KEY_0 follows KEY_9.
    for (int d = 0; d <= 9; ++d)
        t.push_back({quint8(0x30 + d), quint16(d == 0 ? KEY_0 : KEY_1 + d - 1), quint32(XK_0 + d)});

    // Letters 'A'..'Z' (0x41..0x5A): the KEY_* codes follow the keyboard rows, not the alphabet.
    static constexpr std::array<quint16, 26> letters = {
        KEY_A, KEY_B, KEY_C, KEY_D, KEY_E, KEY_F, KEY_G, KEY_H, KEY_I, KEY_J, KEY_K, KEY_L, KEY_M,
        KEY_N, KEY_O, KEY_P, KEY_Q, KEY_R, KEY_S, KEY_T, KEY_U, KEY_V, KEY_W, KEY_X, KEY_Y, KEY_Z};
    for (int i = 0; i < 26; ++i)
        t.push_back({quint8(0x41 + i), letters[i], quint32(XK_a + i)});

    // Numeric keypad digits (0x60..0x69).
    static constexpr std::array<quint16, 10> keypad = {KEY_KP0, KEY_KP1, KEY_KP2, KEY_KP3, KEY_KP4,
                                                       KEY_KP5, KEY_KP6, KEY_KP7, KEY_KP8, KEY_KP9};
    for (int i = 0; i < 10; ++i)
        t.push_back({quint8(0x60 + i), keypad[i], quint32(XK_KP_0 + i)});

    // F1..F24 (0x70..0x87).
    static constexpr std::array<quint16, 24> functionKeys = {
        KEY_F1,  KEY_F2,  KEY_F3,  KEY_F4,  KEY_F5,  KEY_F6,  KEY_F7,  KEY_F8,
        KEY_F9,  KEY_F10, KEY_F11, KEY_F12, KEY_F13, KEY_F14, KEY_F15, KEY_F16,
        KEY_F17, KEY_F18, KEY_F19, KEY_F20, KEY_F21, KEY_F22, KEY_F23, KEY_F24};
    for (int i = 0; i < 24; ++i)
        t.push_back({quint8(0x70 + i), functionKeys[i], quint32(XK_F1 + i)});
    return t;
}

// Direct lookup by virtual key; built once.
struct Index {
    std::array<quint16, 256> linuxKey{};
    std::array<quint32, 256> keysym{};
    Index() {
        for (const KVirtualKeyMapping& m : KLinuxKeyMap::table()) {
            linuxKey[m.vk] = m.linuxKey;
            keysym[m.vk] = m.keysym;
        }
    }
};

const Index& index() {
    static const Index built;
    return built;
}

}  // namespace

const std::vector<KVirtualKeyMapping>& KLinuxKeyMap::table() {
    static const std::vector<KVirtualKeyMapping> built = buildTable();
    return built;
}

quint16 KLinuxKeyMap::linuxKey(quint8 vk) {
    return index().linuxKey[vk];
}

quint32 KLinuxKeyMap::keysym(quint8 vk) {
    return index().keysym[vk];
}
