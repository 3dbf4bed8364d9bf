#include "common/TestEnv.h"
#include "platform/KPlatform.h"
#include "platform/sim/KSimController.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QLocalSocket>
#include <QSignalSpy>
#include <QtTest>

namespace {

QList<QJsonObject> readLog(const QString& path) {
    QList<QJsonObject> events;
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return events;
    for (const QByteArray& line : file.readAll().split('\n'))
        if (!line.isEmpty())
            events << QJsonDocument::fromJson(line).object();
    return events;
}

}  // namespace

class TestSimController : public QObject {
    Q_OBJECT
private slots:
    void devicesFromEnvironment_data() {
        QTest::addColumn<QVariant>("value");  // null: unset
        QTest::addColumn<QStringList>("devices");
        QTest::newRow("unset") << QVariant() << QStringList{"receiver"};
#ifndef Q_OS_WIN
        // Windows' C runtime removes a variable that is set to nothing.
        QTest::newRow("empty") << QVariant("") << QStringList{};
#endif
        QTest::newRow("two") << QVariant("ble-mouse,ble-keyboard")
                             << QStringList{"ble-mouse", "ble-keyboard"};
        QTest::newRow("spaces and repeats")
            << QVariant(" receiver ,receiver,ble-mouse") << QStringList{"receiver", "ble-mouse"};
        QTest::newRow("unknown skipped")
            << QVariant("mouse,ble-keyboard") << QStringList{"ble-keyboard"};
    }
    void devicesFromEnvironment() {
        QFETCH(QVariant, value);
        QFETCH(QStringList, devices);
        if (value.isNull())
            qunsetenv("POINTORA_SIM_DEVICES");
        else
            qputenv("POINTORA_SIM_DEVICES", value.toString().toUtf8());
        QCOMPARE(KSimController::Options::fromEnvironment().devices, devices);
        qunsetenv("POINTORA_SIM_DEVICES");
    }

    void platformChoice() {
#ifdef Q_OS_WIN
        const KPlatform::Kind native = KPlatform::Kind::Windows;
        const QByteArray nativeName = "windows", otherName = "linux";
#else
        const KPlatform::Kind native = KPlatform::Kind::Linux;
        const QByteArray nativeName = "linux", otherName = "windows";
#endif
        QCOMPARE(KPlatform::nativeKind(), native);
        qputenv("POINTORA_PLATFORM", "sim");
        QCOMPARE(KPlatform::kindFromEnvironment(), KPlatform::Kind::Sim);
        qputenv("POINTORA_PLATFORM", "SIM");
        QCOMPARE(KPlatform::kindFromEnvironment(), KPlatform::Kind::Sim);
        qputenv("POINTORA_PLATFORM", nativeName);
        QCOMPARE(KPlatform::kindFromEnvironment(), native);
        // The other system's backends are not in this build.
        for (const QByteArray& unknown : {QByteArray("beos"), otherName}) {
            qputenv("POINTORA_PLATFORM", unknown);
            QTest::ignoreMessage(QtWarningMsg, QRegularExpression(".*unknown.*"));
            QCOMPARE(KPlatform::kindFromEnvironment(), KPlatform::nativeKind());
        }
        qunsetenv("POINTORA_PLATFORM");
        QCOMPARE(KPlatform::kindFromEnvironment(), KPlatform::nativeKind());

        std::unique_ptr<KPlatform> sim(createPlatform(KPlatform::Kind::Sim));
        QCOMPARE(sim->name(), QString("sim"));
        QVERIFY(sim->simController());
        std::unique_ptr<KPlatform> real(createPlatform(native));
        QCOMPARE(real->kind(), native);
        QCOMPARE(real->name(), QString::fromLatin1(nativeName));
        QVERIFY(!real->simController());
    }

