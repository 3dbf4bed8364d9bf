// Finding and ending processes through /proc: whole-name matching, the user and scope filters,
// deleted executables, zombies, and the kill that waits until the processes are gone. The first
// tests read a made-up /proc tree; the others use stand-in processes in a private directory.

#include "StandInDir.h"

#include "watcher/KLinuxProcesses.h"
#include "watcher/KProcessUtilitys.h"

#include <QCoreApplication>
#include <QFileInfo>
#include <QTest>

#include <sys/types.h>
#include <sys/wait.h>
#include <unistd.h>
#include <csignal>

using KLinuxProcesses::Process;

namespace {

QList<qint64> pidsOf(const QList<Process>& processes) {
    QList<qint64> pids;
    for (const Process& process : processes)
        pids << process.pid;
    std::sort(pids.begin(), pids.end());
    return pids;
}

// One entry of a made-up /proc tree. An empty exe leaves the link out, as for a kernel thread.
void addEntry(const QString& root, qint64 pid, const QString& exe, uint uid, char state,
              quint64 startTime, const QString& comm = QStringLiteral("x")) {
    const QString dir = root + QLatin1Char('/') + QString::number(pid);
    QVERIFY(QDir().mkpath(dir));
    if (!exe.isEmpty())
        QVERIFY(QFile::link(exe, dir + QStringLiteral("/exe")));
    QFile status(dir + QStringLiteral("/status"));
    QVERIFY(status.open(QIODevice::WriteOnly));
    status.write(QStringLiteral("Name:\t%1\nState:\t%2\nUid:\t%3\t%3\t%3\t%3\n")
                     .arg(comm)
                     .arg(QLatin1Char(state))
                     .arg(uid)
                     .toUtf8());
    QFile stat(dir + QStringLiteral("/stat"));
    QVERIFY(stat.open(QIODevice::WriteOnly));
    stat.write(QStringLiteral("%1 (%2) %3 1 1 1 0 -1 0 0 0 0 0 0 0 0 0 20 0 1 0 %4 100 200\n")
                   .arg(pid)
                   .arg(comm)
                   .arg(QLatin1Char(state))
                   .arg(startTime)
                   .toUtf8());
}

char stateOf(qint64 pid) {
    QFile stat(QStringLiteral("/proc/%1/stat").arg(pid));
    if (!stat.open(QIODevice::ReadOnly))
        return 0;
    const QByteArray text = stat.readAll();
    const int close = text.lastIndexOf(')');
    return close >= 0 && close + 2 < text.size() ? text.at(close + 2) : 0;
}

// Starts an installed stand-in with fork and exec, so that this test is its parent and it stays
// a zombie until waited for.
pid_t forkStandIn(const QString& path) {
    const QByteArray file = QFile::encodeName(path);
    const pid_t pid = fork();
    if (pid == 0) {
        execl(file.constData(), file.constData(), static_cast<char*>(nullptr));
        _exit(127);
    }
    return pid;
}

}  // namespace

class TstWatcherProcs : public QObject {
    Q_OBJECT
private slots:
    void deletedMarkIsRemoved();
    void madeUpTable_data();
    void madeUpTable();
    void goneMeansMissingZombieOrReused();
    void realProcessesByWholeNameAndTheirKill();
    void deletedOrReplacedExecutableStillCounts();
    void killedChildThatIsNotReapedCountsAsGone();

private:
    const QString m_standIn = QStringLiteral(STANDIN_PATH);
};

void TstWatcherProcs::deletedMarkIsRemoved() {
    QCOMPARE(KLinuxProcesses::executableFromLink(QStringLiteral("/opt/app/Pointora")),
             QStringLiteral("/opt/app/Pointora"));
    QCOMPARE(KLinuxProcesses::executableFromLink(QStringLiteral("/opt/app/Pointora (deleted)")),
             QStringLiteral("/opt/app/Pointora"));
}

