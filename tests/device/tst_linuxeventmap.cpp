#include "platform/KRawInputBackend.h"
#include "platform/linux/KLinuxEventMap.h"

#include <QtTest>

#include <linux/input.h>

using namespace KLinuxEventMap;

namespace {

std::vector<input_event> toEvents(const QList<QList<int>>& frame) {
    std::vector<input_event> events;
    for (const QList<int>& e : frame) {
        input_event event{};
        event.type = quint16(e.at(0));
        event.code = quint16(e.at(1));
        event.value = e.at(2);
        events.push_back(event);
    }
    return events;
}

QList<QList<int>> fromEvents(const std::vector<input_event>& events) {
    QList<QList<int>> frame;
    for (const input_event& e : events)
        frame << QList<int>{e.type, e.code, e.value};
    return frame;
}

}  // namespace

// How the Linux backends read evdev events and name devices; no device is opened.
class TestLinuxEventMap : public QObject {
    Q_OBJECT
private slots:
    // The receiver driver: device key code, mask bit, which mask, codes to queue.
    void driverEvents_data() {
        QTest::addColumn<int>("type");
        QTest::addColumn<int>("code");
        QTest::addColumn<int>("value");
        QTest::addColumn<QList<quint32>>("expected");  // code, bit, keyboard, count; empty: none
        QTest::newRow("forward press")
            << EV_KEY << BTN_EXTRA << 1 << QList<quint32>{0x10, 0x10, 0, 1};
        QTest::newRow("forward release")
            << EV_KEY << BTN_EXTRA << 0 << QList<quint32>{0x10, 0x10, 0, 0};
        QTest::newRow("back (BTN_SIDE, button 4)")
            << EV_KEY << BTN_SIDE << 1 << QList<quint32>{0x8, 0x8, 0, 1};
        // Buttons 6 and 7 have names that sound like the side buttons but are other buttons.
        QTest::newRow("button 6 (BTN_FORWARD)") << EV_KEY << BTN_FORWARD << 1 << QList<quint32>{};
        QTest::newRow("button 7 (BTN_BACK)") << EV_KEY << BTN_BACK << 1 << QList<quint32>{};
        QTest::newRow("left") << EV_KEY << BTN_LEFT << 1 << QList<quint32>{0x1, 0x1, 0, 1};
        QTest::newRow("two notches up")
            << EV_REL << REL_WHEEL << 2 << QList<quint32>{0x101, 0x20, 0, 2};
        QTest::newRow("notch down")
            << EV_REL << REL_WHEEL << -1 << QList<quint32>{0x1FF, 0x40, 0, 1};
        QTest::newRow("high-resolution wheel")
            << EV_REL << REL_WHEEL_HI_RES << -120 << QList<quint32>{0x1FF, 0x40, 0, 0};
        QTest::newRow("side wheel right")
            << EV_REL << REL_HWHEEL << 1 << QList<quint32>{0x201, 0x100, 0, 1};
        QTest::newRow("side wheel left")
            << EV_REL << REL_HWHEEL << -1 << QList<quint32>{0x2FF, 0x80, 0, 1};
        QTest::newRow("volume up")
            << EV_KEY << KEY_VOLUMEUP << 1 << QList<quint32>{0x400000E9, 0x20, 1, 1};
        QTest::newRow("volume up repeat")
            << EV_KEY << KEY_VOLUMEUP << 2 << QList<quint32>{0x400000E9, 0x20, 1, 0};
        QTest::newRow("mail") << EV_KEY << KEY_MAIL << 1 << QList<quint32>{0x4000018A, 0x80, 1, 1};
        QTest::newRow("browser back")
            << EV_KEY << KEY_BACK << 1 << QList<quint32>{0x40000224, 0x2000, 1, 1};
        QTest::newRow("letter") << EV_KEY << KEY_A << 1 << QList<quint32>{};
        QTest::newRow("movement") << EV_REL << REL_X << 5 << QList<quint32>{};
        QTest::newRow("scan code") << EV_MSC << MSC_SCAN << 0xc00e9 << QList<quint32>{};
    }
    void driverEvents() {
        QFETCH(int, type);
        QFETCH(int, code);
        QFETCH(int, value);
        QFETCH(QList<quint32>, expected);
        DriverEvent event;
        QCOMPARE(driverEvent(quint16(type), quint16(code), value, &event), !expected.isEmpty());
        if (!expected.isEmpty())
            QCOMPARE((QList<quint32>{event.code, event.maskBit, event.keyboard ? 1u : 0u,
                                     quint32(event.count)}),
                     expected);
    }

