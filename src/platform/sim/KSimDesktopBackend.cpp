#include "platform/sim/KSimDesktopBackend.h"

#include "platform/sim/KSimController.h"

#include <QCoreApplication>
#include <QJsonObject>

namespace {

QString stateName(KSimDesktopBackend::Window::State state) {
    switch (state) {
        case KSimDesktopBackend::Window::Maximized:
            return QStringLiteral("maximized");
        case KSimDesktopBackend::Window::Minimized:
            return QStringLiteral("minimized");
        case KSimDesktopBackend::Window::Normal:
            break;
    }
    return QStringLiteral("normal");
}

using Reply = KSimController::Reply;

bool parseId(const QString& word, KWindowId* id) {
    qint64 value = 0;
    if (!KSimController::parseNumber(word, &value) || value < 0)
        return false;
    *id = KWindowId(value);
    return true;
}

}  // namespace

KSimDesktopBackend::KSimDesktopBackend(KSimController* controller) : m_controller(controller) {
    m_controller->setState("pointerSpeed", m_speedValue);
    m_controller->setState("gammaAvailable", m_gammaSupported);
    publishForeground();
    publishDesktop();
    // The display's own ramp goes back when the program ends through its event loop.
    if (QCoreApplication* app = QCoreApplication::instance())
        QObject::connect(app, &QCoreApplication::aboutToQuit, m_controller,
                         [this] { restoreGamma(); });

    m_controller->registerCommand("gamma", [this](const QStringList& args) {
        if (args.size() != 1 || (args.first() != QLatin1String("available") &&
                                 args.first() != QLatin1String("unavailable")))
            return Reply::failure("usage: gamma available|unavailable");
        setGammaSupported(args.first() == QLatin1String("available"));
        return Reply::success();
    });

    m_controller->registerCommand("windows", [this](const QStringList& args) {
        const QString mode = args.value(0);
        if (args.size() != 1)
            return Reply::failure("usage: windows per-window|active-window|unavailable");
        if (mode == QLatin1String("per-window"))
            setWindowControl(WindowControl::PerWindow);
        else if (mode == QLatin1String("active-window"))
            setWindowControl(WindowControl::ActiveWindow);
        else if (mode == QLatin1String("unavailable"))
            setWindowControl(WindowControl::Unavailable);
        else
            return Reply::failure("usage: windows per-window|active-window|unavailable");
        return Reply::success();
    });
    m_controller->registerCommand("pointer-speed", [this](const QStringList& args) {
        const QString mode = args.value(0);
        if (args.size() != 1)
            return Reply::failure("usage: pointer-speed available|unavailable|refused");
        if (mode == QLatin1String("available"))
            setPointerSpeedMode(SpeedAvailable);
        else if (mode == QLatin1String("unavailable"))
            setPointerSpeedMode(SpeedUnavailable);
        else if (mode == QLatin1String("refused"))
            setPointerSpeedMode(SpeedRefused);
        else
            return Reply::failure("usage: pointer-speed available|unavailable|refused");
        return Reply::success();
    });
    m_controller->registerCommand("desktop", [this](const QStringList& args) {
        const QString kind = args.value(0);
        if (args.size() != 1 || (kind != QLatin1String("x11") && kind != QLatin1String("wayland")))
            return Reply::failure("usage: desktop x11|wayland");
        const bool wayland = kind == QLatin1String("wayland");
        setWindowControl(wayland ? WindowControl::Unavailable : WindowControl::PerWindow);
        setPointerSpeedMode(wayland ? SpeedUnavailable : SpeedAvailable);
        return Reply::success();
    });

    m_controller->registerCommand("window", [this](const QStringList& args) {
        const QString usage = QStringLiteral(
            "usage: window ID [class=NAME] [parent=ID] [rect=X,Y,W,H] "
            "[state=normal|maximized|minimized] [title=TEXT...]");
        Window w;
        if (args.isEmpty() || !parseId(args.first(), &w.id) || w.id == 0)
            return Reply::failure(usage);
        if (m_windows.contains(w.id))
            w = m_windows.value(w.id);
        for (int i = 1; i < args.size(); ++i) {
            const QString& arg = args.at(i);
            const int eq = arg.indexOf('=');
            const QString key = arg.left(eq);
            const QString value = arg.mid(eq + 1);
            if (eq < 0) {
                return Reply::failure(usage);
            } else if (key == QLatin1String("title")) {
                w.title = (QStringList{value} + args.mid(i + 1)).join(' ');
                break;
            } else if (key == QLatin1String("class")) {
                w.className = value;
            } else if (key == QLatin1String("parent")) {
                if (!parseId(value, &w.parent))
                    return Reply::failure(usage);
            } else if (key == QLatin1String("rect")) {
                const QStringList parts = value.split(',');
                qint64 n[4] = {};
                if (parts.size() != 4)
                    return Reply::failure(usage);
                for (int k = 0; k < 4; ++k)
                    if (!KSimController::parseNumber(parts.at(k), &n[k]))
                        return Reply::failure(usage);
                w.rect = QRect(int(n[0]), int(n[1]), int(n[2]), int(n[3]));
            } else if (key == QLatin1String("state")) {
                if (value == QLatin1String("normal"))
                    w.state = Window::Normal;
                else if (value == QLatin1String("maximized"))
                    w.state = Window::Maximized;
                else if (value == QLatin1String("minimized"))
                    w.state = Window::Minimized;
                else
                    return Reply::failure(usage);
            } else {
                return Reply::failure(usage);
            }
        }
        putWindow(w);
        return Reply::success();
    });
    m_controller->registerCommand("foreground", [this](const QStringList& args) {
        KWindowId id = 0;
        if (args.size() != 1 || !parseId(args.first(), &id))
            return Reply::failure("usage: foreground ID");
        if (id != 0 && !m_windows.contains(id))
            return Reply::failure(QStringLiteral("no window %1").arg(id));
        setForeground(id);
        return Reply::success();
    });
    m_controller->registerCommand("cursor", [this](const QStringList& args) {
        qint64 x = 0, y = 0;
        if (args.size() != 2 || !KSimController::parseNumber(args.at(0), &x) ||
            !KSimController::parseNumber(args.at(1), &y))
            return Reply::failure("usage: cursor X Y");
        setCursorPos(QPoint(int(x), int(y)));
        return Reply::success();
    });
}

