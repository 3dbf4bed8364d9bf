#include "FakeDeviceBackends.h"
#include "device/KDeviceWatcher.h"

#include <QSignalSpy>
#include <QtTest>

namespace {

const char kBleMouse[] =
    "\\\\?\\HID#{00001812-0000-1000-8000-00805f9b34fb}_Dev_VID&02248a_PID&8266_REV&0001&Col01#9";
const char kBleKeyboard[] =
    "\\\\?\\HID#{00001812-0000-1000-8000-00805f9b34fb}_Dev_VID&02000e_PID&3412_REV&0001#a";

KHID::KHidDetail hid(const char* path, quint16 vendor, quint16 product) {
    KHID::KHidDetail d;
    d.devicePath = path;
    d.vendorId = vendor;
    d.productId = product;
    return d;
}

KRawInputDevice raw(quintptr handle, KRawInputDevice::Type type, const QByteArray& name) {
    KRawInputDevice d;
    d.handle = handle;
    d.type = type;
    d.name = name;
    return d;
}

struct Rig {
    FakeHidBackend hid;
    FakeRawInput rawInput;
    FakeDeviceMonitor monitor;
    qint64 now = 1000;
    KDeviceWatcher watcher{{&hid, &rawInput, &monitor}, [this] { return now; }};
};

}  // namespace

Q_DECLARE_METATYPE(KHID::KHidDetail)
Q_DECLARE_METATYPE(KRawInputDevice)

class TestDeviceWatcher : public QObject {
    Q_OBJECT
private slots:
    // The patterns are made from the ID table; they must read exactly as the system names them.
    void bluetoothPatterns() {
        QCOMPARE(KDeviceWatcher::bluetoothDevicePatterns(),
                 QStringList({"{00001812-0000-1000-8000-00805f9b34fb}_Dev_VID&02000e_PID&3412",
                              "{00001812-0000-1000-8000-00805f9b34fb}_Dev_VID&021235_PID&aa22",
                              "{00001812-0000-1000-8000-00805f9b34fb}_Dev_VID&02248a_PID&8266"}));
    }

    void registersAtConstruction() {
        Rig rig;
        QCOMPARE(rig.monitor.starts, 1);
    }

    // Notifications at these times (ms after construction) give signals for the marked ones.
    void debounce_data() {
        QTest::addColumn<QList<int>>("times");
        QTest::addColumn<QList<bool>>("signalled");
        QTest::newRow("burst of one device")
            << QList<int>{20, 25, 30, 35, 45} << QList<bool>{true, false, false, false, false};
        QTest::newRow("11 ms apart") << QList<int>{20, 31} << QList<bool>{true, true};
        QTest::newRow("exactly 10 ms apart") << QList<int>{20, 30} << QList<bool>{true, false};
        QTest::newRow("right after construction") << QList<int>{5, 30} << QList<bool>{false, true};
        QTest::newRow("the gap is measured from the last")
            << QList<int>{20, 28, 36, 44, 55} << QList<bool>{true, false, false, false, true};
    }
    void debounce() {
        QFETCH(QList<int>, times);
        QFETCH(QList<bool>, signalled);
        Rig rig;
        const qint64 start = rig.now;
        rig.watcher.startWatch();
        QSignalSpy spy(&rig.watcher, &KDeviceWatcher::sigDeviceChange);
        QList<bool> got;
        for (int i = 0; i < times.size(); ++i) {
            rig.now = start + times.at(i);
            const int before = spy.count();
            rig.monitor.change(i % 2 == 0, QStringLiteral("/dev/hidraw%1").arg(i));
            got << (spy.count() > before);
        }
        QCOMPARE(got, signalled);
        QCOMPARE(spy.first().at(1).toString(),
                 QStringLiteral("/dev/hidraw%1").arg(signalled.indexOf(true)));
    }

