#include "QmlBackend.h"

#include "app/AppManager.h"
#include "app/KConstants.h"
#include "app/KMsgManager.h"
#include "app/KResolution.h"
#include "app/KResources.h"
#include "app/KTranslator.h"
#include "app/UIManager.h"
#include "config/KConfigCommon.h"

#include <QCoreApplication>
#include <QQmlContext>
#include <QQmlEngine>
#include <QTranslator>
#include <QtQml>

QmlBackend::QmlBackend(QObject* parent) : QObject(parent) {
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
    qmlRegisterType<NetUpdatePwdDouble>("k.tools", 1, 0, "KNetUpdatePwd");
}

void QmlBackend::publish(QQmlEngine* engine) {
    QQmlContext* context = engine->rootContext();
    context->setContextProperty("UIManager", m_ui);
    context->setContextProperty("KTranslator", m_ui->translator());
    context->setContextProperty("KLocator", m_ui->resolution());
    context->setContextProperty("KMsgManager", KMsgManager::instance());
    context->setContextProperty("KDeviceWatcher", &m_deviceWatcher);
    context->setContextProperty("MCPairMutiThread", &m_pair);
    context->setContextProperty("KUpdater", &m_updater);
    context->setContextProperty("KConfigCommon", KConfigCommon::instance());
    context->setContextProperty("KFuncCommon", &m_funcCommon);
    context->setContextProperty("KWinSimulator", &m_winSimulator);
    context->setContextProperty("KMouseSensitivity", &m_sensitivity);
    context->setContextProperty("TestBackend", this);
}

void QmlBackend::setDevices(int usb, int bleMs, int bleKb) {
    m_deviceWatcher.setDevices(usb, bleMs, bleKb);
}

void QmlBackend::finishPairing(bool status, const QString& msg) {
    emit m_pair.sigPairResult(status, msg);
}

void QmlBackend::finishPasswordRequest(int code, const QString& msg) {
    if (NetUpdatePwdDouble::latest)
        emit NetUpdatePwdDouble::latest->sigRequestFinished(code, msg);
}

void QmlBackend::returnVersion(const QString& version, const QString& downloadUrl) {
    emit m_updater.sigReturnVersion(version, downloadUrl);
}

void QmlBackend::logIn(const QString& nickName, const QString& token) {
    KConfigCommon::instance()->setNickName(nickName);
    KConfigCommon::instance()->setToken(token);
}

void QmlBackend::reset() {
    KConfigCommon* config = KConfigCommon::instance();
    config->resetFunctionConfig();
    config->setLanguage("zh");
    config->setCurentKeyType(0);
    m_deviceWatcher.setDevices(1, 0, 0);
    m_pair.requests = 0;
    m_pair.lastType = 0;
    m_sensitivity.speed = 10;
    m_sensitivity.calls = 0;
    m_winSimulator.autoRun = false;
    NetUpdatePwdDouble::requests.clear();
}
