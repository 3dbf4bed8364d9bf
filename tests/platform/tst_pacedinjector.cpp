// The pacing of repeated clicks, checked against a port of libinput's button debouncing (the
// state machine every Linux desktop runs the virtual pointer's events through).

#include "platform/KInputCodes.h"
#include "platform/KPacedInjector.h"
#include "platform/linux/KMouseSteps.h"

#include <QMutex>
#include <QMutexLocker>
#include <QThread>
#include <QtTest>

#include <algorithm>
#include <atomic>
#include <map>
#include <memory>
#include <thread>

namespace {

// libinput's debouncing of one pointer device (evdev-debounce.c): the state machine follows one
// button at a time; a frame that changes another button, or more than one, flushes it first.
// Times in microseconds, as libinput's; timers fire before a frame whose time stamp has passed
// their expiry (libinput_timer_flush), so processing latency plays no part, only time stamps.
class LibinputDebounce {
public:
    static constexpr qint64 kBounceUs = 25000;    // DEBOUNCE_TIMEOUT_BOUNCE
    static constexpr qint64 kSpuriousUs = 12000;  // DEBOUNCE_TIMEOUT_SPURIOUS

    struct Notified {
        int button;
        bool pressed;
        qint64 time;
    };

    // One evdev frame: the buttons whose state it sets (button, down).
    void frame(qint64 time, const std::map<int, bool>& buttons) {
        flushTimers(time);
        std::vector<int> changed;
        for (const auto& entry : buttons) {
            if (m_hw[entry.first] != entry.second)
                changed.push_back(entry.first);
            m_hw[entry.first] = entry.second;
        }
        if (changed.empty())
            return;
        bool flushed = false;
        if (changed.size() > 1 || changed.front() != m_button) {
            handle(OtherButton, time);
            flushed = true;
        }
        for (int code : changed) {
            const bool down = m_hw[code];
            if (flushed) {
                m_state = down ? IsUp : IsDown;
                flushed = false;
            }
            m_button = code;
            handle(down ? Press : Release, time);
            if (changed.size() > 1) {
                handle(OtherButton, time);
                flushed = true;
            }
        }
    }
    // Lets every pending timer fire.
    void finish() { flushTimers(std::numeric_limits<qint64>::max()); }

    QList<Notified> notified;
    int bugs = 0;  // events libinput logs as "invalid debounce event"

    int presses(int button) const {
        return int(std::count_if(notified.begin(), notified.end(), [button](const Notified& n) {
            return n.button == button && n.pressed;
        }));
    }

private:
    enum State {
        IsUp,
        IsDown,
        DownWaiting,
        ReleasePending,
        ReleaseDelayed,
        ReleaseWaiting,
        MaybeSpurious,
        Released,
        PressPending
    };
    enum Event { Press, Release, Timeout, TimeoutShort, OtherButton };

    void notify(bool pressed) { notified.append({m_button, pressed, m_buttonTime}); }
    void setTimer(qint64 time) { m_timer = time + kBounceUs; }
    void setTimerShort(qint64 time) { m_timerShort = time + kSpuriousUs; }

    void flushTimers(qint64 now) {
        while (true) {
            const bool bounce = m_timer >= 0 && m_timer <= now;
            const bool spurious = m_timerShort >= 0 && m_timerShort <= now;
            if (!bounce && !spurious)
                return;
            // The earlier one first.
            if (spurious && (!bounce || m_timerShort <= m_timer)) {
                const qint64 at = m_timerShort;
                m_timerShort = -1;
                handle(TimeoutShort, at);
            } else {
                const qint64 at = m_timer;
                m_timer = -1;
                handle(Timeout, at);
            }
        }
    }

