#include "device/KDeviceHookBle.h"

#include "device/KBLEMsgHook.h"
#include "device/KDeviceWatcher.h"
#include "device/KMonotonicClock.h"
#include "device/KRawInput.h"
#include "simulation/KDeviceKeyCode.h"
#include "simulation/KMouseSimulator.h"

#include <QMutexLocker>

namespace {

void replayThroughMouseSimulator(quint32 code) {
    KMouseSimulator::instance()->replayNativeAction(code);
}

}  // namespace

KBleEventPairing::Pass KBleEventPairing::pass(qint64 now, qint64 windowMs) {
    Pass result;
    if (!deviceEvents.isEmpty()) {
        const quint32 code = deviceEvents.first().code;
        for (int i = 0; i < hookEvents.size(); ++i) {
            if (hookEvents.at(i).code == code) {
                result.emitted << code;
                deviceEvents.removeFirst();
                hookEvents.removeAt(i);
                break;
            }
        }
        if (!deviceEvents.isEmpty()) {
            if (now - deviceEvents.first().time > windowMs)
                deviceEvents.removeFirst();  // a confirmation nothing asked for
            else
                result.pause = true;
        }
        return result;
    }
    for (int i = 0; i < hookEvents.size();) {
        if (now - hookEvents.at(i).time > windowMs) {
            result.replayed << hookEvents.at(i).code;
            hookEvents.removeAt(i);
        } else {
            ++i;
        }
    }
    result.pause = !hookEvents.isEmpty();
    return result;
}

KDeviceHookBleWork::KDeviceHookBleWork(Replay replay, Clock clock, QObject* parent)
    : QObject(parent),
      m_replay(replay ? std::move(replay) : Replay(replayThroughMouseSimulator)),
      m_clock(clock ? std::move(clock) : Clock(monotonicMs)) {}

void KDeviceHookBleWork::setTiming(int windowMs, int pauseMs) {
    m_windowMs = windowMs;
    m_pauseMs = pauseMs;
}

void KDeviceHookBleWork::setReplay(Replay replay) {
    QMutexLocker lock(&mutex);
    m_replay = replay ? std::move(replay) : Replay(replayThroughMouseSimulator);
}

void KDeviceHookBleWork::pushHookEvent(const quint32& code) {
    push(true, code);
}

void KDeviceHookBleWork::pushDeviceEvent(const quint32& code) {
    push(false, code);
}

void KDeviceHookBleWork::push(bool fromHook, quint32 code) {
    if (state != Running)
        return;
    QMutexLocker lock(&mutex);
    if (fromHook)
        events.pushHookEvent(code, m_clock());
    else
        events.pushDeviceEvent(code, m_clock());
    if (wakeSemaphore.available() < 1)
        wakeSemaphore.release(1);
}

void KDeviceHookBleWork::requestStop() {
    state = Stopped;
    if (wakeSemaphore.available() <= 0)
        wakeSemaphore.release(1);
}

void KDeviceHookBleWork::work() {
    int idle = Idle;
    if (!state.compare_exchange_strong(idle, Running))
        return;  // stopped before the loop began
    while (state == Running) {
        bool empty = false;
        {
            QMutexLocker lock(&mutex);
            empty = events.isEmpty();
        }
        if (empty)
            wakeSemaphore.acquire();

        KBleEventPairing::Pass pass;
        Replay replay;
        {
            QMutexLocker lock(&mutex);
            pass = events.pass(m_clock(), m_windowMs);
            replay = m_replay;
        }
        // Emissions and replays happen outside the lock, in the order the pass decided them, so
        // that the hooks never wait for them.
        for (quint32 code : qAsConst(pass.emitted))
            emit sigKeyDown(code);
        for (quint32 code : qAsConst(pass.replayed))
            replay(code);
        // The pause waits without the lock; a new report ends it early.
        if (pass.pause)
            wakeSemaphore.tryAcquire(1, m_pauseMs);
    }
}

KDeviceHookBle::KDeviceHookBle(KDeviceWatcher* watcher, const Backends& backends, QObject* parent)
    : KHookBase(parent), m_watcher(watcher ? watcher : KDeviceWatcher::instance()) {
    msgHook = new KBLEMsgHook([this](quint32 code) { onMsgHookKey(code); }, backends.hooks, this);
    rawInput =
        new KRawInput([this](quint32 code) { onRawInputKey(code); }, backends.rawInput, this);
    workerThread = new QThread;
    worker = new KDeviceHookBleWork;
    worker->moveToThread(workerThread);
    connect(workerThread, &QThread::started, worker, &KDeviceHookBleWork::work);
    connect(worker, &KDeviceHookBleWork::sigKeyDown, this, &KHookBase::sigKeyDown);
    workerThread->start(QThread::TimeCriticalPriority);
}

KDeviceHookBle::~KDeviceHookBle() {
    if (msgHook->isInstalled())
        msgHook->removeHooks(BleHookBoth);
    if (rawInput->isActive())
        rawInput->stop();
    worker->requestStop();
    workerThread->quit();
    workerThread->wait();
    // The thread has ended: nothing can reach the worker any more.
    delete worker;
    delete workerThread;
}

bool KDeviceHookBle::startHook() {
    stopHook();
    const QVariantMap map = m_watcher->getDeviceConnect(false);
    const int mice = map.value(QStringLiteral("bleMs")).toInt();
    const int keyboards = map.value(QStringLiteral("bleKb")).toInt();
    if (mice >= 1 && keyboards >= 1) {
        msgHook->installHooks(BleHookBoth);
        rawInput->start(true);
    } else if (mice >= 1) {
        msgHook->installHooks(BleHookMouse);
        rawInput->start(true);
    } else if (keyboards >= 1) {
        msgHook->installHooks(BleHookKeyboard);
    }
    return true;
}

bool KDeviceHookBle::stopHook() {
    if (msgHook->isInstalled())
        msgHook->removeHooks(BleHookBoth);
    if (rawInput->isActive())
        rawInput->stop();
    return true;
}

bool KDeviceHookBle::setMouseMask(const quint32& mask) {
    mouseMask = mask;
    msgHook->setMouseMask(mask);
    rawInput->setMouseMask(mask);
    return true;
}

bool KDeviceHookBle::setKeyboardMask(const quint32& mask) {
    keyboardMask = mask;
    msgHook->setKeyboardMask(mask);
    return true;
}

void KDeviceHookBle::onMsgHookKey(quint32 code) {
    worker->pushHookEvent(code);
    if (code > KDeviceKeyCode::KEYBOARD_FLAG)
        worker->pushDeviceEvent(code);  // a keyboard key confirms itself
}

void KDeviceHookBle::onRawInputKey(quint32 code) {
    worker->pushDeviceEvent(code);
}
