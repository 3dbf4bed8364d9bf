#pragma once

#include <QObject>
#include <QString>

#include <functional>

class KHidBackend;

namespace KHID {
class KUSBDevice;
}

// The receiver's pairing protocol: one output and one input report, both with report ID 0xBA.
// Every operation blocks (the pairing thread runs it) and pauses between the steps the receiver
// needs.
class MouseCommunity : public QObject {
    Q_OBJECT
public:
    static constexpr quint8 PAIR_REPORT_ID = 0xBA;
    static constexpr int BUFFER_SIZE = 1024;

    struct ReceiverIds {
        quint32 vendorId = 0;
        quint32 productId = 0;
        quint32 usage = 0;
        quint32 usagePage = 0;
    };

    // How the protocol pauses; tests replace it to run without waiting (empty: real sleep).
    using Sleeper = std::function<void(int milliseconds)>;
    static void setSleeper(Sleeper sleeper);
    static void pause(int milliseconds);

    explicit MouseCommunity(QObject* parent = nullptr);
    ~MouseCommunity() override;

    bool initialized = false;
    ReceiverIds receiverIds;
    KHID::KUSBDevice* receiverDevice = nullptr;
    int pairType = 1;

signals:
    void sigPairResult(bool status, QString msg);

public slots:
    virtual bool entryPair() = 0;
    virtual quint8 readStatus() = 0;
    virtual bool beginPairing() = 0;
    virtual bool pollPairResult() = 0;
    virtual bool endPairing() = 0;

protected:
    // Clears both buffers and puts the command after the report ID.
    void prepareCommand(std::initializer_list<quint8> bytes);

    quint8 commandBuffer[BUFFER_SIZE];
    quint8 responseBuffer[BUFFER_SIZE];
    int commandLength = 0;
};

// The protocol over the receiver's vendor-defined HID interface.
class MouseCommunityBT : public MouseCommunity {
    Q_OBJECT
public:
    using MouseCommunity::MouseCommunity;

public slots:
    bool entryPair() override;
    quint8 readStatus() override;
    bool beginPairing() override;
    bool pollPairResult() override;
    bool endPairing() override;

private:
    // One write-then-read exchange of the prepared command; false when either step fails.
    bool exchange(int pauseBeforeWrite);
    // The reply's status and result bytes. The receiver may write its status over the report
    // ID (01 xx ...) or, as HID devices answering GET_REPORT do, send the report ID first
    // (BA 01 xx ...), which hidraw hands over unchanged: then the reply follows the ID.
    const quint8* reply() const;
    // Up to three exchanges of the command; accept decides whether a reply counts.
    bool tryCommand(std::initializer_list<quint8> bytes,
                    const std::function<bool(const quint8* reply)>& accept);
};
