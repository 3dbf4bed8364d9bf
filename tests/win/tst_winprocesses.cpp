// The watcher's process operations on Windows: a program started through the shell from the
// watcher's directory, and every process of an image name ended with taskkill. The task list,
// which Wine does not carry out, is checked where the system has one.

#include "watcher/KProcessUtilitys.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <QtTest>

#include <windows.h>

namespace {

QStringList startedLines(const QString& dir) {
    QFile file(dir + "/started.txt");
    if (!file.open(QIODevice::ReadOnly))
        return {};
    return QString::fromLocal8Bit(file.readAll()).split('\n', Qt::SkipEmptyParts);
}

bool alive(DWORD pid) {
    HANDLE process = OpenProcess(SYNCHRONIZE, FALSE, pid);
    if (!process)
        return false;
    const bool running = WaitForSingleObject(process, 0) == WAIT_TIMEOUT;
    CloseHandle(process);
    return running;
}

bool waitUntilGone(DWORD pid) {
    for (int i = 0; i < 100 && alive(pid); ++i)
        QTest::qWait(100);
    return !alive(pid);
}

}  // namespace

class TestWinProcesses : public QObject {
    Q_OBJECT
private slots:
    void startAndKill() {
        QTemporaryDir dir;
        QVERIFY(dir.isValid());
        const QString name = QStringLiteral("pointora_standin_%1.exe").arg(GetCurrentProcessId());
        QVERIFY(QFile::copy(QStringLiteral(STANDIN_PATH), dir.filePath(name)));

        KProcessUtilitys::startProcess(dir.filePath(name));
        QTRY_COMPARE_WITH_TIMEOUT(startedLines(dir.path()).size(), 1, 10000);
        const QStringList fields = startedLines(dir.path()).first().trimmed().split(' ');
        const DWORD pid = fields.first().toULong();
        QVERIFY(alive(pid));
        // Started from the watcher's own directory.
        QCOMPARE(fields.mid(1).join(' ').toLower(),
                 QDir::toNativeSeparators(QCoreApplication::applicationDirPath()).toLower());

        KProcessUtilitys::startProcess(dir.filePath(name));
        QTRY_COMPARE_WITH_TIMEOUT(startedLines(dir.path()).size(), 2, 10000);
        const DWORD second = startedLines(dir.path()).at(1).split(' ').first().toULong();

        KProcessUtilitys::killProcess(name);
        QVERIFY(waitUntilGone(pid));
        QVERIFY(waitUntilGone(second));
    }

    // The task list filtered on an image name lists that image's processes alone. Wine's task
    // list prints nothing at all, so there the check is reported as skipped.
    void taskListFilter() {
        const QString own = QFileInfo(QCoreApplication::applicationFilePath()).fileName();
        QProcess all;
        all.start("tasklist", QStringList());
        QVERIFY(all.waitForFinished(30000));
        if (!QString::fromLocal8Bit(all.readAllStandardOutput()).contains(own, Qt::CaseInsensitive))
            QSKIP(
                "this system's tasklist lists no processes (Wine's): the task list is not "
                "checked here");
        QProcess probe;
        probe.start("tasklist", {"/FI", "imagename eq no_such_image_here.exe"});
        QVERIFY(probe.waitForFinished(30000));
        if (QString::fromLocal8Bit(probe.readAllStandardOutput())
                .contains(own, Qt::CaseInsensitive))
            QSKIP("this system's tasklist ignores /FI: the filter is not checked here");
        QVERIFY(KProcessUtilitys::isProcessRunning(own));
        QVERIFY(!KProcessUtilitys::isProcessRunning("no_such_image_here.exe"));
    }
};

QTEST_GUILESS_MAIN(TestWinProcesses)
#include "tst_winprocesses.moc"
