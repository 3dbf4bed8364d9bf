#pragma once

// The keyboard layouts and layout-dependent chords of the dispatch that the layout tests run,
// and how a test tells the symbol an application sees for a key.

#include "platform/KInputCodes.h"

#include <QString>
#include <QtGlobal>

#include <xkbcommon/xkbcommon.h>

#include <vector>

struct LayoutCase {
    const char* name;
    const char* layout;
    const char* variant;
    quint32 group;  // the group in use
};

inline const std::vector<LayoutCase>& layoutCases() {
    static const std::vector<LayoutCase> cases = {
        {"us", "us", "", 0},       {"fr", "fr", "", 0},
        {"be", "be", "", 0},       {"de", "de", "", 0},
        {"ch", "ch", "", 0},       {"us(dvorak)", "us", "dvorak", 0},
        {"ru alone", "ru", "", 0}, {"us,ru with ru in use", "us,ru", "", 1},
        {"jp", "jp", "", 0},
    };
    return cases;
}

struct ChordCase {
    const char* name;
    int value;                         // the function's key value in the dispatch
    quint8 modifier;                   // the chord's modifier
    quint8 key;                        // the chord's virtual key
    std::vector<xkb_keysym_t> wanted;  // any of these is right
};

inline const std::vector<ChordCase>& chordCases() {
    static const std::vector<ChordCase> cases = {
        {"Cut", 1, KVK::LCONTROL, 'X', {XKB_KEY_x}},
        {"Copy", 2, KVK::LCONTROL, 'C', {XKB_KEY_c}},
        {"Paste", 3, KVK::LCONTROL, 'V', {XKB_KEY_v}},
        {"Find", 4, KVK::LCONTROL, 'F', {XKB_KEY_f}},
        {"Select All", 5, KVK::LCONTROL, 'A', {XKB_KEY_a}},
        {"New", 6, KVK::LCONTROL, 'N', {XKB_KEY_n}},
        {"Print", 7, KVK::LCONTROL, 'P', {XKB_KEY_p}},
        {"Save", 8, KVK::LCONTROL, 'S', {XKB_KEY_s}},
        {"Show desktop", 42, KVK::LWIN, 'D', {XKB_KEY_d}},
        {"Run", 44, KVK::LWIN, 'R', {XKB_KEY_r}},
        {"Notifications", 53, KVK::LWIN, 'A', {XKB_KEY_a}},
        {"Zoom in", 46, KVK::LCONTROL, KVK::OEM_PLUS, {XKB_KEY_plus, XKB_KEY_equal}},
        {"Zoom out", 47, KVK::LCONTROL, KVK::OEM_MINUS, {XKB_KEY_minus}},
    };
    return cases;
}

// The first group of keymap that types Latin letters, -1 if none.
inline int latinGroup(xkb_keymap* keymap) {
    for (xkb_layout_index_t g = 0; g < xkb_keymap_num_layouts(keymap); ++g) {
        for (xkb_keycode_t k = 9; k < 136; ++k) {
            const xkb_keysym_t* syms = nullptr;
            if (xkb_keymap_key_get_syms_by_level(keymap, k, g, 0, &syms) == 1 &&
                syms[0] >= XKB_KEY_a && syms[0] <= XKB_KEY_z)
                return int(g);
        }
    }
    return -1;
}

// The symbol an application matches a shortcut by, for key pressed in state: the symbol itself
// when it is Latin-1; else (a Cyrillic group in use) the symbol of the same key and level in the
// keymap's first Latin group, as desktop toolkits do; else (no Latin group at all) the symbol of
// the key on a US keyboard, reference.
inline xkb_keysym_t shortcutSym(xkb_keymap* keymap, xkb_state* state, xkb_keycode_t key,
                                xkb_keymap* usReference) {
    const xkb_keysym_t sym = xkb_keysym_to_lower(xkb_state_key_get_one_sym(state, key));
    if (sym != XKB_KEY_NoSymbol && sym < 0x100)
        return sym;
    const int latin = latinGroup(keymap);
    xkb_keymap* map = latin >= 0 ? keymap : usReference;
    const xkb_layout_index_t group = latin >= 0 ? xkb_layout_index_t(latin) : 0;
    const xkb_level_index_t level = latin >= 0 ? xkb_state_key_get_level(state, key, group) : 0;
    const xkb_keysym_t* syms = nullptr;
    if (xkb_keymap_key_get_syms_by_level(map, key, group, level, &syms) != 1)
        return XKB_KEY_NoSymbol;
    return xkb_keysym_to_lower(syms[0]);
}

inline QString symName(xkb_keysym_t sym) {
    char name[64];
    xkb_keysym_get_name(sym, name, sizeof name);
    return QString::fromLatin1(name);
}
