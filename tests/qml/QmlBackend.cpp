#include "QmlBackend.h"

#include "app/AppManager.h"
#include "app/KConstants.h"
#include "app/KMsgManager.h"
#include "app/KResolution.h"
#include "app/KResources.h"
#include "app/KTranslator.h"
#include "app/UIManager.h"
#include "common/SimDevices.h"
#include "config/KConfigCommon.h"
#include "device/KDeviceWatcher.h"
#include "net/KNetCommon.h"
#include "net/KNetUpdatePwd.h"
#include "platform/KPlatform.h"
#include "platform/sim/KSimController.h"
#include "simulation/KWinSimulator.h"

#include <QCoreApplication>
#include <QJsonDocument>
#include <QJsonObject>
#include <QQmlContext>
#include <QQmlEngine>
#include <QTranslator>
#include <QtQml>

namespace {

KSimController* sim() {
    KSimController* controller = KPlatform::instance()->simController();
    Q_ASSERT_X(controller, "QmlBackend", "needs POINTORA_PLATFORM=sim");
    return controller;
}

QByteArray envelope(int code, const QString& msg, const QJsonObject& data = QJsonObject()) {
    return QJsonDocument(QJsonObject{{"code", code}, {"msg", msg}, {"data", data}})
        .toJson(QJsonDocument::Compact);
}

}  // namespace

QmlBackend::QmlBackend(QObject* parent) : QObject(parent) {
    qputenv("POINTORA_SERVICE_URL", m_service.baseUrl().toUtf8());
    qputenv("POINTORA_ONLINE_HOST", "127.0.0.1");
    KNetCommon::instance()->checkOnline();

    initPointoraResources();
    QCoreApplication::setApplicationVersion(QStringLiteral(APP_VERSION));
    AppManager::setApplicationFont();
    // As at start-up: the translation of the stored language, then the catalogue in it.
    m_translator = new QTranslator(this);
    AppManager::loadTranslation(m_translator, KConfigCommon::instance()->getLanguage());
    QCoreApplication::installTranslator(m_translator);
    m_funcCommon.buildCatalogue();
    m_ui = new UIManager(QUrl(), this);
}

QmlBackend::~QmlBackend() {
    QCoreApplication::removeTranslator(m_translator);
}

void QmlBackend::registerTypes() {
    AppManager::registerQmlTypes();
}

void QmlBackend::publish(QQmlEngine* engine) {
    QQmlContext* context = engine->rootContext();
    context->setContextProperty("UIManager", m_ui);
    context->setContextProperty("KTranslator", m_ui->translator());
    context->setContextProperty("KLocator", m_ui->resolution());
    context->setContextProperty("KMsgManager", KMsgManager::instance());
    context->setContextProperty("KDeviceWatcher", KDeviceWatcher::instance());
    context->setContextProperty("MCPairMutiThread", &m_pair);
    context->setContextProperty("KUpdater", &m_updater);
    context->setContextProperty("KConfigCommon", KConfigCommon::instance());
    context->setContextProperty("KFuncCommon", &m_funcCommon);
    context->setContextProperty("KWinSimulator", KWinSimulator::instance());
    context->setContextProperty("KMouseSensitivity", &m_sensitivity);
    context->setContextProperty("TestBackend", this);
}

bool QmlBackend::isOnline() const {
    return KNetCommon::instance()->isOnline();
}

void QmlBackend::setDevices(bool receiver, bool bleMouse, bool bleKeyboard) {
    setSimDevices(receiver, bleMouse, bleKeyboard);
}

void QmlBackend::finishPairing(bool status, const QString& msg) {
    emit m_pair.sigPairResult(status, msg);
}

int QmlBackend::pointerSpeed() const {
    return sim()->state().value("pointerSpeed").toInt();
}

bool QmlBackend::autoRunEntry() const {
    return sim()->state().value("autorun").toBool();
}

void QmlBackend::setAutoRunEntry(bool on) {
    KWinSimulator::instance()->setAutoRun(on);
}

QStringList QmlBackend::passwordRequests() const {
    QStringList result;
    const QList<RecordedRequest>& requests = m_service.requests();
    for (int i = m_requestsBefore; i < requests.size(); ++i) {
        if (!requests[i].path.endsWith("/v1/user/updatePassword"))
            continue;
        const QJsonObject body = QJsonDocument::fromJson(requests[i].body).object();
        result.append(body.value("password").toString() + "|" +
                      body.value("rePassword").toString());
    }
    return result;
}

void QmlBackend::answerNextRequest(int code, const QString& msg) {
    m_service.answer(200, envelope(code, msg));
}

void QmlBackend::holdNextRequest() {
    m_service.hold();
}

int QmlBackend::releaseHeld(int code, const QString& msg) {
    return m_service.release(ScriptedServer::http(200, envelope(code, msg)));
}

void QmlBackend::offerVersion(const QString& version, const QString& downloadUrl) {
    m_service.answer(200,
                     envelope(0, QString(), {{"version", version}, {"downloadUrl", downloadUrl}}));
    m_updater.getSoftwareVersion();
}

void QmlBackend::logIn(const QString& nickName, const QString& token) {
    KConfigCommon::instance()->setNickName(nickName);
    KConfigCommon::instance()->setToken(token);
}

void QmlBackend::reset() {
    KConfigCommon* config = KConfigCommon::instance();
    config->resetFunctionConfig();
    config->setLanguage("zh");
    config->setDeclinedVersion("");
    config->setCurentKeyType(0);
    setDevices(true, false, false);
    m_pair.requests = 0;
    m_pair.lastType = 0;
    m_sensitivity.setSensitivity(10);
    KWinSimulator::instance()->setAutoRun(false);
    m_requestsBefore = m_service.requests().size();
}
