#include "common/ProgramRunner.h"
#include "common/SimLog.h"
#include "common/TestEnv.h"

#include <QJsonDocument>
#include <QJsonObject>
#include <QSettings>
#include <QtTest>

#include <functional>

// The real program on the simulated platform with settings files in every state they can be
// found in: nothing the user had is lost, nothing unsaved goes unsaid, the files are private and
// a stored value that is no function is not taken over.
class TestSettingsE2e : public QObject {
    Q_OBJECT

    struct Program {
        TestEnv env;
        ProgramRunner runner{env};
        std::unique_ptr<QProcess> process;
        QString configDir;
        QString socket;
        QString logPath;
        SimLogReader log{QString(), describe};

        // prepare sets the configuration folder up before the program starts (with -d).
        // environment: variables set for the program on top of the test's.
        explicit Program(const std::function<void(const QString&)>& prepare,
                         const QMap<QString, QString>& environment = {}) {
            configDir = env.path("config/Pointora/config");
            QDir().mkpath(configDir);
            prepare(configDir);
            socket = env.path("sim.sock");
            logPath = env.path("sim.log");
            log = SimLogReader(logPath, describe);
            runner.environment().insert("POINTORA_PLATFORM", "sim");
            runner.environment().insert("POINTORA_SIM_SOCKET", socket);
            runner.environment().insert("POINTORA_SIM_LOG", logPath);
            runner.environment().insert("POINTORA_SIM_DEVICES", "receiver");
            for (auto it = environment.begin(); it != environment.end(); ++it)
                runner.environment().insert(it.key(), it.value());
            process = runner.start({"-d"});
        }
        ~Program() { ProgramRunner::stop(process.get()); }

        QString command(const QString& line) { return simCommand(socket, line); }
        QJsonObject state() {
            const QString answer = command("state");
            return answer.startsWith("ok ")
                       ? QJsonDocument::fromJson(answer.mid(3).toUtf8()).object()
                       : QJsonObject();
        }
        bool up() { return !state().isEmpty() && process->state() == QProcess::Running; }
        QString programLog() const { return runner.logLines().join('\n'); }

        // The simulation's log lines since the last call, compact.
        QStringList newLog() { return log.newLines(); }
        bool waitFor(QStringList* seen, const QString& pattern, int count, int timeoutMs = 5000) {
            return log.waitFor(seen, pattern, count, timeoutMs);
        }
        static QString describe(const QJsonObject& o) {
            const QString kind = o.value("kind").toString();
            if (kind == "system" || kind == "swallowed")
                return QStringLiteral("%1 %2 %3 %4")
                    .arg(kind, o.value("device").toString(), o.value("event").toString(),
                         o.value("down").toBool() ? "down" : "up");
            if (kind == "gamma")
                return QStringLiteral("gamma %1").arg(o.value("slope").toInt());
            if (kind == "key")
                return QStringLiteral("key %1").arg(o.value("vk").toInt());
            return kind;
        }
    };

    static void write(const QString& path, const QByteArray& data, int mode = 0600) {
        QFile file(path);
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write(data);
        file.close();
        QFile::Permissions perms = QFile::ReadOwner | QFile::WriteOwner;
        if (mode & 0044)
            perms |= QFile::ReadGroup | QFile::ReadOther;
        QVERIFY(QFile::setPermissions(path, perms));
    }
    static QByteArray read(const QString& path) {
        QFile file(path);
        return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
    }
    static bool isPrivate(const QString& path) {
        const QFile::Permissions perms = QFileInfo(path).permissions();
        return QFileInfo(path).isFile() && (perms & QFile::ReadOwner) &&
               (perms & QFile::WriteOwner) &&
               !(perms & (QFile::ReadGroup | QFile::WriteGroup | QFile::ReadOther |
                          QFile::WriteOther | QFile::ExeGroup | QFile::ExeOther));
    }
    static QStringList grep(const QStringList& lines, const QString& pattern) {
        return lines.filter(QRegularExpression(pattern));
    }
    static QByteArray english() { return "[General]\nlanguage=en\nbrightness=128\n"; }

private slots:
    // Binary bytes in DeviceFunction.ini (with a readable "ForwardKey=42" among them): the file
    // is kept aside with its bytes, the defaults are in force, the forward button stays the
    // system's.
    void binaryAssignmentsAreKeptAside() {
        QByteArray binary(
            "\x7f"
            "ELF\x02\x01\x01\0\0\0\0\0\0\0\0\0",
            16);
        binary += "\nForwardKey=42\n";
        for (int i = 0; i < 300; ++i)
            binary += char((i * 53 + 7) & 0xff);
        Program p([&](const QString& dir) {
            write(dir + "/AppConfig.ini", english());
            write(dir + "/DeviceFunction.ini", binary);
        });
        QVERIFY(p.process->waitForStarted());
        QTRY_VERIFY_WITH_TIMEOUT(p.up(), 15000);

        const QString kept = p.configDir + "/DeviceFunction.ini.broken";
        QCOMPARE(read(kept), binary);
        QVERIFY(isPrivate(kept));
        QSettings functions(p.configDir + "/DeviceFunction.ini", QSettings::IniFormat);
        QCOMPARE(functions.value("MouseKeyNumber").toInt(), 5);
        QCOMPARE(functions.value("ForwardKey", -1).toInt(), 0);
        QCOMPARE(functions.childKeys().size(), 22);
        QTRY_VERIFY_WITH_TIMEOUT(p.programLog().contains(kept), 5000);

        p.newLog();
        QCOMPARE(p.command("press forward"), QString("ok"));
        QStringList seen;
        QVERIFY2(p.waitFor(&seen, "^system receiver forward up", 1), qPrintable(seen.join('\n')));
        QVERIFY2(grep(seen, "^key ").isEmpty(), qPrintable(seen.join('\n')));
    }

