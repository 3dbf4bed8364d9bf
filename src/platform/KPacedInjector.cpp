#include "platform/KPacedInjector.h"

#include "platform/KInputCodes.h"

#include <algorithm>
#include <chrono>
#include <limits>

namespace {

// Far enough in the past that adding the gap cannot overflow.
constexpr qint64 kLongAgo = std::numeric_limits<qint64>::min() / 2;

// The buttons a mouse event presses (down) or releases (up), one bit each: left, right, middle,
// back, forward. The side buttons' data word is a mask: XBUTTON1 is back, XBUTTON2 forward.
unsigned buttonMask(quint32 flags, qint32 data, bool down) {
    using namespace KMouseFlag;
    unsigned mask = 0;
    if (flags & (down ? LEFTDOWN : LEFTUP))
        mask |= 1u << 0;
    if (flags & (down ? RIGHTDOWN : RIGHTUP))
        mask |= 1u << 1;
    if (flags & (down ? MIDDLEDOWN : MIDDLEUP))
        mask |= 1u << 2;
    if (flags & (down ? XDOWN : XUP)) {
        if (data & XBUTTON1)
            mask |= 1u << 3;
        if (data & XBUTTON2)
            mask |= 1u << 4;
    }
    return mask;
}

}  // namespace

qint64 KPacedInjector::steadyNowUs() {
    return std::chrono::duration_cast<std::chrono::microseconds>(
               std::chrono::steady_clock::now().time_since_epoch())
        .count();
}

KPacedInjector::KPacedInjector(KInputInjector* inner)
    : m_inner(inner), m_clock(&KPacedInjector::steadyNowUs), m_useWorker(true) {
    std::fill(std::begin(m_lastRelease), std::end(m_lastRelease), kLongAgo);
}

KPacedInjector::KPacedInjector(KInputInjector* inner, Clock clock)
    : m_inner(inner), m_clock(std::move(clock)), m_useWorker(false) {
    std::fill(std::begin(m_lastRelease), std::end(m_lastRelease), kLongAgo);
}

KPacedInjector::~KPacedInjector() {
    std::unique_lock<std::mutex> lock(m_mutex);
    if (m_worker.joinable()) {
        m_stopping = true;
        m_stopDeadline = m_clock() + kFlushLimitUs;
        m_wake.notify_all();
        lock.unlock();
        m_worker.join();
        lock.lock();
    }
    // Without a worker, or past the limit: the rest at once, in order.
    while (!m_held.empty()) {
        const Event event = m_held.front();
        m_held.pop_front();
        sendLocked(event);
    }
    m_idle.notify_all();
}

void KPacedInjector::sendKey(quint8 vk, bool up, quintptr extraInfo) {
    submit({false, vk, up ? 1 : 0, extraInfo});
}

void KPacedInjector::sendMouse(quint32 flags, qint32 data, quintptr extraInfo) {
    submit({true, flags, data, extraInfo});
}

void KPacedInjector::submit(const Event& event) {
    std::lock_guard<std::mutex> lock(m_mutex);
    if (m_held.empty()) {
        const qint64 due = dueTime(event);
        if (due == kLongAgo || due <= m_clock()) {
            sendLocked(event);
            return;
        }
    }
    m_held.push_back(event);
    if (m_useWorker) {
        if (!m_worker.joinable())
            m_worker = std::thread([this] { run(); });
        m_wake.notify_one();
    }
}

qint64 KPacedInjector::dueTime(const Event& event) const {
    qint64 due = kLongAgo;
    if (!event.mouse)
        return due;
    const unsigned pressed = buttonMask(event.code, event.data, true);
    for (int button = 0; button < kButtons; ++button)
        if (pressed & (1u << button))
            due = std::max(due, m_lastRelease[button] + kReleaseToPressUs);
    return due;
}

void KPacedInjector::sendLocked(const Event& event) {
    if (!event.mouse) {
        m_inner->sendKey(quint8(event.code), event.data != 0, event.extraInfo);
        return;
    }
    m_inner->sendMouse(event.code, event.data, event.extraInfo);
    // The release time is taken after the event left, so that the gap is at least the
    // constant as the system sees it.
    const unsigned released = buttonMask(event.code, event.data, false);
    if (!released)
        return;
    const qint64 now = m_clock();
    for (int button = 0; button < kButtons; ++button)
        if (released & (1u << button))
            m_lastRelease[button] = now;
}

qint64 KPacedInjector::sendDue() {
    std::lock_guard<std::mutex> lock(m_mutex);
    while (!m_held.empty()) {
        const qint64 due = dueTime(m_held.front());
        if (due != kLongAgo && due > m_clock())
            return due;
        const Event event = m_held.front();
        m_held.pop_front();
        sendLocked(event);
    }
    m_idle.notify_all();
    return -1;
}

int KPacedInjector::heldCount() const {
    std::lock_guard<std::mutex> lock(m_mutex);
    return int(m_held.size());
}

bool KPacedInjector::waitUntilIdle(int timeoutMs) const {
    std::unique_lock<std::mutex> lock(m_mutex);
    return m_idle.wait_for(lock, std::chrono::milliseconds(timeoutMs),
                           [this] { return m_held.empty(); });
}

void KPacedInjector::run() {
    std::unique_lock<std::mutex> lock(m_mutex);
    while (true) {
        if (m_held.empty()) {
            m_idle.notify_all();
            if (m_stopping)
                return;
            m_wake.wait(lock);
            continue;
        }
        const qint64 now = m_clock();
        if (m_stopping && now >= m_stopDeadline)
            return;  // the destructor sends the rest at once
        const qint64 due = dueTime(m_held.front());
        if (due == kLongAgo || due <= now) {
            const Event event = m_held.front();
            m_held.pop_front();
            sendLocked(event);
            continue;
        }
        const qint64 until = m_stopping ? std::min(due, m_stopDeadline) : due;
        m_wake.wait_for(lock, std::chrono::microseconds(until - now));
    }
}
