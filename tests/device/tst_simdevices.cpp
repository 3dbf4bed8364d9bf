#include "device/KUSBDevice.h"
#include "platform/sim/KSimDevices.h"

#include <QJsonDocument>
#include <QJsonObject>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QtTest>

// The simulated devices: their HID interfaces and raw-input entries, the notifications of
// attach and detach, and where "press" sends an event.
class TestSimDevices : public QObject {
    Q_OBJECT

    struct Sim {
        QTemporaryDir dir;
        KSimController controller;
        KSimDevices devices{&controller};
        KSimHidBackend hid{&devices};
        KSimDeviceMonitor monitor{&devices};
        KSimRawInputBackend rawInput{&devices};
        KSimHookDriver driver{&devices};
        KSimLowLevelHookBackend hooks{&devices};
        explicit Sim(const QStringList& present)
            : controller(options(present, dir.path() + "/sim.log")) {
            controller.start();
        }
        static KSimController::Options options(const QStringList& present, const QString& log) {
            KSimController::Options o;
            o.devices = present;
            o.logPath = log;
            return o;
        }
        QList<QJsonObject> log(const QString& kind = QString()) {
            QList<QJsonObject> lines;
            QFile file(dir.path() + "/sim.log");
            file.open(QIODevice::ReadOnly);
            for (const QByteArray& line : file.readAll().split('\n')) {
                const QJsonObject o = QJsonDocument::fromJson(line).object();
                if (!line.isEmpty() && (kind.isEmpty() || o.value("kind").toString() == kind))
                    lines << o;
            }
            return lines;
        }
        QString run(const QString& command) { return controller.execute(command).line(); }
    };

    static QStringList describe(const QList<QJsonObject>& lines) {
        QStringList out;
        for (const QJsonObject& o : lines)
            out << QStringLiteral("%1 %2 %3%4")
                       .arg(o.value("kind").toString(), o.value("device").toString(),
                            o.value("event").toString(),
                            o.contains("down") ? (o.value("down").toBool() ? " down" : " up")
                                               : QString());
        return out;
    }

private slots:
    void receiverInterfaces() {
        Sim sim({"receiver"});
        QList<KHID::KHidDetail> receiver;
        KHID::KUSBDevice::enumerateDevices(
            [&](KHID::KHidDetail d, bool&) {
                if (d.vendorId == 0x24AE)
                    receiver << d;
            },
            &sim.hid);
        QCOMPARE(receiver.size(), 4);
        QSet<QByteArray> paths;
        for (const KHID::KHidDetail& d : receiver)
            paths.insert(d.devicePath);
        QCOMPARE(paths.size(), 4);
        QCOMPARE(receiver.at(0).caps.usagePage, quint16(1));
        QCOMPARE(receiver.at(0).caps.usage, quint16(2));
        QCOMPARE(receiver.at(1).caps.usagePage, quint16(0x0C));
        const KHID::KHidDetail& pairing = receiver.at(3);
        QCOMPARE(pairing.caps.usagePage, quint16(0xFF00));
        QCOMPARE(pairing.caps.usage, quint16(0x0E));
        QCOMPARE(pairing.caps.inputReportByteLength, quint16(33));
        QCOMPARE(pairing.caps.outputReportByteLength, quint16(33));
        QCOMPARE(pairing.productName, QString("2.4G Receiver"));
    }

    void pairingReportsReachTheResponder() {
        Sim sim({"receiver"});
        KHID::KUSBDevice device(&sim.hid);
        QVERIFY(device.open(0x24AE, 0x2013, 0x0E, 0xFF00, 0));
        const uchar command[] = {0xA7, 0, 0, 0};
        QVERIFY(device.writeOutputReport(0xBA, command, 4));
        uchar reply[33];
        QVERIFY(device.readInputReport(0xBA, reply, sizeof reply));
        QCOMPARE(reply[0], uchar(0xBA));  // no firmware: the ID and zeros
        QCOMPARE(reply[1], uchar(0));

        QByteArray written;
        sim.devices.setPairingResponder(
            [&](const uchar* r, int n) {
                written = QByteArray(reinterpret_cast<const char*>(r), n);
                return true;
            },
            [](uchar* r, int) {
                r[0] = 0x01;
                r[1] = 0x03;
                return true;
            });
        QVERIFY(device.writeOutputReport(0xBA, command, 4));
        QCOMPARE(written.left(5), QByteArray::fromHex("baa7000000"));
        QCOMPARE(written.size(), 33);
        QVERIFY(device.readInputReport(0xBA, reply, sizeof reply));
        QCOMPARE(reply[1], uchar(0x03));
        QCOMPARE(sim.log("hid-out").size(), 2);
        QVERIFY(sim.log("hid-out").first().value("bytes").toString().startsWith("ba a7 00"));

        QVERIFY(sim.controller.detach("receiver"));
        QVERIFY(!device.writeOutputReport(0xBA, command, 4));  // the device is gone
    }

    void attachAndDetachAnnounceEveryInterface() {
        Sim sim({});
        QSignalSpy spy(&sim.monitor, &KDeviceMonitor::deviceChanged);
        QVERIFY(sim.controller.attach("receiver"));
        QCOMPARE(spy.count(), 4);
        QVERIFY(spy.first().at(0).toBool());
        QVERIFY(sim.controller.attach("ble-mouse"));
        QCOMPARE(spy.count(), 5);
        QVERIFY(sim.controller.detach("receiver"));
        QCOMPARE(spy.count(), 9);
        QVERIFY(!spy.last().at(0).toBool());
        QSignalSpy resumed(&sim.monitor, &KDeviceMonitor::sessionResumed);
        QCOMPARE(sim.run("resume"), QString("ok"));
        QCOMPARE(resumed.count(), 1);
    }

