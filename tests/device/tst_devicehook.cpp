#include "common/TestEnv.h"
#include "config/KConfigCommon.h"
#include "device/KDeviceHook.h"
#include "device/KDeviceWatcher.h"
#include "platform/KDeviceRefusal.h"
#include "platform/KHookDriver.h"
#include "platform/KLowLevelHookBackend.h"
#include "platform/KPlatform.h"
#include "platform/sim/KSimController.h"
#include "platform/sim/KSimDevices.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QtTest>

// The facade over the simulated platform: devices come and go through the simulation's
// controller, the hooks are the real ones over the simulated driver and low-level hooks.
class TestDeviceHook : public QObject {
    Q_OBJECT

    TestEnv m_env;
    QString m_logPath;
    KSimController* m_sim = nullptr;
    KConfigCommon* m_config = nullptr;
    qint64 m_now = 0;
    KDeviceWatcher* m_watcher = nullptr;
    KDeviceHook* m_hook = nullptr;
    qint64 m_logOffset = 0;

    // Log lines written since the last call.
    QList<QJsonObject> newLog() {
        QList<QJsonObject> lines;
        QFile file(m_logPath);
        if (!file.open(QIODevice::ReadOnly))
            return lines;
        file.seek(m_logOffset);
        const QByteArray data = file.readAll();
        m_logOffset += data.size();
        for (const QByteArray& line : data.split('\n'))
            if (!line.isEmpty())
                lines << QJsonDocument::fromJson(line).object();
        return lines;
    }
    static QList<QJsonObject> ofKind(const QList<QJsonObject>& lines, const QString& kind) {
        QList<QJsonObject> result;
        for (const QJsonObject& line : lines)
            if (line.value("kind").toString() == kind)
                result << line;
        return result;
    }
    QStringList hooks() const {
        QStringList names;
        for (const QJsonValue& v : m_sim->state().value("hooks").toArray())
            names << v.toString();
        return names;
    }
    QList<qint64> masks() const {
        const QJsonObject m = m_sim->state().value("masks").toObject();
        return {qint64(m.value("mouse").toDouble()), qint64(m.value("keyboard").toDouble())};
    }
    // A device change, well apart from the previous one.
    void attach(const QString& device) {
        m_now += 100;
        QVERIFY(m_sim->attach(device));
    }
    void detach(const QString& device) {
        m_now += 100;
        QVERIFY(m_sim->detach(device));
    }
    void resetDevices() {
        for (const QString& device : m_sim->attachedDevices())
            detach(device);
        QVERIFY(!m_hook->running());
        newLog();
    }

private slots:
    void initTestCase() {
        m_env.apply();
        m_logPath = m_env.path("sim.log");
        qputenv("POINTORA_SIM_DEVICES", "");
        qputenv("POINTORA_SIM_LOG", m_logPath.toUtf8());
        m_sim = KPlatform::instance()->simController();
        QVERIFY(m_sim);
        m_config = new KConfigCommon(m_env.path("config"), this);
        m_watcher = new KDeviceWatcher(
            {}, [this] { return m_now; }, this);
        m_watcher->startWatch();
        KDeviceHookParts parts;
        parts.config = m_config;
        parts.watcher = m_watcher;
        m_hook = new KDeviceHook(parts, this);
        m_hook->ble()->pairingWorker()->setTiming(30, 5);
    }

    void init() {
        m_config->resetFunctionConfig();
        QCOMPARE(m_sim->execute("session active").line(), QString("ok"));
        resetDevices();
    }

    void maskBits_data() {
        QTest::addColumn<int>("keyType");
        QTest::addColumn<quint32>("mouse");
        QTest::addColumn<quint32>("keyboard");
        const QList<QPair<int, quint32>> mouseBits = {{1, 0x1},  {2, 0x2},  {3, 0x4},
                                                      {4, 0x20}, {5, 0x40}, {6, 0x100},
                                                      {7, 0x80}, {8, 0x10}, {9, 0x8}};
        for (const auto& row : mouseBits)
            QTest::addRow("key type %d", row.first) << row.first << row.second << 0u;
        const QList<QPair<int, quint32>> keyboardBits = {
            {16, 0x2000}, {17, 0x4000}, {18, 0x1000}, {19, 0x80}, {20, 0x2},  {21, 0x1},
            {22, 0x4},    {23, 0x10},   {24, 0x8},    {25, 0x40}, {26, 0x20}, {27, 0x400}};
        for (const auto& row : keyboardBits)
            QTest::addRow("key type %d", row.first) << row.first << 0u << row.second;
    }
    void maskBits() {
        QFETCH(int, keyType);
        QFETCH(quint32, mouse);
        QFETCH(quint32, keyboard);
        QCOMPARE(m_hook->mouseMask(), 0u);
        QCOMPARE(m_hook->keyboardMask(), 0u);
        m_config->setKeyValueWithKeyType(keyType, 42);
        QCOMPARE(m_hook->mouseMask(), mouse);
        QCOMPARE(m_hook->keyboardMask(), keyboard);
        m_config->setKeyValueWithKeyType(keyType, 0);  // "None": the key stays the system's
        QCOMPARE(m_hook->mouseMask() | m_hook->keyboardMask(), 0u);
    }

