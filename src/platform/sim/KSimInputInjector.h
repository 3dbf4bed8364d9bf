#pragma once

#include "platform/KInputInjector.h"

#include <QList>
#include <QMutex>

class KSimController;

// The simulated system's input: every event is written to the simulation log
// ({"kind":"key","vk":91,"up":false,"tag":9591}, {"kind":"mouse","flags":6,"data":0,"tag":9591})
// and kept in a short history for tests. POINTORA_SIM_INJECTION=x11-programs|nobody makes it
// report the reach of XTest in a Wayland session or of no injection at all, as the Linux
// injector does without /dev/uinput (the events are still logged).
class KSimInputInjector : public KInputInjector {
public:
    struct Event {
        enum Kind { Key, Mouse } kind = Key;
        quint32 code = 0;  // virtual key or mouse flags
        qint32 data = 0;   // key: 1 for a release, mouse: the data word
        quintptr tag = 0;
        bool operator==(const Event& other) const {
            return kind == other.kind && code == other.code && data == other.data &&
                   tag == other.tag;
        }
    };
    static Event key(quint8 vk, bool up, quintptr tag) { return {Event::Key, vk, up ? 1 : 0, tag}; }
    static Event mouse(quint32 flags, qint32 data, quintptr tag) {
        return {Event::Mouse, flags, data, tag};
    }

    // The history keeps the most recent events up to this many.
    static constexpr int kHistoryLimit = 4096;

    // controller: where the events are logged; null keeps only the history.
    explicit KSimInputInjector(KSimController* controller);

    void sendKey(quint8 vk, bool up, quintptr extraInfo) override;
    void sendMouse(quint32 flags, qint32 data, quintptr extraInfo) override;
    QString method() const override { return QStringLiteral("sim"); }
    Reach reach() const override { return m_reach; }
    void setReach(Reach reach) { m_reach = reach; }

    // Returns the recorded events and forgets them.
    QList<Event> takeHistory();

private:
    void record(const Event& event);

    KSimController* m_controller;
    QMutex m_mutex;
    QList<Event> m_history;
    Reach m_reach = Reach::Everyone;
};