    // Notifications before watching starts are not forwarded one by one, but they are not lost:
    // startWatch signals one change for them.
    void watchingSwitches() {
        Rig rig;
        QSignalSpy spy(&rig.watcher, &KDeviceWatcher::sigDeviceChange);
        rig.watcher.stopWatch();  // without startWatch: nothing happens
        rig.now += 100;
        rig.monitor.change(true, "a");
        rig.now += 100;
        rig.monitor.change(false, "a2");
        QCOMPARE(spy.count(), 0);  // not watching yet
        rig.watcher.startWatch();
        QCOMPARE(spy.count(), 1);  // what was missed, once
        QCOMPARE(spy.last().at(1).toString(), QString("a"));
        rig.watcher.startWatch();
        QCOMPARE(spy.count(), 1);
        rig.now += 100;
        rig.monitor.change(true, "b");
        QCOMPARE(spy.count(), 2);  // connected once
        rig.watcher.stopWatch();
        rig.now += 100;
        rig.monitor.change(false, "b");
        QCOMPARE(spy.count(), 2);
        rig.now += 100;
        rig.watcher.startWatch();
        QCOMPARE(spy.count(), 3);
        rig.now += 100;
        rig.monitor.change(false, "c");
        QCOMPARE(spy.count(), 4);
        QCOMPARE(spy.last().at(0).toBool(), false);
        rig.now += 100;
        rig.watcher.startWatch();  // nothing missed: nothing to signal
        QCOMPARE(spy.count(), 4);
    }

    // The first notification of a burst is signalled at once; a burst of several ends with one
    // more signal once it settled, with the last notification, so its final state is seen.
    void burstEndIsSignalled() {
        Rig rig;
        rig.watcher.startWatch();
        QSignalSpy spy(&rig.watcher, &KDeviceWatcher::sigDeviceChange);
        rig.now += 100;
        rig.monitor.change(true, "first");
        rig.monitor.change(false, "second");
        rig.monitor.change(true, "third");
        QCOMPARE(spy.count(), 1);
        QTRY_COMPARE(spy.count(), 2);
        QCOMPARE(spy.last().at(1).toString(), QString("third"));
        QTest::qWait(3 * int(KDeviceWatcher::DebounceMs));
        QCOMPARE(spy.count(), 2);
        // A single notification is one signal, nothing follows it.
        rig.now += 100;
        rig.monitor.change(false, "alone");
        QCOMPARE(spy.count(), 3);
        QTest::qWait(3 * int(KDeviceWatcher::DebounceMs));
        QCOMPARE(spy.count(), 3);
    }

    // A receiver that takes long is not told about the same burst again and again: the burst is
    // measured from the end of the last signal.
    void slowReceiverSeesOneBurst() {
        Rig rig;
        rig.watcher.startWatch();
        QSignalSpy spy(&rig.watcher, &KDeviceWatcher::sigDeviceChange);
        int calls = 0;
        connect(&rig.watcher, &KDeviceWatcher::sigDeviceChange, &rig.watcher, [&] {
            ++calls;
            rig.now += 500;  // a slow restart
        });
        rig.now += 100;
        rig.monitor.change(true, "a");  // signalled, takes 500 ms
        rig.monitor.change(true, "b");  // queued meanwhile: same burst
        rig.monitor.change(true, "c");
        QCOMPARE(calls, 1);
        QTRY_COMPARE(calls, 2);
        QTest::qWait(3 * int(KDeviceWatcher::DebounceMs));
        QCOMPARE(calls, 2);
    }

    void resumeIsForwarded() {
        Rig rig;
        QSignalSpy spy(&rig.watcher, &KDeviceWatcher::sigSessionResumed);
        rig.monitor.resume();
        QCOMPARE(spy.count(), 1);
    }