    void handle(Event event, qint64 time) {
        if (event == OtherButton)
            m_timer = m_timerShort = -1;
        switch (m_state) {
            case IsUp:
                if (event == Press) {
                    m_buttonTime = time;
                    setTimer(time);
                    m_state = DownWaiting;
                    notify(true);
                } else if (event != OtherButton) {
                    ++bugs;
                }
                break;
            case IsDown:
                if (event == Release) {
                    m_buttonTime = time;
                    setTimer(time);
                    setTimerShort(time);
                    if (m_spuriousEnabled) {
                        m_state = ReleaseDelayed;
                    } else {
                        m_state = ReleaseWaiting;
                        notify(false);
                    }
                } else if (event != OtherButton) {
                    ++bugs;
                }
                break;
            case DownWaiting:
                if (event == Release) {
                    m_state = ReleasePending;
                    m_buttonTime = time;
                } else if (event == Timeout || event == OtherButton) {
                    m_state = IsDown;
                } else {
                    ++bugs;
                }
                break;
            case ReleasePending:
                if (event == Press) {
                    m_state = DownWaiting;  // the release is dropped as a bounce
                } else if (event == Timeout || event == OtherButton) {
                    m_state = IsUp;
                    notify(false);
                } else {
                    ++bugs;
                }
                break;
            case ReleaseDelayed:
                if (event == Press) {
                    m_state = IsDown;
                    m_timer = m_timerShort = -1;
                } else if (event == TimeoutShort) {
                    m_state = ReleaseWaiting;
                    notify(false);
                } else if (event == OtherButton) {
                    m_state = IsUp;
                    notify(false);
                } else {
                    ++bugs;
                }
                break;
            case ReleaseWaiting:
                if (event == Press) {
                    m_buttonTime = time;
                    m_state = MaybeSpurious;
                } else if (event == Timeout || event == OtherButton) {
                    m_state = IsUp;
                } else if (event == TimeoutShort) {
                    m_state = Released;
                } else {
                    ++bugs;
                }
                break;
            case MaybeSpurious:
                if (event == Release) {
                    m_state = ReleaseWaiting;
                } else if (event == TimeoutShort) {
                    m_timer = -1;
                    m_state = IsDown;
                    m_spuriousEnabled = true;
                    notify(true);
                } else if (event == OtherButton) {
                    m_state = IsUp;
                    notify(true);
                } else {
                    ++bugs;
                }
                break;
            case Released:
                if (event == Press) {
                    m_buttonTime = time;
                    m_state = PressPending;
                } else if (event == Timeout || event == OtherButton) {
                    m_state = IsUp;
                } else {
                    ++bugs;
                }
                break;
            case PressPending:
                if (event == Release) {
                    m_state = Released;
                } else if (event == Timeout || event == OtherButton) {
                    m_state = IsUp;
                    notify(true);
                } else {
                    ++bugs;
                }
                break;
        }
    }

    State m_state = IsUp;
    int m_button = -1;
    qint64 m_buttonTime = 0;
    qint64 m_timer = -1;
    qint64 m_timerShort = -1;
    bool m_spuriousEnabled = false;
    std::map<int, bool> m_hw;
};

constexpr int kLeft = KMouseStep::Left;
constexpr int kRight = KMouseStep::Right;

// What leaves the wrapper: every call with its time, its thread, and the frames a uinput pointer
// makes of it (one frame per step, as KUinputInjector writes them).
class Recorder : public KInputInjector {
public:
    struct Call {
        bool mouse;
        quint32 code;
        qint32 data;
        quintptr extraInfo;
        qint64 time;
        std::thread::id thread;
    };
    explicit Recorder(KPacedInjector::Clock clock) : m_clock(std::move(clock)) {}

    void sendKey(quint8 vk, bool up, quintptr extraInfo) override {
        QMutexLocker lock(&m_mutex);
        m_calls.append({false, vk, up ? 1 : 0, extraInfo, m_clock(), std::this_thread::get_id()});
    }
    void sendMouse(quint32 flags, qint32 data, quintptr extraInfo) override {
        QMutexLocker lock(&m_mutex);
        const qint64 time = m_clock();
        m_calls.append({true, flags, data, extraInfo, time, std::this_thread::get_id()});
        for (const KMouseStep& step : mouseSteps(flags, data))
            if (step.kind == KMouseStep::Press || step.kind == KMouseStep::Release)
                m_libinput.frame(time, {{int(step.button), step.kind == KMouseStep::Press}});
    }
    QString method() const override { return QStringLiteral("recorder"); }

    QList<Call> calls() {
        QMutexLocker lock(&m_mutex);
        return m_calls;
    }
    // libinput's view once its timers have run.
    LibinputDebounce libinput() {
        QMutexLocker lock(&m_mutex);
        LibinputDebounce copy = m_libinput;
        copy.finish();
        return copy;
    }

private:
    KPacedInjector::Clock m_clock;
    QMutex m_mutex;
    QList<Call> m_calls;
    LibinputDebounce m_libinput;
};

// One call of the caller's: a key (vk, up) or a mouse event (flags, data).
struct Input {
    bool mouse;
    quint32 code;
    qint32 data;
    bool operator==(const Input& o) const {
        return mouse == o.mouse && code == o.code && data == o.data;
    }
};
Input click(quint32 flags = KMouseFlag::LEFTCLICK) {
    return {true, flags, 0};
}
Input key(quint8 vk, bool up) {
    return {false, vk, up ? 1 : 0};
}
QList<Input> repeat(const Input& input, int times) {
    return QVector<Input>(times, input).toList();
}
QList<Input> chord(quint8 modifier, quint8 k) {
    return {key(modifier, false), key(k, false), key(k, true), key(modifier, true)};
}

void send(KInputInjector* injector, const Input& input, quintptr extraInfo = 0) {
    if (input.mouse)
        injector->sendMouse(input.code, input.data, extraInfo);
    else
        injector->sendKey(quint8(input.code), input.data != 0, extraInfo);
}

QList<Input> inputsOf(const QList<Recorder::Call>& calls) {
    QList<Input> inputs;
    for (const Recorder::Call& call : calls)
        inputs.append({call.mouse, call.code, call.data});
    return inputs;
}

// The desktop's double-click time (GNOME's and KDE's default is 400 ms): consecutive presses of
// one button further apart than this start a new count.
constexpr qint64 kDoubleClickUs = 400000;

int longestRun(const QList<LibinputDebounce::Notified>& notified, int button) {
    int best = 0;
    int run = 0;
    qint64 last = 0;
    for (const LibinputDebounce::Notified& n : notified) {
        if (n.button != button || !n.pressed)
            continue;
        run = (run > 0 && n.time - last <= kDoubleClickUs) ? run + 1 : 1;
        last = n.time;
        best = std::max(best, run);
    }
    return best;
}

}  // namespace

