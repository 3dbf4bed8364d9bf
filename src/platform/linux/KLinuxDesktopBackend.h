#pragma once

#include "platform/KDesktopBackend.h"
#include "platform/linux/KDesktopSession.h"
#include "platform/linux/KLinuxDesktopRoutes.h"

#include <QSet>

#include <memory>

class KInputInjector;

// The Linux desktop: picks, once at construction, the way each function goes in this session
// (KLinuxDesktopRoutes) and says so in the log. The X11 ways are KX11DesktopBackend's; the
// pointer speed goes to the desktop that owns it (GNOME settings, KWin, sway) and the window
// functions on KDE and GNOME Wayland to the compositor. A function without a way in this session
// reports itself unavailable; none of them acts on Xwayland's windows behind the user's back.
// Main thread only.
class KLinuxDesktopBackend : public KDesktopBackend {
public:
    struct Options {
        KDesktopSession session;
        KLinuxDesktopRoutes::Facts facts;
        // Where the shortcuts go (GNOME shortcut route); not owned.
        KInputInjector* injector = nullptr;
        QString gsettingsProgram = QStringLiteral("gsettings");
        QString swaySocket;  // $SWAYSOCK
        // How long a desktop service may take to answer one request.
        int timeoutMs = 2000;
        // The X11 ways; null: a KX11DesktopBackend on $DISPLAY.
        std::shared_ptr<KDesktopBackend> x11;
    };

    // The process's session and environment; injector: the platform's.
    static Options optionsFor(KInputInjector* injector);

    explicit KLinuxDesktopBackend(Options options);
    ~KLinuxDesktopBackend() override;

    const KLinuxDesktopRoutes& routes() const { return m_routes; }

    bool setGammaRamp(const GammaRamp& ramp) override;
    bool gammaAvailable() override;
    WindowControl windowControl() override;
    bool changeActiveWindow(bool maximize, const QString& ownTitle) override;
    KWindowId foregroundWindow() override;
    QString windowTitle(KWindowId window) override;
    bool isWindowMaximized(KWindowId window) override;
    void maximizeWindow(KWindowId window) override;
    void minimizeWindow(KWindowId window) override;
    QPoint cursorPos() override;
    KWindowId windowFromPoint(const QPoint& screenPos) override;
    QString windowClassName(KWindowId window) override;
    KWindowId childWindowAt(KWindowId parent, const QPoint& screenPos) override;
    QRect windowRect(KWindowId window) override;
    QList<KWindowId> childWindows(KWindowId window) override;
    void postHorizontalScroll(KWindowId target, bool left, KWindowId scrollBar) override;
    bool pointerSpeedAvailable() override;
    bool pointerSpeed(int* speed) override;
    bool setPointerSpeed(int speed) override;

private:
    // Logs a failure once per distinct reason (a slider gives many calls in a row).
    void warnOnce(const QString& what, const QString& reason);
    bool sendGnomeShortcut(bool maximize);

    Options m_options;
    KLinuxDesktopRoutes m_routes;
    std::shared_ptr<KDesktopBackend> m_x11;
    QSet<QString> m_warned;
};
