#pragma once

#include "platform/KDeviceMonitor.h"

#include <memory>

class KWinMessageWindow;

// Device-interface arrival and removal of the HID class (RegisterDeviceNotificationW on a hidden
// window, WM_DEVICECHANGE), the return from sleep (RegisterSuspendResumeNotification,
// WM_POWERBROADCAST) and the console session's connection (WTSRegisterSessionNotification): a
// fast user switch makes the session inactive.
class KWinDeviceMonitor : public KDeviceMonitor {
    Q_OBJECT
public:
    explicit KWinDeviceMonitor(QObject* parent = nullptr);
    ~KWinDeviceMonitor() override;

    bool start() override;
    bool isSessionActive() const override;

    // The hidden window the notifications go to (0 before start or when it failed).
    quintptr windowHandle() const;

    // What one WM_DEVICECHANGE says: true for the arrival or removal of a device interface, with
    // *arrival and its interface path (the broadcast's NUL-terminated UTF-16 name).
    static bool decodeDeviceChange(quintptr wParam, qintptr lParam, bool* arrival, QString* path);

private:
    bool handle(quint32 message, quintptr wParam, qintptr lParam, qintptr* result);

    std::unique_ptr<KWinMessageWindow> m_window;
    void* m_notification = nullptr;
    void* m_suspendNotification = nullptr;
    bool m_sessionNotification = false;
};