    void receiverWinsAndIsNotRestarted() {
        m_config->setKeyValueWithKeyType(8, 42);
        attach("ble-mouse");
        QCOMPARE(hooks(), QStringList{"ble-mouse"});
        attach("receiver");
        QCOMPARE(hooks(), QStringList{"usb"});
        QCOMPARE(masks(), (QList<qint64>{0x10, 0}));
        newLog();
        attach("ble-keyboard");
        detach("ble-mouse");
        QCOMPARE(hooks(), QStringList{"usb"});
        QVERIFY(ofKind(newLog(), "hook").isEmpty());  // the USB hook kept running
        QVERIFY(m_hook->running());
    }

    void bluetoothRestartsOnEveryChange() {
        m_config->setKeyValueWithKeyType(2, 7);
        attach("ble-mouse");
        newLog();
        attach("ble-keyboard");
        const QList<QJsonObject> lines = newLog();
        QCOMPARE(hooks(), (QStringList{"ble-mouse", "ble-keyboard"}));
        QCOMPARE(ofKind(lines, "hook").first().value("installed").toBool(), false);  // stopped
        QCOMPARE(ofKind(lines, "mask").size(), 2);  // both masks sent again
        QCOMPARE(masks(), (QList<qint64>{0x2, 0}));
        detach("ble-mouse");
        QCOMPARE(hooks(), QStringList{"ble-keyboard"});  // no mouse hook without a mouse
    }

    // A change of some other device (a USB stick, the program's own virtual devices) leaves the
    // Bluetooth hook alone: restarting it would let go of the devices for nothing.
    void bluetoothNotRestartedForOtherDevices() {
        m_config->setKeyValueWithKeyType(2, 7);
        attach("ble-mouse");
        QCOMPARE(hooks(), QStringList{"ble-mouse"});
        newLog();
        auto* monitor = static_cast<KSimDeviceMonitor*>(KPlatform::instance()->deviceMonitor());
        m_now += 100;
        monitor->notify(true, "/dev/input/event42");
        m_now += 100;
        monitor->notify(false, "/dev/input/event42");
        QTest::qWait(3 * int(KDeviceWatcher::DebounceMs));
        QVERIFY(ofKind(newLog(), "hook").isEmpty());
        QCOMPARE(hooks(), QStringList{"ble-mouse"});
        QCOMPARE(masks(), (QList<qint64>{0x2, 0}));
    }

    // While another session has the seat no hook runs, whatever the devices do; when ours is
    // back the hook that fits the devices runs again with its masks.
    void inactiveSessionHoldsNothing() {
        m_config->setKeyValueWithKeyType(8, 42);
        attach("receiver");
        QCOMPARE(hooks(), QStringList{"usb"});
        QCOMPARE(m_sim->execute("session inactive").line(), QString("ok"));
        QVERIFY(!m_hook->running());
        QCOMPARE(hooks(), QStringList{});
        attach("ble-mouse");
        QCOMPARE(hooks(), QStringList{});
        QSignalSpy spy(m_hook, &KDeviceHook::sigKeyDown);
        QCOMPARE(m_sim->execute("press forward").line(), QString("ok"));
        QCOMPARE(ofKind(newLog(), "system").size(), 2);
        QCOMPARE(m_sim->execute("session active").line(), QString("ok"));
        QCOMPARE(hooks(), QStringList{"usb"});
        QCOMPARE(masks(), (QList<qint64>{0x10, 0}));
        QCOMPARE(m_sim->execute("press forward").line(), QString("ok"));
        QTRY_COMPARE(spy.count(), 1);
    }

    // A node the driver cannot take over becomes a translated notice for the interface.
    void refusalBecomesNotice() {
        QSignalSpy spy(m_hook, &KDeviceHook::sigDeviceNotice);
        emit KPlatform::instance()->hookDriver()->deviceRefused("/dev/input/event9", "Pad",
                                                                KDeviceRefusal::ForceFeedback);
        QTRY_COMPARE(spy.count(), 1);
        const QString text = spy.first().at(0).toString();
        QVERIFY2(text.contains("/dev/input/event9") && text.contains("Pad") &&
                     text.contains("force feedback"),
                 qPrintable(text));
        QCOMPARE(m_hook->deviceNotice(), text);
        emit KPlatform::instance()->lowLevelHookBackend()->deviceRefused(
            "/dev/input/event3", "BT5.0 Mouse", KDeviceRefusal::NoPassThrough);
        QTRY_COMPARE(spy.count(), 2);
        QVERIFY(spy.last().at(0).toString().contains("/dev/uinput"));
    }

