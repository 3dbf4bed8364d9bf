#include "platform/linux/KLinuxDesktopBackend.h"

#include "platform/KInputInjector.h"
#include "platform/KVirtualDeviceIdentity.h"
#include "platform/linux/KGnomeSettings.h"
#include "platform/linux/KKWinDBus.h"
#include "platform/linux/KSwayIpc.h"
#include "platform/linux/KX11DesktopBackend.h"

#include <QDebug>
#include <QGuiApplication>
#include <QWindow>

namespace {
// The extra-information tag of injected events (the virtual devices carry it as their vendor).
constexpr quintptr kInjectedTag = KVirtualDeviceIdentity::VENDOR_ID;
}  // namespace

KLinuxDesktopBackend::Options KLinuxDesktopBackend::optionsFor(KInputInjector* injector) {
    Options options;
    options.session = KDesktopSession::current();
    options.injector = injector;
    options.swaySocket = qEnvironmentVariable("SWAYSOCK");
    options.facts.swaySocket = !options.swaySocket.isEmpty();
    options.facts.keysReachCompositor =
        injector && injector->reach() == KInputInjector::Reach::Everyone;
    return options;
}

KLinuxDesktopBackend::KLinuxDesktopBackend(Options options)
    : m_options(std::move(options)),
      m_routes(KLinuxDesktopRoutes::choose(m_options.session, m_options.facts)),
      m_x11(m_options.x11) {
    if (!m_x11)
        m_x11 = std::make_shared<KX11DesktopBackend>();
    qInfo().noquote() << "[Info] desktop session:" << m_options.session.describe();
    for (const QString& line : m_routes.describe(m_options.session))
        qInfo().noquote() << "[Info]" << line;
}

KLinuxDesktopBackend::~KLinuxDesktopBackend() = default;

void KLinuxDesktopBackend::warnOnce(const QString& what, const QString& reason) {
    const QString line = what + QStringLiteral(": ") + reason;
    if (m_warned.contains(line))
        return;
    m_warned.insert(line);
    qWarning().noquote() << "desktop:" << line;
}

// The X11 backend's gamma control follows the session by itself (XRandR, Mutter, wlr
// gamma-control); on sessions without any route nothing is tried.
bool KLinuxDesktopBackend::setGammaRamp(const GammaRamp& ramp) {
    if (m_routes.brightness == KLinuxDesktopRoutes::Brightness::Unavailable)
        return false;
    return m_x11->setGammaRamp(ramp);
}

bool KLinuxDesktopBackend::gammaAvailable() {
    if (m_routes.brightness == KLinuxDesktopRoutes::Brightness::Unavailable)
        return false;
    return m_x11->gammaAvailable();
}

KDesktopBackend::WindowControl KLinuxDesktopBackend::windowControl() {
    switch (m_routes.windows) {
        case KLinuxDesktopRoutes::Windows::Ewmh:
            return WindowControl::PerWindow;
        case KLinuxDesktopRoutes::Windows::KWinScript:
        case KLinuxDesktopRoutes::Windows::GnomeShortcut:
            return WindowControl::ActiveWindow;
        case KLinuxDesktopRoutes::Windows::Unavailable:
            break;
    }
    return WindowControl::Unavailable;
}

bool KLinuxDesktopBackend::changeActiveWindow(bool maximize, const QString& ownTitle) {
    const QString what = maximize ? QStringLiteral("maximize") : QStringLiteral("minimize");
    QString error;
    switch (m_routes.windows) {
        case KLinuxDesktopRoutes::Windows::KWinScript:
            if (KKWinDBus(m_options.timeoutMs)
                    .runScript(KKWinDBus::activeWindowScript(maximize, ownTitle),
                               QStringLiteral("pointora-") + what, &error))
                return true;
            warnOnce(what, error);
            return false;
        case KLinuxDesktopRoutes::Windows::GnomeShortcut:
            return sendGnomeShortcut(maximize);
        case KLinuxDesktopRoutes::Windows::Ewmh:
        case KLinuxDesktopRoutes::Windows::Unavailable:
            break;
    }
    return false;
}

bool KLinuxDesktopBackend::sendGnomeShortcut(bool maximize) {
    const QString what = maximize ? QStringLiteral("maximize") : QStringLiteral("minimize");
    // The program's own window in front is never maximized; GNOME's shortcut cannot be asked
    // about the window's title, but the program knows when it has the focus itself.
    if (maximize) {
        const auto* app = qobject_cast<QGuiApplication*>(QCoreApplication::instance());
        if (app && QGuiApplication::focusWindow() &&
            QGuiApplication::applicationState() == Qt::ApplicationActive)
            return true;
    }
    QList<quint8> modifiers;
    quint8 key = 0;
    QString error;
    if (!KGnomeSettings(m_options.gsettingsProgram, m_options.timeoutMs)
             .windowShortcut(what, &modifiers, &key, &error)) {
        warnOnce(what, error);
        return false;
    }
    if (!m_options.injector) {
        warnOnce(what, QStringLiteral("no input injector"));
        return false;
    }
    for (quint8 modifier : modifiers)
        m_options.injector->sendKey(modifier, false, kInjectedTag);
    m_options.injector->sendKey(key, false, kInjectedTag);
    m_options.injector->sendKey(key, true, kInjectedTag);
    for (auto it = modifiers.crbegin(); it != modifiers.crend(); ++it)
        m_options.injector->sendKey(*it, true, kInjectedTag);
    return true;
}

