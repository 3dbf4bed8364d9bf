#include "platform/linux/KDesktopSession.h"

#include <QStringList>

namespace {

KDesktopSession::Desktop desktopFromNames(const QString& names) {
    // XDG_CURRENT_DESKTOP is a colon-separated list, most specific first ("ubuntu:GNOME").
    for (const QString& raw : names.split(QLatin1Char(':'), Qt::SkipEmptyParts)) {
        const QString name = raw.trimmed().toLower();
        if (name == QLatin1String("gnome") || name == QLatin1String("gnome-classic") ||
            name == QLatin1String("gnome-flashback") || name == QLatin1String("unity") ||
            name == QLatin1String("budgie") || name == QLatin1String("pantheon"))
            return KDesktopSession::Desktop::Gnome;
        if (name == QLatin1String("kde") || name == QLatin1String("plasma"))
            return KDesktopSession::Desktop::Kde;
        if (name == QLatin1String("sway") || name == QLatin1String("hyprland") ||
            name == QLatin1String("wayfire") || name == QLatin1String("river") ||
            name == QLatin1String("labwc") || name == QLatin1String("wlroots"))
            return KDesktopSession::Desktop::Wlroots;
        if (name == QLatin1String("weston"))
            return KDesktopSession::Desktop::Weston;
    }
    return KDesktopSession::Desktop::Other;
}

}  // namespace

KDesktopSession KDesktopSession::detect(const QProcessEnvironment& environment) {
    KDesktopSession session;
    const QString type = environment.value(QStringLiteral("XDG_SESSION_TYPE")).toLower();
    const bool wayland = !environment.value(QStringLiteral("WAYLAND_DISPLAY")).isEmpty();
    session.hasX11Display = !environment.value(QStringLiteral("DISPLAY")).isEmpty();
    if (type == QLatin1String("wayland"))
        session.type = Type::Wayland;
    else if (type == QLatin1String("x11"))
        session.type = Type::X11;
    else if (wayland)
        session.type = Type::Wayland;
    else if (session.hasX11Display)
        session.type = Type::X11;
    else
        session.type = Type::Console;

    session.desktopName = environment.value(QStringLiteral("XDG_CURRENT_DESKTOP"));
    session.desktop = desktopFromNames(session.desktopName);
    if (session.desktop == Desktop::Other) {
        // Compositors started by hand often leave XDG_CURRENT_DESKTOP unset.
        if (!environment.value(QStringLiteral("SWAYSOCK")).isEmpty()) {
            session.desktop = Desktop::Wlroots;
            session.desktopName = QStringLiteral("sway");
        } else if (!environment.value(QStringLiteral("KDE_FULL_SESSION")).isEmpty()) {
            session.desktop = Desktop::Kde;
            session.desktopName = QStringLiteral("KDE");
        } else if (!environment.value(QStringLiteral("GNOME_SETUP_DISPLAY")).isEmpty() ||
                   !environment.value(QStringLiteral("GNOME_DESKTOP_SESSION_ID")).isEmpty()) {
            session.desktop = Desktop::Gnome;
            session.desktopName = QStringLiteral("GNOME");
        }
    }
    return session;
}

const KDesktopSession& KDesktopSession::current() {
    static const KDesktopSession session = detect(QProcessEnvironment::systemEnvironment());
    return session;
}

QString KDesktopSession::describe() const {
    QString text;
    switch (type) {
        case Type::X11:
            text = QStringLiteral("X11");
            break;
        case Type::Wayland:
            text =
                hasX11Display ? QStringLiteral("Wayland with Xwayland") : QStringLiteral("Wayland");
            break;
        case Type::Console:
            return QStringLiteral("console (no display)");
    }
    if (!desktopName.isEmpty())
        text += QStringLiteral(" (%1)").arg(desktopName);
    return text;
}
