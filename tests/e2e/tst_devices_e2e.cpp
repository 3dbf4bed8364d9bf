#include "common/ProgramRunner.h"
#include "common/SimLog.h"
#include "common/TestEnv.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QSettings>
#include <QtTest>

// The real program on the simulated platform: a press of an assigned button on one of the
// maker's devices performs its function, an unassigned one keeps its own behaviour.
class TestDevicesE2e : public QObject {
    Q_OBJECT

    struct Program {
        TestEnv env;
        ProgramRunner runner{env};
        std::unique_ptr<QProcess> process;
        QString socket;
        QString logPath;
        SimLogReader log{QString(), describe};

        // Starts the program with the assignments given ("ForwardKey" = 42, "Show desktop", unless
        // said otherwise), the application settings, arguments and environment given.
        explicit Program(const QString& devices,
                         const QByteArray& functions = "[General]\nForwardKey=42\nRightKey=0\n",
                         const QByteArray& appConfig = QByteArray(),
                         const QStringList& arguments = QStringList(),
                         const QMap<QString, QString>& environment = {}) {
            const QString configDir = env.path("config/Pointora/config");
            QDir().mkpath(configDir);
            QFile ini(configDir + "/DeviceFunction.ini");
            if (ini.open(QIODevice::WriteOnly))
                ini.write(functions);
            ini.close();
            if (!appConfig.isEmpty()) {
                QFile app(configDir + "/AppConfig.ini");
                if (app.open(QIODevice::WriteOnly))
                    app.write(appConfig);
            }
            socket = env.path("sim.sock");
            logPath = env.path("sim.log");
            log = SimLogReader(logPath, describe);
            runner.environment().insert("POINTORA_PLATFORM", "sim");
            runner.environment().insert("POINTORA_SIM_SOCKET", socket);
            runner.environment().insert("POINTORA_SIM_LOG", logPath);
            runner.environment().insert("POINTORA_SIM_DEVICES", devices);
            for (auto it = environment.cbegin(); it != environment.cend(); ++it)
                runner.environment().insert(it.key(), it.value());
            process = runner.start(arguments);
        }
        ~Program() { ProgramRunner::stop(process.get()); }
        int storedBrightness() const {
            return QSettings(env.path("config/Pointora/config/AppConfig.ini"), QSettings::IniFormat)
                .value("brightness", -1)
                .toInt();
        }

        QString command(const QString& line) { return simCommand(socket, line); }
        QJsonObject state() {
            const QString answer = command("state");
            return answer.startsWith("ok ")
                       ? QJsonDocument::fromJson(answer.mid(3).toUtf8()).object()
                       : QJsonObject();
        }
        QStringList hooks() {
            QStringList names;
            for (const QJsonValue& v : state().value("hooks").toArray())
                names << v.toString();
            return names;
        }
        // The log lines written since the last call, as compact text.
        QStringList newLog() { return log.newLines(); }
        static QString describe(const QJsonObject& o) {
            const QString kind = o.value("kind").toString();
            if (kind == "key")
                return QStringLiteral("key %1 %2 tag %3")
                    .arg(o.value("vk").toInt())
                    .arg(o.value("up").toBool() ? "up" : "down")
                    .arg(o.value("tag").toInt());
            if (kind == "mouse")
                return QStringLiteral("mouse flags 0x%1 data %2 tag %3")
                    .arg(o.value("flags").toInt(), 0, 16)
                    .arg(o.value("data").toInt())
                    .arg(o.value("tag").toInt());
            if (kind == "system" || kind == "swallowed")
                return QStringLiteral("%1 %2 %3 %4")
                    .arg(kind, o.value("device").toString(), o.value("event").toString(),
                         o.value("down").toBool() ? "down" : "up");
            if (kind == "access") {
                QStringList missing;
                for (const QJsonValue& v : o.value("missing").toArray())
                    missing << v.toString();
                return QStringLiteral("access [%1]").arg(missing.join(','));
            }
            return kind;
        }
        QStringList missing() {
            QStringList names;
            for (const QJsonValue& v :
                 state().value("access").toObject().value("missing").toArray())
                names << v.toString();
            return names;
        }
        bool waitFor(QStringList* seen, const QString& pattern, int count, int timeoutMs = 5000) {
            return log.waitFor(seen, pattern, count, timeoutMs);
        }
    };

