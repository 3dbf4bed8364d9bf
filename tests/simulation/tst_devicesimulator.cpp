#include "SimLogReader.h"
#include "common/TestEnv.h"
#include "config/KConfigCommon.h"
#include "platform/KPlatform.h"
#include "platform/sim/KSimController.h"
#include "platform/sim/KSimDesktopBackend.h"
#include "simulation/KDeviceKeyCode.h"
#include "simulation/KDeviceSimulator.h"
#include "simulation/KWinSimulator.h"

#include <QCoreApplication>
#include <QThread>
#include <QtTest>

#include <memory>

Q_DECLARE_METATYPE(QList<QJsonObject>)

namespace {

constexpr int kRightKey = 2;
const QString kSoundFile = QStringLiteral("bell.wav");

// Compares only the fields the expected line names, so that lines may carry more detail.
bool matches(const QJsonObject& actual, const QJsonObject& expected) {
    for (auto it = expected.begin(); it != expected.end(); ++it)
        if (actual.value(it.key()) != it.value())
            return false;
    return true;
}

QString describe(const QList<QJsonObject>& lines) {
    QStringList parts;
    for (const QJsonObject& line : lines)
        parts << QString::fromUtf8(QJsonDocument(line).toJson(QJsonDocument::Compact));
    return parts.join('\n');
}

}  // namespace

class TestDeviceSimulator : public QObject {
    Q_OBJECT
private:
    TestEnv m_env;
    std::unique_ptr<SimLogReader> m_log;
    std::unique_ptr<KConfigCommon> m_store;
    std::unique_ptr<KWinSimulator> m_win;
    std::unique_ptr<KDeviceSimulator> m_simulator;
    KSimDesktopBackend* m_desktop = nullptr;

    void verifyLines(const QList<QJsonObject>& expected) {
        // Repeated clicks leave spaced; the later ones come from the injector's worker.
        QVERIFY(waitForInjectedInput());
        const QList<QJsonObject> actual = m_log->takeNew();
        bool same = actual.size() == expected.size();
        for (int i = 0; same && i < actual.size(); ++i)
            same = matches(actual.at(i), expected.at(i));
        if (!same)
            QFAIL(qPrintable(QStringLiteral("log lines differ.\nactual:\n%1\nexpected:\n%2")
                                 .arg(describe(actual), describe(expected))));
    }

    // Assigns value to RightKey, announces the change and presses the right button.
    void pressRightWith(int value) {
        m_store->setKeyValueWithKeyType(kRightKey, value, true);
        m_simulator->onKeyDown(KDeviceKeyCode::MOUSE_RIGHT);
    }

private slots:
    void initTestCase() {
        m_env.apply();
        QCoreApplication::setApplicationName("Pointora");
        qputenv("POINTORA_SIM_LOG", m_env.path("sim.log").toUtf8());
        KPlatform* platform = KPlatform::instance();
        QCOMPARE(platform->name(), QStringLiteral("sim"));
        m_desktop = static_cast<KSimDesktopBackend*>(platform->desktopBackend());
        m_log = std::make_unique<SimLogReader>(m_env.path("sim.log"));
        m_store = std::make_unique<KConfigCommon>(m_env.path("config/Pointora/config"));
        m_win = std::make_unique<KWinSimulator>(m_store.get(), platform->desktopBackend(),
                                                platform->sessionBackend());
        m_simulator = std::make_unique<KDeviceSimulator>(m_store.get(), m_win.get(),
                                                         platform->sessionBackend());
        connect(m_store.get(), &KConfigCommon::sigKeyValueChange, m_simulator.get(),
                &KDeviceSimulator::onConfigChange);
        QFile sound(m_env.path(kSoundFile));
        QVERIFY(sound.open(QIODevice::WriteOnly));
        sound.write("RIFF");
    }
    // Every case sets what it relies on: each write of the store reaches the disk, and resetting
    // everything for each of the many rows would make the test slow.
    void init() {
        m_desktop->removeAllWindows();
        m_desktop->setCursorPos(QPoint(500, 500));
        m_log->takeNew();
    }

