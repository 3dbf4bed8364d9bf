#include "FakeDeviceBackends.h"
#include "device/KBLEMsgHook.h"
#include "device/KDeviceHookBle.h"
#include "device/KDeviceWatcher.h"
#include "device/KRawInput.h"

#include <QSignalSpy>
#include <QtTest>

using namespace KHookValues;

namespace {

const QByteArray kBleMouseName =
    "\\\\?\\HID#{00001812-0000-1000-8000-00805f9b34fb}_Dev_VID&02248a_PID&8266_REV&0001#9";
const QByteArray kBleKeyboardName =
    "\\\\?\\HID#{00001812-0000-1000-8000-00805f9b34fb}_Dev_VID&021235_PID&aa22_REV&0001#7";
constexpr quintptr kBleMouse = 0x31;
constexpr quintptr kOtherMouse = 0x11;

KRawInputDevice raw(quintptr handle, KRawInputDevice::Type type, const QByteArray& name) {
    KRawInputDevice d;
    d.handle = handle;
    d.type = type;
    d.name = name;
    return d;
}

QList<quint32> codes(const QSignalSpy& spy) {
    QList<quint32> result;
    for (const QList<QVariant>& args : spy)
        result << args.at(0).value<quint32>();
    return result;
}

// A Bluetooth hook on fake backends, with the devices the test puts in.
struct Rig {
    FakeHidBackend hid;
    FakeRawInput rawInput;
    FakeDeviceMonitor monitor;
    FakeLowLevelHooks hooks;
    KDeviceWatcher watcher{{&hid, &rawInput, &monitor}};
    KDeviceHookBle hook{&watcher, {&hooks, &rawInput}};
    QMutex replayMutex;
    QList<quint32> replayed;

    explicit Rig(bool mouse = true, bool keyboard = false) {
        rawInput.devices << raw(kOtherMouse, KRawInputDevice::Mouse,
                                "\\\\?\\HID#VID_046D&PID_C077#1");
        if (mouse)
            rawInput.devices << raw(kBleMouse, KRawInputDevice::Mouse, kBleMouseName);
        if (keyboard)
            rawInput.devices << raw(0x41, KRawInputDevice::Keyboard, kBleKeyboardName);
        watcher.getDeviceConnect(true);
        hook.pairingWorker()->setTiming(30, 5);
        hook.pairingWorker()->setReplay([this](quint32 code) {
            QMutexLocker lock(&replayMutex);
            replayed << code;
        });
        QTRY_VERIFY(hook.pairingWorker()->isRunning());
    }
    QList<quint32> replays() {
        QMutexLocker lock(&replayMutex);
        return replayed;
    }
};

}  // namespace

class TestDeviceHookBle : public QObject {
    Q_OBJECT
private slots:
    // The mouse hook procedure: which events it swallows and which presses it reports.
    void mouseProcedure_data() {
        QTest::addColumn<quint32>("mask");
        QTest::addColumn<quint32>("message");
        QTest::addColumn<quint32>("data");
        QTest::addColumn<quintptr>("extra");
        QTest::addColumn<bool>("swallowed");
        QTest::addColumn<quint32>("reported");  // 0: nothing
        QTest::newRow("right press") << 0x2u << WmRButtonDown << 0u << quintptr(0) << true << 2u;
        QTest::newRow("right release") << 0x2u << WmRButtonUp << 0u << quintptr(0) << true << 0u;
        QTest::newRow("right, bit clear")
            << 0x4u << WmRButtonDown << 0u << quintptr(0) << false << 0u;
        QTest::newRow("middle press") << 0x4u << WmMButtonDown << 0u << quintptr(0) << true << 4u;
        QTest::newRow("back press")
            << 0x8u << WmXButtonDown << (XButton1 << 16) << quintptr(0) << true << 8u;
        QTest::newRow("forward press")
            << 0x10u << WmXButtonDown << (XButton2 << 16) << quintptr(0) << true << 16u;
        QTest::newRow("forward, only back masked")
            << 0x8u << WmXButtonDown << (XButton2 << 16) << quintptr(0) << false << 0u;
        QTest::newRow("forward release")
            << 0x10u << WmXButtonUp << (XButton2 << 16) << quintptr(0) << true << 0u;
        QTest::newRow("left is never taken")
            << 0xFFFFu << WmLButtonDown << 0u << quintptr(0) << false << 0u;
        QTest::newRow("wheel is never taken")
            << 0xFFFFu << WmMouseWheel << (120u << 16) << quintptr(0) << false << 0u;
        QTest::newRow("movement") << 0xFFFFu << WmMouseMove << 0u << quintptr(0) << false << 0u;
        QTest::newRow("own injected click passes")
            << 0x2u << WmRButtonDown << 0u << quintptr(9591) << false << 0u;
        QTest::newRow("other tag is swallowed")
            << 0x2u << WmRButtonDown << 0u << quintptr(9592) << true << 2u;
    }
    void mouseProcedure() {
        QFETCH(quint32, mask);
        QFETCH(quint32, message);
        QFETCH(quint32, data);
        QFETCH(quintptr, extra);
        QFETCH(bool, swallowed);
        QFETCH(quint32, reported);
        FakeLowLevelHooks hooks;
        QList<quint32> calls;
        KBLEMsgHook hook([&](quint32 code) { calls << code; }, &hooks);
        QCOMPARE(hooks.patterns, KDeviceWatcher::bluetoothDevicePatterns());
        hook.setMouseMask(mask);
        hook.setKeyboardMask(0xFFFF);
        QVERIFY(hook.installHooks(BleHookMouse));
        QVERIFY(hook.isInstalled());
        QVERIFY(!hooks.keyboardProc);
        QCOMPARE(hooks.mouse(message, data, extra), swallowed);
        QCOMPARE(calls, reported ? QList<quint32>{reported} : QList<quint32>{});
    }