    void connectionMap_data() {
        QTest::addColumn<QList<KHID::KHidDetail>>("interfaces");
        QTest::addColumn<QList<KRawInputDevice>>("rawDevices");
        QTest::addColumn<QList<int>>("expected");  // usb, ble, bleMs, bleKb
        QTest::newRow("nothing") << QList<KHID::KHidDetail>{} << QList<KRawInputDevice>{}
                                 << QList<int>{0, 0, 0, 0};
        QTest::newRow("one receiver, three interfaces")
            << QList<KHID::KHidDetail>{hid("a", 0x24AE, 0x2013), hid("b", 0x24AE, 0x2013),
                                       hid("c", 0x24AE, 0x2013)}
            << QList<KRawInputDevice>{} << QList<int>{1, 0, 0, 0};
        QTest::newRow("two product IDs count twice, same ID once")
            << QList<KHID::KHidDetail>{hid("a", 0x24AE, 0x2013), hid("b", 0x24AE, 0x1100),
                                       hid("c", 0x24AE, 0x2013)}
            << QList<KRawInputDevice>{} << QList<int>{2, 0, 0, 0};
        QTest::newRow("unsupported product or vendor")
            << QList<KHID::KHidDetail>{hid("a", 0x24AE, 0x2011), hid("b", 0x24AF, 0x2013)}
            << QList<KRawInputDevice>{} << QList<int>{0, 0, 0, 0};
        QTest::newRow("Bluetooth entries count per entry")
            << QList<KHID::KHidDetail>{}
            << QList<KRawInputDevice>{raw(1, KRawInputDevice::Mouse, kBleMouse),
                                      raw(2, KRawInputDevice::Keyboard, kBleMouse),
                                      raw(3, KRawInputDevice::Mouse, kBleKeyboard),
                                      raw(4, KRawInputDevice::Keyboard, kBleKeyboard),
                                      raw(5, KRawInputDevice::Hid, kBleKeyboard)}
            << QList<int>{0, 4, 2, 2};
        QTest::newRow("pattern letter case matters")
            << QList<KHID::KHidDetail>{}
            << QList<KRawInputDevice>{raw(1, KRawInputDevice::Mouse,
                                          QByteArray(kBleMouse).toUpper()),
                                      raw(2, KRawInputDevice::Mouse,
                                          "\\\\?\\HID#VID_046D&PID_C077#7")}
            << QList<int>{0, 0, 0, 0};
        QTest::newRow("receiver wins nothing here: both counted")
            << QList<KHID::KHidDetail>{hid("a", 0x24AE, 0x1812)}
            << QList<KRawInputDevice>{raw(1, KRawInputDevice::Mouse, kBleMouse)}
            << QList<int>{1, 1, 1, 0};
    }
    void connectionMap() {
        QFETCH(QList<KHID::KHidDetail>, interfaces);
        QFETCH(QList<KRawInputDevice>, rawDevices);
        QFETCH(QList<int>, expected);
        Rig rig;
        for (const KHID::KHidDetail& d : interfaces)
            rig.hid.add(d);
        rig.rawInput.devices = rawDevices;
        const QVariantMap map = rig.watcher.getDeviceConnect();
        QCOMPARE(map.keys(), (QStringList{"ble", "bleKb", "bleMs", "usb"}));
        const QList<int> got = {map.value("usb").toInt(), map.value("ble").toInt(),
                                map.value("bleMs").toInt(), map.value("bleKb").toInt()};
        QCOMPARE(got, expected);
        QCOMPARE(rig.watcher.getDeviceConnect(false), map);
    }

    void mapBeforeAnyCountIsEmpty() {
        Rig rig;
        QVERIFY(rig.watcher.getDeviceConnect(false).isEmpty());
    }

    void unreadableDeviceListCountsNoBluetooth() {
        Rig rig;
        rig.rawInput.devices = {raw(1, KRawInputDevice::Mouse, kBleMouse)};
        rig.rawInput.listWorks = false;
        QCOMPARE(rig.watcher.getDeviceConnect().value("bleMs").toInt(), 0);
    }
};

QTEST_GUILESS_MAIN(TestDeviceWatcher)
#include "tst_devicewatcher.moc"
