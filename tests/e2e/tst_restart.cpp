#include <QDir>
#include <QFile>
#include <QProcess>
#include <QtTest>

#include <signal.h>

// A program that asks for a restart is ended by the watcher beside it and started afresh:
// one process before, one fresh process after, with different process ids.
class TestRestart : public QObject {
    Q_OBJECT

    static QList<qint64> starts(const QString& dir) {
        QList<qint64> pids;
        QFile file(dir + "/starts.log");
        if (file.open(QIODevice::ReadOnly))
            for (const QByteArray& line : file.readAll().split('\n'))
                if (!line.isEmpty())
                    pids << line.toLongLong();
        return pids;
    }
    static bool alive(qint64 pid) { return ::kill(pid_t(pid), 0) == 0; }

private slots:
    void restartThroughTheWatcher() {
        QTemporaryDir dir;
        const QString bin = qEnvironmentVariable("POINTORA_BIN_DIR");
        QVERIFY(QFile::copy(QCoreApplication::applicationDirPath() + "/restart_probe",
                            dir.filePath("Pointora")));
        QVERIFY(QFile::copy(bin + "/PointoraWatcher", dir.filePath("PointoraWatcher")));

        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert("POINTORA_PLATFORM", "linux");          // really start the watcher
        env.insert("POINTORA_WATCHER_SCOPE", dir.path());  // end only this test's copies
        env.insert("HOME", dir.path());
        env.insert("XDG_CONFIG_HOME", dir.filePath("config"));
        QProcess first;
        first.setProcessEnvironment(env);
        first.setProgram(dir.filePath("Pointora"));
        first.setProcessChannelMode(QProcess::ForwardedChannels);
        first.start();
        QVERIFY(first.waitForStarted());
        const qint64 firstPid = first.processId();

        QTRY_COMPARE_WITH_TIMEOUT(starts(dir.path()).size(), 2, 20000);
        const QList<qint64> pids = starts(dir.path());
        QCOMPARE(pids.first(), firstPid);
        QVERIFY(pids.at(1) != pids.at(0));
        QTRY_COMPARE_WITH_TIMEOUT(first.state(), QProcess::NotRunning,
                                  5000);  // ended by the watcher
        QCOMPARE(first.exitStatus(), QProcess::CrashExit);
        QVERIFY(alive(pids.at(1)));
        QFile marker(dir.filePath("restart-requested"));
        QVERIFY(marker.open(QIODevice::ReadOnly));
        QCOMPARE(marker.readAll(), QByteArray("true"));
        // Exactly one fresh copy.
        QTest::qWait(500);
        QCOMPARE(starts(dir.path()).size(), 2);
        ::kill(pid_t(pids.at(1)), SIGKILL);
    }

    void withoutTheWatcherNothingHappens() {
        QTemporaryDir dir;
        QVERIFY(QFile::copy(QCoreApplication::applicationDirPath() + "/restart_probe",
                            dir.filePath("Pointora")));
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert("POINTORA_PLATFORM", "linux");
        env.insert("HOME", dir.path());
        QProcess probe;
        probe.setProcessEnvironment(env);
        probe.start(dir.filePath("Pointora"), QStringList());
        QVERIFY(probe.waitForStarted());
        QTRY_VERIFY_WITH_TIMEOUT(QFile::exists(dir.filePath("restart-requested")), 10000);
        QTest::qWait(200);
        QFile marker(dir.filePath("restart-requested"));
        QVERIFY(marker.open(QIODevice::ReadOnly));
        QCOMPARE(marker.readAll(), QByteArray("false"));
        QCOMPARE(probe.state(), QProcess::Running);
        probe.kill();
        probe.waitForFinished();
    }
};

QTEST_GUILESS_MAIN(TestRestart)
#include "tst_restart.moc"