    void consumerKeyTable() {
        // Virtual key, usage, mask bit.
        const quint32 table[][3] = {
            {0xA6, 0x224, 0x2000}, {0xA7, 0x225, 0x4000}, {0xAC, 0x223, 0x1000},
            {0xAD, 0xE2, 0x0400},  {0xAE, 0xEA, 0x0040},  {0xAF, 0xE9, 0x0020},
            {0xB0, 0xB5, 0x0008},  {0xB1, 0xB6, 0x0010},  {0xB2, 0xB7, 0x0004},
            {0xB3, 0xCD, 0x0001},  {0xB4, 0x18A, 0x0080}, {0xB5, 0x183, 0x0002}};
        for (const auto& row : table) {
            quint32 usage = 0, bit = 0;
            QVERIFY(KBLEMsgHook::consumerKey(row[0], &usage, &bit));
            QCOMPARE(usage, row[1]);
            QCOMPARE(bit, row[2]);
            QCOMPARE(vkForConsumerUsage(row[1]), row[0]);
        }
        QVERIFY(!KBLEMsgHook::consumerKey(0x41, nullptr, nullptr));
    }

    void keyboardProcedure() {
        FakeLowLevelHooks hooks;
        QList<quint32> calls;
        KBLEMsgHook hook([&](quint32 code) { calls << code; }, &hooks);
        hook.setMouseMask(0xFFFF);
        hook.setKeyboardMask(0x0020);  // volume up
        QVERIFY(hook.installHooks(BleHookKeyboard));
        QVERIFY(!hooks.mouseProc);
        QVERIFY(hooks.key(VkVolumeUp, false));
        QVERIFY(hooks.key(VkVolumeUp, true));
        QVERIFY(!hooks.key(VkVolumeDown, false));      // bit clear
        QVERIFY(!hooks.key(0x41, false));              // not a consumer key
        QVERIFY(!hooks.key(VkVolumeUp, false, 9591));  // the program's own
        QCOMPARE(calls, QList<quint32>{0x400000E9});
        // A held key's repeats are swallowed with it but are not new presses.
        KKeyboardHookRecord repeat;
        repeat.vkCode = VkVolumeUp;
        repeat.repeat = true;
        QVERIFY(hooks.keyboardProc(repeat));
        QVERIFY(hooks.keyboardProc(repeat));
        QCOMPARE(calls, QList<quint32>{0x400000E9});
        QVERIFY(hook.removeHooks(BleHookBoth));
        QVERIFY(!hook.isInstalled());
        QVERIFY(!hooks.keyboardProc);
    }

    void rawInputFlags_data() {
        QTest::addColumn<quint16>("flags");
        QTest::addColumn<quint32>("code");
        QTest::newRow("right down") << quint16(0x0004) << 2u;
        QTest::newRow("middle down") << quint16(0x0010) << 4u;
        QTest::newRow("button 4 down") << quint16(0x0040) << 8u;
        QTest::newRow("button 5 down") << quint16(0x0100) << 16u;
        QTest::newRow("left down") << quint16(0x0001) << 0u;
        QTest::newRow("right up") << quint16(0x0008) << 0u;
        QTest::newRow("press with wheel") << quint16(0x0404) << 0u;
        QTest::newRow("two presses") << quint16(0x0014) << 0u;
        QTest::newRow("movement") << quint16(0) << 0u;
    }
    void rawInputFlags() {
        QFETCH(quint16, flags);
        QFETCH(quint32, code);
        QCOMPARE(KRawInput::codeForButtonFlags(flags), code);
    }

