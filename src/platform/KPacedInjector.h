#pragma once

#include "platform/KInputInjector.h"

#include <condition_variable>
#include <deque>
#include <functional>
#include <mutex>
#include <thread>

// Spaces repeated presses of a mouse button so that the system counts every one of them.
// libinput takes a release followed by a press of the same button within 25 ms for contact
// bounce and drops both, so two clicks sent back to back arrive as one. This wrapper holds a
// mouse event that presses a button until kReleaseToPressUs after that button's last release
// went out; every event that comes later, keys included and from any thread, queues behind it,
// so the order of the events never changes. A press followed by its release within
// microseconds is harmless (libinput delays such a release, it never drops it), so the release
// of a click is not held.
//
// When nothing is held an event goes out at once, in the caller's thread. Held events are sent by
// a worker thread at their due time; the callers never wait for them.
class KPacedInjector : public KInputInjector {
public:
    // Time between a button's release and its next press: above libinput's 25 ms bounce window
    // with a margin for scheduling, and short enough that three clicks (80 ms) stay well within
    // any desktop's double-click time (typically 400-500 ms).
    static constexpr qint64 kReleaseToPressUs = 40000;
    // At destruction, how long held events are still sent at their due time; what is left then
    // goes out at once, so that no press is lost and no button stays down.
    static constexpr qint64 kFlushLimitUs = 500000;

    // Monotonic time in microseconds.
    using Clock = std::function<qint64()>;

    // Paces the events for inner, which is not owned and must outlive this object. Held events
    // are sent by a worker thread, started when the first event is held.
    explicit KPacedInjector(KInputInjector* inner);
    // Without a worker: held events go out only through sendDue(), on the given clock (tests).
    KPacedInjector(KInputInjector* inner, Clock clock);
    // Sends what is still held (see kFlushLimitUs).
    ~KPacedInjector() override;

    void sendKey(quint8 vk, bool up, quintptr extraInfo) override;
    void sendMouse(quint32 flags, qint32 data, quintptr extraInfo) override;
    QString method() const override { return m_inner->method(); }
    Reach reach() const override { return m_inner->reach(); }

    // Sends the held events that are due by now. Returns when the next held event is due, or -1
    // when nothing is held.
    qint64 sendDue();
    // Number of events held.
    int heldCount() const;
    // Waits until nothing is held, at most timeoutMs; true when nothing is held.
    bool waitUntilIdle(int timeoutMs) const;

    static qint64 steadyNowUs();

private:
    struct Event {
        bool mouse = false;
        quint32 code = 0;  // virtual key or mouse flags
        qint32 data = 0;   // key: 1 for a release; mouse: the data word
        quintptr extraInfo = 0;
    };
    enum { kButtons = 5 };

    void submit(const Event& event);
    // When event may go out: the latest of its pressed buttons' release times plus the gap.
    qint64 dueTime(const Event& event) const;
    void sendLocked(const Event& event);
    void run();

    KInputInjector* m_inner;
    Clock m_clock;
    const bool m_useWorker;

    mutable std::mutex m_mutex;
    mutable std::condition_variable m_wake;  // the worker: new held event or stop
    mutable std::condition_variable m_idle;  // waitUntilIdle: the queue emptied
    std::deque<Event> m_held;
    qint64 m_lastRelease[kButtons];
    std::thread m_worker;
    bool m_stopping = false;
    qint64 m_stopDeadline = 0;
};
