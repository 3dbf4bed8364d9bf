// Desktop entry files as the Linux session backend writes and runs them: the autostart entry
// must be accepted by the desktop's own launcher whatever the program's path holds, and a
// launcher given to "Launch program" is run from its Exec line without a shell.
#include "common/TestEnv.h"
#include "platform/linux/KDesktopSession.h"
#include "platform/linux/KLinuxSessionBackend.h"
#include "platform/linux/KXdgAutostart.h"

#include <QCoreApplication>
#include <QFile>
#include <QProcess>
#include <QStandardPaths>
#include <QtTest>

class TestDesktopEntries : public QObject {
    Q_OBJECT
private:
    TestEnv m_env;

    QString writeFile(const QString& relative, const QByteArray& text, bool executable = false) {
        const QString path = m_env.path(relative);
        QDir().mkpath(QFileInfo(path).absolutePath());
        QFile file(path);
        if (!file.open(QIODevice::WriteOnly))
            return QString();
        file.write(text);
        file.close();
        if (executable)
            file.setPermissions(file.permissions() | QFile::ExeOwner);
        return path;
    }

    static bool waitForFile(const QString& path) {
        for (int i = 0; i < 100 && !QFile::exists(path); ++i)
            QTest::qWait(50);
        return QFile::exists(path);
    }

private slots:
    void initTestCase() {
        m_env.apply();
        QCoreApplication::setApplicationName("Pointora");
    }

    void execArguments_data() {
        QTest::addColumn<QString>("value");
        QTest::addColumn<QStringList>("arguments");
        QTest::newRow("field codes dropped")
            << "/usr/bin/app --new %U %f" << QStringList{"/usr/bin/app", "--new"};
        QTest::newRow("quoted program with escapes")
            << "\"/opt/My App/a\\\\\"b\" -x" << QStringList{"/opt/My App/a\"b", "-x"};
        QTest::newRow("literal percent") << "printf 100%%" << QStringList{"printf", "100%"};
        QTest::newRow("empty quoted argument") << "app \"\" y" << QStringList{"app", "", "y"};
        QTest::newRow("unterminated quote") << "\"/opt/x -y" << QStringList{};
        QTest::newRow("blank") << "   " << QStringList{};
    }
    void execArguments() {
        QFETCH(QString, value);
        QFETCH(QStringList, arguments);
        QCOMPARE(KXdgAutostart::execArguments(value), arguments);
    }

    // The entry written for a program whose path holds a %, a space or a quote is started by
    // GLib's launcher (what GNOME and most session managers use), not refused by it.
    void autostartEntryRunsThroughGio_data() {
        QTest::addColumn<QString>("folder");
        QTest::newRow("percent") << "apps 100%";
        QTest::newRow("percent and quote") << "a%b \"c\"";
        QTest::newRow("plain") << "apps";
    }
    void autostartEntryRunsThroughGio() {
        QFETCH(QString, folder);
        const QString gio = QStandardPaths::findExecutable("gio");
        if (gio.isEmpty())
            QSKIP("SKIPPED: gio (libglib2.0-bin) is not installed, GLib's launcher cannot be run");
        const QString marker = m_env.path("ran-" + QString::number(qHash(folder)));
        QFile::remove(marker);
        const QString program =
            writeFile(folder + "/Pointora", "#!/bin/sh\ntouch \"$0.ran\"\n", true);
        QVERIFY(!program.isEmpty());
        QVERIFY(KXdgAutostart::writeEntry("Pointora", program));
        QCOMPARE(KXdgAutostart::entryProgram("Pointora"), program);
        QProcess launch;
        launch.start(gio, {"launch", KXdgAutostart::userEntryPath("Pointora")});
        QVERIFY(launch.waitForFinished(10000));
        QVERIFY2(launch.exitCode() == 0, launch.readAllStandardError().constData());
        QVERIFY(waitForFile(program + ".ran"));
    }

    void desktopEntryLaunch_data() {
        QTest::addColumn<QByteArray>("entry");
        QTest::addColumn<bool>("ok");
        QTest::addColumn<QString>("program");
        QTest::addColumn<QStringList>("arguments");
        QTest::addColumn<QString>("directory");
        QTest::addColumn<QString>("url");
        QTest::newRow("application")
            << QByteArray(
                   "[Desktop Entry]\nType=Application\nName=A\nExec=/usr/bin/app -a %F\n"
                   "Path=/tmp\n")
            << true << "/usr/bin/app" << QStringList{"-a"} << "/tmp"
            << "";
        QTest::newRow("other group ignored")
            << QByteArray(
                   "[Desktop Action x]\nExec=/bin/false\n[Desktop Entry]\nType=Application"
                   "\nExec=/bin/true\n")
            << true << "/bin/true" << QStringList{} << ""
            << "";
        QTest::newRow("link") << QByteArray(
                                     "[Desktop Entry]\nType=Link\nURL=https://example.com/\n")
                              << true << "" << QStringList{} << ""
                              << "https://example.com/";
        QTest::newRow("directory entry refused")
            << QByteArray("[Desktop Entry]\nType=Directory\nName=D\n") << false << ""
            << QStringList{} << ""
            << "";
        QTest::newRow("missing TryExec refused")
            << QByteArray(
                   "[Desktop Entry]\nType=Application\nTryExec=no-such-program-here\n"
                   "Exec=no-such-program-here\n")
            << false << "" << QStringList{} << ""
            << "";
        QTest::newRow("malformed Exec refused")
            << QByteArray("[Desktop Entry]\nType=Application\nExec=\"/bin/true\n") << false << ""
            << QStringList{} << ""
            << "";
        QTest::newRow("not an entry")
            << QByteArray("just text\n") << false << "" << QStringList{} << ""
            << "";
    }
    void desktopEntryLaunch() {
        QFETCH(QByteArray, entry);
        QFETCH(bool, ok);
        const QString path = writeFile("launchers/t.desktop", entry);
        KLinuxSessionBackend::Launch launch;
        QString why;
        QCOMPARE(KLinuxSessionBackend::desktopEntryLaunch(path, &launch, &why), ok);
        if (!ok) {
            QVERIFY(!why.isEmpty());
            return;
        }
        QTEST(launch.program, "program");
        QTEST(launch.arguments, "arguments");
        QTEST(launch.workingDirectory, "directory");
        QTEST(launch.url, "url");
    }

    // "Launch program" with a launcher runs what it names, with shell characters kept literal.
    void openPathRunsLauncher() {
        const QString out = m_env.path("launched; rm -rf x $(id)");
        QFile::remove(out);
        const QByteArray exec = "/usr/bin/touch \"" + out.toUtf8().replace("$", "\\\\$") + "\" %U";
        const QString path =
            writeFile("launchers/touch.desktop",
                      "[Desktop Entry]\nType=Application\nName=Touch\nExec=" + exec + "\n");
        KLinuxSessionBackend session;
        session.openPath(path);
        QVERIFY(waitForFile(out));
    }
};

QTEST_GUILESS_MAIN(TestDesktopEntries)
#include "tst_desktopentries.moc"
