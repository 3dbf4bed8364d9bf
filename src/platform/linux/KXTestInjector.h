#pragma once

#include "platform/KInputInjector.h"
#include "platform/linux/KXkbLayout.h"

#include <memory>

typedef struct _XDisplay Display;
class KXkbX11Keymap;

// Injection through the X server's XTest extension, for sessions where the uinput node cannot be
// opened. Uses its own connection to the display. Letters, digits and signs are sent as the keys
// that type them in the server's current keymap and group (followed through XKB notifications
// read before each key). Not thread-safe by itself: the caller serialises.
class KXTestInjector : public KInputInjector {
public:
    // Connects to displayName (empty: $DISPLAY). Null, with the reason in error, when no X server
    // is reachable or it lacks XTest.
    static std::unique_ptr<KXTestInjector> create(const QString& displayName, QString* error);
    ~KXTestInjector() override;

    void sendKey(quint8 vk, bool up, quintptr extraInfo) override;
    void sendMouse(quint32 flags, qint32 data, quintptr extraInfo) override;
    QString method() const override { return QStringLiteral("xtest"); }

    // The X key code a virtual key is sent as without the layout (modifiers, function keys...),
    // 0 when it has none on this server.
    unsigned keycode(quint8 vk) const;
    // The server's layout as last read, null when its keymap cannot be read.
    std::shared_ptr<const KXkbLayout> layout();

private:
    KXTestInjector(Display* display, std::unique_ptr<KXkbX11Keymap> keymap);
    void click(unsigned button);

    Display* m_display;
    std::unique_ptr<KXkbX11Keymap> m_keymap;
    KKeyStrokeExpander m_expander;
    QString m_loggedLayout;
    int m_minKeycode = 8;
    int m_maxKeycode = 255;
};
