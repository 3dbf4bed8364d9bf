#include "common/LockHolders.h"
#include "common/ProgramRunner.h"
#include "common/SimLog.h"
#include "common/TestEnv.h"

#include <QElapsedTimer>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QSettings>
#include <QtTest>

#include <fcntl.h>
#include <pwd.h>
#include <signal.h>
#include <stdlib.h>
#include <sys/stat.h>
#include <unistd.h>

class TestStartup : public QObject {
    Q_OBJECT

    static bool waitForFile(const QString& path, int timeoutMs = 15000) {
        QDeadlineTimer deadline(timeoutMs);
        while (!QFileInfo::exists(path)) {
            if (deadline.hasExpired())
                return false;
            QThread::msleep(50);
        }
        return true;
    }

    static QJsonObject stateOf(const QString& socketPath) {
        const QString answer = simCommand(socketPath, "state");
        if (!answer.startsWith("ok "))
            return QJsonObject{{"error", answer}};
        return QJsonDocument::fromJson(answer.mid(3).toUtf8()).object();
    }

    // Sets the runner up for the simulated platform with its socket and log in env's folder and
    // the devices unset (the receiver).
    static void useSimulation(const TestEnv& env, ProgramRunner& runner) {
        runner.environment().insert("POINTORA_PLATFORM", "sim");
        runner.environment().insert("POINTORA_SIM_SOCKET", env.path("sim.sock"));
        runner.environment().insert("POINTORA_SIM_LOG", env.path("sim.log"));
        runner.environment().remove("POINTORA_SIM_DEVICES");
    }

