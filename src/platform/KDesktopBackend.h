#pragma once

#include <QList>
#include <QPoint>
#include <QRect>
#include <QString>
#include <QtGlobal>

#include <array>

// A top-level or child window of the desktop; 0 means none.
using KWindowId = quint64;

// What the window and system actions need of the display server: the gamma ramp, the windows
// (foreground, under the cursor, their class, title, geometry and children) and the pointer
// speed. Main thread only.
class KDesktopBackend {
public:
    using GammaRamp = std::array<quint16, 256>;

    virtual ~KDesktopBackend() = default;

    // Applies ramp (a transfer curve over the whole range, the same for red, green and blue)
    // on top of each output's own calibration table, which the backend keeps and puts back
    // when the program ends. False when nothing on screen changed.
    virtual bool setGammaRamp(const GammaRamp& ramp) = 0;
    // False when the last setGammaRamp failed because this session lets no program change the
    // screen's gamma (or no output has a gamma table), rather than by a passing error.
    virtual bool gammaAvailable() = 0;

    // How this session lets the program maximize and minimize the window in front.
    enum class WindowControl {
        PerWindow,     // foregroundWindow() and the per-window calls below
        ActiveWindow,  // the desktop acts on its own active window: changeActiveWindow()
        Unavailable,   // not at all (a Wayland compositor without an interface for it)
    };
    virtual WindowControl windowControl() { return WindowControl::PerWindow; }
    // ActiveWindow control: maximizes the desktop's active window unless its title contains
    // ownTitle or it is maximized already (maximize true), or minimizes it (false). False when the
    // desktop could not be asked or refused.
    virtual bool changeActiveWindow(bool maximize, const QString& ownTitle) {
        Q_UNUSED(maximize);
        Q_UNUSED(ownTitle);
        return false;
    }

    virtual KWindowId foregroundWindow() = 0;
    virtual QString windowTitle(KWindowId window) = 0;
    virtual bool isWindowMaximized(KWindowId window) = 0;
    virtual void maximizeWindow(KWindowId window) = 0;
    virtual void minimizeWindow(KWindowId window) = 0;

    // Screen coordinates of the pointer.
    virtual QPoint cursorPos() = 0;
    // The innermost window at a screen point.
    virtual KWindowId windowFromPoint(const QPoint& screenPos) = 0;
    virtual QString windowClassName(KWindowId window) = 0;
    // The direct child of parent at a screen point; parent itself when the point lies in parent
    // but in none of its children; 0 when it lies outside parent.
    virtual KWindowId childWindowAt(KWindowId parent, const QPoint& screenPos) = 0;
    // Screen rectangle of a window.
    virtual QRect windowRect(KWindowId window) = 0;
    // Every descendant of window, in the system's order.
    virtual QList<KWindowId> childWindows(KWindowId window) = 0;
    // Asks target to scroll one line left or right with the given horizontal scroll bar.
    virtual void postHorizontalScroll(KWindowId target, bool left, KWindowId scrollBar) = 0;

    // Whether this session lets the program read and set the pointer speed at all; when it does,
    // a call may still fail (no pointer device, the desktop's service did not answer).
    virtual bool pointerSpeedAvailable() { return true; }
    // Pointer speed on the 1 (slowest) to 20 (fastest) scale, 10 being the default. False when
    // the system offers no speed setting or refused the value.
    virtual bool pointerSpeed(int* speed) = 0;
    virtual bool setPointerSpeed(int speed) = 0;
};
