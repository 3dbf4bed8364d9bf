#include "app/AppManager.h"
#include "common/TestEnv.h"
#include "platform/KPlatform.h"
#include "platform/sim/KSimController.h"

#include <QJsonDocument>
#include <QJsonObject>
#include <QQmlApplicationEngine>
#include <QQmlComponent>
#include <QQmlContext>
#include <QQmlExpression>
#include <QtTest>

namespace {

// The program's own key events from the given line of the simulation log on, as "vk:down|up".
QStringList keyEventsFrom(const QString& logPath, int first) {
    QStringList events;
    QFile file(logPath);
    if (!file.open(QIODevice::ReadOnly))
        return events;
    const QList<QByteArray> lines = file.readAll().split('\n');
    for (int i = first; i < lines.size(); ++i) {
        const QJsonObject event = QJsonDocument::fromJson(lines.at(i)).object();
        if (event.value("kind").toString() == "key" && event.value("tag").toInt() == 9591)
            events << QString("%1:%2")
                          .arg(event.value("vk").toInt())
                          .arg(event.value("up").toBool() ? "up" : "down");
    }
    return events;
}

int lineCount(const QString& logPath) {
    QFile file(logPath);
    return file.open(QIODevice::ReadOnly) ? file.readAll().count('\n') : 0;
}

}  // namespace

class TestAssembly : public QObject {
    Q_OBJECT

    TestEnv env;
    QString logPath;

private slots:
    void initTestCase() {
        env.apply();
        logPath = env.path("sim.log");
        qputenv("POINTORA_PLATFORM", "sim");
        qputenv("POINTORA_SIM_DEVICES", "receiver");
        qputenv("POINTORA_SIM_LOG", logPath.toUtf8());
        qputenv("POINTORA_SERVICE_URL", "http://127.0.0.1:9");  // nothing listens there
        QVERIFY(AppManager::instance()->init());
        QTRY_COMPARE(AppManager::instance()->uiManager()->engine()->rootObjects().size(), 1);
    }

    void everyContextPropertyAndTypeFromQml() {
        QQmlEngine* engine = AppManager::instance()->uiManager()->engine();
        QQmlComponent component(engine);
        component.setData(R"(
            import QtQuick 2.15
            import k.tools 1.0
            QtObject {
                property KNetLogin login: KNetLogin {}
                property KNetRegister reg: KNetRegister {}
                property KNetUpdatePwd updatePwd: KNetUpdatePwd {}
                property KNetForgotSendEmail sendEmail: KNetForgotSendEmail {}
                property KNetForgotVerifyCode verifyCode: KNetForgotVerifyCode {}
                property KNetForgotNewPwd newPwd: KNetForgotNewPwd {}
                property KNetUploadConfig upload: KNetUploadConfig {}
                property KNetDownloadConfig download: KNetDownloadConfig {}
                function results() {
                    return [
                        typeof UIManager.sigSetWindowStatus,
                        KTranslator.getPngUrl(":/pair/pair_kb.png"),
                        KLocator.getScaleLength(37),
                        typeof KMsgManager.sigWin7DriverFixDialog,
                        KDeviceWatcher.getDeviceConnect(true).usb,
                        typeof MCPairMutiThread.startPair,
                        typeof KUpdater.getSoftwareVersion,
                        KConfigCommon.getAppVersion(),
                        KFuncCommon.getNameByKeyValye("42"),
                        KDeviceHook.running(),
                        KWinSimulator.isAutoRun(),
                        KMouseSensitivity.getSensitivity(),
                        typeof login.login, typeof reg.registerUser, typeof updatePwd.updatePwd,
                        typeof sendEmail.sendEmail, typeof verifyCode.verify,
                        typeof newPwd.setNewPwd, typeof upload.uploadCurrentConfig,
                        typeof download.downloadConfig
                    ]
                }
            })",
                          QUrl("qrc:/test/Assembly.qml"));
        std::unique_ptr<QObject> object(component.create());
        QVERIFY2(object, qPrintable(component.errorString()));
        QVariant results;
        QVERIFY(
            QMetaObject::invokeMethod(object.get(), "results", Q_RETURN_ARG(QVariant, results)));
        const QVariantList list = results.toList();
        QCOMPARE(list.size(), 20);
        QCOMPARE(list.at(0).toString(), QString("function"));
        QCOMPARE(list.at(1).toString(), QString(":/pair/pair_kb.png"));  // stored language zh
        QCOMPARE(list.at(2).toInt(), 37);
        QCOMPARE(list.at(3).toString(), QString("function"));
        QCOMPARE(list.at(4).toInt(), 1);  // the simulated receiver
        QCOMPARE(list.at(5).toString(), QString("function"));
        QCOMPARE(list.at(6).toString(), QString("function"));
        QCOMPARE(list.at(7).toString(), QString("1.0.2"));
        QCOMPARE(list.at(8).toString(), QString::fromUtf8("显示桌面"));
        QCOMPARE(list.at(9).toBool(), true);  // the receiver's hook runs
        QCOMPARE(list.at(10).toBool(), false);
        QCOMPARE(list.at(11).toInt(), 10);
        for (int i = 12; i < 20; ++i)
            QCOMPARE(list.at(i).toString(), QString("function"));
    }

    void assignmentFromQmlTakesEffectWithoutRestart() {
        KSimController* sim = KPlatform::instance()->simController();
        QVERIFY(sim);
        QQmlEngine* engine = AppManager::instance()->uiManager()->engine();
        int line = lineCount(logPath);

        QQmlExpression assign(engine->rootContext(), nullptr,
                              "KConfigCommon.setKeyValueWithKeyType(8, 42)");
        QCOMPARE(assign.evaluate().toBool(), true);
        QCOMPARE(sim->execute("press forward").line(), QString("ok"));

        QTRY_COMPARE(keyEventsFrom(logPath, line),
                     QStringList({"91:down", "68:down", "68:up", "91:up"}));  // Show desktop
        line = lineCount(logPath);

        QQmlExpression reassign(engine->rootContext(), nullptr,
                                "KConfigCommon.setKeyValueWithKeyType(8, 2)");
        reassign.evaluate();
        QCOMPARE(sim->execute("press forward").line(), QString("ok"));
        QTRY_COMPARE(keyEventsFrom(logPath, line),
                     QStringList({"162:down", "67:down", "67:up", "162:up"}));  // Copy
    }
};

QTEST_MAIN(TestAssembly)
#include "tst_assembly.moc"
