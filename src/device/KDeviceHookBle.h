#pragma once

#include "device/KHookBase.h"

#include <QList>
#include <QMutex>
#include <QSemaphore>
#include <QThread>

#include <atomic>
#include <functional>

class KBLEMsgHook;
class KDeviceWatcher;
class KLowLevelHookBackend;
class KRawInput;
class KRawInputBackend;

// The pairing of the hooks' reports with the devices' confirmations, without threads or clocks
// of its own: times are passed in, so that the rules can be checked step by step.
class KBleEventPairing {
public:
    struct KeyEvent {
        quint32 code = 0;
        qint64 time = 0;  // ms, monotonic
    };
    // What one pass decided, in order: the confirmed code (at most one), the hook reports that
    // stayed unconfirmed for longer than the window, and whether to pause before the next pass.
    struct Pass {
        QList<quint32> emitted;
        QList<quint32> replayed;
        bool pause = false;
    };

    void pushHookEvent(quint32 code, qint64 now) { hookEvents.append({code, now}); }
    void pushDeviceEvent(quint32 code, qint64 now) { deviceEvents.append({code, now}); }
    bool isEmpty() const { return hookEvents.isEmpty() && deviceEvents.isEmpty(); }
    Pass pass(qint64 now, qint64 windowMs);

    QList<KeyEvent> hookEvents;    // reports of the low-level hooks
    QList<KeyEvent> deviceEvents;  // reports of raw input and self-confirming keyboard keys
};

// Runs in its own thread: pairs the hooks' reports with raw input. A confirmed press is emitted
// as sigKeyDown; a hook report left unconfirmed for the window is handed back to the system as
// the button's own action; an unconfirmed device report is dropped after the window.
class KDeviceHookBleWork : public QObject {
    Q_OBJECT
public:
    using Clock = std::function<qint64()>;
    using Replay = std::function<void(quint32)>;
    static constexpr int DefaultWindowMs = 100;
    static constexpr int DefaultPauseMs = 50;

    // A null replay performs the button's own action through the mouse simulator; a null clock
    // is the monotonic system clock.
    explicit KDeviceHookBleWork(Replay replay = Replay(), Clock clock = Clock(),
                                QObject* parent = nullptr);

    // Called from the hooks' threads; dropped unless the loop runs.
    void pushHookEvent(const quint32& code);
    void pushDeviceEvent(const quint32& code);
    void requestStop();
    bool isRunning() const { return state == Running; }

    // Tests shorten the window and the pause through this; the product keeps 100 ms and 50 ms.
    void setTiming(int windowMs, int pauseMs);
    void setReplay(Replay replay);

public slots:
    void work();

signals:
    void sigKeyDown(quint32 key);

private:
    enum State { Idle, Running, Stopped };
    void push(bool fromHook, quint32 code);

    QMutex mutex;
    KBleEventPairing events;
    std::atomic<int> state{Idle};
    QSemaphore wakeSemaphore{0};
    Replay m_replay;
    Clock m_clock;
    std::atomic<int> m_windowMs{DefaultWindowMs};
    std::atomic<int> m_pauseMs{DefaultPauseMs};
};

// The backends KDeviceHookBle works with; null members mean the platform's.
struct KDeviceHookBleBackends {
    KLowLevelHookBackend* hooks = nullptr;
    KRawInputBackend* rawInput = nullptr;
};

// The Bluetooth hook: low-level hooks that swallow the masked keys, raw input that confirms which
// mouse presses come from a recognised Bluetooth mouse, and the worker that pairs the two.
class KDeviceHookBle : public KHookBase {
    Q_OBJECT
public:
    using Backends = KDeviceHookBleBackends;
    // Null arguments mean the process-wide watcher and the platform's backends.
    explicit KDeviceHookBle(KDeviceWatcher* watcher = nullptr,
                            const Backends& backends = Backends(), QObject* parent = nullptr);
    ~KDeviceHookBle() override;

    bool startHook() override;
    bool stopHook() override;
    bool setMouseMask(const quint32& mask) override;
    bool setKeyboardMask(const quint32& mask) override;
    bool isStarted() override { return false; }

    void onMsgHookKey(quint32 code);
    void onRawInputKey(quint32 code);

    KDeviceHookBleWork* pairingWorker() const { return worker; }
    KBLEMsgHook* messageHook() const { return msgHook; }
    KRawInput* rawInputHook() const { return rawInput; }

private:
    KDeviceWatcher* m_watcher;
    KBLEMsgHook* msgHook;
    KRawInput* rawInput;
    quint32 mouseMask = 0;
    quint32 keyboardMask = 0;
    QThread* workerThread;
    KDeviceHookBleWork* worker;
};
