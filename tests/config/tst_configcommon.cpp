#include "common/TestEnv.h"
#include "config/KConfigCommon.h"

#include <QFile>
#include <QLocale>
#include <QSettings>
#include <QSignalSpy>
#include <QtTest>

#include <memory>

#include <sys/stat.h>
#include <unistd.h>

namespace {
QStringList g_messages;
QtMessageHandler g_previous = nullptr;
void collect(QtMsgType type, const QMessageLogContext& context, const QString& text) {
    g_messages << text;
    if (g_previous)
        g_previous(type, context, text);
}

QByteArray readAll(const QString& path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("<unreadable>");
}
void writeAll(const QString& path, const QByteArray& data) {
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write(data);
}
[[maybe_unused]] int modeOf(const QString& path) {
    const QFileDevice::Permissions p = QFileInfo(path).permissions();
    int mode = 0;
    if (p & QFileDevice::ReadOwner)
        mode |= 0400;
    if (p & QFileDevice::WriteOwner)
        mode |= 0200;
    if (p & QFileDevice::ExeOwner)
        mode |= 0100;
    if (p & QFileDevice::ReadGroup)
        mode |= 0040;
    if (p & QFileDevice::WriteGroup)
        mode |= 0020;
    if (p & QFileDevice::ExeGroup)
        mode |= 0010;
    if (p & QFileDevice::ReadOther)
        mode |= 0004;
    if (p & QFileDevice::WriteOther)
        mode |= 0002;
    if (p & QFileDevice::ExeOther)
        mode |= 0001;
    return mode;
}

// Windows keeps a file private through the access rights of the user's profile; the mode bits
// the toolkit reports there say nothing.
#ifdef Q_OS_UNIX
#define COMPARE_MODE(path, mode) QCOMPARE(modeOf(path), mode)
#else
#define COMPARE_MODE(path, mode) \
    do {                         \
        Q_UNUSED(path);          \
        Q_UNUSED(mode);          \
    } while (false)
#endif
}  // namespace

class TestConfigCommon : public QObject {
    Q_OBJECT

    std::unique_ptr<TestEnv> env;

    std::unique_ptr<KConfigCommon> freshStore() {
        return std::make_unique<KConfigCommon>(env->path("config/Pointora/config"));
    }
    QSettings functionFile() {
        return QSettings(env->path("config/Pointora/config/DeviceFunction.ini"),
                         QSettings::IniFormat);
    }
    QSettings appFile() {
        return QSettings(env->path("config/Pointora/config/AppConfig.ini"), QSettings::IniFormat);
    }

    QString configPath(const QString& name = QString()) const {
        return env->path("config/Pointora/config") + (name.isEmpty() ? "" : "/" + name);
    }

private slots:
    void initTestCase() { g_previous = qInstallMessageHandler(collect); }
    void init() {
        env = std::make_unique<TestEnv>();
        g_messages.clear();
    }

