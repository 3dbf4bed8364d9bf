#include "app/KLog.h"
#include "common/TestEnv.h"

#include <QDir>
#include <QFile>
#include <QtTest>

namespace {

QStringList readLines(const QString& path) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return {};
    QStringList lines = QString::fromUtf8(file.readAll()).split('\n');
    if (!lines.isEmpty() && lines.last().isEmpty())
        lines.removeLast();
    return lines;
}

}  // namespace

class TestLog : public QObject {
    Q_OBJECT

    QDateTime clockTime;

private slots:
    void init() {
        KLog::setClock([this] { return clockTime; });
    }
    void cleanup() {
        KLog::setClock({});
        KLog::setDirectoryOverride(QString());
    }

    void lineTextByType() {
        QCOMPARE(KLog::lineText(QtDebugMsg, "hello"), QString("hello"));
        QCOMPARE(KLog::lineText(QtInfoMsg, "[Info] x"), QString("[Info] x"));
        QCOMPARE(KLog::lineText(QtWarningMsg, "w"), QString("Warning: w"));
        QCOMPARE(KLog::lineText(QtCriticalMsg, "c"), QString("Critical: c"));
        QCOMPARE(KLog::lineText(QtFatalMsg, "f"), QString("Fatal: f"));
    }

    void hourBoundarySplitsFiles() {
        QTemporaryDir dir;
        const QString logDir = dir.path() + "/Log";
        KLog::setDirectoryOverride(logDir);
        QVERIFY(!QFileInfo::exists(logDir));

        clockTime = QDateTime(QDate(2024, 3, 7), QTime(15, 59, 59));
        QVERIFY(KLog::write(QtInfoMsg, "last of fifteen"));
        QVERIFY(QFileInfo(logDir).isDir());  // created on the first message
        clockTime = QDateTime(QDate(2024, 3, 7), QTime(16, 0, 0));
        QVERIFY(KLog::write(QtWarningMsg, "first of sixteen"));
        clockTime = QDateTime(QDate(2024, 3, 7), QTime(16, 30, 5));
        QVERIFY(KLog::write(QtDebugMsg, "second of sixteen"));

        QCOMPARE(readLines(logDir + "/2024_03_07_15.txt"),
                 QStringList({"2024-03-07 15:59:59: last of fifteen"}));
        QCOMPARE(readLines(logDir + "/2024_03_07_16.txt"),
                 QStringList({"2024-03-07 16:00:00: Warning: first of sixteen",
                              "2024-03-07 16:30:05: second of sixteen"}));
        QCOMPARE(QDir(logDir).entryList(QDir::Files).size(), 2);
    }

    void handlerAppendsWithoutCarriageReturn() {
        QTemporaryDir dir;
        KLog::setDirectoryOverride(dir.path());
        clockTime = QDateTime(QDate(2025, 12, 31), QTime(23, 5, 0));
        qInstallMessageHandler(KLog::messageHandler);
        qInfo() << "[Info] 同名程序启动发来消息" << QString("Pointora1.0.2");
        qCritical("disk on fire");
        qInstallMessageHandler(nullptr);
        QFile file(dir.path() + "/2025_12_31_23.txt");
        QVERIFY(file.open(QIODevice::ReadOnly));
        const QByteArray bytes = file.readAll();
        QVERIFY(!bytes.contains('\r'));
        QCOMPARE(QString::fromUtf8(bytes),
                 QString("2025-12-31 23:05:00: [Info] 同名程序启动发来消息 \"Pointora1.0.2\"\n"
                         "2025-12-31 23:05:00: Critical: disk on fire\n"));
    }

