#pragma once

#include <QObject>
#include <QStringList>
#include <QTimer>
#include <QVariantMap>

#include <functional>

class KDeviceMonitor;
class KHidBackend;
class KRawInputBackend;

namespace KHID {

// Receives the system's arrival and removal notifications for HID interfaces and turns them
// into a signal.
class KHIDWatcher : public QObject {
    Q_OBJECT
public:
    // A null monitor means the platform's.
    explicit KHIDWatcher(KDeviceMonitor* monitor = nullptr, QObject* parent = nullptr);

    // Subscribes to the notifications; false when the system offers none.
    bool registerNotification();
    KDeviceMonitor* monitor() const { return m_monitor; }

signals:
    void sigHIDDeviceChange(bool status, QString devicePath);

private:
    KDeviceMonitor* m_monitor;
    bool m_registered = false;
};

}  // namespace KHID

// The backends KDeviceWatcher works with; null members mean the platform's.
struct KDeviceWatcherBackends {
    KHidBackend* hid = nullptr;
    KRawInputBackend* rawInput = nullptr;
    KDeviceMonitor* monitor = nullptr;
};

// Which of the program's devices are attached, and when that changes: forwards the device
// notifications (debounced) as sigDeviceChange and counts, on request, the supported receivers,
// Bluetooth mice and Bluetooth keyboards into the connection map
// {"usb", "ble", "bleMs", "bleKb"}.
//
// The debounce signals the first notification of a burst at once; when more followed it within
// the burst, it signals once more when the burst has settled, so that whoever follows the
// devices always ends up with their final state. Notifications that arrive before watching
// starts are not lost either: startWatch signals one change for them.
class KDeviceWatcher : public QObject {
    Q_OBJECT
public:
    // Milliseconds on a monotonic scale.
    using Clock = std::function<qint64()>;
    using Backends = KDeviceWatcherBackends;
    // Notifications closer together than this (ms) are one change.
    static constexpr qint64 DebounceMs = 10;

    static KDeviceWatcher* instance();
    // Parts of raw-input names that mark the maker's Bluetooth devices, tested case-sensitively.
    static const QStringList& bluetoothDevicePatterns();
    static bool isBluetoothDeviceName(const QByteArray& name);

    // Null backends mean the platform's; a null clock the monotonic system clock.
    explicit KDeviceWatcher(const Backends& backends = Backends(), const Clock& clock = Clock(),
                            QObject* parent = nullptr);

    Q_INVOKABLE void startWatch();
    Q_INVOKABLE void stopWatch();
    Q_INVOKABLE QVariantMap getDeviceConnect(bool refresh = true);
    // The identity of the counted devices (receiver product ids; the Bluetooth raw-input
    // entries with their handles and names), from the last count: equal lists mean the same
    // devices, in whatever order they were found.
    QStringList deviceSignature() const { return m_signature; }
    // Whether the user's session is the active one of its seat.
    bool isSessionActive() const;

signals:
    void sigDeviceChange(bool status, QString devicePath);
    // The session woke from sleep; hooks should be applied again.
    void sigSessionResumed();
    // The session became the active one of its seat again, or stopped being it.
    void sigSessionActiveChanged(bool active);

protected:
    Q_INVOKABLE QVariantMap checkHidDeviceConnected();

private slots:
    void slotDeviceChange(bool status, QString devicePath);

private:
    void onMonitorChange(bool status, const QString& devicePath);
    void onBurstSettled();

    KHID::KHIDWatcher* hidWatcher;
    KHidBackend* m_hid;
    KRawInputBackend* m_rawInput;
    Clock m_clock;
    int usbCount = 0;
    int bleMouseCount = 0;
    int bleKeyboardCount = 0;
    bool watching = false;
    qint64 lastChange = 0;
    QVariantMap connectMap;
    QStringList m_signature;
    QTimer m_settled;              // the end of a burst
    bool m_burstFollowed = false;  // notifications after the first of the burst
    QPair<bool, QString> m_lastOfBurst;
    bool m_missed = false;  // notifications while not watching
    QPair<bool, QString> m_firstMissed;
};