void TstWatcherProcs::madeUpTable_data() {
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("scope");
    QTest::addColumn<QList<qint64>>("expected");

    QTest::newRow("whole name, any directory")
        << "Pointora" << QString() << QList<qint64>{101, 103, 109, 110};
    QTest::newRow("whole name, one directory") << "Pointora"
                                               << "/opt/app" << QList<qint64>{101, 103, 110};
    QTest::newRow("scope with a trailing slash") << "Pointora"
                                                 << "/opt/app/" << QList<qint64>{101, 103, 110};
    QTest::newRow("longer name") << "PointoraWatcher" << QString() << QList<qint64>{102};
    QTest::newRow("part of a name matches nothing") << "Pointor" << QString() << QList<qint64>{};
    QTest::newRow("case matters") << "pointora" << QString() << QList<qint64>{107};
    QTest::newRow("a path is not a name") << "app/Pointora" << QString() << QList<qint64>{};
    QTest::newRow("empty name") << QString() << QString() << QList<qint64>{};
}

void TstWatcherProcs::madeUpTable() {
    QFETCH(QString, name);
    QFETCH(QString, scope);
    QFETCH(QList<qint64>, expected);

    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    const QString root = dir.path();
    const uint me = ::getuid();
    addEntry(root, 101, "/opt/app/Pointora", me, 'S', 5000);
    addEntry(root, 102, "/opt/app/PointoraWatcher", me, 'S', 5001);
    addEntry(root, 103, "/opt/app/Pointora (deleted)", me, 'R', 5002);
    addEntry(root, 104, "/opt/other/Pointora", me + 1, 'S', 5003);  // another user
    addEntry(root, 105, "/opt/app/Pointora", me, 'Z', 5004);        // zombie
    addEntry(root, 106, QString(), me, 'S', 5005);                  // no executable
    addEntry(root, 107, "/opt/app/pointora", me, 'S', 5006);
    addEntry(root, 108, "/opt/app/xPointora", me, 'S', 5007);
    addEntry(root, 109, "/opt/other/Pointora", me, 'T', 5008);  // stopped still runs
    addEntry(root, 110, "/opt/app/Pointora", me, 'S', 5009, "a) S (b");
    addEntry(root, ::getpid(), "/opt/app/Pointora", me, 'R', 5010);  // the caller itself
    QVERIFY(QDir(root).mkpath("acpi"));
    QVERIFY(QFile::link(root + "/101", root + "/self"));

    QCOMPARE(pidsOf(KLinuxProcesses::find(name, scope, root)), expected);
}

void TstWatcherProcs::goneMeansMissingZombieOrReused() {
    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    const QString root = dir.path();
    addEntry(root, 201, "/opt/app/Pointora", ::getuid(), 'S', 7000);
    addEntry(root, 202, "/opt/app/Pointora", ::getuid(), 'Z', 7001);

    const QList<Process> found = KLinuxProcesses::find("Pointora", QString(), root);
    QCOMPARE(found.size(), 1);
    QCOMPARE(found.first().startTime, quint64(7000));
    QCOMPARE(found.first().executable, QStringLiteral("/opt/app/Pointora"));

    QVERIFY(!KLinuxProcesses::isGone({201, 7000, {}}, root));
    QVERIFY(KLinuxProcesses::isGone({201, 7999, {}}, root));  // pid taken by a later process
    QVERIFY(KLinuxProcesses::isGone({202, 7001, {}}, root));
    QVERIFY(KLinuxProcesses::isGone({203, 7002, {}}, root));
}

