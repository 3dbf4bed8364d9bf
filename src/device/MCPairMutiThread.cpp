#include "device/MCPairMutiThread.h"

#include "device/KReceiverIds.h"
#include "device/KUSBDevice.h"
#include "device/MouseCommunity.h"

#include <QThread>

namespace {
constexpr quint16 kReceiverUsage = 0x000E;
constexpr quint16 kReceiverUsagePage = 0xFF00;
}  // namespace

MCPairMutiThreadWork::MCPairMutiThreadWork(KHidBackend* hidBackend, QObject* parent)
    : QObject(parent), hidBackend(hidBackend) {}

MCPairMutiThreadWork::~MCPairMutiThreadWork() {
    delete community;
}

void MCPairMutiThreadWork::slotStartPair() {
    if (busy)
        return;
    if (!community) {
        community = new MouseCommunityBT;
        connect(community, &MouseCommunity::sigPairResult, this,
                &MCPairMutiThreadWork::sigPairResult);
        connect(
            community, &MouseCommunity::sigPairResult, this, [this] { busy = false; },
            Qt::DirectConnection);
    }

    quint16 vendorId = 0;
    quint16 productId = 0;
    bool found = false;
    KHID::KUSBDevice::enumerateDevices(
        [&](KHID::KHidDetail detail, bool& keepGoing) {
            if (KHID::isSupportedReceiver(detail.vendorId, detail.productId)) {
                vendorId = detail.vendorId;
                productId = detail.productId;
                found = true;
                keepGoing = false;
            }
        },
        hidBackend);
    if (!found) {
        emit sigPairResult(false, tr("Not detected equipment"));
        return;
    }

    if (community->receiverDevice) {
        community->receiverDevice->deleteLater();
        community->receiverDevice = nullptr;
    }
    community->receiverDevice = new KHID::KUSBDevice(hidBackend);
    community->receiverDevice->open(vendorId, productId, kReceiverUsage, kReceiverUsagePage, 0);
    community->receiverIds = {vendorId, productId, kReceiverUsage, kReceiverUsagePage};
    community->initialized = true;

    busy = true;
    community->pairType = pairType;
    community->entryPair();
}

MCPairMutiThread::MCPairMutiThread(KHidBackend* hidBackend, QObject* parent)
    : QObject(parent), hidBackend(hidBackend) {}

MCPairMutiThread::~MCPairMutiThread() {
    if (thread) {
        thread->quit();
        thread->wait();
        delete worker;
        delete thread;
    }
}

void MCPairMutiThread::startPair(int type) {
    if (!thread) {
        thread = new QThread;
        worker = new MCPairMutiThreadWork(hidBackend);
        worker->moveToThread(thread);
        connect(thread, &QThread::started, worker, &MCPairMutiThreadWork::slotStartPair);
        QThread* pairing = thread;
        connect(
            worker, &MCPairMutiThreadWork::sigPairResult, worker,
            [this, pairing] {
                attemptRunning = false;
                pairing->quit();
            },
            Qt::DirectConnection);
        // After the handler above, so that the attempt counts as over before the main thread
        // can hear of its result and ask for the next one.
        connect(worker, &MCPairMutiThreadWork::sigPairResult, this,
                &MCPairMutiThread::sigPairResult);
    }
    if (thread->isRunning()) {
        // An attempt in progress: this request starts nothing.
        if (attemptRunning)
            return;
        // The last attempt has reported and its thread is ending: a retry right after a result
        // must not be lost, so let the thread finish first (a matter of moments).
        thread->wait();
    }
    // The type is set only while no attempt runs, so a running attempt never sees it change.
    worker->pairType = type;
    attemptRunning = true;
    thread->start(QThread::TimeCriticalPriority);
}