    // A frame through the receiver driver: what stays for the system and which codes queue.
    void takeOverFrames_data() {
        QTest::addColumn<QList<QList<int>>>("frame");  // type, code, value
        QTest::addColumn<quint32>("mouseMask");
        QTest::addColumn<quint32>("keyboardMask");
        QTest::addColumn<QList<QList<int>>>("kept");
        QTest::addColumn<QList<quint32>>("codes");
        const QList<int> scan = {EV_MSC, MSC_SCAN, 0x90005};
        const QList<int> extra = {EV_KEY, BTN_EXTRA, 1};
        const QList<int> moveX = {EV_REL, REL_X, 3};
        QTest::newRow("masked forward press, movement stays")
            << QList<QList<int>>{scan, extra, moveX} << 0x10u << 0u
            << QList<QList<int>>{scan, moveX} << QList<quint32>{0x10};
        QTest::newRow("unmasked forward stays")
            << QList<QList<int>>{scan, extra} << 0x8u << 0u << QList<QList<int>>{scan, extra}
            << QList<quint32>{};
        QTest::newRow("wheel notches with the high-resolution axis")
            << QList<QList<int>>{{EV_REL, REL_WHEEL, 2}, {EV_REL, REL_WHEEL_HI_RES, 240}, moveX}
            << 0x20u << 0u << QList<QList<int>>{moveX} << QList<quint32>{0x101, 0x101};
        QTest::newRow("only the masked direction")
            << QList<QList<int>>{{EV_REL, REL_WHEEL, -1}, {EV_REL, REL_WHEEL_HI_RES, -120}} << 0x20u
            << 0u << QList<QList<int>>{{EV_REL, REL_WHEEL, -1}, {EV_REL, REL_WHEEL_HI_RES, -120}}
            << QList<quint32>{};
        QTest::newRow("consumer key in the keyboard mask")
            << QList<QList<int>>{{EV_KEY, KEY_VOLUMEUP, 1}, {EV_KEY, KEY_A, 1}} << 0x20u << 0x20u
            << QList<QList<int>>{{EV_KEY, KEY_A, 1}} << QList<quint32>{0x400000E9};
        QTest::newRow("release of a masked key: withheld, no code")
            << QList<QList<int>>{{EV_KEY, BTN_RIGHT, 0}} << 0x2u << 0u << QList<QList<int>>{}
            << QList<quint32>{};
    }
    void takeOverFrames() {
        QFETCH(QList<QList<int>>, frame);
        QFETCH(quint32, mouseMask);
        QFETCH(quint32, keyboardMask);
        QFETCH(QList<QList<int>>, kept);
        QFETCH(QList<quint32>, codes);
        std::vector<input_event> events = toEvents(frame);
        QCOMPARE(takeOver(events, mouseMask, keyboardMask), codes);
        QCOMPARE(fromEvents(events), kept);
    }

    // A frame of a Bluetooth device through the hook procedures.
    void hookFrames() {
        QList<quint32> mouseMessages;
        int keys = 0;
        KLowLevelHookBackend::MouseProc mouse = [&](const KMouseHookRecord& r) {
            mouseMessages << r.message;
            return r.message == KHookValues::WmRButtonDown || r.message == KHookValues::WmRButtonUp;
        };
        KLowLevelHookBackend::KeyboardProc keyboard = [&](const KKeyboardHookRecord&) {
            ++keys;
            return true;
        };
        std::vector<input_event> events = toEvents({{EV_REL, REL_X, 1},
                                                    {EV_KEY, BTN_RIGHT, 1},
                                                    {EV_KEY, BTN_LEFT, 1},
                                                    {EV_REL, REL_WHEEL, 1},
                                                    {EV_KEY, KEY_MUTE, 1},
                                                    {EV_KEY, KEY_A, 1}});
        const QList<quint16> raw = hookFrame(events, mouse, keyboard);
        namespace F = KRawMouseFlags;
        QCOMPARE(raw, (QList<quint16>{F::RightDown, F::LeftDown, F::Wheel}));
        QCOMPARE(mouseMessages,
                 (QList<quint32>{KHookValues::WmRButtonDown, KHookValues::WmLButtonDown,
                                 KHookValues::WmMouseWheel}));
        QCOMPARE(keys, 1);
        QCOMPARE(fromEvents(events), (QList<QList<int>>{{EV_REL, REL_X, 1},
                                                        {EV_KEY, BTN_LEFT, 1},
                                                        {EV_REL, REL_WHEEL, 1},
                                                        {EV_KEY, KEY_A, 1}}));
        // Without procedures nothing is swallowed, raw input still sees the buttons.
        events = toEvents({{EV_KEY, BTN_RIGHT, 0}, {EV_KEY, KEY_MUTE, 0}});
        QCOMPARE(hookFrame(events, {}, {}), QList<quint16>{F::RightUp});
        QCOMPARE(events.size(), size_t(2));
    }