// The per-window calls are the X11 ones; they act only where EWMH is the route, so that a
// Wayland session never has an Xwayland window changed in place of the one the user sees.
KWindowId KLinuxDesktopBackend::foregroundWindow() {
    return m_routes.windows == KLinuxDesktopRoutes::Windows::Ewmh ? m_x11->foregroundWindow() : 0;
}

QString KLinuxDesktopBackend::windowTitle(KWindowId window) {
    return m_x11->windowTitle(window);
}

bool KLinuxDesktopBackend::isWindowMaximized(KWindowId window) {
    return m_x11->isWindowMaximized(window);
}

void KLinuxDesktopBackend::maximizeWindow(KWindowId window) {
    if (m_routes.windows == KLinuxDesktopRoutes::Windows::Ewmh)
        m_x11->maximizeWindow(window);
}

void KLinuxDesktopBackend::minimizeWindow(KWindowId window) {
    if (m_routes.windows == KLinuxDesktopRoutes::Windows::Ewmh)
        m_x11->minimizeWindow(window);
}

QPoint KLinuxDesktopBackend::cursorPos() {
    return m_x11->cursorPos();
}

KWindowId KLinuxDesktopBackend::windowFromPoint(const QPoint& screenPos) {
    return m_x11->windowFromPoint(screenPos);
}

QString KLinuxDesktopBackend::windowClassName(KWindowId window) {
    return m_x11->windowClassName(window);
}

KWindowId KLinuxDesktopBackend::childWindowAt(KWindowId parent, const QPoint& screenPos) {
    return m_x11->childWindowAt(parent, screenPos);
}

QRect KLinuxDesktopBackend::windowRect(KWindowId window) {
    return m_x11->windowRect(window);
}

QList<KWindowId> KLinuxDesktopBackend::childWindows(KWindowId window) {
    return m_x11->childWindows(window);
}

void KLinuxDesktopBackend::postHorizontalScroll(KWindowId target, bool left, KWindowId scrollBar) {
    m_x11->postHorizontalScroll(target, left, scrollBar);
}

bool KLinuxDesktopBackend::pointerSpeedAvailable() {
    return m_routes.pointerSpeed != KLinuxDesktopRoutes::PointerSpeed::Unavailable;
}

bool KLinuxDesktopBackend::pointerSpeed(int* speed) {
    double accel = 0;
    QString error;
    bool ok = false;
    switch (m_routes.pointerSpeed) {
        case KLinuxDesktopRoutes::PointerSpeed::X11Property:
            return m_x11->pointerSpeed(speed);
        case KLinuxDesktopRoutes::PointerSpeed::GnomeSettings:
            ok = KGnomeSettings(m_options.gsettingsProgram, m_options.timeoutMs)
                     .mouseSpeed(&accel, &error);
            break;
        case KLinuxDesktopRoutes::PointerSpeed::KWinDBus:
            ok = KKWinDBus(m_options.timeoutMs).pointerAcceleration(&accel, &error);
            break;
        case KLinuxDesktopRoutes::PointerSpeed::SwayIpc:
            ok = KSwayIpc(m_options.swaySocket, m_options.timeoutMs).pointerAccel(&accel, &error);
            break;
        case KLinuxDesktopRoutes::PointerSpeed::Unavailable:
            return false;
    }
    if (!ok) {
        warnOnce(QStringLiteral("reading the pointer speed"), error);
        return false;
    }
    *speed = KX11DesktopBackend::speedFromAccel(accel);
    return true;
}

bool KLinuxDesktopBackend::setPointerSpeed(int speed) {
    if (speed < 1 || speed > 20)
        return false;
    const double accel = KX11DesktopBackend::accelFromSpeed(speed);
    QString error;
    bool ok = false;
    switch (m_routes.pointerSpeed) {
        case KLinuxDesktopRoutes::PointerSpeed::X11Property:
            return m_x11->setPointerSpeed(speed);
        case KLinuxDesktopRoutes::PointerSpeed::GnomeSettings:
            ok = KGnomeSettings(m_options.gsettingsProgram, m_options.timeoutMs)
                     .setMouseSpeed(accel, &error);
            break;
        case KLinuxDesktopRoutes::PointerSpeed::KWinDBus:
            ok = KKWinDBus(m_options.timeoutMs).setPointerAcceleration(accel, &error);
            break;
        case KLinuxDesktopRoutes::PointerSpeed::SwayIpc:
            ok = KSwayIpc(m_options.swaySocket, m_options.timeoutMs).setPointerAccel(accel, &error);
            break;
        case KLinuxDesktopRoutes::PointerSpeed::Unavailable:
            return false;
    }
    if (!ok)
        warnOnce(QStringLiteral("setting the pointer speed"), error);
    return ok;
}
