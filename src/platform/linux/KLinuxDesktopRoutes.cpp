#include "platform/linux/KLinuxDesktopRoutes.h"

KLinuxDesktopRoutes KLinuxDesktopRoutes::choose(const KDesktopSession& session,
                                                const Facts& facts) {
    using Desktop = KDesktopSession::Desktop;
    KLinuxDesktopRoutes routes;
    switch (session.type) {
        case KDesktopSession::Type::Console:
            break;
        case KDesktopSession::Type::X11:
            routes.windows = Windows::Ewmh;
            routes.brightness = Brightness::X11Gamma;
            // GNOME's settings daemon writes its own value over the X property on every device
            // change, so there the setting itself is the only lasting way.
            routes.pointerSpeed = session.desktop == Desktop::Gnome ? PointerSpeed::GnomeSettings
                                                                    : PointerSpeed::X11Property;
            break;
        case KDesktopSession::Type::Wayland:
            switch (session.desktop) {
                case Desktop::Gnome:
                    routes.pointerSpeed = PointerSpeed::GnomeSettings;
                    routes.brightness = Brightness::MutterGamma;
                    // Mutter offers programs no window interface; its own shortcut does it, but
                    // only keys from a real input device (uinput) reach the compositor.
                    if (facts.keysReachCompositor)
                        routes.windows = Windows::GnomeShortcut;
                    break;
                case Desktop::Kde:
                    routes.pointerSpeed = PointerSpeed::KWinDBus;
                    routes.windows = Windows::KWinScript;
                    break;
                case Desktop::Wlroots:
                    routes.brightness = Brightness::WlrGamma;
                    // Only sway speaks the IPC protocol; other wlroots compositors have their own.
                    if (facts.swaySocket)
                        routes.pointerSpeed = PointerSpeed::SwayIpc;
                    break;
                case Desktop::Other:
                    // Compositors not known by name may still offer the wlroots protocol.
                    routes.brightness = Brightness::WlrGamma;
                    break;
                case Desktop::Weston:
                    break;
            }
            break;
    }
    return routes;
}

QString KLinuxDesktopRoutes::name(PointerSpeed route) {
    switch (route) {
        case PointerSpeed::X11Property:
            return QStringLiteral("X11 \"libinput Accel Speed\" of every pointer");
        case PointerSpeed::GnomeSettings:
            return QStringLiteral("GSettings org.gnome.desktop.peripherals.mouse speed");
        case PointerSpeed::KWinDBus:
            return QStringLiteral("KWin input devices over D-Bus (pointerAcceleration)");
        case PointerSpeed::SwayIpc:
            return QStringLiteral("sway IPC (input type:pointer pointer_accel)");
        case PointerSpeed::Unavailable:
            break;
    }
    return QStringLiteral("not available");
}

QString KLinuxDesktopRoutes::name(Windows route) {
    switch (route) {
        case Windows::Ewmh:
            return QStringLiteral("EWMH (_NET_WM_STATE, iconify)");
        case Windows::KWinScript:
            return QStringLiteral("a KWin script over D-Bus (org.kde.kwin.Scripting)");
        case Windows::GnomeShortcut:
            return QStringLiteral(
                "GNOME's own shortcuts (org.gnome.desktop.wm.keybindings) sent through uinput");
        case Windows::Unavailable:
            break;
    }
    return QStringLiteral("not available");
}

QString KLinuxDesktopRoutes::name(Brightness route) {
    switch (route) {
        case Brightness::X11Gamma:
            return QStringLiteral("XRandR gamma ramps");
        case Brightness::MutterGamma:
            return QStringLiteral("Mutter DisplayConfig gamma (if the compositor offers it)");
        case Brightness::WlrGamma:
            return QStringLiteral("wlr gamma-control (if the compositor offers it)");
        case Brightness::Unavailable:
            break;
    }
    return QStringLiteral("not available");
}

QStringList KLinuxDesktopRoutes::describe(const KDesktopSession& session) const {
    const bool wayland = session.isWayland();
    const bool console = session.type == KDesktopSession::Type::Console;
    QString why;
    if (console)
        why = QStringLiteral(" (no display)");
    else if (wayland)
        why = QStringLiteral(" (this Wayland desktop offers programs no way to do it)");

    QStringList lines;
    QString speed = QStringLiteral("pointer speed: ") + name(pointerSpeed);
    if (pointerSpeed == PointerSpeed::Unavailable)
        speed += why;
    lines << speed;

    QString windowLine = QStringLiteral("maximize/minimize the window in front: ") + name(windows);
    if (windows == Windows::Unavailable) {
        if (wayland && session.desktop == KDesktopSession::Desktop::Gnome)
            windowLine += QStringLiteral(
                " (GNOME's shortcuts need injection through uinput, which is not available)");
        else
            windowLine += why;
    }
    lines << windowLine;

    QString gamma = QStringLiteral("brightness: ") + name(brightness);
    if (brightness == Brightness::Unavailable)
        gamma += console ? why
                         : QStringLiteral(
                               " (this compositor lets no program set the gamma ramps; "
                               "X11 ramps would reach only Xwayland)");
    lines << gamma;
    return lines;
}
