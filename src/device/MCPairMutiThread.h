#pragma once

#include <QObject>
#include <QString>

#include <atomic>

class KHidBackend;
class MouseCommunityBT;
class QThread;

// Runs one pairing attempt in the pairing thread: finds the receiver, opens it and lets the
// protocol object pair.
class MCPairMutiThreadWork : public QObject {
    Q_OBJECT
public:
    // hidBackend: where to look for the receiver (null: the platform's HID backend).
    explicit MCPairMutiThreadWork(KHidBackend* hidBackend = nullptr, QObject* parent = nullptr);
    ~MCPairMutiThreadWork() override;

    int pairType = 1;
    bool isBusy() const { return busy; }

signals:
    void sigPairResult(bool status, QString msg);

public slots:
    void slotStartPair();

private:
    MouseCommunityBT* community = nullptr;
    bool busy = false;
    KHidBackend* hidBackend;
};

// Starts pairing attempts from the interface and reports their results in the main thread.
class MCPairMutiThread : public QObject {
    Q_OBJECT
public:
    explicit MCPairMutiThread(KHidBackend* hidBackend = nullptr, QObject* parent = nullptr);
    ~MCPairMutiThread() override;

    Q_INVOKABLE void startPair(int type = 1);

    QThread* pairingThread() const { return thread; }

signals:
    void sigPairResult(bool status, QString msg);

private:
    QThread* thread = nullptr;
    MCPairMutiThreadWork* worker = nullptr;
    KHidBackend* hidBackend;
    // True from the start of an attempt until its result; the thread may still be winding down
    // for a moment after that.
    std::atomic<bool> attemptRunning{false};
};
