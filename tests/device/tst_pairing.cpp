#include "device/KUSBDevice.h"
#include "device/MCPairMutiThread.h"
#include "device/MouseCommunity.h"
#include "platform/sim/KSimController.h"
#include "platform/sim/KSimDevices.h"
#include "platform/sim/KSimReceiverFirmware.h"

#include <QJsonDocument>
#include <QJsonObject>
#include <QSignalSpy>
#include <QThread>
#include <QtTest>

#include <atomic>
#include <memory>

namespace {

// The exchanges on the receiver's pairing interface, as "out:<hex>" / "in:<hex>" (trailing zero
// bytes dropped), read back from the simulation log.
QStringList exchanges(const QString& logPath) {
    QStringList lines;
    QFile file(logPath);
    if (!file.open(QIODevice::ReadOnly))
        return lines;
    for (const QByteArray& raw : file.readAll().split('\n')) {
        const QJsonObject event = QJsonDocument::fromJson(raw).object();
        const QString kind = event.value("kind").toString();
        if (kind != "hid-out" && kind != "hid-in")
            continue;
        QString bytes = event.value("bytes").toString();
        while (bytes.endsWith(" 00"))
            bytes.chop(3);
        const QString tag = kind == "hid-out" ? "out:" : "in:";
        lines << (event.value("ok").toBool() ? tag + bytes : tag + "fail");
    }
    return lines;
}

}  // namespace

class TestPairing : public QObject {
    Q_OBJECT

    QTemporaryDir dir;
    std::unique_ptr<KSimController> controller;
    std::unique_ptr<KSimDevices> devices;
    std::unique_ptr<KSimHidBackend> hid;
    std::unique_ptr<KSimReceiverFirmware> firmwarePtr;
    KSimReceiverFirmware& firmware() { return *firmwarePtr; }
    QString logPath;
    int runs = 0;
    // Pauses taken by the protocol, recorded instead of slept.
    QList<int> pauses;
    QMutex pausesMutex;
    std::atomic<int> pauseMs{0};

    void setUpSimulation(const QStringList& present) {
        logPath = dir.filePath(QString("sim-%1.log").arg(++runs));
        KSimController::Options options;
        options.devices = present;
        options.logPath = logPath;
        hid.reset();
        devices.reset();
        controller = std::make_unique<KSimController>(options);
        controller->start();
        devices = std::make_unique<KSimDevices>(controller.get());
        hid = std::make_unique<KSimHidBackend>(devices.get());
        firmwarePtr = std::make_unique<KSimReceiverFirmware>();
        firmware().serve(devices.get());
        firmware().registerCommands(controller.get());
    }

    // Runs one attempt to its result and returns the result signal's arguments.
    QList<QVariant> pairOnce(MCPairMutiThread& pair, int type = 1) {
        QSignalSpy result(&pair, &MCPairMutiThread::sigPairResult);
        pair.startPair(type);
        if (!result.wait(20000))
            return {};
        return result.takeFirst();
    }

private slots:
    void init() {
        pauses.clear();
        MouseCommunity::setSleeper([this](int ms) {
            {
                QMutexLocker lock(&pausesMutex);
                pauses << ms;
            }
            if (pauseMs)
                QThread::msleep(ulong(pauseMs.load()));
        });
        pauseMs = 0;
    }
    void cleanup() { MouseCommunity::setSleeper({}); }

    void successfulAttemptsByType_data() {
        QTest::addColumn<int>("type");
        QTest::addColumn<QString>("begin");
        QTest::addColumn<QString>("paired");
        QTest::newRow("mouse") << 1 << "ba a0 81 01"
                               << "01 01";
        QTest::newRow("keyboard") << 2 << "ba a0 81 02"
                                  << "01 02";
        QTest::newRow("any other type") << 7 << "ba a0 81 02"
                                        << "01 02";
    }
    void successfulAttemptsByType() {
        QFETCH(int, type);
        QFETCH(QString, begin);
        QFETCH(QString, paired);
        setUpSimulation({"receiver"});
        firmware().setSucceedAfter(2);
        MCPairMutiThread pair(hid.get());
        const QList<QVariant> result = pairOnce(pair, type);
        QCOMPARE(result.value(0).toBool(), true);
        QCOMPARE(result.value(1).toString(), QString("Matched successfully"));
        QCOMPARE(exchanges(logPath),
                 QStringList({"out:" + begin, "in:01", "out:ba a1 01", "in:01 03", "out:ba a1 01",
                              "in:" + paired, "out:ba a1 84", "in:01"}));
        // Begin: 50 before the write, 50 before the read; each poll 300 + 50; end 50 + 50.
        QCOMPARE(pauses, QList<int>({50, 50, 300, 50, 300, 50, 50, 50}));
        QTRY_VERIFY(!pair.pairingThread()->isRunning());
        QVERIFY(!firmware().inPairingMode());
    }