    // Key values whose function is a keystroke or a chord.
    void keystrokes_data() {
        QTest::addColumn<int>("value");
        QTest::addColumn<QList<QJsonObject>>("expected");
        const int ctrl = 0xA2;
        QTest::newRow("1 cut") << 1 << chordLines({ctrl}, 0x58);
        QTest::newRow("2 copy") << 2 << chordLines({ctrl}, 0x43);
        QTest::newRow("3 paste") << 3 << chordLines({ctrl}, 0x56);
        QTest::newRow("4 find") << 4 << chordLines({ctrl}, 0x46);
        QTest::newRow("5 select all") << 5 << chordLines({ctrl}, 0x41);
        QTest::newRow("6 new") << 6 << chordLines({ctrl}, 0x4E);
        QTest::newRow("7 print") << 7 << chordLines({ctrl}, 0x50);
        QTest::newRow("8 save") << 8 << chordLines({ctrl}, 0x53);
        QTest::newRow("10 pause/play") << 10 << tapLines(0xB3);
        QTest::newRow("11 volume up") << 11 << tapLines(0xAF);
        QTest::newRow("12 volume down") << 12 << tapLines(0xAE);
        QTest::newRow("15 mute") << 15 << tapLines(0xAD);
        QTest::newRow("16 stop") << 16 << tapLines(0xB2);
        QTest::newRow("26 menu") << 26 << tapLines(0x5D);
        QTest::newRow("40 close window: left Alt") << 40 << chordLines({0xA4}, 0x73);
        QTest::newRow("42 show desktop") << 42 << chordLines({0x5B}, 0x44);
        QTest::newRow("43 start screen") << 43 << tapLines(0x5B);
        QTest::newRow("44 run") << 44 << chordLines({0x5B}, 0x52);
        QTest::newRow("46 zoom in") << 46 << chordLines({ctrl}, 0xBB);
        QTest::newRow("47 zoom out") << 47 << chordLines({ctrl}, 0xBD);
        QTest::newRow("50 previous tab") << 50 << chordLines({ctrl, 0xA0}, 0x09);
        QTest::newRow("51 next tab") << 51 << chordLines({ctrl}, 0x09);
        QTest::newRow("52 switch applications: generic Alt") << 52 << chordLines({0x12}, 0x09);
        QTest::newRow("53 notifications") << 53 << chordLines({0x5B}, 0x41);
    }
    void keystrokes() {
        QFETCH(int, value);
        QFETCH(QList<QJsonObject>, expected);
        pressRightWith(value);
        verifyLines(expected);
    }

    // Key values whose function is a mouse event.
    void mouseEvents_data() {
        QTest::addColumn<int>("value");
        QTest::addColumn<QList<QJsonObject>>("expected");
        const QJsonObject click = mouseLine(0x0006, 0);
        const QJsonObject right = mouseLine(0x0018, 0);
        QTest::newRow("21 click") << 21 << QList<QJsonObject>{click};
        QTest::newRow("22 double click") << 22 << QList<QJsonObject>{click, click};
        QTest::newRow("23 triple click") << 23 << QList<QJsonObject>{click, click, click};
        QTest::newRow("24 right click") << 24 << QList<QJsonObject>{right};
        QTest::newRow("25 right double click") << 25 << QList<QJsonObject>{right, right};
        QTest::newRow("27 middle") << 27 << QList<QJsonObject>{mouseLine(0x0060, 0)};
        QTest::newRow("28 forward") << 28 << QList<QJsonObject>{mouseLine(0x0180, 2)};
        QTest::newRow("29 back") << 29 << QList<QJsonObject>{mouseLine(0x0180, 1)};
        QTest::newRow("30 scroll up") << 30 << QList<QJsonObject>{mouseLine(0x0800, 120)};
        QTest::newRow("31 scroll down") << 31 << QList<QJsonObject>{mouseLine(0x0800, -120)};
        QTest::newRow("32 scroll left") << 32 << QList<QJsonObject>{mouseLine(0x1000, -120)};
        QTest::newRow("33 scroll right") << 33 << QList<QJsonObject>{mouseLine(0x1000, 120)};
    }
    void mouseEvents() {
        QFETCH(int, value);
        QFETCH(QList<QJsonObject>, expected);
        pressRightWith(value);
        verifyLines(expected);
    }