void TstWatcherProcs::realProcessesByWholeNameAndTheirKill() {
    StandInDir dir;
    QVERIFY(dir.isValid());
    QVERIFY(dir.install(m_standIn, "Pointora"));
    QVERIFY(dir.install(m_standIn, "PointoraHelper"));
    QProcess* first = dir.start("Pointora");
    QProcess* second = dir.start("Pointora");
    QProcess* helper = dir.start("PointoraHelper");
    QVERIFY(first && second && helper);

    QCOMPARE(pidsOf(KLinuxProcesses::find("Pointora", dir.path())),
             pidsOf({{first->processId(), 0, {}}, {second->processId(), 0, {}}}));
    QCOMPARE(KLinuxProcesses::find("Pointora", dir.path()).first().executable,
             dir.file("Pointora"));
    // Without a scope every copy of this user counts, and still only by the whole name.
    const QList<qint64> everywhere = pidsOf(KLinuxProcesses::find("Pointora"));
    QVERIFY(everywhere.contains(first->processId()));
    QVERIFY(!everywhere.contains(helper->processId()));
    // The caller never finds itself.
    const QString ownName = QFileInfo(QCoreApplication::applicationFilePath()).fileName();
    QVERIFY(!pidsOf(KLinuxProcesses::find(ownName)).contains(::getpid()));

    KProcessUtilitys::setScopeDirectory(dir.path());
    const bool runningBeforeKill = KProcessUtilitys::isProcessRunning("Pointora");
    KProcessUtilitys::killProcess("Pointora");
    // The kill returns only once both are gone, so the next check already finds none.
    const bool runningAfterKill = KProcessUtilitys::isProcessRunning("Pointora");
    const bool helperRunning = KProcessUtilitys::isProcessRunning("PointoraHelper");
    KProcessUtilitys::setScopeDirectory(QString());

    QVERIFY(runningBeforeKill);
    QVERIFY(!runningAfterKill);
    QVERIFY(helperRunning);
    QVERIFY(first->waitForFinished(5000));
    QVERIFY(second->waitForFinished(5000));
    QCOMPARE(first->exitStatus(), QProcess::CrashExit);
    QCOMPARE(second->exitStatus(), QProcess::CrashExit);
    QCOMPARE(helper->state(), QProcess::Running);
}

void TstWatcherProcs::deletedOrReplacedExecutableStillCounts() {
    StandInDir dir;
    QVERIFY(dir.isValid());
    QVERIFY(dir.install(m_standIn, "Pointora"));
    QProcess* removed = dir.start("Pointora");
    QVERIFY(removed);

    QVERIFY(QFile::remove(dir.file("Pointora")));
    QCOMPARE(pidsOf(KLinuxProcesses::find("Pointora", dir.path())),
             QList<qint64>{removed->processId()});

    // An update in place: a new file under the old name; the old process still counts, as does a
    // process of the new file.
    QVERIFY(dir.install(m_standIn, "Pointora"));
    QProcess* updated = dir.start("Pointora");
    QVERIFY(updated);
    QCOMPARE(pidsOf(KLinuxProcesses::find("Pointora", dir.path())),
             pidsOf({{removed->processId(), 0, {}}, {updated->processId(), 0, {}}}));

    QVERIFY(KLinuxProcesses::killAndWait(KLinuxProcesses::find("Pointora", dir.path()), 5000));
    QVERIFY(KLinuxProcesses::find("Pointora", dir.path()).isEmpty());
}

void TstWatcherProcs::killedChildThatIsNotReapedCountsAsGone() {
    StandInDir dir;
    QVERIFY(dir.isValid());
    QVERIFY(dir.install(m_standIn, "Pointora"));
    const pid_t child = forkStandIn(dir.file("Pointora"));
    QVERIFY(child > 0);
    QVERIFY(dir.waitForStarts("Pointora", QString(), 1));

    const QList<Process> found = KLinuxProcesses::find("Pointora", dir.path());
    const bool killed = KLinuxProcesses::killAndWait(found, 5000);
    const char state = stateOf(child);
    const bool foundAfterKill = !KLinuxProcesses::find("Pointora", dir.path()).isEmpty();
    int status = 0;
    const pid_t reaped = ::waitpid(child, &status, 0);

    QCOMPARE(pidsOf(found), QList<qint64>{child});
    QVERIFY(killed);
    QCOMPARE(state, 'Z');  // not reaped yet: this test is its parent and had not waited
    QVERIFY(!foundAfterKill);
    QCOMPARE(reaped, child);
    QVERIFY(WIFSIGNALED(status) && WTERMSIG(status) == SIGKILL);
}

QTEST_GUILESS_MAIN(TstWatcherProcs)
#include "tst_watcher_procs.moc"
