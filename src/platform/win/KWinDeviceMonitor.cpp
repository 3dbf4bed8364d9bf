#include "platform/win/KWinDeviceMonitor.h"

#include "platform/win/KWinHeaders.h"
#include "platform/win/KWinMessageWindow.h"

#include <QDebug>

#include <dbt.h>
#include <wtsapi32.h>

extern "C" {
#include <hidsdi.h>
}

KWinDeviceMonitor::KWinDeviceMonitor(QObject* parent) : KDeviceMonitor(parent) {}

KWinDeviceMonitor::~KWinDeviceMonitor() {
    if (m_notification)
        UnregisterDeviceNotification(HDEVNOTIFY(m_notification));
    if (m_suspendNotification)
        UnregisterSuspendResumeNotification(HPOWERNOTIFY(m_suspendNotification));
    if (m_sessionNotification && m_window)
        WTSUnRegisterSessionNotification(reinterpret_cast<HWND>(m_window->handle()));
}

quintptr KWinDeviceMonitor::windowHandle() const {
    return m_window ? m_window->handle() : 0;
}

bool KWinDeviceMonitor::start() {
    if (m_notification)
        return true;
    if (!m_window)
        m_window = std::make_unique<KWinMessageWindow>(
            [this](quint32 message, quintptr wParam, qintptr lParam, qintptr* result) {
                return handle(message, wParam, lParam, result);
            });
    HWND window = reinterpret_cast<HWND>(m_window->handle());
    if (!window) {
        qWarning().noquote() << "[Warn] no window for device notifications:" << GetLastError();
        return false;
    }
    DEV_BROADCAST_DEVICEINTERFACE_W filter{};
    filter.dbcc_size = sizeof filter;
    filter.dbcc_devicetype = DBT_DEVTYP_DEVICEINTERFACE;
    HidD_GetHidGuid(&filter.dbcc_classguid);
    m_notification = RegisterDeviceNotificationW(window, &filter, DEVICE_NOTIFY_WINDOW_HANDLE);
    if (!m_notification) {
        qWarning().noquote() << "[Warn] device notifications refused:" << GetLastError();
        return false;
    }
    // Message-only windows get no broadcasts: the return from sleep and the session's changes
    // are asked for by name.
    if (!m_suspendNotification)
        m_suspendNotification =
            RegisterSuspendResumeNotification(window, DEVICE_NOTIFY_WINDOW_HANDLE);
    if (!m_sessionNotification)
        m_sessionNotification = WTSRegisterSessionNotification(window, NOTIFY_FOR_THIS_SESSION);
    return true;
}

bool KWinDeviceMonitor::isSessionActive() const {
    DWORD session = 0;
    if (!ProcessIdToSessionId(GetCurrentProcessId(), &session))
        return true;
    const DWORD console = WTSGetActiveConsoleSessionId();
    // No console session at all (0xFFFFFFFF) happens during a switch; remote sessions have no
    // console of their own: in both cases the system cannot tell, and the answer is yes.
    return console == 0xFFFFFFFF || console == session || GetSystemMetrics(SM_REMOTESESSION);
}

bool KWinDeviceMonitor::decodeDeviceChange(quintptr wParam, qintptr lParam, bool* arrival,
                                           QString* path) {
    if (wParam != DBT_DEVICEARRIVAL && wParam != DBT_DEVICEREMOVECOMPLETE)
        return false;
    const auto* header = reinterpret_cast<const DEV_BROADCAST_HDR*>(lParam);
    if (!header || header->dbch_devicetype != DBT_DEVTYP_DEVICEINTERFACE)
        return false;
    const auto* deviceInterface = reinterpret_cast<const DEV_BROADCAST_DEVICEINTERFACE_W*>(header);
    *arrival = wParam == DBT_DEVICEARRIVAL;
    *path = QString::fromWCharArray(deviceInterface->dbcc_name);
    return true;
}

bool KWinDeviceMonitor::handle(quint32 message, quintptr wParam, qintptr lParam, qintptr* result) {
    switch (message) {
        case WM_DEVICECHANGE: {
            bool arrival = false;
            QString path;
            if (decodeDeviceChange(wParam, lParam, &arrival, &path))
                emit deviceChanged(arrival, path);
            *result = TRUE;
            return true;
        }
        case WM_POWERBROADCAST:
            if (wParam == PBT_APMRESUMEAUTOMATIC)
                emit sessionResumed();
            *result = TRUE;
            return true;
        case WM_WTSSESSION_CHANGE:
            if (wParam == WTS_CONSOLE_CONNECT || wParam == WTS_CONSOLE_DISCONNECT)
                emit sessionActiveChanged(wParam == WTS_CONSOLE_CONNECT);
            return false;
        default:
            return false;
    }
}
