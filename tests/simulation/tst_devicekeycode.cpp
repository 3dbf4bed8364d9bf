#include "simulation/KDeviceKeyCode.h"

#include <QtTest>

class TestDeviceKeyCode : public QObject {
    Q_OBJECT
private slots:
    void table_data() {
        QTest::addColumn<quint32>("code");
        QTest::addColumn<int>("keyType");
        QTest::newRow("left") << 0x1u << 1;
        QTest::newRow("right") << 0x2u << 2;
        QTest::newRow("middle") << 0x4u << 3;
        QTest::newRow("back") << 0x8u << 9;
        QTest::newRow("forward") << 0x10u << 8;
        QTest::newRow("wheel up") << 0x101u << 4;
        QTest::newRow("wheel down") << 0x1FFu << 5;
        QTest::newRow("side wheel up") << 0x201u << 6;
        QTest::newRow("side wheel down") << 0x2FFu << 7;
        QTest::newRow("next track") << 0x400000B5u << 24;
        QTest::newRow("previous track") << 0x400000B6u << 23;
        QTest::newRow("stop") << 0x400000B7u << 22;
        QTest::newRow("play/pause") << 0x400000CDu << 21;
        QTest::newRow("mute") << 0x400000E2u << 27;
        QTest::newRow("volume up") << 0x400000E9u << 26;
        QTest::newRow("volume down") << 0x400000EAu << 25;
        QTest::newRow("music") << 0x40000183u << 20;
        QTest::newRow("mail") << 0x4000018Au << 19;
        QTest::newRow("home") << 0x40000223u << 18;
        QTest::newRow("ac back") << 0x40000224u << 16;
        QTest::newRow("ac forward") << 0x40000225u << 17;
        // Everything else is the left button.
        QTest::newRow("zero") << 0x0u << 1;
        QTest::newRow("unknown consumer") << 0x40000999u << 1;
        QTest::newRow("volume up without keyboard bit") << 0xE9u << 1;
        QTest::newRow("mouse code with keyboard bit") << 0x40000010u << 1;
        QTest::newRow("bit 31 set") << 0x800000E9u << 1;
        QTest::newRow("both high bits") << 0xC00000E9u << 1;
        QTest::newRow("all ones") << 0xFFFFFFFFu << 1;
        QTest::newRow("wheel neighbour") << 0x100u << 1;
    }
    void table() {
        QFETCH(quint32, code);
        QFETCH(int, keyType);
        QCOMPARE(codeToKeyType(code), keyType);
    }

    void namedConstantsMatchTheTable() {
        using namespace KDeviceKeyCode;
        QCOMPARE(consumer(0xE9), 0x400000E9u);
        QCOMPARE(codeToKeyType(MOUSE_FORWARD), 8);
        QCOMPARE(codeToKeyType(SIDE_WHEEL_DOWN), 7);
    }
};

QTEST_APPLESS_MAIN(TestDeviceKeyCode)
#include "tst_devicekeycode.moc"