Q_DECLARE_METATYPE(QList<Input>)

class TestPacedInjector : public QObject {
    Q_OBJECT
private slots:
    // The calls of a row are made at once; then time runs on (a controlled clock) until the
    // wrapper holds nothing. libinput must see the expected presses, counted by the desktop as
    // one multiple click, and the calls must leave in the order they were made.
    void clicks_data() {
        QTest::addColumn<bool>("throughWrapper");
        QTest::addColumn<QList<Input>>("inputs");
        QTest::addColumn<int>("leftPresses");
        QTest::addColumn<int>("rightPresses");
        QTest::addColumn<int>("sentAtOnce");  // calls out before any time passes
        using namespace KMouseFlag;
        const QList<Input> ctrlC = chord(KVK::LCONTROL, 'C');
        // Without the wrapper the port must show the fault being mended: one press.
        QTest::newRow("unpaced double click: one press")
            << false << repeat(click(), 2) << 1 << 0 << 2;
        QTest::newRow("unpaced triple click: one press")
            << false << repeat(click(), 3) << 1 << 0 << 3;
        QTest::newRow("click") << true << repeat(click(), 1) << 1 << 0 << 1;
        QTest::newRow("double click") << true << repeat(click(), 2) << 2 << 0 << 1;
        QTest::newRow("triple click") << true << repeat(click(), 3) << 3 << 0 << 1;
        QTest::newRow("right double click") << true << repeat(click(RIGHTCLICK), 2) << 0 << 2 << 1;
        QTest::newRow("chord after a double click comes after it")
            << true << repeat(click(), 2) + ctrlC << 2 << 0 << 1;
        QTest::newRow("chord before a double click goes out at once")
            << true << ctrlC + repeat(click(), 2) << 2 << 0 << 5;
        QTest::newRow("left and right clicks: nothing held")
            << true << QList<Input>{click(), click(RIGHTCLICK), click(MIDDLECLICK)} << 1 << 1 << 3;
        QTest::newRow("press and release apart, then a click")
            << true << QList<Input>{click(LEFTDOWN), click(LEFTUP), click()} << 2 << 0 << 2;
        QTest::newRow("wheel behind a held click")
            << true << QList<Input>{click(), click(), {true, WHEEL, 120}} << 2 << 0 << 1;
    }
    void clicks() {
        QFETCH(bool, throughWrapper);
        QFETCH(QList<Input>, inputs);
        QFETCH(int, leftPresses);
        QFETCH(int, rightPresses);
        QFETCH(int, sentAtOnce);
        qint64 now = 1000000;
        auto clock = [&now] { return now; };
        Recorder recorder(clock);
        KPacedInjector paced(&recorder, clock);
        KInputInjector* target = throughWrapper ? static_cast<KInputInjector*>(&paced) : &recorder;
        for (const Input& input : inputs)
            send(target, input);
        QCOMPARE(recorder.calls().size(), sentAtOnce);
        QCOMPARE(paced.heldCount(), inputs.size() - sentAtOnce);
        for (qint64 due; (due = paced.sendDue()) >= 0;) {
            QVERIFY(due > now);
            now = due;
        }
        QCOMPARE(paced.heldCount(), 0);
        QCOMPARE(inputsOf(recorder.calls()), inputs);
        const LibinputDebounce libinput = recorder.libinput();
        QCOMPARE(libinput.bugs, 0);
        QCOMPARE(libinput.presses(kLeft), leftPresses);
        QCOMPARE(libinput.presses(kRight), rightPresses);
        // Every press has its release.
        QCOMPARE(libinput.notified.size(),
                 2 * (leftPresses + rightPresses) + 2 * libinput.presses(KMouseStep::Middle));
        // The desktop counts the presses as one double or triple click.
        QCOMPARE(longestRun(libinput.notified, kLeft), leftPresses);
        QCOMPARE(longestRun(libinput.notified, kRight), rightPresses);
    }