bool KSimDesktopBackend::setGammaRamp(const GammaRamp& ramp) {
    // The ramps the program computes are i * slope, so entry 1 is the slope.
    const int slope = ramp[1];
    if (!m_gammaSupported) {
        m_controller->log(QJsonObject{{"kind", "gamma-unavailable"}, {"slope", slope}});
        return false;
    }
    m_ramp = ramp;
    m_gammaChanged = true;
    m_controller->log(QJsonObject{{"kind", "gamma"}, {"slope", slope}, {"top", int(ramp[255])}});
    m_controller->setState("brightnessSlope", slope);
    return true;
}

void KSimDesktopBackend::setGammaSupported(bool supported) {
    m_gammaSupported = supported;
    m_controller->setState("gammaAvailable", supported);
}

void KSimDesktopBackend::restoreGamma() {
    if (!m_gammaChanged)
        return;
    m_gammaChanged = false;
    for (int i = 0; i < int(m_ramp.size()); ++i)
        m_ramp[i] = quint16(i * 256);
    m_controller->log(QJsonObject{{"kind", "gamma-restore"}});
    m_controller->setState("brightnessSlope", 256);
}

QString KSimDesktopBackend::windowTitle(KWindowId window) {
    return m_windows.value(window).title;
}

bool KSimDesktopBackend::isWindowMaximized(KWindowId window) {
    return m_windows.contains(window) && m_windows[window].state == Window::Maximized;
}

void KSimDesktopBackend::logWindow(const char* action, KWindowId window) {
    m_controller->log(QJsonObject{{"kind", "window"},
                                  {"action", action},
                                  {"window", double(window)},
                                  {"title", m_windows.value(window).title}});
}

void KSimDesktopBackend::maximizeWindow(KWindowId window) {
    if (!m_windows.contains(window))
        return;
    m_windows[window].state = Window::Maximized;
    logWindow("maximize", window);
    publishForeground();
}

void KSimDesktopBackend::minimizeWindow(KWindowId window) {
    if (!m_windows.contains(window))
        return;
    m_windows[window].state = Window::Minimized;
    logWindow("minimize", window);
    publishForeground();
}

QList<KWindowId> KSimDesktopBackend::childrenOf(KWindowId parent) const {
    QList<KWindowId> children;
    for (KWindowId id : m_order)
        if (m_windows.value(id).parent == parent)
            children << id;
    return children;
}