    // What the store makes of each state a settings file can be found in: the values in force,
    // what is kept aside (with the original bytes), the file's mode and the notice.
    void fileStates_data() {
        QTest::addColumn<QString>("file");        // the file set up before the store opens
        QTest::addColumn<QByteArray>("content");  // its bytes
        QTest::addColumn<int>("mode");            // its mode
        QTest::addColumn<bool>("brokenExists");   // a ".broken" from an earlier run is there
        QTest::addColumn<QString>("keptAs");      // "" when nothing is kept aside
        QTest::addColumn<bool>("keptIsMoved");    // the file itself went aside (defaults follow)
        QTest::addColumn<QString>("key");         // a key to read back after opening
        QTest::addColumn<QString>("value");       // its value
        QTest::addColumn<QString>("notice");      // part of saveNotice(), "" for none

        static const char header[] = "\x89PNG\r\n\x1a\n\0\0\0\rIHDR\0\0\0\x10";
        QByteArray png(header, sizeof(header) - 1);
        for (int i = 0; i < 200; ++i)
            png.append(char((i * 37 + 11) & 0xff));
        // No NUL, has "=", no line without one: the settings facility reads it without an error.
        QByteArray noNul;
        for (int i = 0; i < 64; ++i)
            noNul.append(char(0x80 + (i * 7) % 0x7f));
        noNul = "\x01\x02=" + noNul;
        const QByteArray good = "[General]\nLeftKey=21\nMouseKeyNumber=7\n";

        QTest::newRow("binary with NUL bytes")
            << "DeviceFunction.ini" << png << 0644 << false << "DeviceFunction.ini.broken" << true
            << "MouseKeyNumber"
            << "5"
            << ".broken";
        QTest::newRow("binary the facility parses")
            << "DeviceFunction.ini" << noNul << 0644 << false << "DeviceFunction.ini.broken" << true
            << "LeftKey"
            << "0"
            << ".broken";
        QTest::newRow("text that is not INI")
            << "DeviceFunction.ini" << QByteArray("{\"LeftKey\": 21,\n \"RightKey\": 2}\n") << 0600
            << false << "DeviceFunction.ini.broken" << true << "MouseKeyNumber"
            << "5"
            << ".broken";
        QTest::newRow("earlier broken copy is kept too")
            << "DeviceFunction.ini" << png << 0600 << true << "DeviceFunction.ini.broken.1" << true
            << "MouseKeyNumber"
            << "5"
            << ".broken.1";
        QTest::newRow("INI with a stray line: copy kept, values read")
            << "DeviceFunction.ini" << QByteArray("# mine\n[General]\nLeftKey=21\nbogus\n") << 0600
            << false << "DeviceFunction.ini.broken" << false << "LeftKey"
            << "21"
            << "a copy is kept";
        QTest::newRow("empty file gets defaults") << "DeviceFunction.ini" << QByteArray() << 0600
                                                  << false << "" << false << "MouseKeyNumber"
                                                  << "5"
                                                  << "";
        QTest::newRow("blank lines and comments get defaults")
            << "DeviceFunction.ini" << QByteArray("\n  \n; nothing\n# here\n[General]\n") << 0600
            << false << "" << false << "Key_Mute"
            << "0"
            << "";
        QTest::newRow("a stray Latin-1 byte is not damage")
            << "DeviceFunction.ini"
            << QByteArray("[General]\nLeftKey=21\n[FilePath]\nLeftKey_File=/tmp/caf\xe9.txt\n")
            << 0600 << false << "" << false << "LeftKey"
            << "21"
            << "";
        QTest::newRow("open to others is made private")
            << "DeviceFunction.ini" << good << 0644 << false << "" << false << "MouseKeyNumber"
            << "7"
            << "";
        QTest::newRow("app settings open to others")
            << "AppConfig.ini" << QByteArray("[General]\ntoken=s3cret\nnickname=mia\n") << 0664
            << false << "" << false << "token"
            << "s3cret"
            << "";
        QTest::newRow("binary app settings") << "AppConfig.ini" << png << 0644 << false
                                             << "AppConfig.ini.broken" << true << "brightness"
                                             << "128"
                                             << ".broken";
    }

    void fileStates() {
        QFETCH(QString, file);
        QFETCH(QByteArray, content);
        QFETCH(int, mode);
        QFETCH(bool, brokenExists);
        QFETCH(QString, keptAs);
        QFETCH(bool, keptIsMoved);
        QFETCH(QString, key);
        QFETCH(QString, value);
        QFETCH(QString, notice);

        QDir().mkpath(configPath());
        const QString path = configPath(file);
        writeAll(path, content);
        QVERIFY(QFile::setPermissions(
            path, QFileDevice::Permissions(QFileDevice::ReadOwner | QFileDevice::WriteOwner |
                                           ((mode & 0040) ? QFileDevice::ReadGroup : 0) |
                                           ((mode & 0020) ? QFileDevice::WriteGroup : 0) |
                                           ((mode & 0004) ? QFileDevice::ReadOther : 0))));
        COMPARE_MODE(path, mode);
        const QByteArray earlier = "an earlier run's broken copy";
        if (brokenExists)
            writeAll(path + ".broken", earlier);

        auto store = freshStore();
        COMPARE_MODE(configPath("AppConfig.ini"), 0600);
        COMPARE_MODE(configPath("DeviceFunction.ini"), 0600);
        if (brokenExists)
            QCOMPARE(readAll(path + ".broken"), earlier);
        if (keptAs.isEmpty()) {
            QVERIFY(!QFileInfo::exists(path + ".broken"));
            QVERIFY(store->keptAsidePath().isEmpty());
        } else {
            QCOMPARE(store->keptAsidePath(), configPath(keptAs));
            QCOMPARE(readAll(configPath(keptAs)), content);
            COMPARE_MODE(configPath(keptAs), 0600);
            const QString logged = g_messages.filter(keptAs).join('\n');
            QVERIFY2(!logged.isEmpty(), qPrintable(g_messages.join('\n')));
        }
        // What is in force, and what the file holds now.
        QSettings reread(path, QSettings::IniFormat);
        QCOMPARE(reread.value(key).toString(), value);
        QCOMPARE(reread.status(), QSettings::NoError);
        if (file == "DeviceFunction.ini" && key != "MouseKeyNumber" && key != "LeftKey")
            QCOMPARE(store->getMouseKeyNumber(), 5);
        if (keptIsMoved && file == "DeviceFunction.ini") {
            QCOMPARE(store->getMouseKeyNumber(), 5);
            QCOMPARE(reread.childKeys().size(), 22);
        }
        if (keptIsMoved && file == "AppConfig.ini") {
            QCOMPARE(store->getLanguage(), KConfigCommon::languageForLocale(QLocale::system()));
            QCOMPARE(store->getBrightness(), 128);
        }
        if (notice.isEmpty())
            QCOMPARE(store->saveNotice(), QString());
        else
            QVERIFY2(store->saveNotice().contains(notice), qPrintable(store->saveNotice()));
    }