    static QStringList showDesktop() {
        return {"key 91 down tag 9591", "key 68 down tag 9591", "key 68 up tag 9591",
                "key 91 up tag 9591"};
    }

private slots:
    void receiverForwardShowsTheDesktop() {
        Program p("receiver");
        QVERIFY(p.process->waitForStarted());
        QTRY_COMPARE_WITH_TIMEOUT(p.hooks(), QStringList{"usb"}, 15000);
        p.newLog();

        QCOMPARE(p.command("press forward"), QString("ok"));
        QStringList seen;
        QVERIFY2(p.waitFor(&seen, "^key ", 4), qPrintable(seen.join('\n')));
        QCOMPARE(seen.filter(QRegularExpression("^key ")), showDesktop());
        QCOMPARE(seen.filter(QRegularExpression("forward")),
                 (QStringList{"swallowed receiver forward down", "swallowed receiver forward up"}));

        // "RightKey" = 0: the right button stays the system's, nothing is injected.
        QCOMPARE(p.command("press right"), QString("ok"));
        seen.clear();
        QVERIFY(p.waitFor(&seen, "^system receiver right", 2));
        QThread::msleep(200);
        seen += p.newLog();
        QCOMPARE(seen, (QStringList{"system receiver right down", "system receiver right up"}));

        // After sleep the hook is set up again and keeps taking the forward button over.
        QCOMPARE(p.command("resume"), QString("ok"));
        QCOMPARE(p.hooks(), QStringList{"usb"});
        QCOMPARE(p.state().value("masks").toObject().value("mouse").toInt(), 0x10);
        seen.clear();
        QCOMPARE(p.command("press forward"), QString("ok"));
        QVERIFY2(p.waitFor(&seen, "^key ", 4), qPrintable(seen.join('\n')));
        QCOMPARE(seen.filter(QRegularExpression("^key ")), showDesktop());
    }

    // Brightness on the forward button: a session without gamma keeps the stored value and says
    // why; with gamma the press applies and stores; SIGTERM puts the display's own ramp back.
    void brightnessFollowsTheScreen() {
        Program p("receiver", "[General]\nForwardKey=13\n",
                  "[General]\nlanguage=en\nbrightness=128\n", {"-d"});
        QVERIFY(p.process->waitForStarted());
        QTRY_COMPARE_WITH_TIMEOUT(p.hooks(), QStringList{"usb"}, 15000);
        p.newLog();

        QCOMPARE(p.command("gamma unavailable"), QString("ok"));
        QCOMPARE(p.state().value("gammaAvailable").toBool(true), false);
        QCOMPARE(p.command("press forward"), QString("ok"));
        QStringList seen;
        QVERIFY2(p.waitFor(&seen, "^gamma-unavailable$", 1), qPrintable(seen.join('\n')));
        QVERIFY(seen.filter(QRegularExpression("^gamma$")).isEmpty());
        QCOMPARE(p.storedBrightness(), 128);
        QTRY_VERIFY_WITH_TIMEOUT(p.runner.logLines().join('\n').contains(
                                     "Screen brightness cannot be changed in this session"),
                                 5000);

        QCOMPARE(p.command("gamma available"), QString("ok"));
        QCOMPARE(p.command("press forward"), QString("ok"));
        seen.clear();
        QVERIFY2(p.waitFor(&seen, "^gamma$", 1), qPrintable(seen.join('\n')));
        QCOMPARE(p.state().value("brightnessSlope").toInt(), 260);
        QTRY_COMPARE_WITH_TIMEOUT(p.storedBrightness(), 132, 5000);

        p.process->terminate();
        QVERIFY(p.process->waitForFinished(10000));
        seen.clear();
        QVERIFY2(p.waitFor(&seen, "^gamma-restore$", 1, 2000), qPrintable(seen.join('\n')));
    }