    void rawInputReportsOnlyBluetoothMice() {
        FakeRawInput backend;
        backend.devices = {raw(kBleMouse, KRawInputDevice::Mouse, kBleMouseName),
                           raw(kOtherMouse, KRawInputDevice::Mouse, "\\\\?\\HID#VID_046D#1"),
                           raw(0x41, KRawInputDevice::Keyboard, kBleKeyboardName)};
        QList<quint32> calls;
        KRawInput rawInput([&](quint32 code) { calls << code; }, &backend);
        QVERIFY(!rawInput.isActive());
        backend.mouse(kBleMouse, 0x0004);
        QVERIFY(calls.isEmpty());  // not started

        rawInput.setMouseMask(0x2);
        QVERIFY(rawInput.start(true));
        QVERIFY(rawInput.isActive());
        QCOMPARE(rawInput.bluetoothMice().keys(), QList<quintptr>{kBleMouse});
        backend.mouse(kBleMouse, 0x0004);    // right press
        backend.mouse(kBleMouse, 0x0008);    // its release
        backend.mouse(kBleMouse, 0x0010);    // middle: bit clear
        backend.mouse(kOtherMouse, 0x0004);  // another mouse
        QCOMPARE(calls, QList<quint32>{2});

        QVERIFY(rawInput.stop());
        QVERIFY(!rawInput.isActive());
        backend.mouse(kBleMouse, 0x0004);
        QCOMPARE(calls.size(), 1);

        backend.devices.clear();
        QVERIFY(rawInput.start(false));  // no refresh: the mouse is still known
        backend.mouse(kBleMouse, 0x0004);
        QCOMPARE(calls.size(), 2);

        backend.registerWorks = false;
        rawInput.stop();
        QVERIFY(!rawInput.start(true));
        QVERIFY(!rawInput.isActive());
        QVERIFY(rawInput.bluetoothMice().isEmpty());
    }

    // The pairing of hook reports with confirmations, step by step with explicit times (ms).
    // Steps: "h CODE T" hook report, "d CODE T" device report, "p T" one pass at time T,
    // recorded as "e CODE" (emitted), "r CODE" (replayed), "wait" (pause before the next pass).
    void pairing_data() {
        QTest::addColumn<QStringList>("steps");
        QTest::addColumn<QStringList>("outcome");
        QTest::newRow("confirmed") << QStringList{"h 2 0", "d 2 5", "p 5"} << QStringList{"e 2"};
        QTest::newRow("confirmation first")
            << QStringList{"d 2 0", "p 0", "h 2 30", "p 30"} << QStringList{"wait", "e 2"};
        QTest::newRow("unconfirmed, replayed after the window")
            << QStringList{"h 16 0", "p 50", "p 100", "p 101"}
            << QStringList{"wait", "wait", "r 16"};
        QTest::newRow("keyboard key confirms itself")
            << QStringList{"h 0x400000E9 0", "d 0x400000E9 0", "p 0"}
            << QStringList{"e 0x400000E9"};
        QTest::newRow("unmatched confirmation is dropped, then the press replayed")
            << QStringList{"h 2 0", "d 4 90", "p 110", "p 191", "p 191"}
            << QStringList{"wait", "r 2"};
        QTest::newRow("replays keep their order, younger ones wait")
            << QStringList{"h 2 0", "h 4 10", "h 8 80", "p 120", "p 181"}
            << QStringList{"r 2", "r 4", "wait", "r 8"};
        QTest::newRow("one pair per pass")
            << QStringList{"h 2 0", "h 2 1", "d 2 2", "d 2 3", "p 5", "p 5"}
            << QStringList{"e 2", "wait", "e 2"};
        QTest::newRow("confirmation matches the oldest equal press")
            << QStringList{"h 4 0", "h 2 1", "d 2 2", "p 2", "p 102"} << QStringList{"e 2", "r 4"};
    }
    void pairing() {
        QFETCH(QStringList, steps);
        QFETCH(QStringList, outcome);
        KBleEventPairing pairing;
        QStringList got;
        for (const QString& step : steps) {
            const QStringList w = step.split(' ');
            if (w[0] == "p") {
                const KBleEventPairing::Pass pass = pairing.pass(w[1].toLongLong(), 100);
                for (quint32 c : pass.emitted)
                    got << "e " + (c > 0xFFFF ? "0x" + QString::number(c, 16).toUpper()
                                              : QString::number(c));
                for (quint32 c : pass.replayed)
                    got << "r " + QString::number(c);
                if (pass.pause)
                    got << "wait";
            } else {
                const quint32 code = w[1].toUInt(nullptr, 0);
                if (w[0] == "h")
                    pairing.pushHookEvent(code, w[2].toLongLong());
                else
                    pairing.pushDeviceEvent(code, w[2].toLongLong());
            }
        }
        QCOMPARE(got.join(", ").replace("0X", "0x"), outcome.join(", "));
    }

