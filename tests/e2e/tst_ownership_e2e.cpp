// The real program where another owner or the installed system is involved (needs root: it
// plants folders owned by nobody and installs a copy of the program under /opt): runtime
// folders that another user created in advance are not used, and the log of a program in a
// system folder goes to the user's data location instead of beside the executable.

#include "common/LockHolders.h"
#include "common/ProgramRunner.h"
#include "common/TestEnv.h"

#include <QtTest>

#include <pwd.h>
#include <sys/stat.h>
#include <unistd.h>
#include <cstdio>

namespace {

bool answers(const QString& simSocket) {
    return simCommand(simSocket, "state", 15000).startsWith("ok ");
}

// A folder that looks like someone else's private runtime folder, with a lock naming a live
// holder inside.
bool plant(const QString& path, const FakeLockHolder& holder, uid_t owner) {
    if (!QDir().mkpath(path) || !holder.writeLock(path + "/Pointora1.0.2.lock"))
        return false;
    return ::chown(qPrintable(path), owner, owner) == 0 && ::chmod(qPrintable(path), 0700) == 0;
}

}  // namespace

class TestOwnershipE2e : public QObject {
    Q_OBJECT

    uid_t m_nobody = 65534;

private slots:
    void initTestCase() {
        if (const passwd* entry = ::getpwnam("nobody"))
            m_nobody = entry->pw_uid;
    }

    void plantedRuntimeFoldersAreNotUsed_data() {
        QTest::addColumn<bool>("sessionFolderSet");
        QTest::addColumn<QString>("expectedFolder");  // relative to the test's home
        QTest::newRow("session folder and toolkit fallback of another user")
            << true << QString("tmp/pointora-%1").arg(::getuid());
        QTest::newRow("no session folder, every fallback in the temporary folder planted")
            << false << "config-cache/Pointora/runtime-" + QSysInfo::machineHostName();
    }
    void plantedRuntimeFoldersAreNotUsed() {
        QFETCH(bool, sessionFolderSet);
        QFETCH(QString, expectedFolder);
        TestEnv env;
        ProgramRunner runner(env);
        QProcessEnvironment& environment = runner.environment();
        environment.insert("POINTORA_PLATFORM", "sim");
        environment.insert("POINTORA_SIM_SOCKET", env.path("sim.sock"));
        environment.insert("TMPDIR", env.path("tmp"));
        environment.insert("XDG_CACHE_HOME", env.path("config-cache"));
        const passwd* me = ::getpwuid(::getuid());
        QVERIFY(me);
        environment.insert("USER", QString::fromLocal8Bit(me->pw_name));
        FakeLockHolder holder(env.path());
        // The toolkit's fallback and the folder named after the program in the temporary folder.
        const QString toolkitFallback = env.path("tmp/runtime-") + me->pw_name;
        QVERIFY(plant(toolkitFallback, holder, m_nobody));
        if (sessionFolderSet) {
            QVERIFY(plant(env.path("planted"), holder, m_nobody));
            environment.insert("XDG_RUNTIME_DIR", env.path("planted"));
        } else {
            QVERIFY(plant(env.path("tmp/pointora-%1").arg(::getuid()), holder, m_nobody));
            environment.remove("XDG_RUNTIME_DIR");
        }
        auto program = runner.start({}, QProcess::SeparateChannels);
        QVERIFY(program->waitForStarted());
        QVERIFY2(answers(env.path("sim.sock")), "the program did not start");
        QVERIFY(QFileInfo::exists(env.path(expectedFolder) + "/Pointora1.0.2.socket"));
        struct stat info = {};
        QVERIFY(::lstat(qPrintable(env.path(expectedFolder)), &info) == 0);
        QCOMPARE(info.st_mode & 0777, mode_t(0700));
        QCOMPARE(info.st_uid, ::getuid());
        ProgramRunner::stop(program.get());
        const QString err = QString::fromLocal8Bit(program->readAllStandardError());
        QVERIFY2(err.contains("belongs to another user"), qPrintable(err));
        QVERIFY2(err.contains(env.path(expectedFolder)), qPrintable(err));
    }

    // An installed program (here under /opt) writes no "Log" folder beside itself, even when it
    // could (root): the log goes to the user's data location.
    void logOfAProgramInASystemFolderGoesToTheUsersData() {
        TestEnv env;
        QTemporaryDir installed("/opt/pointora-e2e-XXXXXX");
        QVERIFY(installed.isValid());
        const QString program = installed.path() + "/Pointora";
        QVERIFY(QFile::copy(qEnvironmentVariable("POINTORA_BIN_DIR") + "/Pointora", program));
        QProcessEnvironment environment = env.environment();
        environment.insert("QT_QPA_PLATFORM", "offscreen");
        environment.insert("QT_QUICK_BACKEND", "software");
        environment.insert("POINTORA_PLATFORM", "sim");
        environment.insert("POINTORA_SIM_SOCKET", env.path("sim.sock"));
        QProcess process;
        process.setProcessEnvironment(environment);
        process.setProcessChannelMode(QProcess::ForwardedChannels);
        process.start(program, {"-d"});
        QVERIFY(process.waitForStarted());
        QVERIFY(answers(env.path("sim.sock")));
        const QDir userLog(env.path("data/Pointora/Log"));
        QTRY_VERIFY_WITH_TIMEOUT(!userLog.entryList({"*.txt"}, QDir::Files).isEmpty(), 10000);
        ProgramRunner::stop(&process);
        QVERIFY(!QFileInfo::exists(installed.path() + "/Log"));
    }
};

int main(int argc, char* argv[]) {
    if (::geteuid() != 0) {
        std::fprintf(stderr,
                     "SKIPPED: tst_ownership_e2e needs root (it plants folders owned by another "
                     "user and installs a copy of the program under /opt)\n");
        return 77;
    }
    QCoreApplication app(argc, argv);
    TestOwnershipE2e test;
    return QTest::qExec(&test, argc, argv);
}

#include "tst_ownership_e2e.moc"