    void unwritableDirectoryFallsBackToUserData() {
        TestEnv env;
        env.apply();
        QCOMPARE(KLog::primaryDirectory(), QCoreApplication::applicationDirPath() + "/Log");
        QCOMPARE(KLog::fallbackDirectory(), env.path("data") + "/Pointora/Log");
        // A directory that cannot hold the log (here a file stands where it should be, which
        // holds even for root): the user's data location takes the line instead.
        QFile blocker(env.path("Log"));
        QVERIFY(blocker.open(QIODevice::WriteOnly));
        blocker.close();
        KLog::setDirectoryOverride(env.path("Log"));
        clockTime = QDateTime(QDate(2024, 1, 2), QTime(3, 4, 5));
        QVERIFY(KLog::write(QtInfoMsg, "kept"));
        QCOMPARE(readLines(env.path("data") + "/Pointora/Log/2024_01_02_03.txt"),
                 QStringList({"2024-01-02 03:04:05: kept"}));
    }

    void unwritableEverywhereDropsTheMessage() {
        TestEnv env;
        env.apply();
        for (const QString& blocked : {env.path("Log"), env.path("data/Pointora")}) {
            QFile blocker(blocked);
            QVERIFY(blocker.open(QIODevice::WriteOnly));
        }
        KLog::setDirectoryOverride(env.path("Log"));
        clockTime = QDateTime(QDate(2024, 1, 2), QTime(3, 4, 5));
        QVERIFY(!KLog::write(QtInfoMsg, "lost"));
    }

    void installOnlyForExactSwitch() {
        const auto current = [] {
            QtMessageHandler previous = qInstallMessageHandler(nullptr);
            qInstallMessageHandler(previous);
            return previous;
        };
        QVERIFY(!KLog::installFromArguments({"/usr/bin/Pointora", "-D", "--d", "-dd", "d"}));
        QVERIFY(current() != KLog::messageHandler);
        QVERIFY(KLog::installFromArguments({"/usr/bin/Pointora", "-x", "-d", "-d"}));
        QVERIFY(current() == KLog::messageHandler);
        qInstallMessageHandler(nullptr);
        QVERIFY(KLog::installFromArguments({"-d"}));  // the program path is scanned too
        qInstallMessageHandler(nullptr);
    }

    // Which executable folders count as installed ones (their log goes to the user's data).
    void systemFolders_data() {
        QTest::addColumn<QString>("path");
        QTest::addColumn<bool>("system");
        QTest::newRow("/usr/bin") << "/usr/bin" << true;
        QTest::newRow("/usr/local/bin") << "/usr/local/bin" << true;
        QTest::newRow("/opt/pointora/bin") << "/opt/pointora/bin" << true;
        QTest::newRow("/bin") << "/bin" << true;
        QTest::newRow("/lib64/x") << "/lib64/x" << true;
        QTest::newRow("/snap/pointora/1/bin") << "/snap/pointora/1/bin" << true;
        QTest::newRow("/app/bin (flatpak)") << "/app/bin" << true;
        QTest::newRow("/usr/bin/../bin") << "/usr/bin/../bin" << true;
        QTest::newRow("/home/u/Pointora") << "/home/u/Pointora" << false;
        QTest::newRow("/home/u/opt/bin") << "/home/u/opt/bin" << false;
        QTest::newRow("/usr2/bin") << "/usr2/bin" << false;
        QTest::newRow("/optical") << "/optical" << false;
        QTest::newRow("/tmp/x/bin") << "/tmp/x/bin" << false;
        QTest::newRow("/work/build/bin") << "/work/build/bin" << false;
    }
    void systemFolders() {
        QFETCH(QString, path);
        QFETCH(bool, system);
        QCOMPARE(KLog::isSystemFolder(path), system);
    }

    void logBesideTheBuildTreeAndPortableCopies() {
        QTemporaryDir dir;
        QDir(dir.path()).mkpath("bin");
        QVERIFY(KLog::logsBesideExecutable(dir.path() + "/bin"));  // writable, not the system's
        QVERIFY(!KLog::logsBesideExecutable("/usr/bin"));          // even for root
        // This test's own folder is in the build tree.
        QVERIFY(KLog::logsBesideExecutable(QCoreApplication::applicationDirPath()));
    }

    void fileNameFormat() {
        QCOMPARE(KLog::fileName(QDateTime(QDate(2024, 3, 7), QTime(9, 0))),
                 QString("2024_03_07_09.txt"));
    }
};

QTEST_GUILESS_MAIN(TestLog)
#include "tst_log.moc"
