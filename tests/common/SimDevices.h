#pragma once

// Puts the simulated platform's devices into the given state, attaching or detaching the
// receiver, the Bluetooth mouse and the Bluetooth keyboard as needed (needs POINTORA_PLATFORM=sim).
// Notifications closer together than the device watcher's debounce count as one change.

#include "platform/KPlatform.h"
#include "platform/sim/KSimController.h"

#include <QList>
#include <QPair>
#include <QString>

inline void setSimDevices(bool receiver, bool bleMouse, bool bleKeyboard) {
    KSimController* sim = KPlatform::instance()->simController();
    Q_ASSERT_X(sim, "setSimDevices", "needs POINTORA_PLATFORM=sim");
    const QList<QPair<QString, bool>> devices = {
        {"receiver", receiver}, {"ble-mouse", bleMouse}, {"ble-keyboard", bleKeyboard}};
    for (const auto& device : devices) {
        if (device.second && !sim->isAttached(device.first))
            sim->attach(device.first);
        else if (!device.second && sim->isAttached(device.first))
            sim->detach(device.first);
    }
}