    void consumerKeys() {
        const QList<QPair<int, quint32>> table = {
            {KEY_VOLUMEUP, 0xE9},  {KEY_VOLUMEDOWN, 0xEA}, {KEY_MUTE, 0xE2},
            {KEY_PLAYPAUSE, 0xCD}, {KEY_NEXTSONG, 0xB5},   {KEY_PREVIOUSSONG, 0xB6},
            {KEY_STOPCD, 0xB7},    {KEY_CONFIG, 0x183},    {KEY_MAIL, 0x18A},
            {KEY_HOMEPAGE, 0x223}, {KEY_BACK, 0x224},      {KEY_FORWARD, 0x225}};
        for (const auto& row : table)
            QCOMPARE(consumerUsage(quint16(row.first)), row.second);
        QCOMPARE(consumerUsage(KEY_ENTER), 0u);
    }

    // What of a grabbed node's frame reaches its pass-through device: a release goes where its
    // press went, and a key's scan code goes with the key.
    void passedOnFrames_data() {
        using Frame = QList<QList<int>>;
        QTest::addColumn<Frame>("original");
        QTest::addColumn<QList<int>>("keptIndices");  // what the filter left, by index
        QTest::addColumn<QList<int>>("takenBefore");  // keys whose press was taken over
        QTest::addColumn<QList<int>>("held");         // keys the pass-through device holds
        QTest::addColumn<Frame>("expected");
        QTest::addColumn<QList<int>>("takenAfter");
        const QList<int> scan5 = {EV_MSC, MSC_SCAN, 0x90005};
        const QList<int> scan2 = {EV_MSC, MSC_SCAN, 0x90002};
        const QList<int> moveX = {EV_REL, REL_X, 3};
        QTest::newRow("nothing taken: all goes on")
            << Frame{scan2, {EV_KEY, BTN_RIGHT, 1}, moveX} << QList<int>{0, 1, 2} << QList<int>{}
            << QList<int>{} << Frame{scan2, {EV_KEY, BTN_RIGHT, 1}, moveX} << QList<int>{};
        QTest::newRow("taken press: its scan code stays back too")
            << Frame{scan5, {EV_KEY, BTN_EXTRA, 1}, moveX} << QList<int>{0, 2} << QList<int>{}
            << QList<int>{} << Frame{moveX} << QList<int>{BTN_EXTRA};
        QTest::newRow("taken release after a taken press")
            << Frame{scan5, {EV_KEY, BTN_EXTRA, 0}} << QList<int>{0} << QList<int>{BTN_EXTRA}
            << QList<int>{} << Frame{} << QList<int>{};
        QTest::newRow("mask set while held: the release still goes on")
            << Frame{scan2, {EV_KEY, BTN_RIGHT, 0}} << QList<int>{0} << QList<int>{}
            << QList<int>{BTN_RIGHT} << Frame{scan2, {EV_KEY, BTN_RIGHT, 0}} << QList<int>{};
        QTest::newRow("mask cleared while a taken key is held: its release stays back")
            << Frame{scan5, {EV_KEY, BTN_EXTRA, 0}} << QList<int>{0, 1} << QList<int>{BTN_EXTRA}
            << QList<int>{} << Frame{} << QList<int>{};
        QTest::newRow("repeat of a taken key stays back")
            << Frame{{EV_KEY, KEY_VOLUMEUP, 2}} << QList<int>{0} << QList<int>{KEY_VOLUMEUP}
            << QList<int>{} << Frame{} << QList<int>{KEY_VOLUMEUP};
        QTest::newRow("a scan code without a key goes on")
            << Frame{scan5, moveX} << QList<int>{0, 1} << QList<int>{} << QList<int>{}
            << Frame{scan5, moveX} << QList<int>{};
        QTest::newRow("two keys, one taken")
            << Frame{scan5, {EV_KEY, BTN_EXTRA, 1}, scan2, {EV_KEY, BTN_RIGHT, 1}}
            << QList<int>{0, 2, 3} << QList<int>{} << QList<int>{}
            << Frame{scan2, {EV_KEY, BTN_RIGHT, 1}} << QList<int>{BTN_EXTRA};
    }
    void passedOnFrames() {
        using Frame = QList<QList<int>>;
        QFETCH(Frame, original);
        QFETCH(QList<int>, keptIndices);
        QFETCH(QList<int>, takenBefore);
        QFETCH(QList<int>, held);
        QFETCH(Frame, expected);
        QFETCH(QList<int>, takenAfter);
        const std::vector<input_event> events = toEvents(original);
        std::vector<input_event> kept;
        for (int i : keptIndices)
            kept.push_back(events.at(size_t(i)));
        std::bitset<KEY_CNT> taken;
        for (int key : takenBefore)
            taken.set(size_t(key));
        std::bitset<KEY_CNT> heldKeys;
        for (int key : held)
            heldKeys.set(size_t(key));
        QCOMPARE(fromEvents(passedOn(events, kept, &taken, heldKeys)), expected);
        std::bitset<KEY_CNT> expectedTaken;
        for (int key : takenAfter)
            expectedTaken.set(size_t(key));
        QVERIFY(taken == expectedTaken);
    }

