#include "common/TestEnv.h"
#include "config/KConfigCommon.h"

#include <QFile>
#include <QSettings>
#include <QSignalSpy>
#include <QtTest>

#include <memory>

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

private slots:
    void init() { env = std::make_unique<TestEnv>(); }

    void firstStartWritesDefaults() {
        auto store = freshStore();
        QSettings app = appFile();
        QCOMPARE(app.value("language").toString(), QString("zh"));
        QCOMPARE(app.value("brightness").toInt(), 128);
        QCOMPARE(app.allKeys().size(), 2);

        QSettings functions = functionFile();
        QCOMPARE(functions.value("MouseKeyNumber").toInt(), 5);
        QCOMPARE(functions.childKeys().size(), 22);
        for (int keyType : KConfigCommon::keyTypes())
            QCOMPARE(functions.value(KConfigCommon::keyTypeName(keyType), -1).toInt(), 0);
        QCOMPARE(store->getMouseKeyNumber(), 5);
        QCOMPARE(store->getLanguage(), QString("zh"));
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
        QCOMPARE(app.value("language").toString(), QString("zh"));
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
        }
        auto store = freshStore();
        QCOMPARE(store->getBrightness(), 0);  // 128 is only written when the file is created
        QCOMPARE(store->getLanguage(), QString());
        QCOMPARE(store->getAutoRun(), false);
        QCOMPARE(store->getToken(), QString());
        QCOMPARE(store->setBrightness(), true);
        QCOMPARE(store->getBrightness(), 128);
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