    // A settings file that cannot be written, for root too: a folder in its place. The values
    // stay in force, one notice and one log line per distinct failure, and the next write that
    // goes through clears the notice and saves everything chosen meanwhile.
    void failedWritesKeepValuesAndSayItOnce() {
        auto store = freshStore();
        QSignalSpy failed(store.get(), &KConfigCommon::sigSaveFailed);
        QSignalSpy cleared(store.get(), &KConfigCommon::sigSaveNoticeCleared);
        const QString path = configPath("DeviceFunction.ini");
        QVERIFY(QFile::remove(path));
        QVERIFY(QDir().mkpath(path));

        QVERIFY(store->setKeyValueWithKeyType(8, 42));
        QCOMPARE(failed.size(), 1);
        const QString message = failed.at(0).at(0).toString();
        QVERIFY2(message.contains(QDir::toNativeSeparators(path)) && message.contains("not a file"),
                 qPrintable(message));
        QCOMPARE(store->saveNotice(), message);
        QCOMPARE(g_messages.filter(QDir::toNativeSeparators(path)).filter("not a file").size(), 1);
        store->setKeyValueWithKeyType(1, 21);
        store->setPathByKeyType(1, 2, "/usr/bin/gimp");
        QCOMPARE(failed.size(), 1);  // the same failure: said once
        QCOMPARE(g_messages.filter(QDir::toNativeSeparators(path)).filter("not a file").size(), 1);
        QCOMPARE(store->getValueByKeyType(8), 42);
        QCOMPARE(store->getValueByKeyType(1), 21);
        QCOMPARE(store->getPathByKeyType(1, 2), QString("/usr/bin/gimp"));
        QCOMPARE(store->getMouseKeyNumber(), 5);

        store->dismissSaveNotice();
        QCOMPARE(store->saveNotice(), QString());
        store->setKeyValueWithKeyType(2, 24);
        QCOMPARE(failed.size(), 1);

        QVERIFY(QDir(path).removeRecursively());
        store->setKeyValueWithKeyType(9, 29);
        QCOMPARE(cleared.size(), 1);
        QCOMPARE(store->saveNotice(), QString());
        QSettings saved(path, QSettings::IniFormat);
        QCOMPARE(saved.value("ForwardKey").toInt(), 42);
        QCOMPARE(saved.value("LeftKey").toInt(), 21);
        QCOMPARE(saved.value("RightKey").toInt(), 24);
        QCOMPARE(saved.value("BackKey").toInt(), 29);
        QCOMPARE(saved.value("MouseKeyNumber").toInt(), 5);
        QCOMPARE(saved.value("FilePath/LeftKey_Program").toString(), QString("/usr/bin/gimp"));
        COMPARE_MODE(path, 0600);

        // A new failure after the recovery is said again.
        QVERIFY(QFile::remove(path));
        QVERIFY(QDir().mkpath(path));
        store->setKeyValueWithKeyType(9, 30);
        QCOMPARE(failed.size(), 2);
    }