    static void writeFile(const QString& path, const QByteArray& bytes) {
        QFile file(path);
        QVERIFY(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
        file.write(bytes);
    }

    // Whether the program answers on the simulation's socket (it got past the instance guard).
    static bool answers(const TestEnv& env) {
        return simCommand(env.path("sim.sock"), "state", 15000).startsWith("ok ");
    }

private slots:
    // The toolkit counts a lock it cannot read as held for ever: such a lock with nobody behind
    // it is taken over; one of a live copy (damaged while it runs) still leads to that copy.
    void unreadableLockIsTakenOver_data() {
        QTest::addColumn<QByteArray>("content");
        QTest::newRow("empty") << QByteArray();
        QTest::newRow("garbage") << QByteArray("garbage\n\x01\x02");
        QTest::newRow("no process") << QByteArray("\nPointora\nhost\n");
    }
    void unreadableLockIsTakenOver() {
        QFETCH(QByteArray, content);
        TestEnv env;
        ProgramRunner runner(env);
        useSimulation(env, runner);
        const QString lock = env.path("run/Pointora1.0.2.lock");
        writeFile(lock, content);
        auto program = runner.start({"-d"});
        QVERIFY(program->waitForStarted());
        QVERIFY2(answers(env), "the program did not start over the unreadable lock");
        QCOMPARE(program->state(), QProcess::Running);
        QTRY_VERIFY_WITH_TIMEOUT(
            runner.logLines().join('\n').contains("could not be read and no copy answered"), 5000);

        writeFile(lock, content);
        auto second = runner.start();
        QVERIFY(second->waitForFinished(10000));
        QCOMPARE(second->exitCode(), 0);
        QTRY_VERIFY_WITH_TIMEOUT(runner.logLines().join('\n').contains("Pointora1.0.2\""), 10000);
        QCOMPARE(program->state(), QProcess::Running);
        ProgramRunner::stop(program.get());
    }

    // A lock held by a live process that does not answer: the second copy says so and fails.
    void secondCopyThatCannotReachTheFirstFails_data() {
        QTest::addColumn<bool>("stoppedCopy");
        QTest::newRow("process without a socket") << false;
        QTest::newRow("stopped first copy") << true;
    }
    void secondCopyThatCannotReachTheFirstFails() {
        QFETCH(bool, stoppedCopy);
        TestEnv env;
        ProgramRunner runner(env);
        useSimulation(env, runner);
        const QString lock = env.path("run/Pointora1.0.2.lock");
        std::unique_ptr<FakeLockHolder> holder;
        std::unique_ptr<QProcess> first;
        qint64 holderPid = 0;
        if (stoppedCopy) {
            first = runner.start();
            QVERIFY(first->waitForStarted());
            QVERIFY(answers(env));
            holderPid = first->processId();
            ::kill(pid_t(holderPid), SIGSTOP);
        } else {
            holder = std::make_unique<FakeLockHolder>(env.path());
            QVERIFY(holder->writeLock(lock));
            holderPid = holder->pid();
        }
        auto second = runner.start({"-d"}, QProcess::SeparateChannels);
        QVERIFY(second->waitForFinished(10000));
        const QString err = QString::fromLocal8Bit(second->readAllStandardError());
        if (first) {
            ::kill(pid_t(holderPid), SIGCONT);
            ProgramRunner::stop(first.get());
        }
        QCOMPARE(second->exitStatus(), QProcess::NormalExit);
        QCOMPARE(second->exitCode(), 1);
        QVERIFY2(err.contains("did not answer within 2 seconds"), qPrintable(err));
        QVERIFY2(err.contains(lock), qPrintable(err));
        QVERIFY2(err.contains(QString("process %1").arg(holderPid)), qPrintable(err));
        QVERIFY(runner.logLines().join('\n').contains("Warning: Pointora: another copy"));
    }

    // Without XDG_RUNTIME_DIR the program keeps its lock in a private folder of its own and
    // says so once; a warning reaches a terminal on stderr even while the log is on.
    void missingRuntimeFolderIsReportedOnce_data() {
        QTest::addColumn<bool>("terminal");
        QTest::newRow("plain stderr, no log") << false;
        QTest::newRow("terminal, with log") << true;
    }
    void missingRuntimeFolderIsReportedOnce() {
        QFETCH(bool, terminal);
        TestEnv env;
        ProgramRunner runner(env);
        useSimulation(env, runner);
        runner.environment().remove("XDG_RUNTIME_DIR");
        QDir().mkpath(env.path("tmp"));
        runner.environment().insert("TMPDIR", env.path("tmp"));
        int master = -1;
        std::unique_ptr<QProcess> program;
        if (terminal) {
            master = ::posix_openpt(O_RDWR | O_NOCTTY);
            QVERIFY(master >= 0 && ::grantpt(master) == 0 && ::unlockpt(master) == 0);
            ::fcntl(master, F_SETFL, O_NONBLOCK);
            program = std::make_unique<QProcess>();
            program->setProgram(runner.program());
            program->setArguments({"-d"});
            program->setProcessEnvironment(runner.environment());
            program->setStandardErrorFile(QString::fromLocal8Bit(::ptsname(master)));
            program->start();
        } else {
            program = runner.start({}, QProcess::SeparateChannels);
        }
        QVERIFY(program->waitForStarted());
        QVERIFY(answers(env));
        const QString socket =
            env.path("tmp") + QString("/pointora-%1/Pointora1.0.2.socket").arg(::getuid());
        const bool socketInOwnFolder = QFileInfo::exists(socket);
        QByteArray err;
        if (terminal) {
            QTest::qWait(500);
            char buffer[4096];
            ssize_t got;
            while ((got = ::read(master, buffer, sizeof buffer)) > 0)
                err.append(buffer, int(got));
            ::close(master);
        }
        ProgramRunner::stop(program.get());
        if (!terminal)
            err = program->readAllStandardError();
        const QString text = QString::fromLocal8Bit(err);
        QCOMPARE(text.count("XDG_RUNTIME_DIR"), 1);
        QVERIFY2(socketInOwnFolder, qPrintable(socket));
        if (terminal) {
            QVERIFY2(text.contains("Warning: XDG_RUNTIME_DIR is not set"), qPrintable(text));
            QVERIFY(runner.logLines().join('\n').contains("Warning: XDG_RUNTIME_DIR is not set"));
        }
    }

    // Without XDG_RUNTIME_DIR, a fallback folder that others can write (where someone may have
    // put a lock in advance) is never used, even when it is the user's own.
    void runtimeFolderOpenToOthersIsNotUsed_data() {
        QTest::addColumn<bool>("ownFallbackOpen");
        QTest::addColumn<QString>("expectedFolder");  // relative to the test's home
        QTest::newRow("toolkit's fallback open")
            << false << QString("tmp/pointora-%1").arg(::getuid());
        QTest::newRow("toolkit's and own fallback open")
            << true << "cache/Pointora/runtime-" + QSysInfo::machineHostName();
    }
    void runtimeFolderOpenToOthersIsNotUsed() {
        QFETCH(bool, ownFallbackOpen);
        QFETCH(QString, expectedFolder);
        TestEnv env;
        ProgramRunner runner(env);
        useSimulation(env, runner);
        const passwd* me = ::getpwuid(::getuid());
        QVERIFY(me);
        runner.environment().insert("USER", QString::fromLocal8Bit(me->pw_name));
        runner.environment().remove("XDG_RUNTIME_DIR");
        runner.environment().insert("TMPDIR", env.path("tmp"));
        runner.environment().insert("XDG_CACHE_HOME", env.path("cache"));
        FakeLockHolder holder(env.path());
        QStringList open{env.path("tmp/runtime-") + me->pw_name};
        if (ownFallbackOpen)
            open << env.path("tmp/pointora-%1").arg(::getuid());
        for (const QString& folder : open) {
            QVERIFY(QDir().mkpath(folder));
            QVERIFY(::chmod(qPrintable(folder), 0777) == 0);
            QVERIFY(holder.writeLock(folder + "/Pointora1.0.2.lock"));
        }
        auto program = runner.start({}, QProcess::SeparateChannels);
        QVERIFY(program->waitForStarted());
        QVERIFY2(answers(env), "the program did not start");
        QVERIFY(QFileInfo::exists(env.path(expectedFolder) + "/Pointora1.0.2.socket"));
        ProgramRunner::stop(program.get());
        for (const QString& folder : open)
            QCOMPARE(QFileInfo(folder).permissions() & QFile::WriteOther, QFile::WriteOther);
        const QString err = QString::fromLocal8Bit(program->readAllStandardError());
        if (ownFallbackOpen)
            QVERIFY2(err.contains("can be written by other users (mode 0777)"), qPrintable(err));
    }

    void firstStartCreatesSettingsAndSecondCopyHandsOver() {
        TestEnv env;
        ProgramRunner runner(env);
        runner.environment().remove("POINTORA_PLATFORM");
        auto first = runner.start({"-d"});
        QVERIFY(first->waitForStarted());

        const QString configDir = env.path("config/Pointora/config");
        QVERIFY(waitForFile(configDir + "/DeviceFunction.ini"));
        // The file is made private and empty before its defaults are written into it.
        QTRY_VERIFY_WITH_TIMEOUT(QFileInfo(configDir + "/DeviceFunction.ini").size() > 0, 15000);
        QSettings app(configDir + "/AppConfig.ini", QSettings::IniFormat);
        QCOMPARE(app.value("language").toString(), QString("zh"));
        QCOMPARE(app.value("brightness").toInt(), 128);
        QSettings functions(configDir + "/DeviceFunction.ini", QSettings::IniFormat);
        QCOMPARE(functions.value("MouseKeyNumber").toInt(), 5);
        QCOMPARE(functions.childKeys().size(), 22);
        QCOMPARE(functions.value("Key_Mute", -1).toInt(), 0);

        // Wait until the first copy is fully up (its window loaded) before the second starts.
        QTRY_VERIFY_WITH_TIMEOUT(!runner.logLines().isEmpty(), 15000);
        QElapsedTimer clock;
        clock.start();
        auto second = runner.start();
        QVERIFY(second->waitForFinished(10000));
        qInfo("second copy ended after %lld ms", clock.elapsed());
        QCOMPARE(second->exitStatus(), QProcess::NormalExit);
        QCOMPARE(second->exitCode(), 0);

        const QString expected = QString::fromUtf8("[Info] 同名程序启动发来消息 \"Pointora1.0.2\"");
        QTRY_VERIFY_WITH_TIMEOUT(runner.logLines().join('\n').contains(expected), 10000);
        const QRegularExpression stamped("^\\d{4}-\\d\\d-\\d\\d \\d\\d:\\d\\d:\\d\\d: (.*)$");
        bool found = false;
        for (const QString& line : runner.logLines()) {
            const auto match = stamped.match(line);
            QVERIFY2(match.hasMatch(), qPrintable(line));
            found = found || match.captured(1) == expected;
        }
        QVERIFY(found);
        QCOMPARE(first->state(), QProcess::Running);
        ProgramRunner::stop(first.get());
    }

    void withoutSwitchNoLogIsWritten() {
        TestEnv env;
        ProgramRunner runner(env);
        auto first = runner.start({"-D", "--d"});
        QVERIFY(first->waitForStarted());
        QVERIFY(waitForFile(env.path("config/Pointora/config/DeviceFunction.ini")));
        auto second = runner.start();
        QVERIFY(second->waitForFinished(10000));
        QCOMPARE(second->exitCode(), 0);
        QThread::msleep(300);
        QVERIFY(!QFileInfo::exists(runner.logDirectory()));
        ProgramRunner::stop(first.get());
    }

    void lockOfACrashedCopyIsTakenOver() {
        TestEnv env;
        ProgramRunner runner(env);
        auto crashed = runner.start();
        QVERIFY(crashed->waitForStarted());
        QVERIFY(waitForFile(env.path("run/Pointora1.0.2.lock")));
        QVERIFY(waitForFile(env.path("config/Pointora/config/DeviceFunction.ini")));
        ::kill(pid_t(crashed->processId()), SIGKILL);
        QVERIFY(crashed->waitForFinished(5000));
        QVERIFY(QFileInfo::exists(env.path("run/Pointora1.0.2.lock")));  // left behind

        auto next = runner.start({"-d"});
        QVERIFY(next->waitForStarted());
        // It becomes the running copy instead of handing over to a dead one.
        QVERIFY(!next->waitForFinished(2000));
        auto third = runner.start();
        QVERIFY(third->waitForFinished(10000));
        QCOMPARE(third->exitCode(), 0);
        QTRY_VERIFY_WITH_TIMEOUT(runner.logLines().join('\n').contains("Pointora1.0.2\""), 10000);
        ProgramRunner::stop(next.get());
    }

    void differentUsersLocationsDoNotMeet() {
        // Two users (two private runtime directories) each get their own running copy.
        TestEnv envA, envB;
        ProgramRunner a(envA), b(envB);
        auto first = a.start();
        auto second = b.start();
        QVERIFY(first->waitForStarted());
        QVERIFY(second->waitForStarted());
        QVERIFY(!second->waitForFinished(2000));
        QCOMPARE(first->state(), QProcess::Running);
        ProgramRunner::stop(first.get());
        ProgramRunner::stop(second.get());
    }

    void simulatedPlatformAnswersOnItsSocket() {
        TestEnv env;
        ProgramRunner runner(env);
        const QString socketPath = env.path("sim.sock");
        const QString logPath = env.path("sim.log");
        useSimulation(env, runner);
        auto program = runner.start();
        QVERIFY(program->waitForStarted());

        QJsonObject state = stateOf(socketPath);
        QVERIFY2(!state.contains("error"), qPrintable(state.value("error").toString()));
        QCOMPARE(state.value("devices").toArray(), QJsonArray({"receiver"}));
        QVERIFY(state.contains("masks"));
        QVERIFY(state.contains("pointerSpeed"));

        QCOMPARE(simCommand(socketPath, "attach ble-mouse"), QString("ok"));
        QCOMPARE(simCommand(socketPath, "detach receiver"), QString("ok"));
        QVERIFY(simCommand(socketPath, "attach toaster").startsWith("error: "));
        QVERIFY(simCommand(socketPath, "fly away").startsWith("error: unknown command"));
        QCOMPARE(stateOf(socketPath).value("devices").toArray(), QJsonArray({"ble-mouse"}));

        QFile log(logPath);
        QVERIFY(log.open(QIODevice::ReadOnly));
        QStringList kinds;
        for (const QByteArray& line : log.readAll().split('\n')) {
            if (line.isEmpty())
                continue;
            const QJsonObject event = QJsonDocument::fromJson(line).object();
            QVERIFY2(!event.isEmpty(), line.constData());
            if (event.value("kind").toString() != "device")
                continue;  // hooks and masks of the device hook come and go with the devices
            kinds << event.value("kind").toString() + ":" + event.value("device").toString() + ":" +
                         event.value("event").toString();
        }
        QCOMPARE(kinds, QStringList({"device:receiver:present", "device:ble-mouse:attach",
                                     "device:receiver:detach"}));
        ProgramRunner::stop(program.get());
    }

    // SIGTERM (the session ending) ends the program as its tray's Close does: through the event
    // loop, with exit code 0, after letting go of the devices.
    void terminationSignalEndsInOrder() {
        TestEnv env;
        ProgramRunner runner(env);
        QDir().mkpath(env.path("config/Pointora/config"));
        QFile ini(env.path("config/Pointora/config/DeviceFunction.ini"));
        QVERIFY(ini.open(QIODevice::WriteOnly));
        ini.write("[General]\nForwardKey=42\n");
        ini.close();
        const QString socketPath = env.path("sim.sock");
        const QString logPath = env.path("sim.log");
        useSimulation(env, runner);
        auto program = runner.start();
        QVERIFY(program->waitForStarted());
        QTRY_COMPARE_WITH_TIMEOUT(stateOf(socketPath).value("hooks").toArray(), QJsonArray({"usb"}),
                                  15000);
        program->terminate();
        QVERIFY(program->waitForFinished(10000));
        QCOMPARE(program->exitStatus(), QProcess::NormalExit);
        QCOMPARE(program->exitCode(), 0);
        const QJsonObject lastHook = lastSimEvent(logPath, "hook");
        QCOMPARE(lastHook.value("hook").toString(), QString("usb"));
        QCOMPARE(lastHook.value("installed").toBool(), false);
    }

    void simulatedPlatformWithNoDevices() {
        TestEnv env;
        ProgramRunner runner(env);
        const QString socketPath = env.path("sim.sock");
        runner.environment().insert("POINTORA_PLATFORM", "sim");
        runner.environment().insert("POINTORA_SIM_SOCKET", socketPath);
        runner.environment().insert("POINTORA_SIM_DEVICES", "");
        auto program = runner.start();
        QVERIFY(program->waitForStarted());
        QCOMPARE(stateOf(socketPath).value("devices").toArray(), QJsonArray());
        ProgramRunner::stop(program.get());
    }
};

QTEST_GUILESS_MAIN(TestStartup)
#include "tst_startup.moc"