    void lastDeviceLeavingStopsEverything() {
        attach("receiver");
        QVERIFY(m_hook->running());
        detach("receiver");
        QVERIFY(!m_hook->running());
        QCOMPARE(hooks(), QStringList{});
        QCOMPARE(masks(), (QList<qint64>{0, 0}));
        attach("ble-mouse");
        detach("ble-mouse");
        QVERIFY(!m_hook->running());
        QCOMPARE(hooks(), QStringList{});
    }

    void configChangesResendMasks() {
        m_config->setKeyValueWithKeyType(26, 5);  // nothing runs: nothing is sent
        QVERIFY(ofKind(newLog(), "mask").isEmpty());
        attach("receiver");
        QCOMPARE(masks(), (QList<qint64>{0, 0x20}));
        newLog();
        m_config->setKeyValueWithKeyType(3, 9);
        QCOMPARE(ofKind(newLog(), "mask").size(), 2);
        QCOMPARE(masks(), (QList<qint64>{0x4, 0x20}));
        m_config->resetFunctionConfig();
        QCOMPARE(masks(), (QList<qint64>{0, 0}));
    }

    void directControl() {
        attach("receiver");
        QVERIFY(!m_hook->start(5));
        QCOMPARE(hooks(), QStringList{"usb"});
        QVERIFY(m_hook->start(HookBle));
        QVERIFY(!hooks().contains("usb"));
        QVERIFY(m_hook->start(HookUsb));
        QCOMPARE(hooks(), QStringList{"usb"});
        QVERIFY(m_hook->stop());
        QVERIFY(!m_hook->running());
        QCOMPARE(hooks(), QStringList{});
        QVERIFY(m_hook->startHookFromWatcher());
        QCOMPARE(hooks(), QStringList{"usb"});
    }

    void resumeSetsTheHookUpAgain() {
        m_config->setKeyValueWithKeyType(8, 42);
        attach("receiver");
        newLog();
        QCOMPARE(m_sim->execute("resume").line(), QString("ok"));
        const QList<QJsonObject> hookLines = ofKind(newLog(), "hook");
        QCOMPARE(hookLines.size(), 2);
        QCOMPARE(hookLines.at(0).value("installed").toBool(), false);
        QCOMPARE(hookLines.at(1).value("installed").toBool(), true);
        QCOMPARE(masks(), (QList<qint64>{0x10, 0}));
    }

    // From a press to the facade's signal.
    void receiverPress() {
        m_config->setKeyValueWithKeyType(8, 42);
        attach("receiver");
        QSignalSpy spy(m_hook, &KDeviceHook::sigKeyDown);
        QCOMPARE(m_sim->execute("press forward").line(), QString("ok"));
        QCOMPARE(m_sim->execute("press right").line(), QString("ok"));
        QTRY_COMPARE(spy.count(), 1);
        QCOMPARE(spy.first().at(0).value<quint32>(), 0x10u);
        const QList<QJsonObject> lines = newLog();
        QCOMPARE(ofKind(lines, "swallowed").size(), 2);  // forward down and up
        QCOMPARE(ofKind(lines, "system").size(), 2);     // right down and up
        QCOMPARE(ofKind(lines, "system").first().value("event").toString(), QString("right"));
    }

    void bluetoothPresses() {
        m_config->setKeyValueWithKeyType(8, 42);
        attach("ble-mouse");
        QSignalSpy spy(m_hook, &KDeviceHook::sigKeyDown);
        QCOMPARE(m_sim->execute("press forward via ble").line(), QString("ok"));
        QTRY_COMPARE(spy.count(), 1);
        QCOMPARE(spy.first().at(0).value<quint32>(), 0x10u);
        newLog();
        // An ordinary mouse is never touched: its press reaches the system and is not replayed.
        QCOMPARE(m_sim->execute("press forward via other").line(), QString("ok"));
        QList<QJsonObject> lines = newLog();
        QCOMPARE(ofKind(lines, "swallowed").size(), 0);
        QCOMPARE(ofKind(lines, "system").size(), 2);
        QTest::qWait(150);  // well past the confirmation window
        QVERIFY(ofKind(lines += newLog(), "mouse").isEmpty());
        QCOMPARE(spy.count(), 1);
    }
};

QTEST_GUILESS_MAIN(TestDeviceHook)
#include "tst_devicehook.moc"