    // Both files failing (a read-only folder, for root too: folders in their places): each is
    // said once however the writes alternate; when one is written again the notice tells of the
    // other.
    void twoFailingFilesAreEachSaidOnce() {
        auto store = freshStore();
        QSignalSpy failed(store.get(), &KConfigCommon::sigSaveFailed);
        QSignalSpy cleared(store.get(), &KConfigCommon::sigSaveNoticeCleared);
        for (const QString& name : {QString("AppConfig.ini"), QString("DeviceFunction.ini")}) {
            QVERIFY(QFile::remove(configPath(name)));
            QVERIFY(QDir().mkpath(configPath(name)));
        }
        for (int i = 0; i < 3; ++i) {
            store->setBrightness(130 + i);
            store->setKeyValueWithKeyType(8, 42 + i);
        }
        QCOMPARE(failed.size(), 2);
        QCOMPARE(store->getBrightness(), 132);
        QCOMPARE(store->getValueByKeyType(8), 44);
        QVERIFY(store->saveNotice().contains("DeviceFunction.ini"));

        QVERIFY(QDir(configPath("DeviceFunction.ini")).removeRecursively());
        store->setKeyValueWithKeyType(9, 29);
        QCOMPARE(cleared.size(), 1);
        QVERIFY2(store->saveNotice().contains("AppConfig.ini"), qPrintable(store->saveNotice()));
        QCOMPARE(QSettings(configPath("DeviceFunction.ini"), QSettings::IniFormat)
                     .value("ForwardKey")
                     .toInt(),
                 44);
    }

    // A folder in place of the file at start: nothing can be read, the notice says so, nothing
    // is written over it and the defaults are in force.
    void unreadableFileAtStart() {
        QVERIFY(QDir().mkpath(configPath("AppConfig.ini")));
        auto store = freshStore();
        QVERIFY2(store->saveNotice().contains("could not be read"),
                 qPrintable(store->saveNotice()));
        QVERIFY(QFileInfo(configPath("AppConfig.ini")).isDir());
        QCOMPARE(store->getBrightness(), 128);
        QSignalSpy failed(store.get(), &KConfigCommon::sigSaveFailed);
        store->setBrightness(140);
        QCOMPARE(failed.size(), 1);
        QVERIFY(failed.at(0).at(0).toString().contains("could not be saved"));
        QCOMPARE(store->getBrightness(), 140);
    }

    // The first write of a new file never leaves it open to others, even with a lax umask.
    void newFilesArePrivateWhateverTheUmask() {
        const mode_t previous = ::umask(0);
        auto store = freshStore();
        store->setToken("t0k3n");
        ::umask(previous);
        // Made private without a complaint (Windows: nothing to make private).
        QVERIFY2(g_messages.filter("could not be made private").isEmpty(),
                 qPrintable(g_messages.join('\n')));
        COMPARE_MODE(configPath("AppConfig.ini"), 0600);
        COMPARE_MODE(configPath("DeviceFunction.ini"), 0600);
        // Tightened again when someone opened it up while the program runs.
        QVERIFY(QFile::setPermissions(configPath("AppConfig.ini"), QFileDevice::ReadOwner |
                                                                       QFileDevice::WriteOwner |
                                                                       QFileDevice::ReadOther));
        store->setNickName("mia");
        COMPARE_MODE(configPath("AppConfig.ini"), 0600);
        // A file deleted while the program runs is made again private from its first byte,
        // not written open to others and tightened afterwards.
        QVERIFY(QFile::remove(configPath("AppConfig.ini")));
        g_messages.clear();
        store->setToken("n3w");
        COMPARE_MODE(configPath("AppConfig.ini"), 0600);
        QVERIFY2(g_messages.filter("open to other users").isEmpty(),
                 qPrintable(g_messages.join('\n')));
        QCOMPARE(QSettings(configPath("AppConfig.ini"), QSettings::IniFormat).value("nickname"),
                 QVariant("mia"));
    }

    // Stored key values outside the catalogue are not taken over, and each is logged once.
    void keyValuesOutsideTheCatalogue_data() {
        QTest::addColumn<QByteArray>("stored");
        QTest::addColumn<int>("read");
        QTest::addColumn<bool>("logged");
        QTest::newRow("function") << QByteArray("42") << 42 << false;
        QTest::newRow("none") << QByteArray("0") << 0 << false;
        QTest::newRow("beyond int") << QByteArray("99999999999") << 0 << true;
        QTest::newRow("wraps onto 42") << QByteArray("4294967338") << 0 << true;
        QTest::newRow("negative") << QByteArray("-5") << 0 << true;
        QTest::newRow("not a number") << QByteArray("abc") << 0 << true;
        QTest::newRow("unassigned value") << QByteArray("9") << 0 << true;
        QTest::newRow("empty") << QByteArray("") << 0 << true;
    }

