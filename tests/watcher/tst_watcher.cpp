// The watcher's run with its operations replaced: which checks, kills, pauses and starts happen
// for a given sequence of answers, and the debug messages it writes.

#include "watcher/KWatcher.h"

#include <QStringList>
#include <QTest>

namespace {

// Steps that answer the running checks from a script and record everything asked of them.
struct ScriptedSteps {
    QList<bool> answers;
    QStringList events;

    KWatcher::Steps steps() {
        KWatcher::Steps s;
        s.isProcessRunning = [this](const QString& name) {
            if (answers.isEmpty()) {
                events << QStringLiteral("check beyond script");
                return false;
            }
            events << QStringLiteral("check ") + name;
            return answers.takeFirst();
        };
        s.killProcess = [this](const QString& name) { events << QStringLiteral("kill ") + name; };
        s.startProcess = [this](const QString& path) { events << QStringLiteral("start ") + path; };
        s.pause = [this](int ms) { events << QStringLiteral("pause %1").arg(ms); };
        return s;
    }
};

QStringList g_debugMessages;

void captureDebug(QtMsgType type, const QMessageLogContext&, const QString& message) {
    if (type == QtDebugMsg)
        g_debugMessages << message;
}

}  // namespace

class TstWatcher : public QObject {
    Q_OBJECT
private slots:
    void sequence_data();
    void sequence();
    void debugMessages();
};

void TstWatcher::sequence_data() {
    QTest::addColumn<QList<bool>>("answers");
    QTest::addColumn<QStringList>("expected");

    const QString name = KWatcher::mainImageName();
    const QString check = QStringLiteral("check ") + name;
    const QString kill = QStringLiteral("kill ") + name;
    const QString start = QStringLiteral("start /app/") + name;
    const QString wait = QStringLiteral("pause 500");
    const QString settle = QStringLiteral("pause 2000");

    QTest::newRow("none running: nothing killed, one start after the pauses")
        << QList<bool>{false, false} << QStringList{wait, check, settle, check, start};
    QTest::newRow("one copy: ended in the first pass, then started")
        << QList<bool>{true, false, false}
        << QStringList{wait, check, kill, check, settle, check, start};
    QTest::newRow("ended in the second pass")
        << QList<bool>{true, true, false, false}
        << QStringList{wait, check, kill, check, kill, check, settle, check, start};
    QTest::newRow("survives three passes and the pause: nothing started")
        << QList<bool>{true, true, true, true}
        << QStringList{wait, check, kill, check, kill, check, kill, settle, check};
    QTest::newRow("survives three passes, gone after the pause: started")
        << QList<bool>{true, true, true, false}
        << QStringList{wait, check, kill, check, kill, check, kill, settle, check, start};
    QTest::newRow("back again after the pause: nothing started")
        << QList<bool>{true, false, true} << QStringList{wait, check, kill, check, settle, check};
}

void TstWatcher::sequence() {
    QFETCH(QList<bool>, answers);
    QFETCH(QStringList, expected);

    ScriptedSteps script{answers, {}};
    KWatcher::run(QStringLiteral("/app"), script.steps());
    QCOMPARE(script.events, expected);
    QVERIFY2(script.answers.isEmpty(), "the run asked fewer questions than the script holds");
}

void TstWatcher::debugMessages() {
    ScriptedSteps script{{true, false, false}, {}};
    g_debugMessages.clear();
    const QtMessageHandler previous = qInstallMessageHandler(captureDebug);
    KWatcher::run(QStringLiteral("/opt/some dir"), script.steps());
    qInstallMessageHandler(previous);

    const QString name = KWatcher::mainImageName();
    // The path is a quoted string item; the name is a plain item, so two spaces precede it.
    QCOMPARE(g_debugMessages,
             QStringList({QStringLiteral("[Info] driverPath: \"/opt/some dir/") + name + "\"",
                          QStringLiteral("[Info] close driver :  ") + name}));
}

QTEST_GUILESS_MAIN(TstWatcher)
#include "tst_watcher.moc"