    void hookRecords() {
        using namespace KHookValues;
        KMouseHookRecord mouse;
        QVERIFY(mouseHookRecord(EV_KEY, BTN_SIDE, 1, &mouse));
        QCOMPARE(mouse.message, WmXButtonDown);
        QCOMPARE(mouse.mouseData, XButton1 << 16);
        QVERIFY(mouseHookRecord(EV_KEY, BTN_EXTRA, 0, &mouse));
        QCOMPARE(mouse.message, WmXButtonUp);
        QCOMPARE(mouse.mouseData, XButton2 << 16);
        QVERIFY(mouseHookRecord(EV_KEY, BTN_RIGHT, 1, &mouse));
        QCOMPARE(mouse.message, WmRButtonDown);
        QVERIFY(mouseHookRecord(EV_REL, REL_WHEEL, -1, &mouse));
        QCOMPARE(mouse.message, WmMouseWheel);
        QCOMPARE(qint16(mouse.mouseData >> 16), qint16(-120));
        QCOMPARE(mouse.extraInfo, quintptr(0));
        QVERIFY(!mouseHookRecord(EV_REL, REL_X, 3, &mouse));
        QVERIFY(!mouseHookRecord(EV_REL, REL_WHEEL_HI_RES, 120, &mouse));
        QVERIFY(!mouseHookRecord(EV_KEY, KEY_A, 1, &mouse));
        QVERIFY(!mouseHookRecord(EV_KEY, BTN_FORWARD, 1, &mouse));
        QVERIFY(!mouseHookRecord(EV_KEY, BTN_BACK, 1, &mouse));
        QCOMPARE(hookButtonCode(BTN_SIDE), 0x8u);
        QCOMPARE(hookButtonCode(BTN_EXTRA), 0x10u);
        QCOMPARE(hookButtonCode(BTN_LEFT), 0u);  // the Bluetooth hook never takes the left button
        QCOMPARE(hookButtonCode(BTN_BACK), 0u);

        KKeyboardHookRecord key;
        QVERIFY(keyboardHookRecord(EV_KEY, KEY_VOLUMEUP, 1, &key));
        QCOMPARE(key.vkCode, VkVolumeUp);
        QCOMPARE(key.flags, 0u);
        QVERIFY(!key.repeat);
        QVERIFY(keyboardHookRecord(EV_KEY, KEY_VOLUMEUP, 2, &key));  // a repeat is a key-down...
        QCOMPARE(key.flags, 0u);
        QVERIFY(key.repeat);  // ...but not a new press
        QVERIFY(keyboardHookRecord(EV_KEY, KEY_PLAYPAUSE, 0, &key));
        QCOMPARE(key.vkCode, VkMediaPlayPause);
        QCOMPARE(key.flags, LlkhfUp);
        QVERIFY(!keyboardHookRecord(EV_KEY, KEY_A, 1, &key));
        QVERIFY(!keyboardHookRecord(EV_KEY, BTN_RIGHT, 1, &key));
    }

