#include "app/AppManager.h"
#include "app/UIManager.h"
#include "common/TestEnv.h"

#include <QApplication>
#include <QQmlApplicationEngine>
#include <QQmlContext>
#include <QSignalSpy>
#include <QTimer>
#include <QtTest>

class TestUIManager : public QObject {
    Q_OBJECT

    TestEnv env;

    // Runs the event loop the way main does and returns its exit code.
    static int runLoop() {
        QTimer guard;
        guard.setSingleShot(true);
        QObject::connect(&guard, &QTimer::timeout, [] { QCoreApplication::exit(42); });
        guard.start(10000);
        return QCoreApplication::exec();
    }

private slots:
    void initTestCase() { env.apply(); }

    void missingRootDocumentExitsMinusOne() {
        UIManager ui(QUrl("qrc:/Common/DoesNotExist.qml"));
        QVERIFY(ui.init());
        QVERIFY(ui.engine());
        QCOMPARE(ui.engine()->rootContext()->contextProperty("UIManager").value<QObject*>(), &ui);
        QVERIFY(ui.load());
        QCOMPARE(runLoop(), -1);
    }

    void rootDocumentThatFailsToCreateExitsMinusOne() {
        QTest::ignoreMessage(QtWarningMsg, QRegularExpression(".*notAProperty.*"));
        UIManager ui(QUrl("qrc:/broken/Broken.qml"));
        ui.init();
        ui.load();
        QCOMPARE(runLoop(), -1);
    }

    void realRootDocumentLoadsAndFollowsWindowRequests() {
        AppManager* manager = AppManager::instance();
        QVERIFY(manager->init());
        QQmlApplicationEngine* engine = manager->uiManager()->engine();
        QTRY_COMPARE(engine->rootObjects().size(), 1);
        QObject* window = engine->rootObjects().first();
        QVERIFY(window->property("visible").toBool());
        emit manager->uiManager()->sigSetWindowStatus(false);
        QVERIFY(!window->property("visible").toBool());
        // A second copy's message shows the window again.
        manager->messageReceived("Pointora1.0.2");
        QVERIFY(window->property("visible").toBool());
        // The identity is set and the context properties are published.
        QCOMPARE(QCoreApplication::organizationName(), QString("Tolva"));
        QCOMPARE(QCoreApplication::applicationVersion(), QString("1.0.2"));
        for (const char* name : {"UIManager", "KMsgManager", "KConfigCommon", "KFuncCommon"})
            QVERIFY2(engine->rootContext()->contextProperty(name).value<QObject*>(), name);
        // The stored language is zh: the catalogue is Chinese.
        QCOMPARE(manager->funcCommon()->getNameByKeyValye("23"), QString("三击"));
    }
};

QTEST_MAIN(TestUIManager)
#include "tst_uimanager.moc"
