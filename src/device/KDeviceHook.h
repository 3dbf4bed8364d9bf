#pragma once

#include "device/KDeviceHookBle.h"
#include "device/KDeviceHookUSB.h"

#include <QObject>

class KConfigCommon;
class KDeviceWatcher;

enum KDeviceHookType { HookUsb = 0, HookBle = 1 };

// The parts KDeviceHook works with; null members mean the process-wide or platform ones.
struct KDeviceHookParts {
    KConfigCommon* config = nullptr;
    KDeviceWatcher* watcher = nullptr;
    KHookDriver* driver = nullptr;
    KDeviceHookBleBackends ble;
};

// The one door to the device hooks: owns the USB and the Bluetooth hook, runs at most one of
// them, chooses it from the attached devices (a receiver wins), gives it the key masks built from
// the assignments, and forwards every device key code as sigKeyDown. A hook is restarted only
// when the set of the program's devices changed, never for changes of other devices. While the
// user's session is not the active one of its seat, no hook runs.
class KDeviceHook : public QObject {
    Q_OBJECT
public:
    using Parts = KDeviceHookParts;

    static KDeviceHook* instance();
    // Null parts mean the process-wide store and watcher and the platform's backends.
    explicit KDeviceHook(const Parts& parts = Parts(), QObject* parent = nullptr);
    ~KDeviceHook() override;

    Q_INVOKABLE bool start(int type);
    Q_INVOKABLE bool startHookFromWatcher();
    Q_INVOKABLE bool stop();
    Q_INVOKABLE bool running();

    // The masks from the current assignments: a key's bit is set when it has a function.
    quint32 mouseMask() const;
    quint32 keyboardMask() const;
    // Bit of a key type in its mask; 0 for key types without one.
    static quint32 mouseMaskBit(int keyType);
    static quint32 keyboardMaskBit(int keyType);

    KDeviceHookUSB* usb() { return &usbHook; }
    KDeviceHookBle* ble() { return &bleHook; }

    // The last problem with a device that the user should know about (translated), or empty.
    Q_INVOKABLE QString deviceNotice() const { return m_notice; }
    // The user has read it.
    Q_INVOKABLE void dismissDeviceNotice() { m_notice.clear(); }

signals:
    void sigKeyDown(quint32 key);
    // A device of the program's stays the system's, and why (translated, for the interface).
    void sigDeviceNotice(const QString& text);

private slots:
    void onDeviceChange(bool status, QString devicePath);
    void onConfigChange(int keyType, int value);
    // After sleep the devices may have been reset: the hook is set up again from scratch.
    void onSessionResumed();
    // Another session or the greeter took the seat (false), or ours is back (true).
    void onSessionActiveChanged(bool active);
    void onDeviceRefused(const QString& node, const QString& name, int reason);

private:
    void sendMasks();
    // Stop the hook if this facade considers it started.
    void stopBle();
    void stopUsb();

    KConfigCommon* config;
    KDeviceWatcher* m_watcher;
    KDeviceHookUSB usbHook;
    KDeviceHookBle bleHook;
    bool usbOn = false;
    bool bleOn = false;
    QStringList m_bleDevices;  // the device signature the Bluetooth hook was started for
    QString m_notice;
};