    // Without /dev/uinput nothing can be taken over: the receiver's buttons stay the system's,
    // and the access check names what is missing in the simulation's state and log and in the
    // program's log. Granted, the check that a device change brings finds nothing missing and
    // the receiver is taken over.
    void accessCheckFollowsThePermissions() {
        Program p("receiver", "[General]\nForwardKey=42\n", "[General]\nlanguage=en\n", {"-d"},
                  {{"POINTORA_SIM_ACCESS", "deny:uinput"}});
        QVERIFY(p.process->waitForStarted());
        QTRY_VERIFY_WITH_TIMEOUT(p.state().value("access").toObject().value("checks").toInt() >= 1,
                                 15000);
        QCOMPARE(p.missing(), QStringList{"uinput"});
        QStringList seen;
        QVERIFY2(p.waitFor(&seen, "^access \\[uinput\\]$", 1), qPrintable(seen.join('\n')));
        QTRY_VERIFY_WITH_TIMEOUT(
            !p.runner.logLines().filter("access check: missing uinput (/dev/uinput").isEmpty(),
            5000);
        QVERIFY(p.hooks().isEmpty());
        QCOMPARE(p.command("press forward"), QString("ok"));
        QVERIFY2(p.waitFor(&seen, "^system receiver forward", 2), qPrintable(seen.join('\n')));
        QVERIFY(seen.filter(QRegularExpression("^key ")).isEmpty());

        QCOMPARE(p.command("access allow uinput"), QString("ok"));
        QCOMPARE(p.command("attach ble-mouse"), QString("ok"));
        seen.clear();
        QVERIFY2(p.waitFor(&seen, "^access \\[\\]$", 1), qPrintable(seen.join('\n')));
        QCOMPARE(p.missing(), QStringList());
        QTRY_VERIFY_WITH_TIMEOUT(
            !p.runner.logLines().filter("access check: nothing missing").isEmpty(), 5000);
        QTRY_COMPARE_WITH_TIMEOUT(p.hooks(), QStringList{"usb"}, 5000);
        QCOMPARE(p.command("press forward"), QString("ok"));
        seen.clear();
        QVERIFY2(p.waitFor(&seen, "^key ", 4), qPrintable(seen.join('\n')));
        QCOMPARE(seen.filter(QRegularExpression("^key ")), showDesktop());
    }

    // A receiver whose nodes are refused is not taken over either, and its pairing interface
    // does not open; a refused Bluetooth mouse keeps its buttons too.
    void refusedNodesAreNotTakenOver() {
        Program p("receiver", "[General]\nForwardKey=42\n", QByteArray(), {},
                  {{"POINTORA_SIM_ACCESS", "deny:receiver,ble-mouse"}});
        QVERIFY(p.process->waitForStarted());
        QTRY_COMPARE_WITH_TIMEOUT(p.missing(), QStringList{"receiver"}, 15000);
        QStringList seen;
        QCOMPARE(p.command("press forward"), QString("ok"));
        QVERIFY2(p.waitFor(&seen, "^system receiver forward", 2), qPrintable(seen.join('\n')));
        QVERIFY(seen.filter(QRegularExpression("^key |^swallowed")).isEmpty());

        QCOMPARE(p.command("detach receiver"), QString("ok"));
        QCOMPARE(p.command("attach ble-mouse"), QString("ok"));
        QTRY_COMPARE_WITH_TIMEOUT(p.missing(), QStringList{"ble-mouse"}, 5000);
        seen.clear();
        p.newLog();
        QCOMPARE(p.command("press forward via ble"), QString("ok"));
        QVERIFY2(p.waitFor(&seen, "^system ble-mouse forward", 2), qPrintable(seen.join('\n')));
        QVERIFY(seen.filter(QRegularExpression("^key |^swallowed")).isEmpty());
    }

    void bluetoothMouseForwardAndAnotherMouse() {
        Program p("ble-mouse");
        QVERIFY(p.process->waitForStarted());
        QTRY_COMPARE_WITH_TIMEOUT(p.hooks(), QStringList{"ble-mouse"}, 15000);
        p.newLog();

        QCOMPARE(p.command("press forward via ble"), QString("ok"));
        QStringList seen;
        QVERIFY2(p.waitFor(&seen, "^key ", 4), qPrintable(seen.join('\n')));
        QCOMPARE(seen.filter(QRegularExpression("^key ")), showDesktop());
        QVERIFY(seen.filter(QRegularExpression("^mouse ")).isEmpty());

        // Another mouse's forward button is never touched: the system gets it, nothing is
        // swallowed, confirmed or replayed.
        seen.clear();
        QCOMPARE(p.command("press forward via other"), QString("ok"));
        QVERIFY2(p.waitFor(&seen, "^system other forward up", 1), qPrintable(seen.join('\n')));
        QThread::msleep(300);
        seen += p.newLog();
        QCOMPARE(seen, (QStringList{"system other forward down", "system other forward up"}));

        // While another session has the seat, nothing is taken over; when ours is back, the
        // hook is too.
        QCOMPARE(p.command("session inactive"), QString("ok"));
        QTRY_COMPARE_WITH_TIMEOUT(p.hooks(), QStringList{}, 5000);
        seen.clear();
        QCOMPARE(p.command("press forward via ble"), QString("ok"));
        QVERIFY2(p.waitFor(&seen, "^system ble-mouse forward up", 1), qPrintable(seen.join('\n')));
        QCOMPARE(p.command("session active"), QString("ok"));
        QTRY_COMPARE_WITH_TIMEOUT(p.hooks(), QStringList{"ble-mouse"}, 5000);
        seen.clear();
        QCOMPARE(p.command("press forward via ble"), QString("ok"));
        QVERIFY2(p.waitFor(&seen, "^key ", 4), qPrintable(seen.join('\n')));
        QCOMPARE(seen.filter(QRegularExpression("^key ")), showDesktop());
    }