    void keyValuesOutsideTheCatalogue() {
        QFETCH(QByteArray, stored);
        QFETCH(int, read);
        QFETCH(bool, logged);
        QDir().mkpath(configPath());
        writeAll(configPath("DeviceFunction.ini"),
                 "[General]\nMouseKeyNumber=5\nForwardKey=" + stored + "\n");
        auto store = freshStore();
        store->setKeyValueValidator([](int v) { return v == 0 || v == 13 || v == 42; });
        QCOMPARE(store->getValueByKeyType(8), read);
        QCOMPARE(store->getKeyValueMap().value(8, -1), read);
        store->getValueByKeyType(8);
        const QStringList lines = g_messages.filter("ForwardKey");
        QCOMPARE(lines.size(), logged ? 1 : 0);
        if (logged)
            QVERIFY2(lines.first().contains('"' + QString::fromLatin1(stored) + '"'),
                     qPrintable(lines.first()));
    }

    void firstStartWritesDefaults() {
        auto store = freshStore();
        QSettings app = appFile();
        QCOMPARE(app.value("language").toString(),
                 KConfigCommon::languageForLocale(QLocale::system()));
        QCOMPARE(app.value("brightness").toInt(), 128);
        QCOMPARE(app.allKeys().size(), 2);

        QSettings functions = functionFile();
        QCOMPARE(functions.value("MouseKeyNumber").toInt(), 5);
        QCOMPARE(functions.childKeys().size(), 22);
        for (int keyType : KConfigCommon::keyTypes())
            QCOMPARE(functions.value(KConfigCommon::keyTypeName(keyType), -1).toInt(), 0);
        QCOMPARE(store->getMouseKeyNumber(), 5);
        QCOMPARE(store->getLanguage(), KConfigCommon::languageForLocale(QLocale::system()));
    }

    void existingFilesAreNotReset() {
        {
            auto store = freshStore();
            store->setKeyValueWithKeyType(8, 42);
            store->setLanguage("en");
        }
        auto again = freshStore();
        QCOMPARE(again->getValueByKeyType(8), 42);
        QCOMPARE(again->getLanguage(), QString("en"));
    }

    void keyTypeNames() {
        QCOMPARE(KConfigCommon::keyTypeName(1), QString("LeftKey"));
        QCOMPARE(KConfigCommon::keyTypeName(9), QString("BackKey"));
        QCOMPARE(KConfigCommon::keyTypeName(16), QString("Key_Back"));
        QCOMPARE(KConfigCommon::keyTypeName(22), QString("KeyStop"));
        QCOMPARE(KConfigCommon::keyTypeName(27), QString("Key_Mute"));
        for (int unnamed : {-1, 0, 10, 15, 28, 1000})
            QVERIFY(KConfigCommon::keyTypeName(unnamed).isEmpty());
        QCOMPARE(KConfigCommon::keyTypes().size(), 21);
        QCOMPARE(KConfigCommon::fileTypeName(4), QString("Folder"));
        QVERIFY(KConfigCommon::fileTypeName(5).isEmpty());
    }

    void setterWritesThroughAndSignals() {
        auto store = freshStore();
        QSignalSpy spy(store.get(), &KConfigCommon::sigKeyValueChange);
        QVERIFY(store->setKeyValueWithKeyType(26, 11));
        QCOMPARE(spy.size(), 1);
        QCOMPARE(spy.at(0).at(0).toInt(), 26);
        QCOMPARE(spy.at(0).at(1).toInt(), 11);
        // On disk at once, not only at process end.
        QCOMPARE(functionFile().value("Key_VolumeUp").toInt(), 11);

        QVERIFY(store->setKeyValueWithKeyType(2, 24, false));
        QCOMPARE(spy.size(), 1);
        QCOMPARE(store->getValueByKeyType(2), 24);
        QCOMPARE(functionFile().value("RightKey").toInt(), 24);
    }

    void unnamedKeyTypeStoresNothingButStillSignals() {
        auto store = freshStore();
        QSignalSpy spy(store.get(), &KConfigCommon::sigKeyValueChange);
        const QStringList before = functionFile().allKeys();
        QVERIFY(store->setKeyValueWithKeyType(10, 5));
        QCOMPARE(spy.size(), 1);
        QCOMPARE(spy.at(0).at(0).toInt(), 10);
        QCOMPARE(spy.at(0).at(1).toInt(), 5);
        QCOMPARE(store->getValueByKeyType(10), 0);
        QCOMPARE(functionFile().allKeys(), before);
    }

