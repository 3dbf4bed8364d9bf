#include "platform/win/KWinDesktopBackend.h"

#include "platform/win/KWinHeaders.h"

#include <QDebug>

namespace {

HWND hwndOf(KWindowId window) {
    return reinterpret_cast<HWND>(quintptr(window));
}

KWindowId idOf(HWND window) {
    return KWindowId(reinterpret_cast<quintptr>(window));
}

}  // namespace

KWinDesktopBackend::Calls KWinDesktopBackend::Calls::system() {
    Calls calls;
    calls.setDeviceGammaRamp = [](const quint16(*ramps)[256]) {
        HDC screen = GetDC(nullptr);
        if (!screen)
            return false;
        const BOOL ok = SetDeviceGammaRamp(screen, const_cast<quint16(*)[256]>(ramps));
        ReleaseDC(nullptr, screen);
        return ok != FALSE;
    };
    calls.getDeviceGammaRamp = [](quint16(*ramps)[256]) {
        HDC screen = GetDC(nullptr);
        if (!screen)
            return false;
        const BOOL ok = GetDeviceGammaRamp(screen, ramps);
        ReleaseDC(nullptr, screen);
        return ok != FALSE;
    };
    calls.systemParametersInfo = [](quint32 action, quint32 uiParam, void* pvParam,
                                    quint32 winIni) {
        return SystemParametersInfoW(action, uiParam, pvParam, winIni) != FALSE;
    };
    return calls;
}

KWinDesktopBackend::KWinDesktopBackend() : KWinDesktopBackend(Calls::system()) {}

KWinDesktopBackend::KWinDesktopBackend(Calls calls) : m_calls(std::move(calls)) {}

KWinDesktopBackend::~KWinDesktopBackend() {
    if (m_savedOriginal)
        m_calls.setDeviceGammaRamp(m_original);
}

// The same ramp for red, green and blue, as the screen takes it. The screen's own ramp is kept
// at the first change and put back when the program ends.
bool KWinDesktopBackend::setGammaRamp(const GammaRamp& ramp) {
    if (!m_savedOriginal)
        m_savedOriginal = m_calls.getDeviceGammaRamp(m_original);
    quint16 ramps[3][256];
    for (int channel = 0; channel < 3; ++channel)
        for (int i = 0; i < 256; ++i)
            ramps[channel][i] = ramp[size_t(i)];
    const bool ok = m_calls.setDeviceGammaRamp(ramps);
    // Without a readable ramp the display has none to change; a refused one may be a passing
    // refusal of the driver (it rejects ramps too far from the identity).
    m_gammaAvailable = ok || m_savedOriginal;
    return ok;
}

bool KWinDesktopBackend::gammaAvailable() {
    return m_gammaAvailable;
}

KWindowId KWinDesktopBackend::foregroundWindow() {
    return idOf(GetForegroundWindow());
}

QString KWinDesktopBackend::windowTitle(KWindowId window) {
    wchar_t title[512] = {};
    const int length = GetWindowTextW(hwndOf(window), title, int(std::size(title)));
    return QString::fromWCharArray(title, qMax(0, length));
}

bool KWinDesktopBackend::isWindowMaximized(KWindowId window) {
    return IsZoomed(hwndOf(window)) != FALSE;
}

void KWinDesktopBackend::maximizeWindow(KWindowId window) {
    ShowWindow(hwndOf(window), SW_SHOWMAXIMIZED);
}

void KWinDesktopBackend::minimizeWindow(KWindowId window) {
    ShowWindow(hwndOf(window), SW_MINIMIZE);
}

QPoint KWinDesktopBackend::cursorPos() {
    POINT point{};
    GetCursorPos(&point);
    return QPoint(point.x, point.y);
}

KWindowId KWinDesktopBackend::windowFromPoint(const QPoint& screenPos) {
    return idOf(WindowFromPoint(POINT{screenPos.x(), screenPos.y()}));
}

QString KWinDesktopBackend::windowClassName(KWindowId window) {
    wchar_t name[256] = {};
    const int length = GetClassNameW(hwndOf(window), name, int(std::size(name)));
    return QString::fromWCharArray(name, qMax(0, length));
}

KWindowId KWinDesktopBackend::childWindowAt(KWindowId parent, const QPoint& screenPos) {
    POINT point{screenPos.x(), screenPos.y()};
    if (!ScreenToClient(hwndOf(parent), &point))
        return 0;
    return idOf(ChildWindowFromPoint(hwndOf(parent), point));
}

QRect KWinDesktopBackend::windowRect(KWindowId window) {
    RECT rect{};
    if (!GetWindowRect(hwndOf(window), &rect))
        return QRect();
    return QRect(QPoint(rect.left, rect.top), QPoint(rect.right - 1, rect.bottom - 1));
}

QList<KWindowId> KWinDesktopBackend::childWindows(KWindowId window) {
    QList<KWindowId> children;
    EnumChildWindows(
        hwndOf(window),
        [](HWND child, LPARAM list) -> BOOL {
            reinterpret_cast<QList<KWindowId>*>(list)->append(idOf(child));
            return TRUE;
        },
        reinterpret_cast<LPARAM>(&children));
    return children;
}

void KWinDesktopBackend::postHorizontalScroll(KWindowId target, bool left, KWindowId scrollBar) {
    PostMessageW(hwndOf(target), WM_HSCROLL, left ? SB_LINELEFT : SB_LINERIGHT,
                 reinterpret_cast<LPARAM>(hwndOf(scrollBar)));
}

bool KWinDesktopBackend::pointerSpeed(int* speed) {
    int value = 10;
    if (!m_calls.systemParametersInfo(SPI_GETMOUSESPEED, 0, &value, 0))
        return false;
    *speed = value;
    return true;
}

// The value travels as the pointer argument itself. The change is broadcast but not written to
// the user's profile: it lasts until the user signs out.
bool KWinDesktopBackend::setPointerSpeed(int speed) {
    if (speed < 1 || speed > 20)
        return false;
    return m_calls.systemParametersInfo(SPI_SETMOUSESPEED, 0,
                                        reinterpret_cast<void*>(static_cast<quintptr>(speed)),
                                        SPIF_SENDCHANGE);
}
