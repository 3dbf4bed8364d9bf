#include "platform/linux/KXkbLayout.h"

#include "platform/linux/KLinuxKeyMap.h"

#include <linux/input-event-codes.h>
#include <xkbcommon/xkbcommon.h>

#include <algorithm>

namespace {

constexpr quint32 EVDEV_OFFSET = 8;

// A symbol to look for, either only at the key's base level or at the lowest level it has.
struct Wanted {
    xkb_keysym_t sym;
    bool baseLevelOnly;
};

std::vector<Wanted> wantedFor(quint8 vk) {
    if (vk >= 'A' && vk <= 'Z')
        return {{xkb_keysym_t(XKB_KEY_a + (vk - 'A')), true}};
    if (vk >= '0' && vk <= '9')
        return {{xkb_keysym_t(XKB_KEY_0 + (vk - '0')), false}};
    switch (vk) {
        case 0xBB:  // VK_OEM_PLUS: a plus key, else the US equal key, else plus at any level
            return {{XKB_KEY_plus, true}, {XKB_KEY_equal, true}, {XKB_KEY_plus, false}};
        case 0xBD:  // VK_OEM_MINUS
            return {{XKB_KEY_minus, false}};
        case 0xBA:
        case 0xBC:
        case 0xBE:
        case 0xBF:
        case 0xC0:
        case 0xDB:
        case 0xDC:
        case 0xDD:
        case 0xDE:
        case 0xE2:
            return {{xkb_keysym_t(KLinuxKeyMap::keysym(vk)), false}};
        default:
            return {};
    }
}

// Keys that may serve as the modifiers a level needs, in order of preference.
constexpr quint16 MODIFIER_KEYS[] = {KEY_LEFTSHIFT, KEY_RIGHTALT, KEY_RIGHTSHIFT, KEY_LEFTCTRL,
                                     KEY_LEFTALT,   KEY_LEFTMETA, KEY_RIGHTCTRL,  KEY_RIGHTMETA,
                                     KEY_102ND,     KEY_CAPSLOCK, KEY_COMPOSE};

struct StateDeleter {
    void operator()(xkb_state* s) const { xkb_state_unref(s); }
};
using StatePtr = std::unique_ptr<xkb_state, StateDeleter>;

StatePtr stateInGroup(xkb_keymap* keymap, xkb_layout_index_t group) {
    StatePtr state(xkb_state_new(keymap));
    if (state)
        xkb_state_update_mask(state.get(), 0, 0, 0, 0, 0, group);
    return state;
}

class Resolver {
public:
    Resolver(xkb_keymap* keymap, xkb_layout_index_t group) : m_keymap(keymap) {
        const xkb_layout_index_t count = xkb_keymap_num_layouts(keymap);
        if (count == 0)
            return;
        m_groups.push_back(group < count ? group : 0);
        for (xkb_layout_index_t g = 0; g < count; ++g) {
            if (g != m_groups.front())
                m_groups.push_back(g);
        }
    }

    bool resolve(quint8 vk, KKeyStroke* stroke) {
        const std::vector<Wanted> wanted = wantedFor(vk);
        const quint32 usKey = KLinuxKeyMap::linuxKey(vk) + EVDEV_OFFSET;
        for (xkb_layout_index_t group : m_groups) {
            for (const Wanted& w : wanted) {
                if (find(group, w, usKey, stroke))
                    return true;
            }
        }
        return false;
    }

private:
    // The key and modifiers giving w in group: lowest level first, then the US position, then
    // the lowest key code.
    bool find(xkb_layout_index_t group, const Wanted& w, quint32 usKey, KKeyStroke* stroke) {
        struct Candidate {
            xkb_level_index_t level;
            quint32 key;
        };
        std::vector<Candidate> candidates;
        for (quint16 code : KXkbLayout::mainBlockKeys()) {
            const xkb_keycode_t key = code + EVDEV_OFFSET;
            const xkb_level_index_t levels = xkb_keymap_num_levels_for_key(m_keymap, key, group);
            for (xkb_level_index_t level = 0; level < levels; ++level) {
                if (w.baseLevelOnly && level > 0)
                    break;
                const xkb_keysym_t* syms = nullptr;
                const int n = xkb_keymap_key_get_syms_by_level(m_keymap, key, group, level, &syms);
                if (n == 1 && syms[0] == w.sym) {
                    candidates.push_back({level, key});
                    break;
                }
            }
        }
        std::sort(candidates.begin(), candidates.end(),
                  [usKey](const Candidate& a, const Candidate& b) {
                      if (a.level != b.level)
                          return a.level < b.level;
                      if ((a.key == usKey) != (b.key == usKey))
                          return a.key == usKey;
                      return a.key < b.key;
                  });
        for (const Candidate& c : candidates) {
            std::vector<quint32> modifiers;
            if (modifiersFor(group, c.key, c.level, w.sym, &modifiers)) {
                stroke->key = c.key;
                stroke->modifiers = modifiers;
                return true;
            }
        }
        return false;
    }

