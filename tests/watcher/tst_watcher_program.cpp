// The real watcher program, copied next to a stand-in main program in a private directory and
// confined to that directory with POINTORA_WATCHER_SCOPE. Runs without any display.

#include "StandInDir.h"

#include "watcher/KLinuxProcesses.h"
#include "watcher/KWatcher.h"

#include <QDateTime>
#include <QTest>

namespace {

struct WatcherRun {
    bool finished = false;
    int exitCode = -1;
    QProcess::ExitStatus exitStatus = QProcess::CrashExit;
    QString messages;
    qint64 startedMs = 0;
};

WatcherRun runWatcher(const StandInDir& dir) {
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    for (const char* name : {"DISPLAY", "WAYLAND_DISPLAY", "QT_QPA_PLATFORM", "QT_LOGGING_RULES",
                             "QT_MESSAGE_PATTERN"})
        environment.remove(QLatin1String(name));
    environment.insert(QLatin1String(KWatcher::kScopeVariable), dir.path());
    environment.insert(QStringLiteral("STANDIN_ORIGIN"), QStringLiteral("watcher"));

    QProcess watcher;
    watcher.setProcessEnvironment(environment);
    watcher.setWorkingDirectory(QDir::tempPath());
    WatcherRun run;
    run.startedMs = QDateTime::currentMSecsSinceEpoch();
    watcher.start(dir.file("PointoraWatcher"), QStringList());
    run.finished = watcher.waitForFinished(30000);
    run.exitCode = watcher.exitCode();
    run.exitStatus = watcher.exitStatus();
    run.messages = QString::fromLocal8Bit(watcher.readAllStandardError());
    return run;
}

QStringList closeMessages(const WatcherRun& run) {
    QStringList lines;
    for (const QString& line : run.messages.split(QLatin1Char('\n'))) {
        if (line.contains(QStringLiteral("close driver")))
            lines << line;
    }
    return lines;
}

qint64 parentOf(qint64 pid) {
    QFile stat(QStringLiteral("/proc/%1/stat").arg(pid));
    if (!stat.open(QIODevice::ReadOnly))
        return -1;
    const QByteArray text = stat.readAll();
    const QList<QByteArray> rest = text.mid(text.lastIndexOf(')') + 1).simplified().split(' ');
    return rest.value(1).toLongLong();
}

QList<qint64> runningMainPrograms(const StandInDir& dir) {
    QList<qint64> pids;
    for (const KLinuxProcesses::Process& process : KLinuxProcesses::find("Pointora", dir.path()))
        pids << process.pid;
    return pids;
}

}  // namespace

class TstWatcherProgram : public QObject {
    Q_OBJECT
private slots:
    void init();
    void cleanup();
    void noCopyRunningStartsOneAndSparesSimilarNames();
    void runningCopyIsReplacedByAFreshOne();
    void copyThatKeepsComingBackIsNotStartedAgain();

private:
    std::unique_ptr<StandInDir> m_dir;
};

void TstWatcherProgram::init() {
    m_dir = std::make_unique<StandInDir>();
    QVERIFY(m_dir->isValid());
    QVERIFY(m_dir->install(QStringLiteral(WATCHER_PATH), "PointoraWatcher"));
    for (const char* name : {"Pointora", "PointoraHelper", "PointoraKeeper"})
        QVERIFY(m_dir->install(QStringLiteral(STANDIN_PATH), name));
}

void TstWatcherProgram::cleanup() {
    m_dir.reset();
}

void TstWatcherProgram::noCopyRunningStartsOneAndSparesSimilarNames() {
    StandInDir& dir = *m_dir;
    QProcess* helper = dir.start("PointoraHelper");
    QVERIFY(helper);

    const WatcherRun run = runWatcher(dir);
    QVERIFY(run.finished);
    QCOMPARE(run.exitStatus, QProcess::NormalExit);
    QCOMPARE(run.exitCode, 0);
    QVERIFY2(run.messages.contains("[Info] driverPath: \"" + dir.file("Pointora") + "\""),
             qPrintable(run.messages));
    QVERIFY2(closeMessages(run).isEmpty(), qPrintable(run.messages));

    QVERIFY(dir.waitForStarts("Pointora", "watcher", 1));
    const QList<StandInStart> starts = dir.starts("Pointora");
    QCOMPARE(starts.size(), 1);
    // Not before the two pauses (500 ms and 2000 ms); 100 ms spare for reading the clock.
    QVERIFY2(starts.first().ms - run.startedMs >= 2400,
             qPrintable(QString::number(starts.first().ms - run.startedMs)));
    QCOMPARE(starts.first().cwd, dir.path());
    QCOMPARE(runningMainPrograms(dir), QList<qint64>{starts.first().pid});
    // Neither the helper nor the watcher itself was taken for the main program.
    QCOMPARE(helper->state(), QProcess::Running);
}

void TstWatcherProgram::runningCopyIsReplacedByAFreshOne() {
    StandInDir& dir = *m_dir;
    QProcess* old = dir.start("Pointora");
    QVERIFY(old);
    QVERIFY(dir.waitForStarts("Pointora", "test", 1));

    const WatcherRun run = runWatcher(dir);
    QVERIFY(run.finished);
    QCOMPARE(run.exitCode, 0);
    QCOMPARE(closeMessages(run), QStringList{QStringLiteral("[Info] close driver :  Pointora")});

    QVERIFY(old->waitForFinished(5000));
    QCOMPARE(old->exitStatus(), QProcess::CrashExit);
    QVERIFY(dir.waitForStarts("Pointora", "watcher", 1));
    const QList<StandInStart> fresh = dir.starts("Pointora", "watcher");
    QCOMPARE(fresh.size(), 1);
    QVERIFY(fresh.first().pid != old->processId());
    QCOMPARE(runningMainPrograms(dir), QList<qint64>{fresh.first().pid});
}

void TstWatcherProgram::copyThatKeepsComingBackIsNotStartedAgain() {
    StandInDir& dir = *m_dir;
    QProcess* keeper = dir.start("PointoraKeeper", {"--keep", dir.file("Pointora")});
    QVERIFY(keeper);
    QVERIFY(dir.waitForStarts("Pointora", "keeper", 1));

    const WatcherRun run = runWatcher(dir);
    QVERIFY(run.finished);
    QCOMPARE(run.exitCode, 0);
    const QStringList closes = closeMessages(run);
    QVERIFY2(!closes.isEmpty() && closes.size() <= KWatcher::kKillPasses, qPrintable(run.messages));

    // Every copy that runs now is the keeper's: the watcher started none, and the copies it
    // ended were replaced by the keeper.
    const QList<qint64> running = runningMainPrograms(dir);
    QCOMPARE(running.size(), 1);
    QCOMPARE(parentOf(running.first()), keeper->processId());
    QVERIFY(dir.starts("Pointora", "watcher").isEmpty());
    QVERIFY(dir.starts("Pointora", "keeper").size() >= 2);
    QCOMPARE(keeper->state(), QProcess::Running);
}

QTEST_GUILESS_MAIN(TstWatcherProgram)
#include "tst_watcher_program.moc"