    void defaultTypeIsMouse() {
        setUpSimulation({"receiver"});
        firmware().setSucceedAfter(1);
        MCPairMutiThread pair(hid.get());
        QSignalSpy result(&pair, &MCPairMutiThread::sigPairResult);
        pair.startPair();
        QVERIFY(result.wait(20000));
        QCOMPARE(exchanges(logPath).value(0), QString("out:ba a0 81 01"));
    }

    void neverPairedEndsAfterFiftyPolls() {
        setUpSimulation({"receiver"});
        QCOMPARE(controller->execute("receiver pairing never").line(), QString("ok"));
        MCPairMutiThread pair(hid.get());
        const QList<QVariant> result = pairOnce(pair);
        QCOMPARE(result.value(0).toBool(), false);
        QCOMPARE(result.value(1).toString(), QString("Failed to match"));
        const QStringList log = exchanges(logPath);
        QCOMPARE(log.count("out:ba a1 01"), 50);
        QCOMPARE(log.count("in:01 03"), 50);
        QCOMPARE(log.last(), QString("in:01"));
        QCOMPARE(log.at(log.size() - 2), QString("out:ba a1 84"));  // ended after the failure
        QCOMPARE(pauses.count(300), 50);
    }

    void ioFailuresDuringThePoll() {
        // The receiver stops answering after pairing mode was entered: three failed polls end
        // the attempt, and the end command is still tried (three times).
        setUpSimulation({"receiver"});
        firmware().setSucceedAfter(KSimReceiverFirmware::NEVER);
        MCPairMutiThread pair(hid.get());
        QSignalSpy result(&pair, &MCPairMutiThread::sigPairResult);
        std::atomic<int> polls{0};
        MouseCommunity::setSleeper([&](int ms) {
            if (ms == 300 && ++polls == 2)
                firmware().setIoFailing(true);
        });
        pair.startPair();
        QVERIFY(result.wait(20000));
        QCOMPARE(result.at(0).at(0).toBool(), false);
        QCOMPARE(result.at(0).at(1).toString(), QString("Failed to match"));
        const QStringList log = exchanges(logPath);
        QCOMPARE(log.count("out:ba a1 01"), 1);  // the first poll got through
        QCOMPARE(polls.load(), 4);               // then three failed ones
        QCOMPARE(log.count("out:fail"), 3 + 3);  // three polls, three end tries
    }

    void beginFailureEndsTheAttempt() {
        setUpSimulation({"receiver"});
        QCOMPARE(controller->execute("receiver io-fail").line(), QString("ok"));
        MCPairMutiThread pair(hid.get());
        QList<QVariant> result = pairOnce(pair);
        QCOMPARE(result.value(0).toBool(), false);
        QCOMPARE(result.value(1).toString(),
                 QString("Failed to start matching, please reconnect the receiver"));
        QCOMPARE(exchanges(logPath), QStringList({"out:fail", "out:fail", "out:fail"}));
        // The next attempt starts and, with the receiver answering again, pairs.
        QCOMPARE(controller->execute("receiver io-ok").line(), QString("ok"));
        QCOMPARE(controller->execute("receiver pairing succeed-after 1").line(), QString("ok"));
        result = pairOnce(pair);
        QCOMPARE(result.value(0).toBool(), true);
    }

    // Without access to the receiver's node, the attempt says what is missing and how to grant
    // it, not that the receiver should be replugged; with access granted it pairs.
    void missingAccessIsNamed() {
        setUpSimulation({"receiver"});
        QCOMPARE(controller->execute("receiver access denied").line(), QString("ok"));
        MCPairMutiThread pair(hid.get());
        QList<QVariant> result = pairOnce(pair);
        QCOMPARE(result.value(0).toBool(), false);
        const QString message = result.value(1).toString();
        QVERIFY2(message.contains("No permission") && message.contains("70-pointora.rules") &&
                     message.contains("udevadm"),
                 qPrintable(message));
        QVERIFY(!message.contains("reconnect"));
        QCOMPARE(controller->execute("receiver access granted").line(), QString("ok"));
        QCOMPARE(controller->execute("receiver pairing succeed-after 1").line(), QString("ok"));
        result = pairOnce(pair);
        QCOMPARE(result.value(0).toBool(), true);
    }