    void nonNumericValueReadsAsZero() {
        auto store = freshStore();
        {
            QSettings functions = functionFile();
            functions.setValue("MiddleKey", "abc");
        }
        auto reread = freshStore();
        QCOMPARE(reread->getValueByKeyType(3), 0);
        QCOMPARE(reread->getKeyValueMap().value(3, -1), 0);
    }

    void keyValueMapCoversAllKeyTypes() {
        auto store = freshStore();
        store->setKeyValueWithKeyType(5, 31, false);
        {
            QSettings functions = functionFile();
            functions.remove("Key_Mail");  // a missing entry reads as 0
        }
        auto reread = freshStore();
        const QMap<int, int> map = reread->getKeyValueMap();
        QCOMPARE(map.keys(), KConfigCommon::keyTypes());
        QCOMPARE(map.value(5), 31);
        QCOMPARE(map.value(19), 0);
    }

    void paths() {
        auto store = freshStore();
        QSignalSpy spy(store.get(), &KConfigCommon::sigPathValueChange);
        QVERIFY(store->setPathByKeyType(1, 2, "/usr/bin/gimp"));
        QCOMPARE(spy.size(), 1);
        QCOMPARE(spy.at(0).at(2).toString(), QString("/usr/bin/gimp"));
        QCOMPARE(store->getPathByKeyType(1, 2), QString("/usr/bin/gimp"));
        QCOMPARE(store->getPathByKeyType(1, 3), QString());
        QCOMPARE(store->getPathByKeyType(1, 7), QString());
        QSettings functions = functionFile();
        QCOMPARE(functions.value("FilePath/LeftKey_Program").toString(), QString("/usr/bin/gimp"));

        store->setPathByKeyType(19, 1, "/home/u/a b/ding.ogg", false);
        QCOMPARE(spy.size(), 1);
        QCOMPARE(store->getPathByKeyType(19, 1), QString("/home/u/a b/ding.ogg"));
        // Changing the assignment keeps the path.
        store->setKeyValueWithKeyType(19, 0);
        QCOMPARE(store->getPathByKeyType(19, 1), QString("/home/u/a b/ding.ogg"));
    }

    void resetFunctionConfig() {
        auto store = freshStore();
        store->setMouseKeyNumber(7);
        store->setKeyValueWithKeyType(1, 21);
        store->setKeyValueWithKeyType(27, 15);
        store->setPathByKeyType(3, 4, "/tmp");
        store->setPathByKeyType(20, 1, "/tmp/x.mp3");
        QSignalSpy spy(store.get(), &KConfigCommon::sigKeyValueChange);
        QVERIFY(store->resetFunctionConfig());
        QCOMPARE(spy.size(), 1);
        QCOMPARE(spy.at(0).at(0).toInt(), -1);
        QCOMPARE(spy.at(0).at(1).toInt(), 0);
        QCOMPARE(store->getMouseKeyNumber(), 5);
        for (int keyType : KConfigCommon::keyTypes())
            QCOMPARE(store->getValueByKeyType(keyType), 0);
        QSettings functions = functionFile();
        functions.beginGroup("FilePath");
        QVERIFY(functions.allKeys().isEmpty());
    }

    void loginState() {
        auto store = freshStore();
        QVERIFY(!store->isLogin());
        store->setToken("t0k3n");
        QVERIFY(!store->isLogin());
        store->setNickName("mia");
        QVERIFY(store->isLogin());
        store->setToken("");
        QVERIFY(!store->isLogin());
        store->clearUserInfo();
        store->setNickName("mia");
        QVERIFY(!store->isLogin());  // nickname alone
    }