    // AppConfig.ini cannot be written, for root too: a folder is in its place. The program runs,
    // the log names the file and why, once; the brightness chosen stays in force in memory.
    void unwritableSettingsKeepTheChoice() {
        Program p([](const QString& dir) {
            QDir().mkpath(dir + "/AppConfig.ini");
            write(dir + "/DeviceFunction.ini", "[General]\nForwardKey=13\nMouseKeyNumber=5\n");
        });
        QVERIFY(p.process->waitForStarted());
        QTRY_COMPARE_WITH_TIMEOUT(p.state().value("masks").toObject().value("mouse").toInt(), 0x10,
                                  15000);
        QTRY_VERIFY_WITH_TIMEOUT(p.programLog().contains("could not be read"), 5000);
        p.newLog();

        QCOMPARE(p.command("press forward"), QString("ok"));
        QStringList seen;
        QVERIFY2(p.waitFor(&seen, "^gamma ", 1), qPrintable(seen.join('\n')));
        QCOMPARE(grep(seen, "^gamma ").last(), QString("gamma 260"));
        const QString failure = "could not be saved to " + p.configDir + "/AppConfig.ini";
        QTRY_VERIFY_WITH_TIMEOUT(p.programLog().contains(failure), 5000);

        // The value chosen is still the one in force: the next step goes on from it.
        seen.clear();
        QCOMPARE(p.command("press forward"), QString("ok"));
        QVERIFY2(p.waitFor(&seen, "^gamma ", 1), qPrintable(seen.join('\n')));
        QCOMPARE(grep(seen, "^gamma ").last(), QString("gamma 264"));
        QThread::msleep(300);
        QCOMPARE(p.programLog().count(failure), 1);  // the same failure: said once
        QVERIFY(p.up());
        QVERIFY(QFileInfo(p.configDir + "/AppConfig.ini").isDir());
    }

    // A stored key value beyond every function (and beyond int) is not taken over: the press
    // reaches the system, and the log names the key and the value.
    void keyValueOutsideTheCatalogueIsNotTakenOver() {
        Program p([](const QString& dir) {
            write(dir + "/AppConfig.ini", english());
            write(dir + "/DeviceFunction.ini",
                  "[General]\nForwardKey=99999999999\nRightKey=42\nMouseKeyNumber=5\n");
        });
        QVERIFY(p.process->waitForStarted());
        QTRY_COMPARE_WITH_TIMEOUT(p.state().value("masks").toObject().value("mouse").toInt(), 0x02,
                                  15000);
        p.newLog();

        QCOMPARE(p.command("press forward"), QString("ok"));
        QStringList seen;
        QVERIFY2(p.waitFor(&seen, "^system receiver forward up", 1), qPrintable(seen.join('\n')));
        QCOMPARE(grep(seen, "forward"),
                 (QStringList{"system receiver forward down", "system receiver forward up"}));
        QVERIFY(grep(seen, "^key ").isEmpty());
        QTRY_VERIFY_WITH_TIMEOUT(
            p.programLog().contains("ForwardKey has the value \"99999999999\""), 5000);
    }

