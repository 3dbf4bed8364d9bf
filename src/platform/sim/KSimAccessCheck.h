#pragma once

#include "platform/KAccessCheck.h"

#include <QMutex>
#include <QSet>

class KSimController;
class KSimDevices;

// The simulated system's permissions. What is denied (POINTORA_SIM_ACCESS=deny:NAME,... at
// start, then "access deny NAME" / "access allow NAME", NAME one of uinput, receiver, ble-mouse,
// ble-keyboard, rule) is refused as on Linux without the rule: a denied receiver's pairing
// interface does not open and its keys are not taken over, a denied Bluetooth device is not
// taken over (nor is any other of the maker's Bluetooth devices: the Linux hooks take all of
// them or none), and without uinput neither the filter driver nor the hooks start. A check
// lists what is denied and present, logs {"kind":"access","missing":[...],"items":[...]}, and
// keeps the state field "access" ({"denied":[...],"missing":[...],"checks":N}) current.
class KSimAccessCheck : public KAccessCheck {
    Q_OBJECT
public:
    KSimAccessCheck(KSimController* controller, KSimDevices* devices, QObject* parent = nullptr);

    Result check() override;

    // Safe from any thread.
    bool isDenied(What what) const;
    void setDenied(What what, bool denied);
    // Whether the maker's Bluetooth devices present may be taken over (none of them denied).
    bool bluetoothGranted() const;

private:
    void updateState();

    KSimController* m_controller;
    KSimDevices* m_devices;
    mutable QMutex m_mutex;
    QSet<int> m_denied;
    QStringList m_lastMissing;
    int m_checks = 0;
};