    // The common case costs no thread hop: with nothing held the event leaves in the caller's
    // thread before the call returns; held events leave from the wrapper's worker.
    void threadOfDelivery() {
        Recorder recorder(&KPacedInjector::steadyNowUs);
        KPacedInjector paced(&recorder);
        send(&paced, click());
        QCOMPARE(recorder.calls().size(), 1);
        QVERIFY(recorder.calls().at(0).thread == std::this_thread::get_id());
        send(&paced, click());
        send(&paced, key('A', false));
        QVERIFY(paced.waitUntilIdle(5000));
        const QList<Recorder::Call> calls = recorder.calls();
        QCOMPARE(calls.size(), 3);
        QVERIFY(calls.at(1).thread != std::this_thread::get_id());
        QVERIFY(calls.at(1).time - calls.at(0).time >= KPacedInjector::kReleaseToPressUs);
        QCOMPARE(recorder.libinput().presses(kLeft), 2);
    }

    // Two threads sending at once, on the real clock and the worker: each thread's events leave
    // in its order, and every click reaches libinput.
    void twoThreadsKeepTheirOrder() {
        Recorder recorder(&KPacedInjector::steadyNowUs);
        KPacedInjector paced(&recorder);
        constexpr int kClicks = 6;
        constexpr int kKeys = 40;
        std::atomic<bool> go{false};
        std::unique_ptr<QThread> clicker(QThread::create([&] {
            while (!go)
                std::this_thread::yield();
            for (int i = 0; i < kClicks; ++i)
                paced.sendMouse(KMouseFlag::LEFTCLICK, i, 1);
        }));
        std::unique_ptr<QThread> typist(QThread::create([&] {
            while (!go)
                std::this_thread::yield();
            for (int i = 0; i < kKeys; ++i)
                paced.sendKey(quint8(i), i % 2, 2);
        }));
        clicker->start();
        typist->start();
        go = true;
        QVERIFY(clicker->wait(5000));
        QVERIFY(typist->wait(5000));
        QVERIFY(paced.waitUntilIdle(5000));
        QList<int> clickOrder;
        QList<int> keyOrder;
        for (const Recorder::Call& call : recorder.calls())
            (call.extraInfo == 1 ? clickOrder : keyOrder) << (call.mouse ? call.data : call.code);
        QList<int> expectedClicks, expectedKeys;
        for (int i = 0; i < kClicks; ++i)
            expectedClicks << i;
        for (int i = 0; i < kKeys; ++i)
            expectedKeys << i;
        QCOMPARE(clickOrder, expectedClicks);
        QCOMPARE(keyOrder, expectedKeys);
        QCOMPARE(recorder.libinput().presses(kLeft), kClicks);
    }

    // The destructor sends what is held, in order: with the worker at the due times, without
    // one (a clock that never moves) at once; no press is lost and no button stays down.
    void destructorFlushes_data() {
        QTest::addColumn<bool>("worker");
        QTest::newRow("worker, real clock") << true;
        QTest::newRow("no worker, stopped clock") << false;
    }
    void destructorFlushes() {
        QFETCH(bool, worker);
        const qint64 frozen = 5000000;
        KPacedInjector::Clock clock = worker ? KPacedInjector::Clock(&KPacedInjector::steadyNowUs)
                                             : [frozen] { return frozen; };
        Recorder recorder(clock);
        const QList<Input> inputs = repeat(click(), 3) + chord(KVK::LCONTROL, 'V');
        {
            auto paced = worker ? std::make_unique<KPacedInjector>(&recorder)
                                : std::make_unique<KPacedInjector>(&recorder, clock);
            for (const Input& input : inputs)
                send(paced.get(), input);
            QCOMPARE(paced->heldCount(), inputs.size() - 1);
        }
        QCOMPARE(inputsOf(recorder.calls()), inputs);
        const LibinputDebounce libinput = recorder.libinput();
        // At once, libinput merges them; the buttons are up either way.
        QCOMPARE(libinput.presses(kLeft), worker ? 3 : 1);
        QCOMPARE(libinput.notified.size(), 2 * libinput.presses(kLeft));
        QVERIFY(!libinput.notified.isEmpty() && !libinput.notified.last().pressed);
    }
};

QTEST_GUILESS_MAIN(TestPacedInjector)
#include "tst_pacedinjector.moc"
