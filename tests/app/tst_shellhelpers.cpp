#include "app/AppManager.h"
#include "app/KResolution.h"
#include "app/KResources.h"
#include "app/KSystemTrayIcon.h"
#include "app/KTranslator.h"
#include "app/UIManager.h"
#include "common/TestEnv.h"
#include "config/KConfigCommon.h"
#include "simulation/KWinSimulator.h"

#include <QAction>
#include <QMenu>
#include <QSignalSpy>
#include <QTimer>
#include <QTranslator>
#include <QtTest>

class TestShellHelpers : public QObject {
    Q_OBJECT

    TestEnv env;

private slots:
    void initTestCase() {
        env.apply();
        initPointoraResources();
    }

    void pngUrl_data() {
        QTest::addColumn<int>("language");
        QTest::addColumn<QString>("input");
        QTest::addColumn<QString>("expected");
        const int en = QLocale::English, zh = QLocale::Chinese;
        QTest::newRow("en qrc") << en << "qrc:/pair/pair_kb.png"
                                << "qrc:/pair/pair_kb_en.png";
        QTest::newRow("zh qrc") << zh << "qrc:/pair/pair_kb.png"
                                << "qrc:/pair/pair_kb.png";
        QTest::newRow("en icon") << en << "://logo.ico"
                                 << "://logo.ico";
        QTest::newRow("zh icon") << zh << "://logo.ico"
                                 << "://logo.ico";
        QTest::newRow("en twice") << en << ":/a.png/b.png"
                                  << ":/a_en.png";
        QTest::newRow("zh twice") << zh << ":/a.png/b.png"
                                  << ":/a.png";
        QTest::newRow("en upper case") << en << ":/WELCOME.PNG"
                                       << ":/WELCOME.PNG";
        QTest::newRow("en empty") << en << ""
                                  << "";
        QTest::newRow("other language") << int(QLocale::German) << ":/x.png"
                                        << ":/x.png";
    }
    void pngUrl() {
        QFETCH(int, language);
        QFETCH(QString, input);
        QFETCH(QString, expected);
        KTranslator translator(QLocale::Language(language), nullptr);
        QCOMPARE(translator.getPngUrl(input), expected);
    }

    void languageSwitchTakesEffectAtOnce() {
        KTranslator translator(QLocale::English, nullptr);
        QCOMPARE(translator.getPngUrl(":/welcome.png"), QString(":/welcome_en.png"));
        translator.setLanguage(QLocale::Chinese);
        QCOMPARE(translator.getLanguage(), QLocale::Chinese);
        QCOMPARE(translator.getPngUrl(":/welcome.png"), QString(":/welcome.png"));
    }

    void textMeasures() {
        KResolution resolution;
        QCOMPARE(resolution.getScaleLength(37), 37);
        QCOMPARE(resolution.getScaleLength(-5), -5);
        QCOMPARE(resolution.getStringWidget(""), 0);
        QCOMPARE(resolution.getStringHeight("", 10), 0);
        const int narrow = resolution.getStringWidget("i");
        const int wide = resolution.getStringWidget("WWWWWWWW");
        QVERIFY(narrow > 0);
        QVERIFY(wide > narrow);
        // A bigger point size measures bigger; the default size is 14.
        QVERIFY(resolution.getStringWidget("Pointora", 28) >
                resolution.getStringWidget("Pointora"));
        QCOMPARE(resolution.getStringWidget("Pointora"),
                 resolution.getStringWidget("Pointora", 14, "Microsoft YaHei"));
        QCOMPARE(resolution.getStringHeight("Pointora"),
                 resolution.getStringHeight("Pointora", 14));
        QVERIFY(resolution.getStringHeight("Pointora") > 0);
    }

    void trayClicksAndMenu() {
        KSystemTrayIcon tray;
        QSignalSpy clicked(&tray, &KSystemTrayIcon::sigTrayIconClicked);
        emit tray.trayIcon()->activated(QSystemTrayIcon::Trigger);
        QCOMPARE(clicked.size(), 1);
        for (auto reason : {QSystemTrayIcon::DoubleClick, QSystemTrayIcon::Context,
                            QSystemTrayIcon::MiddleClick, QSystemTrayIcon::Unknown})
            emit tray.trayIcon()->activated(reason);
        QCOMPARE(clicked.size(), 1);

        const QIcon icon(":/TrayIcon/TrayIcon-show.png");
        QVERIFY(!icon.isNull());
        tray.setIcon(icon);
        QStringList calls;
        tray.addAction(
            "First", [&](QString& text) { calls << text; }, QIcon());
        tray.addAction(
            "Second", [&](QString& text) { calls << "2:" + text; }, QIcon());
        QCOMPARE(tray.contextMenu()->actions().size(), 2);
        QCOMPARE(tray.trayIcon()->contextMenu(), tray.contextMenu());

        // A callback that changed the icon: the normal icon comes back after it.
        tray.trayIcon()->setIcon(QIcon());
        tray.menuActions().at(1)->setText("Renamed");
        tray.contextMenu()->actions().at(1)->trigger();
        QCOMPARE(calls, QStringList({"2:Renamed"}));
        QCOMPARE(tray.trayIcon()->icon().cacheKey(), icon.cacheKey());
        tray.contextMenu()->actions().at(0)->trigger();
        QCOMPARE(calls, QStringList({"2:Renamed", "First"}));

        // An action that was not added through addAction is ignored.
        QAction stranger("Stranger");
        QVERIFY(QMetaObject::invokeMethod(&tray, "slotTriggered", Q_ARG(QAction*, &stranger)));
        QCOMPARE(calls.size(), 2);
    }