    // A receiver that answers GET_REPORT with its report ID first, as HID devices do (hidraw
    // hands the bytes over unchanged), is read after the ID: it pairs, and a receiver that keeps
    // searching does not.
    void replyAfterTheReportId() {
        setUpSimulation({"receiver"});
        QCOMPARE(controller->execute("receiver reply id-first").line(), QString("ok"));
        QCOMPARE(controller->execute("receiver pairing succeed-after 2").line(), QString("ok"));
        MCPairMutiThread pair(hid.get());
        QList<QVariant> result = pairOnce(pair);
        QCOMPARE(result.value(0).toBool(), true);
        QVERIFY(exchanges(logPath).contains("in:ba 01 01"));
        QCOMPARE(controller->execute("receiver pairing never").line(), QString("ok"));
        result = pairOnce(pair);
        QCOMPARE(result.value(0).toBool(), false);
        QCOMPARE(result.value(1).toString(), QString("Failed to match"));
    }

    void noReceiver() {
        setUpSimulation({"ble-mouse"});
        MCPairMutiThread pair(hid.get());
        QSignalSpy result(&pair, &MCPairMutiThread::sigPairResult);
        pair.startPair();
        QVERIFY(result.wait(5000));
        QTRY_VERIFY(!pair.pairingThread()->isRunning());
        QTest::qWait(100);
        QCOMPARE(result.size(), 1);
        QCOMPARE(result.at(0).at(0).toBool(), false);
        QCOMPARE(result.at(0).at(1).toString(), QString("Not detected equipment"));
        QVERIFY(exchanges(logPath).isEmpty());
    }

    void secondStartWhileRunningStartsNothing() {
        setUpSimulation({"receiver"});
        firmware().setSucceedAfter(3);
        pauseMs = 5;  // keep the attempt running for a while
        MCPairMutiThread pair(hid.get());
        QSignalSpy result(&pair, &MCPairMutiThread::sigPairResult);
        pair.startPair(1);
        pair.startPair(2);
        QVERIFY(result.wait(20000));
        QTest::qWait(200);
        QCOMPARE(result.size(), 1);
        QCOMPARE(exchanges(logPath).count("out:ba a0 81 01"), 1);
        QCOMPARE(exchanges(logPath).count("out:ba a0 81 02"), 0);
    }

    void retryRightAfterAResultIsNotLost() {
        setUpSimulation({"receiver"});
        firmware().setSucceedAfter(1);
        MCPairMutiThread pair(hid.get());
        int results = 0;
        // The interface starts the next attempt the moment the first result arrives.
        connect(&pair, &MCPairMutiThread::sigPairResult, this, [&] {
            if (++results == 1)
                pair.startPair(2);
        });
        pair.startPair(1);
        QTRY_COMPARE_WITH_TIMEOUT(results, 2, 20000);
        QCOMPARE(exchanges(logPath).count("out:ba a0 81 02"), 1);
    }

    void firmwareStatusAndCommands() {
        setUpSimulation({"receiver"});
        QVERIFY(controller->execute("receiver pairing succeed-after 0").line().startsWith("error"));
        QVERIFY(controller->execute("receiver pairing sometimes").line().startsWith("error"));
        QVERIFY(controller->execute("receiver").line().startsWith("error: usage"));
        // Status through the protocol object: nothing paired, then the keyboard.
        KHID::KUSBDevice* device = new KHID::KUSBDevice(hid.get());
        QVERIFY(device->open(0x24AE, 0x2013, 0x0E, 0xFF00, 0));
        MouseCommunityBT protocol;
        protocol.receiverDevice = device;
        protocol.initialized = true;
        QCOMPARE(protocol.readStatus(), quint8(0));
        firmware().setSucceedAfter(1);
        protocol.pairType = 2;
        QSignalSpy result(&protocol, &MouseCommunity::sigPairResult);
        QVERIFY(protocol.entryPair());
        QCOMPARE(result.size(), 1);
        QCOMPARE(protocol.readStatus(), quint8(0x02));
    }

    void protocolWithoutReceiver() {
        MouseCommunityBT protocol;
        QSignalSpy result(&protocol, &MouseCommunity::sigPairResult);
        QVERIFY(!protocol.entryPair());
        QCOMPARE(result.size(), 1);
        QCOMPARE(result.at(0).at(1).toString(), QString("Failed to init"));
        QVERIFY(!protocol.beginPairing());
        QCOMPARE(protocol.readStatus(), quint8(0));
    }
};

QTEST_GUILESS_MAIN(TestPairing)
#include "tst_pairing.moc"
