#pragma once

#include "platform/KDesktopBackend.h"
#include "platform/linux/KDesktopSession.h"

#include <memory>
#include <vector>

class KGammaControl;

typedef struct _XDisplay Display;

// The X11 display: brightness through the gamma route of the session (XRandR on X11, see
// KGammaControl for the Wayland routes), windows
// through EWMH (_NET_ACTIVE_WINDOW, _NET_WM_STATE, iconify) and the pointer speed through the
// "libinput Accel Speed" property of XInput2 pointer devices. Without a reachable X server every
// query answers "none" and every action does nothing, said once in the log.
class KX11DesktopBackend : public KDesktopBackend {
public:
    // Connects to displayName (empty: $DISPLAY) on first use. The gamma route is chosen from
    // session on first use.
    explicit KX11DesktopBackend(const QString& displayName = QString(),
                                const KDesktopSession& session = KDesktopSession::current());
    ~KX11DesktopBackend() override;

    bool setGammaRamp(const GammaRamp& ramp) override;
    bool gammaAvailable() override;
    // Puts every output's own gamma table back (also done at quit and on destruction).
    void restoreGamma();
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
    bool pointerSpeed(int* speed) override;
    bool setPointerSpeed(int speed) override;

    // The 256-entry ramp resampled (linear interpolation) to a CRTC's gamma size.
    static std::vector<quint16> scaleGammaRamp(const GammaRamp& ramp, int size);
    // Pointer speed 1..20 <-> libinput acceleration -1..1: speed 10 is 0, linear on each side.
    static double accelFromSpeed(int speed);
    static int speedFromAccel(double accel);

private:
    struct AccelDevice {
        int id;
        float accel;
    };
    Display* display();
    KGammaControl* gammaControl();
    // The enabled pointer devices that have the libinput acceleration property, with its value.
    QList<AccelDevice> accelDevices();
    QList<unsigned long> windowProperty(KWindowId window, const char* name, unsigned long type);

    QString m_displayName;
    Display* m_display = nullptr;
    bool m_triedDisplay = false;
    KDesktopSession m_session;
    std::unique_ptr<KGammaControl> m_gamma;
    bool m_speedWarned = false;
};