    void clearUserInfoKeepsTheRest() {
        auto store = freshStore();
        {
            QSettings app = appFile();
            app.setValue("email", "a@b.c");
            app.setValue("gacid", "G1");
            app.setValue("gauid", "U1");
        }
        store = freshStore();
        store->setNickName("mia");
        store->setToken("t");
        store->setAutoRun(true);
        store->setBrightness(200);
        QCOMPARE(store->getEmail(), QString("a@b.c"));
        store->clearUserInfo();
        QSettings app = appFile();
        QVERIFY(!app.contains("nickname"));
        QVERIFY(!app.contains("email"));
        QVERIFY(!app.contains("token"));
        QCOMPARE(app.value("gacid").toString(), QString("G1"));
        QCOMPARE(app.value("gauid").toString(), QString("U1"));
        QCOMPARE(app.value("language").toString(),
                 KConfigCommon::languageForLocale(QLocale::system()));
        QCOMPARE(app.value("autorun").toBool(), true);
        QCOMPARE(app.value("brightness").toInt(), 200);
        QCOMPARE(store->getGACid(), QString("G1"));
        QCOMPARE(store->getGAUid(), QString("U1"));
    }

    void missingValuesReadAsDocumented() {
        { auto store = freshStore(); }
        {
            QSettings app = appFile();
            app.remove("brightness");
            app.remove("language");
            app.setValue("gacid", "G1");  // not empty: a file without any key gets the defaults
        }
        auto store = freshStore();
        // Missing: the screen's own gamma, so the first step up brightens.
        QCOMPARE(store->getBrightness(), 128);
        // No language: the system's, stored, as on a first start.
        QCOMPARE(store->getLanguage(), KConfigCommon::languageForLocale(QLocale::system()));
        QCOMPARE(appFile().value("language").toString(), store->getLanguage());
        QCOMPARE(store->getAutoRun(), false);
        QCOMPARE(store->getToken(), QString());
        QCOMPARE(store->setBrightness(), true);
        QCOMPARE(store->getBrightness(), 128);
    }

    // Chinese in any region or script is "zh"; every other language, and the C locale, "en".
    void languageFollowsTheSystemLocale_data() {
        QTest::addColumn<QString>("locale");
        QTest::addColumn<QString>("language");
        QTest::newRow("mainland") << "zh_CN"
                                  << "zh";
        QTest::newRow("taiwan") << "zh_TW"
                                << "zh";
        QTest::newRow("hong kong") << "zh_HK"
                                   << "zh";
        QTest::newRow("traditional script") << "zh_Hant_TW"
                                            << "zh";
        QTest::newRow("us english") << "en_US"
                                    << "en";
        QTest::newRow("british") << "en_GB"
                                 << "en";
        QTest::newRow("german") << "de_DE"
                                << "en";
        QTest::newRow("japanese") << "ja_JP"
                                  << "en";
        QTest::newRow("c locale") << "C"
                                  << "en";
    }
    void languageFollowsTheSystemLocale() {
        QFETCH(QString, locale);
        QFETCH(QString, language);
        QCOMPARE(KConfigCommon::languageForLocale(QLocale(locale)), language);
    }

    // A language that is neither "zh" nor "en" is replaced; a chosen one is kept.
    void storedLanguageIsKeptOrMended() {
        { auto store = freshStore(); }
        const QString system = KConfigCommon::languageForLocale(QLocale::system());
        const QString other = system == "zh" ? "en" : "zh";
        appFile().setValue("language", other);
        QCOMPARE(freshStore()->getLanguage(), other);
        appFile().setValue("language", "klingon");
        QCOMPARE(freshStore()->getLanguage(), system);
    }

    void declinedVersionIsRemembered() {
        {
            auto store = freshStore();
            QCOMPARE(store->getDeclinedVersion(), QString());
            QVERIFY(store->setDeclinedVersion("1.2.0"));
        }
        QCOMPARE(freshStore()->getDeclinedVersion(), QString("1.2.0"));
        QCOMPARE(appFile().value("declinedVersion").toString(), QString("1.2.0"));
    }

    void currentKeyTypeIsMemoryOnly() {
        auto store = freshStore();
        QCOMPARE(store->getCurentKeyType(), 0);
        store->setCurentKeyType(17);
        QCOMPARE(store->getCurentKeyType(), 17);
        auto other = freshStore();
        QCOMPARE(other->getCurentKeyType(), 0);
    }

    void nonAsciiValuesSurvive() {
        {
            auto store = freshStore();
            store->setNickName("小明");
            store->setPathByKeyType(8, 3, "/home/小明/文档.txt");
        }
        auto store = freshStore();
        QCOMPARE(store->getNickName(), QString("小明"));
        QCOMPARE(store->getPathByKeyType(8, 3), QString("/home/小明/文档.txt"));
    }
};

QTEST_GUILESS_MAIN(TestConfigCommon)
#include "tst_configcommon.moc"
