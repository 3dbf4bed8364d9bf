#pragma once

#include <QMutex>
#include <QString>
#include <QtGlobal>

#include <array>
#include <map>
#include <memory>
#include <vector>

struct xkb_keymap;

// One key of a keyboard layout and the modifier keys to hold around it so that it gives the
// wanted symbol. Key codes are XKB key codes (evdev KEY_* + 8, which is also what X servers with
// the evdev keymap use).
struct KKeyStroke {
    quint32 key = 0;
    std::vector<quint32> modifiers;  // pressed in this order before the key, released after it

    bool operator==(const KKeyStroke& o) const { return key == o.key && modifiers == o.modifiers; }
};

// The keyboard layout injected keys are meant for, resolved once from an XKB keymap: for each
// virtual key whose symbol depends on the layout (letters, digits, punctuation), the key and
// modifiers that type that symbol, so that Ctrl+'A' is Ctrl+a on AZERTY and Dvorak, and the
// zoom-in key is a plus (or, as on US keyboards, the equal key) wherever it sits. Other virtual
// keys (modifiers, editing and function keys, media keys) are not layout keys: the caller keeps
// its fixed table for them. Immutable once built, so it can be shared between threads.
class KXkbLayout {
public:
    // Resolves every layout key in keymap with group active. description names the layout and
    // its source for the log ("fr (from the X server)").
    static std::shared_ptr<const KXkbLayout> fromKeymap(xkb_keymap* keymap, quint32 activeGroup,
                                                        const QString& description);
    // Compiles a keymap from RMLVO names (empty fields: xkbcommon's defaults) and resolves it.
    // Null, with the reason in error, when the names do not compile.
    static std::shared_ptr<const KXkbLayout> fromNames(const QString& layout,
                                                       const QString& variant, const QString& model,
                                                       const QString& options, quint32 activeGroup,
                                                       const QString& description, QString* error);

    // Virtual keys whose key depends on the layout: 'A'-'Z', '0'-'9' and the VK_OEM_* keys.
    static bool isLayoutKey(quint8 vk);
    // The evdev key codes the layout keys may be resolved to: the main block of a PC keyboard
    // including the ISO, Brazilian and Japanese extra keys. A uinput keyboard declares them all.
    static const std::vector<quint16>& mainBlockKeys();

    // The stroke for a layout key; false for keys that are not layout keys, and for layout keys
    // the keymap cannot type (then the caller's fixed, US-position table applies).
    bool resolve(quint8 vk, KKeyStroke* stroke) const;
    const QString& description() const { return m_description; }

private:
    KXkbLayout() = default;
    QString m_description;
    std::array<bool, 256> m_has{};
    std::array<KKeyStroke, 256> m_strokes{};
};

// The current layout, handed from the thread that follows the session's layout to the threads
// that inject keys. Empty until a layout is known.
class KXkbLayoutSlot {
public:
    std::shared_ptr<const KXkbLayout> get() const {
        QMutexLocker lock(&m_mutex);
        return m_layout;
    }
    void set(std::shared_ptr<const KXkbLayout> layout) {
        QMutexLocker lock(&m_mutex);
        m_layout = std::move(layout);
    }

private:
    mutable QMutex m_mutex;
    std::shared_ptr<const KXkbLayout> m_layout;
};

// One key event of an injector, in XKB key codes.
struct KKeyEvent {
    quint32 key;
    bool down;
    bool operator==(const KKeyEvent& o) const { return key == o.key && down == o.down; }
};

// Turns virtual-key events into key events, shared by the injectors: a layout key becomes its
// resolved stroke (extra modifiers pressed right before the key, released right after it); any
// other key, and every key when no layout is known, becomes fixedKey. The release of a key is the
// mirror of its press even if the layout changed in between, and an extra modifier already held
// (by the chord itself, e.g. Shift) is neither pressed again nor released early. Not thread-safe.
class KKeyStrokeExpander {
public:
    std::vector<KKeyEvent> expand(const KXkbLayout* layout, quint8 vk, bool up, quint32 fixedKey);

private:
    struct Pressed {
        KKeyStroke stroke;
    };
    std::map<quint8, Pressed> m_pressed;  // virtual keys down, with the stroke they were sent as
    std::map<quint32, int> m_held;        // key code -> number of strokes holding it down
};
