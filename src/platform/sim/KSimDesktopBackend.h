#pragma once

#include "platform/KDesktopBackend.h"

#include <QMap>

class KSimController;

// The simulated display: a gamma ramp, a table of windows with a foreground window and a cursor,
// and a pointer speed. Actions are written to the simulation log ({"kind":"gamma","slope":132},
// {"kind":"window","action":"maximize",...}, {"kind":"pointer-speed","speed":15}) and the
// "brightnessSlope", "pointerSpeed" and "foreground" state fields are kept current.
// Socket commands: "window ID [class=NAME] [parent=ID] [rect=X,Y,W,H] [state=normal|maximized|
// minimized] [title=TEXT...]" adds or changes a window (title takes the rest of the line),
// "foreground ID" brings a window to the front (0: none), "cursor X Y" moves the pointer.
// As the Linux desktops differ: "windows per-window|active-window|unavailable" (X11 EWMH, a
// compositor acting on its own active window as KWin and GNOME do, or a Wayland compositor with
// no way at all), "pointer-speed available|unavailable|refused" (refused: the desktop has the
// setting but takes no value, as sway without a pointer), and "desktop x11|wayland" for both at
// once (wayland: windows unavailable, pointer speed unavailable). State field "desktop".
// "gamma unavailable|available" makes the display a session that lets no program set the gamma
// (as KDE Wayland or weston) or one that does. A refused ramp is logged as
// {"kind":"gamma-unavailable","slope":N}; when the program quits after changing the ramp, the
// display's own (identity) ramp is put back, logged as {"kind":"gamma-restore"}, like the Linux
// backends do. State field "gammaAvailable".
class KSimDesktopBackend : public KDesktopBackend {
public:
    struct Window {
        enum State { Normal, Maximized, Minimized };
        KWindowId id = 0;
        KWindowId parent = 0;
        QString className;
        QString title;
        QRect rect;
        State state = Normal;
    };

    explicit KSimDesktopBackend(KSimController* controller);

    bool setGammaRamp(const GammaRamp& ramp) override;
    bool gammaAvailable() override { return m_gammaSupported; }
    KWindowId foregroundWindow() override { return m_foreground; }
    QString windowTitle(KWindowId window) override;
    bool isWindowMaximized(KWindowId window) override;
    void maximizeWindow(KWindowId window) override;
    void minimizeWindow(KWindowId window) override;
    QPoint cursorPos() override { return m_cursor; }
    KWindowId windowFromPoint(const QPoint& screenPos) override;
    QString windowClassName(KWindowId window) override;
    KWindowId childWindowAt(KWindowId parent, const QPoint& screenPos) override;
    QRect windowRect(KWindowId window) override;
    QList<KWindowId> childWindows(KWindowId window) override;
    void postHorizontalScroll(KWindowId target, bool left, KWindowId scrollBar) override;
    bool pointerSpeed(int* speed) override;
    bool setPointerSpeed(int speed) override;
    WindowControl windowControl() override { return m_windowControl; }
    bool changeActiveWindow(bool maximize, const QString& ownTitle) override;
    bool pointerSpeedAvailable() override {
        return m_speed != SpeedUnavailable && m_speedAvailable;
    }

    // Test and socket controls.
    // Adds a window, or replaces the one with the same id. Later windows lie above earlier ones.
    void putWindow(const Window& window);
    void removeAllWindows();
    void setForeground(KWindowId window);
    void setCursorPos(const QPoint& pos) { m_cursor = pos; }
    Window window(KWindowId id) const { return m_windows.value(id); }
    // Whether the display takes gamma ramps and has a pointer speed (both true at start).
    void setGammaSupported(bool supported);
    // Puts the identity ramp back when a ramp was applied (also done when the program quits).
    void restoreGamma();
    void setPointerSpeedAvailable(bool available) { m_speedAvailable = available; }
    void setWindowControl(WindowControl control);
    enum SpeedMode { SpeedAvailable, SpeedUnavailable, SpeedRefused };
    void setPointerSpeedMode(SpeedMode mode);
    const GammaRamp& lastGammaRamp() const { return m_ramp; }

private:
    QList<KWindowId> childrenOf(KWindowId parent) const;
    void logWindow(const char* action, KWindowId window);
    void publishForeground();
    void publishDesktop();

    KSimController* m_controller;
    QMap<KWindowId, Window> m_windows;
    QList<KWindowId> m_order;  // stacking order, bottom first
    KWindowId m_foreground = 0;
    QPoint m_cursor;
    GammaRamp m_ramp{};
    bool m_gammaSupported = true;
    bool m_gammaChanged = false;
    bool m_speedAvailable = true;
    int m_speedValue = 10;
    SpeedMode m_speed = SpeedAvailable;
    WindowControl m_windowControl = WindowControl::PerWindow;
};