KWindowId KSimDesktopBackend::windowFromPoint(const QPoint& screenPos) {
    // From the topmost top-level window down, then into the topmost child containing the point.
    KWindowId found = 0;
    QList<KWindowId> candidates = childrenOf(0);
    for (;;) {
        KWindowId hit = 0;
        for (auto it = candidates.crbegin(); it != candidates.crend(); ++it) {
            const Window& w = m_windows[*it];
            if (w.state != Window::Minimized && w.rect.contains(screenPos)) {
                hit = w.id;
                break;
            }
        }
        if (!hit)
            return found;
        found = hit;
        candidates = childrenOf(hit);
    }
}

QString KSimDesktopBackend::windowClassName(KWindowId window) {
    return m_windows.value(window).className;
}

KWindowId KSimDesktopBackend::childWindowAt(KWindowId parent, const QPoint& screenPos) {
    if (!m_windows.contains(parent) || !m_windows[parent].rect.contains(screenPos))
        return 0;
    const QList<KWindowId> children = childrenOf(parent);
    for (auto it = children.crbegin(); it != children.crend(); ++it)
        if (m_windows[*it].rect.contains(screenPos))
            return *it;
    return parent;
}

QRect KSimDesktopBackend::windowRect(KWindowId window) {
    return m_windows.value(window).rect;
}

QList<KWindowId> KSimDesktopBackend::childWindows(KWindowId window) {
    // Depth first, each window before its own children.
    QList<KWindowId> all;
    for (KWindowId child : childrenOf(window))
        all << child << childWindows(child);
    return all;
}

void KSimDesktopBackend::postHorizontalScroll(KWindowId target, bool left, KWindowId scrollBar) {
    m_controller->log(QJsonObject{{"kind", "window"},
                                  {"action", "hscroll"},
                                  {"window", double(target)},
                                  {"direction", left ? "left" : "right"},
                                  {"scrollBar", double(scrollBar)}});
}

bool KSimDesktopBackend::pointerSpeed(int* speed) {
    if (!m_speedAvailable || m_speed != SpeedAvailable)
        return false;
    *speed = m_speedValue;
    return true;
}

bool KSimDesktopBackend::setPointerSpeed(int speed) {
    if (!m_speedAvailable || m_speed != SpeedAvailable || speed < 1 || speed > 20)
        return false;
    m_speedValue = speed;
    m_controller->log(QJsonObject{{"kind", "pointer-speed"}, {"speed", speed}});
    m_controller->setState("pointerSpeed", speed);
    return true;
}

bool KSimDesktopBackend::changeActiveWindow(bool maximize, const QString& ownTitle) {
    // Like KWin's script: the desktop applies the rules to its own active window.
    if (m_windowControl != WindowControl::ActiveWindow)
        return false;
    if (!m_foreground || !m_windows.contains(m_foreground))
        return true;
    Window& w = m_windows[m_foreground];
    if (maximize) {
        if (w.title.contains(ownTitle) || w.state == Window::Maximized)
            return true;
        w.state = Window::Maximized;
    } else {
        w.state = Window::Minimized;
    }
    logWindow(maximize ? "maximize" : "minimize", m_foreground);
    publishForeground();
    return true;
}

void KSimDesktopBackend::setWindowControl(WindowControl control) {
    m_windowControl = control;
    publishDesktop();
}

void KSimDesktopBackend::setPointerSpeedMode(SpeedMode mode) {
    m_speed = mode;
    publishDesktop();
}

void KSimDesktopBackend::publishDesktop() {
    const char* windows = m_windowControl == WindowControl::PerWindow      ? "per-window"
                          : m_windowControl == WindowControl::ActiveWindow ? "active-window"
                                                                           : "unavailable";
    const char* speed = m_speed == SpeedAvailable     ? "available"
                        : m_speed == SpeedUnavailable ? "unavailable"
                                                      : "refused";
    m_controller->setState("desktop", QJsonObject{{"windows", windows}, {"pointerSpeed", speed}});
}

void KSimDesktopBackend::putWindow(const Window& window) {
    m_windows.insert(window.id, window);
    m_order.removeAll(window.id);
    m_order.append(window.id);
    publishForeground();
}

void KSimDesktopBackend::removeAllWindows() {
    m_windows.clear();
    m_order.clear();
    m_foreground = 0;
    publishForeground();
}

void KSimDesktopBackend::setForeground(KWindowId window) {
    m_foreground = window;
    publishForeground();
}

void KSimDesktopBackend::publishForeground() {
    if (!m_foreground || !m_windows.contains(m_foreground)) {
        m_controller->setState("foreground", QJsonValue::Null);
        return;
    }
    const Window& w = m_windows[m_foreground];
    m_controller->setState(
        "foreground",
        QJsonObject{{"window", double(w.id)}, {"title", w.title}, {"state", stateName(w.state)}});
}