    // Key values carried out by the window and system actions.
    void systemActions_data() {
        QTest::addColumn<int>("value");
        QTest::addColumn<QString>("path");  // stored under the value's file type
        QTest::addColumn<QList<QJsonObject>>("expected");
        const QString sound = m_env.path(kSoundFile);
        QTest::newRow("13 brightness up")
            << 13 << QString() << QList<QJsonObject>{{{"kind", "gamma"}, {"slope", 260}}};
        QTest::newRow("14 brightness down")
            << 14 << QString() << QList<QJsonObject>{{{"kind", "gamma"}, {"slope", 252}}};
        QTest::newRow("41 lock") << 41 << QString() << QList<QJsonObject>{{{"kind", "lock"}}};
        QTest::newRow("45 zoom") << 45 << QString() << QList<QJsonObject>{{{"kind", "magnifier"}}};
        QTest::newRow("60 sound") << 60 << sound
                                  << QList<QJsonObject>{
                                         {{"kind", "sound"}, {"action", "stop"}},
                                         {{"kind", "sound"}, {"action", "play"}, {"path", sound}}};
        QTest::newRow("60 missing sound stops only")
            << 60 << m_env.path("missing.wav")
            << QList<QJsonObject>{{{"kind", "sound"}, {"action", "stop"}}};
        QTest::newRow("60 no path stops only")
            << 60 << QString() << QList<QJsonObject>{{{"kind", "sound"}, {"action", "stop"}}};
        for (int value : {61, 62, 63})
            QTest::addRow("%d open", value)
                << value << "/tmp/x" << QList<QJsonObject>{{{"kind", "open"}, {"path", "/tmp/x"}}};
        QTest::newRow("61 without path")
            << 61 << QString() << QList<QJsonObject>{{{"kind", "open"}, {"path", ""}}};
    }
    void systemActions() {
        QFETCH(int, value);
        QFETCH(QString, path);
        QFETCH(QList<QJsonObject>, expected);
        if (value >= 60)
            m_store->setPathByKeyType(kRightKey, value - 59, path, false);
        m_store->setBrightness(128);
        pressRightWith(value);
        verifyLines(expected);
    }

    // Values without a function: the button is taken over, but nothing happens.
    void nothing_data() {
        QTest::addColumn<int>("value");
        for (int value : {0,  9,  17, 18, 19, 20, 34, 35,  36,  37,  38,   39, 54, 55,
                          56, 57, 58, 59, 64, 65, 99, 100, 101, 102, 1000, -1, -60})
            QTest::addRow("%d", value) << value;
    }
    void nothing() {
        QFETCH(int, value);
        pressRightWith(value);
        verifyLines({});
    }

    // Which key type a device code reaches.
    void codes_data() {
        QTest::addColumn<quint64>("code");
        QTest::addColumn<int>("keyType");
        QTest::newRow("left 0x1") << quint64(0x1) << 1;
        QTest::newRow("unknown keyboard code acts as left") << quint64(0x40000999) << 1;
        // Only where the key-down argument is wider than the driver's 32 bits (not on Windows).
        if (sizeof(ulong) > 4)
            QTest::newRow("wider than 32 bits acts as left") << quint64(0x100000002) << 1;
        QTest::newRow("wheel down") << quint64(0x1FF) << 5;
        QTest::newRow("mail key") << quint64(0x4000018A) << 19;
    }
    void codes() {
        QFETCH(quint64, code);
        QFETCH(int, keyType);
        // Every key type taps Menu except the expected one, which taps Windows: the log tells
        // which one was reached.
        for (int type : KConfigCommon::keyTypes())
            if (m_store->getValueByKeyType(type) != 26)
                m_store->setKeyValueWithKeyType(type, 26, false);
        m_store->setKeyValueWithKeyType(keyType, 43, false);
        m_simulator->onConfigChange(-1, 0);
        m_simulator->onKeyDown(ulong(code));
        m_store->setKeyValueWithKeyType(keyType, 26, false);
        verifyLines(tapLines(0x5B));
    }