    void translatorRule_data() {
        QTest::addColumn<QString>("language");
        QTest::addColumn<bool>("loaded");
        QTest::addColumn<QString>("toolTip");
        QTest::addColumn<int>("uiLanguage");
        QTest::newRow("zh") << "zh" << true << QString::fromUtf8("TolvaDriver 运行中...")
                            << int(QLocale::Chinese);
        QTest::newRow("en") << "en" << true << "Pointora Running..." << int(QLocale::English);
        // Neither "zh" nor "en": no translation file matches, and the store answers the system's
        // language, which the pictures follow.
        const int system = KConfigCommon::languageForLocale(QLocale::system()) == "zh"
                               ? int(QLocale::Chinese)
                               : int(QLocale::English);
        QTest::newRow("ZH") << "ZH" << false << "Pointora Running..." << system;
        QTest::newRow("empty") << "" << false << "Pointora Running..." << system;
    }
    void translatorRule() {
        QFETCH(QString, language);
        QFETCH(bool, loaded);
        QFETCH(QString, toolTip);
        QFETCH(int, uiLanguage);
        KConfigCommon::instance()->setLanguage(language);
        QTranslator translator;
        QCOMPARE(AppManager::loadTranslation(&translator, language), loaded);
        QCoreApplication::installTranslator(&translator);
        {
            UIManager ui(QUrl("qrc:/none.qml"));
            QVERIFY(ui.init());
            QCOMPARE(ui.trayIcon()->trayIcon()->toolTip(), toolTip);
            QCOMPARE(int(ui.translator()->getLanguage()), uiLanguage);
            const QList<QAction*> actions = ui.trayIcon()->menuActions();
            QCOMPARE(actions.size(), 2);
            QCOMPARE(actions.at(0)->text(),
                     language == "zh" ? QString::fromUtf8("显示") : QString("Show"));
            QCOMPARE(actions.at(1)->text(),
                     language == "zh" ? QString::fromUtf8("关闭") : QString("Close"));
            QVERIFY(!actions.at(0)->icon().isNull());
            QVERIFY(!actions.at(1)->icon().isNull());
            QVERIFY(!ui.trayIcon()->trayIcon()->icon().isNull());
        }
        QCOMPARE(KWinSimulator::brightnessUnavailableTip(),
                 language == "zh"
                     ? QString::fromUtf8(
                           "此会话中无法调节屏幕亮度：显示服务器不允许任何程序设置伽马曲线。")
                     : QString("Screen brightness cannot be changed in this session: the display "
                               "server lets no program set the gamma ramp."));
        QCoreApplication::removeTranslator(&translator);
    }

    void trayEntriesDriveTheProgram() {
        UIManager ui(QUrl("qrc:/none.qml"));
        ui.init();
        QSignalSpy window(&ui, &UIManager::sigSetWindowStatus);
        emit ui.trayIcon()->trayIcon()->activated(QSystemTrayIcon::Trigger);
        ui.trayIcon()->menuActions().at(0)->trigger();  // Show
        ui.trayIcon()->menuActions().at(0)->trigger();  // again: emitted again
        QCOMPARE(window.size(), 3);
        for (const QList<QVariant>& call : window)
            QCOMPARE(call.at(0).toBool(), true);

        // Close hides the icon and ends the event loop with 0.
        QTimer::singleShot(0, [&ui] { ui.trayIcon()->menuActions().at(1)->trigger(); });
        QTimer::singleShot(10000, [] { QCoreApplication::exit(42); });
        QCOMPARE(QCoreApplication::exec(), 0);
        QVERIFY(!ui.trayIcon()->trayIcon()->isVisible());
    }
};

QTEST_MAIN(TestShellHelpers)
#include "tst_shellhelpers.moc"
