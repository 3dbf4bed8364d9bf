// The real program against a hostile cloud service: the update check it starts by itself must
// give up an answer that never ends instead of holding it in memory, and the program runs on.

#include "common/ProgramRunner.h"
#include "common/TestEnv.h"
#include "net/ScriptedServer.h"

#include <QNetworkProxy>
#include <QtTest>

namespace {

// A process's peak resident memory in KiB (VmHWM), -1 when it cannot be read.
qint64 peakMemoryKiB(qint64 pid) {
    QFile status(QString("/proc/%1/status").arg(pid));
    if (!status.open(QIODevice::ReadOnly))
        return -1;
    for (const QByteArray& line : status.readAll().split('\n')) {
        if (line.startsWith("VmHWM:"))
            return line.mid(6).trimmed().split(' ').value(0).toLongLong();
    }
    return -1;
}

}  // namespace

class TestNetClientE2e : public QObject {
    Q_OBJECT
private slots:
    void initTestCase() { QNetworkProxy::setApplicationProxy(QNetworkProxy::NoProxy); }

    void endlessUpdateAnswer_data() {
        QTest::addColumn<QByteArray>("head");
        QTest::newRow("1 GiB announced") << QByteArray(
            "HTTP/1.1 200 OK\r\nContent-Type: application/json\r\nContent-Length: "
            "1073741824\r\n\r\n");
        QTest::newRow("no length") << QByteArray(
            "HTTP/1.1 200 OK\r\nContent-Type: application/json\r\nConnection: close\r\n\r\n");
    }

    void endlessUpdateAnswer() {
        QFETCH(QByteArray, head);
        if (!QFileInfo::exists("/proc/self/status")) {
            fprintf(stderr, "SKIP: no /proc: the program's memory cannot be read\n");
            QSKIP("no /proc");
        }
        ScriptedServer server;
        // Valid JSON however far it goes: white space may follow the envelope.
        server.stream(head + "{\"code\":0,\"data\":{\"version\":\"99.0\"}}",
                      QByteArray(64 * 1024, ' '), 0, 512ll * 1024 * 1024);

        TestEnv env;
        ProgramRunner runner(env);
        runner.environment().insert("POINTORA_PLATFORM", "sim");
        runner.environment().insert("POINTORA_SIM_SOCKET", env.path("sim.sock"));
        runner.environment().insert("POINTORA_SIM_LOG", env.path("sim.log"));
        runner.environment().insert("POINTORA_SERVICE_URL", server.baseUrl());
        runner.environment().insert("POINTORA_ONLINE_HOST", "127.0.0.1");
        auto program = runner.start({"-d"});
        QVERIFY(program->waitForStarted());

        // The check starts after the welcome page; the memory in use by then is the baseline.
        QTRY_VERIFY_WITH_TIMEOUT(!server.requests().isEmpty(), 30000);
        QCOMPARE(server.requests().at(0).path, QByteArray("/v1/driver/version"));
        const qint64 baseline = peakMemoryKiB(program->processId());
        QVERIFY(baseline > 0);

        // The program gives the answer up: the stream stops well short of its end.
        qint64 streamed = -1;
        QDeadlineTimer settle(30000);
        while (streamed != server.streamedBytes() && !settle.hasExpired()) {
            streamed = server.streamedBytes();
            QTest::qWait(500);
        }
        QVERIFY2(streamed < 64ll * 1024 * 1024, qPrintable(QString::number(streamed)));
        QCOMPARE(program->state(), QProcess::Running);
        const qint64 peak = peakMemoryKiB(program->processId());
        QVERIFY2(peak - baseline < 64 * 1024,
                 qPrintable(
                     QString("peak %1 KiB, %2 KiB when the check began").arg(peak).arg(baseline)));
        // Still at work.
        QVERIFY(simCommand(env.path("sim.sock"), "state", 10000).startsWith("ok "));
        ProgramRunner::stop(program.get());
    }
};

QTEST_GUILESS_MAIN(TestNetClientE2e)
#include "tst_netclient_e2e.moc"