    // The modifier keys that select level of key in group, checked by typing them on a fresh
    // state locked to group.
    bool modifiersFor(xkb_layout_index_t group, xkb_keycode_t key, xkb_level_index_t level,
                      xkb_keysym_t sym, std::vector<quint32>* out) {
        xkb_mod_mask_t masks[32];
        const size_t n =
            xkb_keymap_key_get_mods_for_level(m_keymap, key, group, level, masks, std::size(masks));
        std::vector<xkb_mod_mask_t> sorted(masks, masks + n);
        std::sort(sorted.begin(), sorted.end(), [](xkb_mod_mask_t a, xkb_mod_mask_t b) {
            return __builtin_popcount(a) < __builtin_popcount(b);
        });
        for (xkb_mod_mask_t mask : sorted) {
            std::vector<quint32> keys;
            if (!modifierKeys(group, mask, &keys))
                continue;
            StatePtr state = stateInGroup(m_keymap, group);
            if (!state)
                return false;
            for (quint32 k : keys)
                xkb_state_update_key(state.get(), k, XKB_KEY_DOWN);
            if (xkb_state_key_get_layout(state.get(), key) == group &&
                xkb_state_key_get_level(state.get(), key, group) == level &&
                xkb_state_key_get_one_sym(state.get(), key) == sym) {
                *out = keys;
                return true;
            }
        }
        return false;
    }

    // Keys that together hold exactly mask as depressed modifiers.
    bool modifierKeys(xkb_layout_index_t group, xkb_mod_mask_t mask, std::vector<quint32>* keys) {
        xkb_mod_mask_t covered = 0;
        for (xkb_mod_index_t mod = 0; mod < 32 && covered != mask; ++mod) {
            const xkb_mod_mask_t bit = xkb_mod_mask_t(1) << mod;
            if (!(mask & bit) || (covered & bit))
                continue;
            bool found = false;
            for (quint16 code : MODIFIER_KEYS) {
                const xkb_keycode_t k = code + EVDEV_OFFSET;
                StatePtr state = stateInGroup(m_keymap, group);
                if (!state)
                    return false;
                xkb_state_update_key(state.get(), k, XKB_KEY_DOWN);
                const xkb_mod_mask_t held =
                    xkb_state_serialize_mods(state.get(), XKB_STATE_MODS_DEPRESSED);
                if ((held & bit) && (held & ~mask) == 0) {
                    keys->push_back(k);
                    covered |= held;
                    found = true;
                    break;
                }
            }
            if (!found)
                return false;
        }
        return covered == mask;
    }

    xkb_keymap* m_keymap;
    std::vector<xkb_layout_index_t> m_groups;
};

}  // namespace

bool KXkbLayout::isLayoutKey(quint8 vk) {
    return !wantedFor(vk).empty();
}

const std::vector<quint16>& KXkbLayout::mainBlockKeys() {
    static const std::vector<quint16> keys = [] {
        // KEY_ESC (1) to KEY_YEN (124) and the Japanese and Korean keys up to 127, without the
        // unassigned code 84: letters, digits, punctuation, KEY_102ND (86), KEY_RO (89), ...
        std::vector<quint16> k;
        for (quint16 code = KEY_ESC; code <= 127; ++code) {
            if (code != 84)
                k.push_back(code);
        }
        return k;
    }();
    return keys;
}

