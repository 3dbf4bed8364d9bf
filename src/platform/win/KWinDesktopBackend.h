#pragma once

#include "platform/KDesktopBackend.h"

#include <functional>

// The Windows desktop: the screen's gamma ramp through GDI (SetDeviceGammaRamp on the screen's
// device context), windows through the user-interface services (GetForegroundWindow, IsZoomed,
// ShowWindow, WindowFromPoint, ChildWindowFromPoint, EnumChildWindows, PostMessageW) and the
// pointer speed through SystemParametersInfoW.
class KWinDesktopBackend : public KDesktopBackend {
public:
    // The system calls whose effect cannot be seen from a test (gamma, the pointer speed); tests
    // put recorders in their place. The defaults are the system's own.
    struct Calls {
        // GetDC(nullptr), SetDeviceGammaRamp/GetDeviceGammaRamp on it, ReleaseDC: three ramps of
        // 256 entries (red, green, blue).
        std::function<bool(const quint16 (*ramps)[256])> setDeviceGammaRamp;
        std::function<bool(quint16 (*ramps)[256])> getDeviceGammaRamp;
        // SystemParametersInfoW(action, uiParam, pvParam, fWinIni).
        std::function<bool(quint32 action, quint32 uiParam, void* pvParam, quint32 winIni)>
            systemParametersInfo;
        static Calls system();
    };

    KWinDesktopBackend();
    explicit KWinDesktopBackend(Calls calls);
    // Puts back the ramp the screen had before the first change.
    ~KWinDesktopBackend() override;

    bool setGammaRamp(const GammaRamp& ramp) override;
    bool gammaAvailable() override;
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

private:
    Calls m_calls;
    bool m_savedOriginal = false;
    quint16 m_original[3][256] = {};
    bool m_gammaAvailable = true;
};