    // Once the window has started watching the devices, the hooks follow them: the receiver's
    // hook gives way to the Bluetooth hook and the last device leaving stops every hook.
    void hooksFollowTheDevices() {
        Program p("receiver,ble-mouse");
        QVERIFY(p.process->waitForStarted());
        QTRY_COMPARE_WITH_TIMEOUT(p.hooks(), QStringList{"usb"}, 15000);
        // The window starts watching after its welcome page; a change before that is caught up
        // with when it does.
        QCOMPARE(p.command("detach receiver"), QString("ok"));
        QTRY_COMPARE_WITH_TIMEOUT(p.hooks(), QStringList{"ble-mouse"}, 15000);
        QCOMPARE(p.state().value("masks").toObject().value("mouse").toInt(), 0x10);
        // Changes well apart, each its own.
        auto change = [&p](const QString& command) {
            QThread::msleep(50);
            return p.command(command);
        };
        QCOMPARE(change("attach receiver"), QString("ok"));
        QTRY_COMPARE_WITH_TIMEOUT(p.hooks(), QStringList{"usb"}, 5000);
        QCOMPARE(change("detach receiver"), QString("ok"));
        QTRY_COMPARE_WITH_TIMEOUT(p.hooks(), QStringList{"ble-mouse"}, 5000);
        // Changes closer together than the debounce still end in the right hooks.
        QCOMPARE(p.command("attach receiver"), QString("ok"));
        QCOMPARE(p.command("detach receiver"), QString("ok"));
        QTRY_COMPARE_WITH_TIMEOUT(p.hooks(), QStringList{"ble-mouse"}, 5000);
        QCOMPARE(change("detach ble-mouse"), QString("ok"));
        QTRY_COMPARE_WITH_TIMEOUT(p.hooks(), QStringList{}, 5000);
        const QJsonObject masks = p.state().value("masks").toObject();
        QCOMPARE(masks.value("mouse").toInt() + masks.value("keyboard").toInt(), 0);
    }

    // Maximize (48) on the forward button: on a desktop without a window interface the program
    // says so in its log instead of acting, and on an X11 desktop it maximizes again.
    void maximizeWhereTheDesktopHasNoWay() {
        Program p("receiver", "[General]\nForwardKey=48\nRightKey=0\n", QByteArray(), {"-d"});
        QVERIFY(p.process->waitForStarted());
        QTRY_COMPARE_WITH_TIMEOUT(p.hooks(), QStringList{"usb"}, 15000);
        QCOMPARE(p.command("window 5 title=Editor"), QString("ok"));
        QCOMPARE(p.command("foreground 5"), QString("ok"));
        QCOMPARE(p.command("desktop wayland"), QString("ok"));
        QCOMPARE(p.state().value("desktop").toObject().value("windows").toString(),
                 QString("unavailable"));
        p.newLog();
        QCOMPARE(p.command("press forward"), QString("ok"));
        const auto tipLogged = [&] {
            return !p.runner.logLines().filter("function 48 cannot work here").isEmpty();
        };
        QTRY_VERIFY_WITH_TIMEOUT(tipLogged(), 5000);
        QStringList seen;
        p.waitFor(&seen, "^swallowed receiver forward", 1);
        QVERIFY2(seen.filter("window").isEmpty(), qPrintable(seen.join('\n')));
        QCOMPARE(p.state().value("foreground").toObject().value("state").toString(),
                 QString("normal"));

        QCOMPARE(p.command("desktop x11"), QString("ok"));
        QCOMPARE(p.command("press forward"), QString("ok"));
        QTRY_COMPARE_WITH_TIMEOUT(
            p.state().value("foreground").toObject().value("state").toString(),
            QString("maximized"), 5000);
    }
};

QTEST_GUILESS_MAIN(TestDevicesE2e)
#include "tst_devices_e2e.moc"