    // No "brightness" stored: the first "Increase brightness" brightens from the screen's own
    // gamma (slope 256) rather than darkening it to about half.
    void missingBrightnessStartsFromTheScreensOwn() {
        Program p([](const QString& dir) {
            write(dir + "/AppConfig.ini", "[General]\nlanguage=en\n");
            write(dir + "/DeviceFunction.ini", "[General]\nForwardKey=13\nMouseKeyNumber=5\n");
        });
        QVERIFY(p.process->waitForStarted());
        QTRY_COMPARE_WITH_TIMEOUT(p.state().value("masks").toObject().value("mouse").toInt(), 0x10,
                                  15000);
        p.newLog();
        QCOMPARE(p.command("press forward"), QString("ok"));
        QStringList seen;
        QVERIFY2(p.waitFor(&seen, "^gamma ", 1), qPrintable(seen.join('\n')));
        const int slope = grep(seen, "^gamma ").last().mid(6).toInt();
        QVERIFY2(slope > 256, qPrintable(seen.join('\n')));
        QCOMPARE(slope, 260);
        QTRY_COMPARE_WITH_TIMEOUT(
            QSettings(p.configDir + "/AppConfig.ini", QSettings::IniFormat).value("brightness"),
            QVariant("132"), 5000);
    }

    // With no language stored, the program speaks the system's (any Chinese locale: Chinese,
    // every other: English) and stores it; a language the user chose is kept whatever the
    // system speaks.
    void firstStartSpeaksTheSystemsLanguage_data() {
        QTest::addColumn<QString>("lang");
        QTest::addColumn<QString>("language");   // the LANGUAGE list, "" for none
        QTest::addColumn<QByteArray>("stored");  // AppConfig.ini before the start, "" for none
        QTest::addColumn<QString>("expected");
        QTest::newRow("english system") << "en_US.UTF-8"
                                        << "" << QByteArray() << "en";
        QTest::newRow("german system") << "de_DE.UTF-8"
                                       << "" << QByteArray() << "en";
        QTest::newRow("c locale") << "C"
                                  << "" << QByteArray() << "en";
        QTest::newRow("chinese system") << "zh_CN.UTF-8"
                                        << "" << QByteArray() << "zh";
        QTest::newRow("taiwan") << "zh_TW.UTF-8"
                                << "" << QByteArray() << "zh";
        QTest::newRow("chinese first in LANGUAGE") << "en_US.UTF-8"
                                                   << "zh_CN:en_US" << QByteArray() << "zh";
        QTest::newRow("no language stored")
            << "en_GB.UTF-8"
            << "" << QByteArray("[General]\nbrightness=90\n") << "en";
        QTest::newRow("chosen chinese kept")
            << "en_US.UTF-8"
            << "" << QByteArray("[General]\nlanguage=zh\n") << "zh";
        QTest::newRow("chosen english kept")
            << "zh_CN.UTF-8"
            << "" << QByteArray("[General]\nlanguage=en\n") << "en";
    }
    void firstStartSpeaksTheSystemsLanguage() {
        QFETCH(QString, lang);
        QFETCH(QString, language);
        QFETCH(QByteArray, stored);
        QFETCH(QString, expected);
        QMap<QString, QString> environment{{"LANG", lang}, {"LC_ALL", ""}, {"LC_MESSAGES", ""}};
        environment.insert("LANGUAGE", language);
        Program p(
            [&](const QString& dir) {
                if (!stored.isEmpty())
                    write(dir + "/AppConfig.ini", stored);
            },
            environment);
        QVERIFY(p.process->waitForStarted());
        QTRY_VERIFY_WITH_TIMEOUT(p.up(), 15000);
        QCOMPARE(QSettings(p.configDir + "/AppConfig.ini", QSettings::IniFormat)
                     .value("language")
                     .toString(),
                 expected);
        // The interface was loaded in that language.
        QTRY_VERIFY2_WITH_TIMEOUT(p.programLog().contains("interface language: " + expected),
                                  qPrintable(p.programLog()), 5000);
    }

    // Both files are created private; an existing one open to others is made private.
    void settingsFilesArePrivate() {
        {
            Program fresh([](const QString&) {});
            QVERIFY(fresh.process->waitForStarted());
            QTRY_VERIFY_WITH_TIMEOUT(fresh.up(), 15000);
            QVERIFY(isPrivate(fresh.configDir + "/AppConfig.ini"));
            QVERIFY(isPrivate(fresh.configDir + "/DeviceFunction.ini"));
        }
        Program p([](const QString& dir) {
            write(dir + "/AppConfig.ini", "[General]\nlanguage=en\ntoken=s3cret\nnickname=mia\n",
                  0644);
            write(dir + "/DeviceFunction.ini", "[General]\nForwardKey=42\nMouseKeyNumber=5\n",
                  0644);
        });
        QVERIFY(p.process->waitForStarted());
        QTRY_VERIFY_WITH_TIMEOUT(p.up(), 15000);
        QVERIFY(isPrivate(p.configDir + "/AppConfig.ini"));
        QVERIFY(isPrivate(p.configDir + "/DeviceFunction.ini"));
        QCOMPARE(QSettings(p.configDir + "/AppConfig.ini", QSettings::IniFormat).value("token"),
                 QVariant("s3cret"));
    }
};

QTEST_GUILESS_MAIN(TestSettingsE2e)
#include "tst_settings_e2e.moc"
