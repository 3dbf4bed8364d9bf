#include "SimLogReader.h"
#include "platform/KPlatform.h"
#include "platform/sim/KSimInputInjector.h"
#include "platform/sim/KSimPlatform.h"
#include "simulation/KDeviceKeyCode.h"
#include "simulation/KInputSimulation.h"
#include "simulation/KMouseSimulator.h"

#include <QTemporaryDir>
#include <QThread>
#include <QtTest>

#include <memory>

using Event = KSimInputInjector::Event;
Q_DECLARE_METATYPE(QList<Event>)

char* toString(const Event& e) {
    const QString text =
        e.kind == Event::Key
            ? QStringLiteral("key vk=0x%1 %2").arg(e.code, 0, 16).arg(e.data ? "up" : "down")
            : QStringLiteral("mouse flags=0x%1 data=%2").arg(e.code, 0, 16).arg(e.data);
    return qstrdup(QStringLiteral("%1 tag=%2").arg(text).arg(e.tag).toUtf8().constData());
}

namespace {
Event down(quint8 vk) {
    return KSimInputInjector::key(vk, false, SIMULATED_INPUT_TAG);
}
Event up(quint8 vk) {
    return KSimInputInjector::key(vk, true, SIMULATED_INPUT_TAG);
}
Event mouse(quint32 flags, qint32 data) {
    return KSimInputInjector::mouse(flags, data, SIMULATED_INPUT_TAG);
}
}  // namespace

class TestInputSimulation : public QObject {
    Q_OBJECT
private:
    QTemporaryDir m_dir;
    std::unique_ptr<SimLogReader> m_log;
    KSimInputInjector* injector() {
        return static_cast<KSimPlatform*>(KPlatform::instance())->simInputInjector();
    }

private slots:
    void initTestCase() {
        QVERIFY(m_dir.isValid());
        const QString logPath = m_dir.filePath("sim.log");
        qputenv("POINTORA_SIM_LOG", logPath.toUtf8());
        QCOMPARE(KPlatform::instance()->name(), QStringLiteral("sim"));
        QCOMPARE(currentInputInjector()->method(), QStringLiteral("sim"));
        m_log = std::make_unique<SimLogReader>(logPath);
    }
    void init() {
        QVERIFY(waitForInjectedInput());
        injector()->takeHistory();
        m_log->takeNew();
    }

    void primitives_data() {
        QTest::addColumn<int>("primitive");  // 0 tapKey, 1 chord(1 modifier), 2 chord(2)
        QTest::addColumn<QList<Event>>("expected");
        QTest::newRow("tap") << 0 << QList<Event>{down(0x5B), up(0x5B)};
        QTest::newRow("chord, one modifier")
            << 1 << QList<Event>{down(0xA2), down(0x43), up(0x43), up(0xA2)};
        QTest::newRow("chord, two modifiers: released in reverse order")
            << 2 << QList<Event>{down(0xA2), down(0xA0), down(0x09), up(0x09), up(0xA0), up(0xA2)};
    }
    void primitives() {
        QFETCH(int, primitive);
        QFETCH(QList<Event>, expected);
        if (primitive == 0)
            tapKey(0x5B);
        else if (primitive == 1)
            pressChord({0xA2}, 0x43);
        else
            pressChord({0xA2, 0xA0}, 0x09);
        QCOMPARE(injector()->takeHistory(), expected);
    }

    // The simulation log carries exactly the events, in the documented line format.
    void logLines() {
        pressChord({KVK::LWIN}, 'D');
        sendMouse(KMouseFlag::LEFTCLICK, 0);
        sendMouse(KMouseFlag::WHEEL, -120);
        QList<QJsonObject> expected = chordLines({0x5B}, 0x44);
        expected << mouseLine(6, 0) << mouseLine(0x800, -120);
        QVERIFY(waitForInjectedInput());
        QCOMPARE(m_log->takeNew(), expected);
    }

    void replay_data() {
        QTest::addColumn<quint32>("code");
        QTest::addColumn<QList<Event>>("expected");
        using namespace KDeviceKeyCode;
        QTest::newRow("left: never") << MOUSE_LEFT << QList<Event>{};
        QTest::newRow("right") << MOUSE_RIGHT << QList<Event>{mouse(0x0018, 0)};
        QTest::newRow("middle") << MOUSE_MIDDLE << QList<Event>{mouse(0x0060, 0)};
        QTest::newRow("wheel up") << WHEEL_UP << QList<Event>{mouse(0x0800, 120)};
        QTest::newRow("wheel down") << WHEEL_DOWN << QList<Event>{mouse(0x0800, -120)};
        QTest::newRow("side wheel up") << SIDE_WHEEL_UP << QList<Event>{mouse(0x1000, 120)};
        QTest::newRow("side wheel down") << SIDE_WHEEL_DOWN << QList<Event>{mouse(0x1000, -120)};
        QTest::newRow("forward") << MOUSE_FORWARD << QList<Event>{mouse(0x0180, 2)};
        QTest::newRow("back") << MOUSE_BACK << QList<Event>{mouse(0x0180, 1)};
        QTest::newRow("keyboard volume up") << consumer(0xE9) << QList<Event>{};
        QTest::newRow("keyboard back") << consumer(0x224) << QList<Event>{};
        QTest::newRow("unknown code acts as left") << consumer(0x999) << QList<Event>{};
        QTest::newRow("keyboard flag on a wheel code") << quint32(0x400001FF) << QList<Event>{};
    }
    void replay() {
        QFETCH(quint32, code);
        QFETCH(QList<Event>, expected);
        KMouseSimulator::instance()->replayNativeAction(code);
        QVERIFY(waitForInjectedInput());
        QCOMPARE(injector()->takeHistory(), expected);
    }

    // The hook worker replays from its own thread; the first use may happen there.
    void replayFromWorkerThread() {
        std::unique_ptr<QThread> worker(QThread::create([] {
            KMouseSimulator::instance()->replayNativeAction(KDeviceKeyCode::MOUSE_RIGHT);
            KMouseSimulator::instance()->replayNativeAction(KDeviceKeyCode::MOUSE_BACK);
        }));
        worker->start();
        QVERIFY(worker->wait(5000));
        QVERIFY(waitForInjectedInput());
        QCOMPARE(injector()->takeHistory(), (QList<Event>{mouse(0x0018, 0), mouse(0x0180, 1)}));
    }

    // A replaced injector receives the events instead of the platform's.
    void replacedInjector() {
        KSimInputInjector own(KPlatform::instance()->simController());
        QCOMPARE(replaceInputInjector(&own), nullptr);
        tapKey(0xAD);
        QCOMPARE(replaceInputInjector(nullptr), &own);
        QCOMPARE(own.takeHistory(), (QList<Event>{down(0xAD), up(0xAD)}));
        QVERIFY(injector()->takeHistory().isEmpty());
    }
};

QTEST_GUILESS_MAIN(TestInputSimulation)
#include "tst_inputsimulation.moc"