    void commandsAndState() {
        KSimController::Options options;
        options.devices = QStringList{"receiver"};
        KSimController sim(options);
        QSignalSpy attached(&sim, &KSimController::deviceAttached);
        QSignalSpy detached(&sim, &KSimController::deviceDetached);

        QCOMPARE(sim.execute("attach ble-keyboard").line(), QString("ok"));
        QCOMPARE(attached.size(), 1);
        QCOMPARE(sim.execute("attach ble-keyboard").line(),
                 QString("error: ble-keyboard is already attached"));
        QCOMPARE(sim.execute("detach ble-mouse").line(),
                 QString("error: ble-mouse is not attached"));
        QCOMPARE(sim.execute("detach receiver\r\n").line(), QString("ok"));
        QCOMPARE(detached.size(), 1);
        QCOMPARE(sim.attachedDevices(), QStringList{"ble-keyboard"});

        QVERIFY(sim.execute("").line().startsWith("error: "));
        QVERIFY(sim.execute("attach  receiver").line().startsWith("error: "));  // two spaces
        QVERIFY(sim.execute("attach").line().startsWith("error: usage"));
        QVERIFY(sim.execute("state now").line().startsWith("error: "));
        QVERIFY(sim.execute("launch rockets").line().startsWith("error: unknown command"));

        sim.setState("pointerSpeed", 14);
        const QString answer = sim.execute("state").line();
        QVERIFY(answer.startsWith("ok {"));
        const QJsonObject state = QJsonDocument::fromJson(answer.mid(3).toUtf8()).object();
        QCOMPARE(state.value("devices").toArray(), QJsonArray({"ble-keyboard"}));
        QCOMPARE(state.value("pointerSpeed").toInt(), 14);
        QCOMPARE(state.value("masks").toObject().value("mouse").toInt(), 0);

        sim.registerCommand("echo", [](const QStringList& args) {
            return KSimController::Reply::success(args.join('|'));
        });
        QCOMPARE(sim.execute("echo a b").line(), QString("ok a|b"));
    }

    void numbers() {
        qint64 value = 0;
        QVERIFY(KSimController::parseNumber("233", &value));
        QCOMPARE(value, 233);
        QVERIFY(KSimController::parseNumber("0xE9", &value));
        QCOMPARE(value, 0xE9);
        QVERIFY(KSimController::parseNumber("0X1ff", &value));
        QCOMPARE(value, 0x1FF);
        QVERIFY(!KSimController::parseNumber("0x", &value));
        QVERIFY(!KSimController::parseNumber("12a", &value));
        QVERIFY(!KSimController::parseNumber("", &value));
    }

    void socketAndLog() {
        TestEnv env;
        KSimController::Options options;
        options.devices = QStringList{"ble-mouse"};
        options.socketPath = env.path("sim.sock");
        options.logPath = env.path("sim.log");
        KSimController sim(options);
        QVERIFY(sim.start());
        QVERIFY(sim.isListening());
#ifdef Q_OS_UNIX
        // A socket file only the user may use (Windows: a named pipe, no file).
        QVERIFY(QFileInfo(options.socketPath).permissions() & QFile::ReadOwner);
        QVERIFY(!(QFileInfo(options.socketPath).permissions() & QFile::ReadOther));
#endif

        QLocalSocket client;
        client.connectToServer(options.socketPath);
        QVERIFY(client.waitForConnected(2000));
        // Two commands in one write get two answers, in order.
        client.write("attach receiver\nstate\n");
        QStringList answers;
        QTRY_VERIFY_WITH_TIMEOUT(
            [&] {
                while (client.canReadLine())
                    answers << QString::fromUtf8(client.readLine()).trimmed();
                return answers.size() == 2;
            }(),
            5000);
        QCOMPARE(answers.at(0), QString("ok"));
        QVERIFY(answers.at(1).contains("\"devices\":[\"ble-mouse\",\"receiver\"]"));

        sim.log(QJsonObject{{"kind", "key"}, {"vk", 91}, {"up", false}, {"tag", 9591}});
        const QList<QJsonObject> events = readLog(options.logPath);
        QCOMPARE(events.size(), 3);
        QCOMPARE(events.at(0).value("event").toString(), QString("present"));
        QCOMPARE(events.at(1).value("event").toString(), QString("attach"));
        QCOMPARE(events.at(2).value("vk").toInt(), 91);
    }

    void staleSocketFileIsReplaced() {
        TestEnv env;
        KSimController::Options options;
        options.socketPath = env.path("sim.sock");
        {
            QFile stale(options.socketPath);
            QVERIFY(stale.open(QIODevice::WriteOnly));
        }
        KSimController sim(options);
        QVERIFY(sim.start());
        QVERIFY(sim.isListening());
    }

    void unusableLogIsReported() {
        KSimController::Options options;
        options.logPath = "/nonexistent-dir/for/sure/sim.log";
        KSimController sim(options);
        QTest::ignoreMessage(QtWarningMsg, QRegularExpression("POINTORA_SIM_LOG.*"));
        QVERIFY(!sim.start());
        sim.log(QJsonObject{{"kind", "lock"}});  // dropped, no crash
    }
};

QTEST_GUILESS_MAIN(TestSimController)
#include "tst_simcontroller.moc"