    // As on Linux, the clicks of a multiple click are spaced so that the system counts each: the
    // first leaves during the call, the others later, and none is lost or added.
    void multipleClicksAreSpaced_data() {
        QTest::addColumn<int>("value");
        QTest::addColumn<int>("flags");
        QTest::addColumn<int>("clicks");
        QTest::newRow("22 double click") << 22 << 0x0006 << 2;
        QTest::newRow("23 triple click") << 23 << 0x0006 << 3;
        QTest::newRow("25 right double click") << 25 << 0x0018 << 2;
    }
    void multipleClicksAreSpaced() {
        QFETCH(int, value);
        QFETCH(int, flags);
        QFETCH(int, clicks);
        QVERIFY(waitForInjectedInput());
        // Past the spacing after the previous case's clicks, so that the first goes out at once.
        QThread::msleep(KPacedInjector::kReleaseToPressUs / 1000 + 10);
        m_log->takeNew();
        pressRightWith(value);
        QCOMPARE(m_log->takeNew(), QList<QJsonObject>{mouseLine(flags, 0)});
        QVERIFY(waitForInjectedInput());
        QCOMPARE(m_log->takeNew(), QVector<QJsonObject>(clicks - 1, mouseLine(flags, 0)).toList());
    }

    void rightDoubleClickSendsOnlyTwoLeftClicks() {
        pressRightWith(22);
        verifyLines({mouseLine(6, 0), mouseLine(6, 0)});
    }

    void pathLookupByKeyValue() {
        m_store->resetFunctionConfig();
        const int mailKey = 19;
        const ulong mailCode = KDeviceKeyCode::consumer(0x18A);
        m_store->setKeyValueWithKeyType(mailKey, 61);
        m_store->setPathByKeyType(mailKey, 2, "/opt/app/run");
        m_simulator->onKeyDown(mailCode);
        verifyLines({{{"kind", "open"}, {"path", "/opt/app/run"}}});

        m_store->resetFunctionConfig();
        m_store->setKeyValueWithKeyType(mailKey, 61);
        m_store->setPathByKeyType(mailKey, 3, "/home/u/file.txt");  // a File path, not Program
        m_simulator->onKeyDown(mailCode);
        verifyLines({{{"kind", "open"}, {"path", ""}}});
    }

    void cacheUntilSignal() {
        m_store->resetFunctionConfig();
        pressRightWith(2);  // Copy, announced
        verifyLines(chordLines({0xA2}, 0x43));
        m_store->setKeyValueWithKeyType(kRightKey, 24, false);  // Right click, not announced
        m_simulator->onKeyDown(KDeviceKeyCode::MOUSE_RIGHT);
        verifyLines(chordLines({0xA2}, 0x43));
        // Any change signal reloads every key type, whatever it names.
        emit m_store->sigKeyValueChange(7, 0);
        m_simulator->onKeyDown(KDeviceKeyCode::MOUSE_RIGHT);
        verifyLines({mouseLine(0x18, 0)});
        // A bulk reset announces (-1, 0) once: everything back to "None".
        m_store->resetFunctionConfig();
        m_simulator->onKeyDown(KDeviceKeyCode::MOUSE_RIGHT);
        verifyLines({});
    }

    void pathsAreReadPerEvent() {
        m_store->resetFunctionConfig();
        m_store->setKeyValueWithKeyType(kRightKey, 62);
        m_store->setPathByKeyType(kRightKey, 3, "/a", false);
        m_simulator->onKeyDown(KDeviceKeyCode::MOUSE_RIGHT);
        m_store->setPathByKeyType(kRightKey, 3, "/b", false);
        m_simulator->onKeyDown(KDeviceKeyCode::MOUSE_RIGHT);
        verifyLines({{{"kind", "open"}, {"path", "/a"}}, {{"kind", "open"}, {"path", "/b"}}});
    }
};

QTEST_GUILESS_MAIN(TestDeviceSimulator)
#include "tst_devicesimulator.moc"
