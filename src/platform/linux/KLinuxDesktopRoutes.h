#pragma once

#include "platform/linux/KDesktopSession.h"

#include <QString>
#include <QStringList>

// Which way each desktop function goes in a session, chosen once at start. In a Wayland session
// the X11 ways (XRandR gamma, EWMH, XInput2 properties) reach only Xwayland's windows or nothing,
// and the desktop owns the pointer speed; GNOME's settings daemon also overwrites the X pointer
// property on X11. A function without a working way says so instead of pretending to work.
struct KLinuxDesktopRoutes {
    enum class PointerSpeed {
        X11Property,    // "libinput Accel Speed" of the XInput2 pointer devices
        GnomeSettings,  // GSettings org.gnome.desktop.peripherals.mouse speed
        KWinDBus,       // KWin's input-device objects on the session bus
        SwayIpc,        // sway's IPC socket ($SWAYSOCK)
        Unavailable,
    };
    enum class Windows {
        Ewmh,           // X11 window manager hints on the active window
        KWinScript,     // a KWin script run over the session bus
        GnomeShortcut,  // the desktop's own keyboard shortcut, sent through uinput
        Unavailable,
    };
    enum class Brightness {
        X11Gamma,     // XRandR CRTC gamma ramps
        MutterGamma,  // GNOME: Mutter's DisplayConfig service on the session bus
        WlrGamma,     // wlroots and unknown compositors: the wlr gamma-control protocol
        Unavailable,
    };

    // What the choice depends on besides the session.
    struct Facts {
        bool swaySocket = false;  // $SWAYSOCK is set
        // Injected keys reach the compositor (uinput); XTest keys reach only X11 programs.
        bool keysReachCompositor = false;
    };

    PointerSpeed pointerSpeed = PointerSpeed::Unavailable;
    Windows windows = Windows::Unavailable;
    Brightness brightness = Brightness::Unavailable;

    static KLinuxDesktopRoutes choose(const KDesktopSession& session, const Facts& facts);

    // One line per function for the start-up log: how it works here, or why it does not.
    QStringList describe(const KDesktopSession& session) const;
    static QString name(PointerSpeed route);
    static QString name(Windows route);
    static QString name(Brightness route);
};
