#pragma once

#include "platform/KDeviceMonitor.h"
#include "platform/KHidBackend.h"
#include "platform/KHookDriver.h"
#include "platform/KLowLevelHookBackend.h"
#include "platform/KRawInputBackend.h"
#include "platform/sim/KSimController.h"

#include <QHash>
#include <QMutex>
#include <QObject>
#include <QQueue>

#include <functional>

class KSimAccessCheck;
class KSimHookDriver;
class KSimLowLevelHookBackend;
class KSimRawInputBackend;
class KSimDeviceMonitor;

// The simulated devices: the virtual receiver (a mouse and consumer-control interface, a
// keyboard interface and the vendor-defined pairing interface), the Bluetooth mouse and
// keyboard, and an ordinary mouse and keyboard that are not the maker's ("other"). Each has HID
// interfaces described by real report descriptors and raw-input entries named as the system
// names them. KSimDevices follows the controller's attach/detach, announces the interfaces'
// arrival and removal, and carries out "press BUTTON [via receiver|ble|other]": the event goes
// to the receiver's filter driver, to the low-level hooks and raw input, or straight to the
// system, which the log records ("swallowed", "system"). As on Linux, the hooks see only the
// maker's Bluetooth devices: an ordinary device's events always reach the system untouched.
// It keeps the "hooks" and "masks" fields of the state current, and "session" switches the
// session between active and inactive.
class KSimDevices : public QObject {
    Q_OBJECT
public:
    struct Interface {
        QString device;  // receiver, ble-mouse, ble-keyboard, other-mouse, other-keyboard
        KHID::KHidDetail detail;
        bool pairing = false;  // the receiver's vendor-defined interface
    };

    explicit KSimDevices(KSimController* controller, QObject* parent = nullptr);
    ~KSimDevices() override;

    KSimController* controller() const { return m_controller; }

    // Safe from any thread.
    QList<Interface> presentInterfaces() const;
    bool findInterface(const QByteArray& path, Interface* out) const;
    QList<KRawInputDevice> rawInputDevices() const;
    bool isPresent(const QString& device) const;
    static QList<Interface> interfacesOf(const QString& device);

    // The backends announce themselves when the platform creates them.
    void setHookDriver(KSimHookDriver* driver) { m_driver = driver; }
    void setLowLevelHooks(KSimLowLevelHookBackend* hooks) { m_hooks = hooks; }
    void setRawInput(KSimRawInputBackend* rawInput) { m_rawInput = rawInput; }
    void setMonitor(KSimDeviceMonitor* monitor) { m_monitor = monitor; }
    // The simulated permissions: what they deny is refused as on Linux.
    void setAccess(KSimAccessCheck* access) { m_access = access; }
    // Whether the node kind ("uinput", "receiver", ...) is denied; safe from any thread.
    bool accessDenied(const QString& what) const;
    // The firmware that answers the reports of the receiver's pairing interface: it takes each
    // output report and fills each input report (report ID in byte 0 on entry). Without one,
    // output reports are taken and input reports come back zero-filled. Called from the thread
    // that does the report I/O, one call at a time.
    using OutputResponder = std::function<bool(const uchar* report, int length)>;
    using InputResponder = std::function<bool(uchar* report, int length)>;
    void setPairingResponder(OutputResponder output, InputResponder input);
    bool pairingOutput(const uchar* report, int length);
    bool pairingInput(uchar* report, int length);
    // Whether the pairing interface refuses to be opened (no access); safe from any thread.
    void setPairingAccessCheck(std::function<bool()> denied);
    bool pairingAccessDenied();

    // Recomputes the "hooks" and "masks" state fields from the backends.
    void updateState();
    // A hook was installed or removed: logged, and the state brought up to date.
    void hookChanged(const QString& hook, bool installed);
    // A hook was given new masks: logged, and the state brought up to date.
    void masksChanged(const QString& hook, quint32 mouse, quint32 keyboard);

    // "press BUTTON [via receiver|ble|other]".
    KSimController::Reply press(const QStringList& args);

private:
    struct Event;
    void onAttached(const QString& device);
    void onDetached(const QString& device);
    void announce(const QString& device, bool arrival);
    void logEvent(const char* kind, const QString& device, const QString& event, int phase);
    void throughDriver(const Event& event);
    void throughHooks(const Event& event, const QString& device);

    KSimController* m_controller;
    mutable QMutex m_mutex;
    QStringList m_present;
    QMutex m_pairingMutex;
    OutputResponder m_pairingOutput;
    InputResponder m_pairingInput;
    std::function<bool()> m_pairingDenied;
    KSimHookDriver* m_driver = nullptr;
    KSimLowLevelHookBackend* m_hooks = nullptr;
    KSimRawInputBackend* m_rawInput = nullptr;
    KSimDeviceMonitor* m_monitor = nullptr;
    KSimAccessCheck* m_access = nullptr;
};