    void rawInputEntries() {
        Sim sim({"ble-mouse"});
        QList<KRawInputDevice> list;
        QVERIFY(sim.rawInput.deviceList(&list));
        QCOMPARE(list.size(), 3);  // the ordinary mouse and keyboard, and the Bluetooth mouse
        QVERIFY(list.last().name.contains("_Dev_VID&02248a_PID&8266"));
        QCOMPARE(list.last().type, KRawInputDevice::Mouse);
    }

    void pressErrors_data() {
        QTest::addColumn<QStringList>("present");
        QTest::addColumn<QString>("command");
        QTest::newRow("unknown button") << QStringList{} << "press thumb";
        QTest::newRow("no button") << QStringList{} << "press";
        QTest::newRow("bad via") << QStringList{"receiver"} << "press left via usb";
        QTest::newRow("missing via word") << QStringList{"receiver"} << "press left receiver";
        QTest::newRow("receiver absent") << QStringList{} << "press left via receiver";
        QTest::newRow("no Bluetooth mouse") << QStringList{"ble-keyboard"} << "press left via ble";
        QTest::newRow("usage zero") << QStringList{} << "press consumer:0";
        QTest::newRow("usage too large") << QStringList{} << "press consumer:0x10000";
        QTest::newRow("usage not a number") << QStringList{} << "press consumer:vol";
    }
    void pressErrors() {
        QFETCH(QStringList, present);
        QFETCH(QString, command);
        Sim sim(present);
        QVERIFY(sim.run(command).startsWith("error: "));
        QVERIFY(sim.log("system").isEmpty());
    }

    // Without hooks every event reaches the system; the default device is the receiver, then
    // the Bluetooth device, then an ordinary one.
    void pressWithoutHooks_data() {
        QTest::addColumn<QStringList>("present");
        QTest::addColumn<QString>("command");
        QTest::addColumn<QStringList>("expected");
        QTest::newRow("receiver by default")
            << QStringList{"receiver", "ble-mouse"} << "press right"
            << QStringList{"system receiver right down", "system receiver right up"};
        QTest::newRow("Bluetooth mouse next")
            << QStringList{"ble-mouse"} << "press middle"
            << QStringList{"system ble-mouse middle down", "system ble-mouse middle up"};
        QTest::newRow("an ordinary mouse last")
            << QStringList{} << "press back"
            << QStringList{"system other back down", "system other back up"};
        QTest::newRow("wheel is one event") << QStringList{"receiver"} << "press wheel-down"
                                            << QStringList{"system receiver wheel-down"};
        QTest::newRow("consumer key on the Bluetooth keyboard")
            << QStringList{"ble-mouse", "ble-keyboard"} << "press consumer:0xe9"
            << QStringList{"system ble-keyboard consumer:0xE9 down",
                           "system ble-keyboard consumer:0xE9 up"};
        QTest::newRow("explicit via other")
            << QStringList{"receiver"} << "press forward via other"
            << QStringList{"system other forward down", "system other forward up"};
    }
    void pressWithoutHooks() {
        QFETCH(QStringList, present);
        QFETCH(QString, command);
        QFETCH(QStringList, expected);
        Sim sim(present);
        QCOMPARE(sim.run(command), QString("ok"));
        QCOMPARE(describe(sim.log("system")), expected);
    }

    void driverTakesMaskedKeys() {
        Sim sim({"receiver"});
        auto semaphore = std::make_shared<KHookSemaphore>(8000);
        QVERIFY(sim.driver.open());
        QVERIFY(sim.driver.setSemaphore(semaphore));
        QVERIFY(sim.driver.setMouseMask(0x10 | 0x40));
        QVERIFY(sim.driver.setKeyboardMask(0x20));
        QCOMPARE(sim.controller.state().value("hooks").toArray().size(), 1);
        for (const char* command : {"press forward", "press back", "press wheel-down",
                                    "press consumer:0xE9", "press consumer:0xEA"})
            QCOMPARE(sim.run(command), QString("ok"));
        QCOMPARE(
            describe(sim.log("swallowed")),
            (QStringList{"swallowed receiver forward down", "swallowed receiver forward up",
                         "swallowed receiver wheel-down", "swallowed receiver consumer:0xE9 down",
                         "swallowed receiver consumer:0xE9 up"}));
        QCOMPARE(semaphore->available(), 3);
        QList<quint32> codes;
        quint32 code = 0;
        while (sim.driver.readKey(&code))
            codes << code;
        QCOMPARE(codes, (QList<quint32>{0x10, 0x1FF, 0x400000E9}));
        const QJsonObject masks = sim.controller.state().value("masks").toObject();
        QCOMPARE(masks.value("mouse").toInt(), 0x50);
        QCOMPARE(masks.value("keyboard").toInt(), 0x20);

        QVERIFY(sim.driver.clear());  // masks and client gone: everything is the system's
        QCOMPARE(sim.run("press forward"), QString("ok"));
        QCOMPARE(sim.log("swallowed").size(), 5);
        QVERIFY(sim.controller.state().value("hooks").toArray().isEmpty());
    }
};

QTEST_GUILESS_MAIN(TestSimDevices)
#include "tst_simdevices.moc"