    void hookKindFollowsTheConnectedDevices_data() {
        QTest::addColumn<bool>("mouse");
        QTest::addColumn<bool>("keyboard");
        QTest::newRow("mouse and keyboard") << true << true;
        QTest::newRow("mouse") << true << false;
        QTest::newRow("keyboard") << false << true;
        QTest::newRow("neither") << false << false;
    }
    void hookKindFollowsTheConnectedDevices() {
        QFETCH(bool, mouse);
        QFETCH(bool, keyboard);
        Rig rig(mouse, keyboard);
        QVERIFY(rig.hook.startHook());
        QCOMPARE(bool(rig.hooks.mouseProc), mouse);
        QCOMPARE(bool(rig.hooks.keyboardProc), keyboard);
        QCOMPARE(rig.hook.rawInputHook()->isActive(), mouse);
        QVERIFY(!rig.hook.isStarted());
        QVERIFY(rig.hook.stopHook());
        QVERIFY(!rig.hooks.mouseProc);
        QVERIFY(!rig.hooks.keyboardProc);
        QVERIFY(!rig.hook.rawInputHook()->isActive());
    }

    void masksReachHooksAndRawInput() {
        Rig rig;
        QVERIFY(rig.hook.setMouseMask(0x12));
        QVERIFY(rig.hook.setKeyboardMask(0x20));
        QCOMPARE(rig.hooks.mouseMask, 0x12u);
        QCOMPARE(rig.hooks.keyboardMask, 0x20u);
    }

    // A masked click of the Bluetooth mouse: the hook swallows it, raw input confirms it, one
    // code comes out and nothing is replayed.
    void confirmedClick() {
        Rig rig;
        QSignalSpy spy(&rig.hook, &KHookBase::sigKeyDown);
        rig.hook.setMouseMask(0x2);
        rig.hook.startHook();
        QVERIFY(rig.hooks.mouse(WmRButtonDown));
        rig.rawInput.mouse(kBleMouse, 0x0004);
        QVERIFY(rig.hooks.mouse(WmRButtonUp));
        rig.rawInput.mouse(kBleMouse, 0x0008);
        QTRY_COMPARE(codes(spy), QList<quint32>{2});
        QTest::qWait(60);
        QCOMPARE(codes(spy), QList<quint32>{2});
        QVERIFY(rig.replays().isEmpty());
    }

    // The same click from another mouse is swallowed too, but given back after the window.
    void unconfirmedClickIsReplayed() {
        Rig rig;
        QSignalSpy spy(&rig.hook, &KHookBase::sigKeyDown);
        rig.hook.setMouseMask(0x10);
        rig.hook.startHook();
        QVERIFY(rig.hooks.mouse(WmXButtonDown, XButton2 << 16));
        rig.rawInput.mouse(kOtherMouse, 0x0100);
        QVERIFY(rig.hooks.mouse(WmXButtonUp, XButton2 << 16));
        QTRY_COMPARE(rig.replays(), QList<quint32>{16});
        QCOMPARE(spy.count(), 0);
    }

    void consumerKeyNeedsNoConfirmation() {
        Rig rig(false, true);
        QSignalSpy spy(&rig.hook, &KHookBase::sigKeyDown);
        rig.hook.pairingWorker()->setTiming(100000, 100000);  // only a self-confirmation works
        rig.hook.setKeyboardMask(0x20);
        rig.hook.startHook();
        QVERIFY(rig.hooks.key(VkVolumeUp, false));
        QVERIFY(rig.hooks.key(VkVolumeUp, true));
        QTRY_COMPARE(codes(spy), QList<quint32>{0x400000E9});
    }

    // While the worker pauses for a confirmation it holds no lock: a report pushed meanwhile is
    // taken at once, not after the pause.
    void pushesDoNotWaitForThePause() {
        Rig rig;
        QSignalSpy spy(&rig.hook, &KHookBase::sigKeyDown);
        rig.hook.pairingWorker()->setTiming(60000, 60000);
        rig.hook.pairingWorker()->pushDeviceEvent(4);  // waits for its hook report
        QTest::qWait(20);
        rig.hook.pairingWorker()->pushHookEvent(4);
        QTRY_COMPARE_WITH_TIMEOUT(codes(spy), QList<quint32>{4}, 5000);
    }

    void pushesBeforeTheLoopOrAfterStopAreDropped() {
        KDeviceHookBleWork worker([](quint32) {});
        worker.pushHookEvent(2);  // the loop has not started
        QSignalSpy spy(&worker, &KDeviceHookBleWork::sigKeyDown);
        worker.requestStop();
        worker.work();  // stopped before it began: returns at once
        QVERIFY(!worker.isRunning());
        worker.pushDeviceEvent(2);
        QCOMPARE(spy.count(), 0);
    }
};

QTEST_GUILESS_MAIN(TestDeviceHookBle)
#include "tst_devicehookble.moc"