std::shared_ptr<const KXkbLayout> KXkbLayout::fromKeymap(xkb_keymap* keymap, quint32 activeGroup,
                                                         const QString& description) {
    std::shared_ptr<KXkbLayout> layout(new KXkbLayout);
    layout->m_description = description;
    Resolver resolver(keymap, activeGroup);
    for (int vk = 0; vk < 256; ++vk) {
        if (isLayoutKey(quint8(vk)))
            layout->m_has[vk] = resolver.resolve(quint8(vk), &layout->m_strokes[vk]);
    }
    return layout;
}

std::shared_ptr<const KXkbLayout> KXkbLayout::fromNames(
    const QString& layout, const QString& variant, const QString& model, const QString& options,
    quint32 activeGroup, const QString& description, QString* error) {
    xkb_context* context = xkb_context_new(XKB_CONTEXT_NO_ENVIRONMENT_NAMES);
    if (!context) {
        if (error)
            *error = QStringLiteral("cannot create an XKB context");
        return nullptr;
    }
    const QByteArray l = layout.toUtf8(), v = variant.toUtf8(), m = model.toUtf8(),
                     o = options.toUtf8();
    xkb_rule_names names{};
    names.rules = "evdev";
    names.model = m.isEmpty() ? nullptr : m.constData();
    names.layout = l.isEmpty() ? nullptr : l.constData();
    names.variant = v.isEmpty() ? nullptr : v.constData();
    names.options = o.isEmpty() ? nullptr : o.constData();
    xkb_keymap* keymap = xkb_keymap_new_from_names(context, &names, XKB_KEYMAP_COMPILE_NO_FLAGS);
    xkb_context_unref(context);
    if (!keymap) {
        if (error) {
            *error = QStringLiteral("the layout \"%1\" (variant \"%2\") does not compile")
                         .arg(layout, variant);
        }
        return nullptr;
    }
    std::shared_ptr<const KXkbLayout> resolved = fromKeymap(keymap, activeGroup, description);
    xkb_keymap_unref(keymap);
    return resolved;
}

bool KXkbLayout::resolve(quint8 vk, KKeyStroke* stroke) const {
    if (!m_has[vk])
        return false;
    *stroke = m_strokes[vk];
    return true;
}

std::vector<KKeyEvent> KKeyStrokeExpander::expand(const KXkbLayout* layout, quint8 vk, bool up,
                                                  quint32 fixedKey) {
    std::vector<KKeyEvent> events;
    if (!up) {
        Pressed pressed;
        if (!layout || !layout->resolve(vk, &pressed.stroke))
            pressed.stroke = KKeyStroke{fixedKey, {}};
        if (pressed.stroke.key == 0)
            return events;
        // A repeated press of a key still down: send the key again, keep the first record.
        if (m_pressed.count(vk)) {
            events.push_back({m_pressed[vk].stroke.key, true});
            return events;
        }
        for (quint32 modifier : pressed.stroke.modifiers) {
            if (m_held[modifier]++ == 0)
                events.push_back({modifier, true});
        }
        ++m_held[pressed.stroke.key];
        events.push_back({pressed.stroke.key, true});
        m_pressed[vk] = pressed;
        return events;
    }
    auto it = m_pressed.find(vk);
    if (it == m_pressed.end()) {
        // Released without a press seen: release the key it would be.
        KKeyStroke stroke;
        if (!layout || !layout->resolve(vk, &stroke))
            stroke = KKeyStroke{fixedKey, {}};
        if (stroke.key != 0 && m_held.count(stroke.key) == 0)
            events.push_back({stroke.key, false});
        return events;
    }
    const Pressed pressed = it->second;
    m_pressed.erase(it);
    if (--m_held[pressed.stroke.key] <= 0) {
        m_held.erase(pressed.stroke.key);
        events.push_back({pressed.stroke.key, false});
    }
    for (auto m = pressed.stroke.modifiers.rbegin(); m != pressed.stroke.modifiers.rend(); ++m) {
        auto held = m_held.find(*m);
        if (held == m_held.end())
            continue;
        if (--held->second <= 0) {
            m_held.erase(held);
            events.push_back({*m, false});
        }
    }
    return events;
}