    void rawFlags() {
        namespace F = KRawMouseFlags;
        QCOMPARE(rawMouseFlags(EV_KEY, BTN_RIGHT, 1), F::RightDown);
        QCOMPARE(rawMouseFlags(EV_KEY, BTN_RIGHT, 0), F::RightUp);
        QCOMPARE(rawMouseFlags(EV_KEY, BTN_EXTRA, 1), F::Button5Down);
        QCOMPARE(rawMouseFlags(EV_KEY, BTN_SIDE, 1), F::Button4Down);
        QCOMPARE(rawMouseFlags(EV_REL, REL_WHEEL, 1), F::Wheel);
        QCOMPARE(rawMouseFlags(EV_REL, REL_X, 1), quint16(0));
        QCOMPARE(rawMouseFlags(EV_KEY, BTN_BACK, 1), quint16(0));
    }

    // Bluetooth devices get the name form the recognition patterns expect.
    void names() {
        const QByteArray ble = rawInputName(BUS_BLUETOOTH, 0x248A, 0x8266, 1, "event7");
        QVERIFY(ble.contains("{00001812-0000-1000-8000-00805f9b34fb}_Dev_VID&02248a_PID&8266"));
        QVERIFY(ble.endsWith("#event7"));
        QVERIFY(rawInputName(BUS_BLUETOOTH, 0x000E, 0x3412, 0, "event3")
                    .contains("_Dev_VID&02000e_PID&3412"));
        QVERIFY(rawInputName(BUS_BLUETOOTH, 0x1235, 0xAA22, 0, "event3")
                    .contains("_Dev_VID&021235_PID&aa22"));
        const QByteArray usb = rawInputName(BUS_USB, 0x24AE, 0x2013, 0x100, "event4");
        QVERIFY(usb.contains("VID_24AE&PID_2013"));
        QVERIFY(!usb.contains("00001812"));
    }

    void hidIds() {
        quint16 bus = 0, vendor = 0, product = 0;
        QVERIFY(parseHidId("0005:0000248A:00008266\n", &bus, &vendor, &product));
        QCOMPARE(bus, quint16(5));
        QCOMPARE(vendor, quint16(0x248A));
        QCOMPARE(product, quint16(0x8266));
        QVERIFY(!parseHidId("0005:0000248A", &bus, &vendor, &product));
        QVERIFY(!parseHidId("0005:0001248A:00008266", &bus, &vendor, &product));
        QVERIFY(!parseHidId("x:y:z", &bus, &vendor, &product));
    }

    void interfacePaths() {
        QCOMPARE(interfacePath("/dev/hidraw3", 0, 1), QByteArray("/dev/hidraw3"));
        QCOMPARE(interfacePath("/dev/hidraw3", 1, 4), QByteArray("/dev/hidraw3&col02"));
        QByteArray node;
        int index = -1;
        QVERIFY(splitInterfacePath("/dev/hidraw3&col02", &node, &index));
        QCOMPARE(node, QByteArray("/dev/hidraw3"));
        QCOMPARE(index, 1);
        QVERIFY(splitInterfacePath("/dev/hidraw3", &node, &index));
        QCOMPARE(index, 0);
        QVERIFY(!splitInterfacePath("/dev/hidraw3&col00", &node, &index));
        QVERIFY(!splitInterfacePath("/dev/hidraw3&colx", &node, &index));
        QVERIFY(!splitInterfacePath("", &node, &index));
    }
};

QTEST_APPLESS_MAIN(TestLinuxEventMap)
#include "tst_linuxeventmap.moc"