class KSimHidBackend : public KHidBackend {
    Q_OBJECT
public:
    explicit KSimHidBackend(KSimDevices* devices, QObject* parent = nullptr);

    QList<QByteArray> interfacePaths() override;
    bool queryInterface(const QByteArray& path, KHID::KHidDetail* detail) override;
    Handle open(const QByteArray& path, Access access) override;
    Handle openChecked(const QByteArray& path, Access access, bool* denied) override;
    void close(Handle handle) override;
    bool getInputReport(Handle handle, uchar* buffer, int length) override;
    bool setOutputReport(Handle handle, const uchar* buffer, int length) override;

private:
    KSimDevices* m_devices;
    QMutex m_mutex;
    QHash<Handle, QByteArray> m_open;
    Handle m_next = 1;
};

class KSimDeviceMonitor : public KDeviceMonitor {
    Q_OBJECT
public:
    explicit KSimDeviceMonitor(KSimDevices* devices, QObject* parent = nullptr);
    bool start() override { return true; }
    bool isSessionActive() const override { return m_sessionActive; }
    void notify(bool arrival, const QString& path) { emit deviceChanged(arrival, path); }
    void notifyResumed() { emit sessionResumed(); }
    void setSessionActive(bool active);

private:
    bool m_sessionActive = true;
};

class KSimRawInputBackend : public KRawInputBackend {
    Q_OBJECT
public:
    explicit KSimRawInputBackend(KSimDevices* devices, QObject* parent = nullptr);
    bool deviceList(QList<KRawInputDevice>* devices) override;
    bool registerMouseInput() override;
    bool isRegistered() const { return m_registered; }
    void deliver(quintptr device, quint16 flags);

private:
    KSimDevices* m_devices;
    bool m_registered = false;
};

// The receiver's filter driver: a queue of codes behind the driver interface.
class KSimHookDriver : public KHookDriver {
    Q_OBJECT
public:
    explicit KSimHookDriver(KSimDevices* devices, QObject* parent = nullptr);

    bool open() override;
    void close() override;
    bool isOpen() const override;
    bool clear() override;
    bool setFlags(quint32 flags) override;
    bool setSemaphore(std::shared_ptr<KHookSemaphore> semaphore) override;
    bool readKey(quint32* code) override;
    bool setMouseMask(quint32 mask) override;
    bool setKeyboardMask(quint32 mask) override;
    // Like the Linux driver, whose failures last.
    bool retriesHelp() const override { return false; }

    // Whether a client is registered, and its masks.
    bool isActive() const;
    quint32 mouseMask() const;
    quint32 keyboardMask() const;
    // One key event of the receiver; true when the driver took it over. A press queues code.
    bool deliver(quint32 code, bool press);

private:
    bool setMask(quint32* slot, quint32 mask);

    KSimDevices* m_devices;
    mutable QMutex m_mutex;
    bool m_open = false;
    std::shared_ptr<KHookSemaphore> m_semaphore;
    QQueue<quint32> m_queue;
    quint32 m_mouseMask = 0;
    quint32 m_keyboardMask = 0;
};

// The system-wide low-level hooks: every mouse and keyboard event of the simulation passes them.
class KSimLowLevelHookBackend : public KLowLevelHookBackend {
    Q_OBJECT
public:
    explicit KSimLowLevelHookBackend(KSimDevices* devices, QObject* parent = nullptr);

    bool installMouseHook(MouseProc proc) override;
    void removeMouseHook() override;
    bool installKeyboardHook(KeyboardProc proc) override;
    void removeKeyboardHook() override;
    void setDevicePatterns(const QStringList& patterns) override;
    void setMasks(quint32 mouseMask, quint32 keyboardMask) override;

    bool hasMouseHook() const { return bool(m_mouseProc); }
    bool hasKeyboardHook() const { return bool(m_keyboardProc); }
    quint32 mouseMask() const { return m_mouseMask; }
    quint32 keyboardMask() const { return m_keyboardMask; }
    // Runs the installed procedure; true when the event was swallowed.
    bool mouseEvent(const KMouseHookRecord& record);
    bool keyboardEvent(const KKeyboardHookRecord& record);

private:
    KSimDevices* m_devices;
    MouseProc m_mouseProc;
    KeyboardProc m_keyboardProc;
    quint32 m_mouseMask = 0;
    quint32 m_keyboardMask = 0;
};
