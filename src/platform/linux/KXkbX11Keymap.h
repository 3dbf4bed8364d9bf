#pragma once

#include "platform/linux/KXkbLayout.h"

#include <QByteArray>
#include <QString>

#include <memory>

struct xcb_connection_t;

// The X server's keyboard layout, read through xkbcommon-x11 on a connection of its own: the
// core keyboard's keymap and its locked group. Follows the server's changes (a new keyboard, a
// new keymap from setxkbmap, a group switch) when update() reads the notifications, which it does
// without blocking, so that a caller can either watch fileDescriptor() or simply call update()
// before using the layout. Not thread-safe: one thread at a time.
class KXkbX11Keymap {
public:
    // Connects to displayName (empty: $DISPLAY). Null, with the reason in error, when no X server
    // is reachable or it lacks the XKB extension.
    static std::unique_ptr<KXkbX11Keymap> connect(const QByteArray& displayName, QString* error);
    ~KXkbX11Keymap();

    int fileDescriptor() const;
    // Reads the pending notifications; true when the layout changed (layout() is then the new
    // one). A lost connection keeps the last layout.
    bool update();
    // The resolved layout, null when the server's keymap could not be read.
    std::shared_ptr<const KXkbLayout> layout() const { return m_layout; }

private:
    KXkbX11Keymap(xcb_connection_t* connection, int deviceId, quint8 eventBase);
    // Reads the keymap (when keymapToo) and the locked group and resolves the layout.
    void reload(bool keymapToo);
    QString describe(quint32 group) const;

    xcb_connection_t* m_connection;
    int m_deviceId;
    quint8 m_eventBase;
    struct xkb_context* m_context = nullptr;
    struct xkb_keymap* m_keymap = nullptr;
    quint32 m_group = 0;
    std::shared_ptr<const KXkbLayout> m_layout;
};
