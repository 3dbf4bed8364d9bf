#pragma once

#include <QProcessEnvironment>
#include <QString>

// What kind of graphical session the program runs in, read once from the environment the
// session manager gives every program: the display protocol (XDG_SESSION_TYPE, else which of
// WAYLAND_DISPLAY and DISPLAY is set) and the desktop (XDG_CURRENT_DESKTOP, else the
// compositor's own variables). The functions that depend on the display server ask this rather
// than each guessing on its own.
struct KDesktopSession {
    enum class Type { X11, Wayland, Console };
    enum class Desktop { Gnome, Kde, Wlroots, Weston, Other };

    Type type = Type::Console;
    Desktop desktop = Desktop::Other;
    // The desktop's name as the environment gives it ("GNOME", "KDE", "sway"...), "" if none.
    QString desktopName;
    // Xwayland (or a plain X server) can be reached: DISPLAY is set.
    bool hasX11Display = false;

    bool isWayland() const { return type == Type::Wayland; }
    bool isX11() const { return type == Type::X11; }

    static KDesktopSession detect(const QProcessEnvironment& environment);
    // The process's session, detected on first call.
    static const KDesktopSession& current();

    // "Wayland (GNOME)", "X11 (KDE)", "console"...: for the log.
    QString describe() const;
};
