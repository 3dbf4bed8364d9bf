#include "app/AppManager.h"

#include "app/KConstants.h"
#include "app/KMsgManager.h"
#include "app/KResources.h"
#include "config/KConfigCommon.h"
#include "device/KAccessStatus.h"
#include "device/KDeviceHook.h"
#include "device/KDeviceWatcher.h"
#include "net/KNetCommon.h"
#include "net/KNetDownloadConfig.h"
#include "net/KNetForgotNewPwd.h"
#include "net/KNetForgotSendEmail.h"
#include "net/KNetForgotVerifyCode.h"
#include "net/KNetLogin.h"
#include "net/KNetRegister.h"
#include "net/KNetUpdatePwd.h"
#include "net/KNetUploadConfig.h"
#include "platform/KPlatform.h"
#include "simulation/KDeviceSimulator.h"
#include "simulation/KWinSimulator.h"

#include <QApplication>
#include <QDebug>
#include <QFont>
#include <QFontDatabase>
#include <QQmlApplicationEngine>
#include <QQmlContext>
#include <QTranslator>
#include <QtQml>

AppManager* AppManager::instance() {
    static AppManager* manager = new AppManager;  // lives until process end
    return manager;
}

AppManager::AppManager() : QObject(nullptr) {
    initPointoraResources();
    m_platform = KPlatform::instance();
    m_deviceWatcher = KDeviceWatcher::instance();
    m_configCommon = KConfigCommon::instance();
    // Before anything reads an assignment: a stored value that is no function is not taken over.
    m_configCommon->setKeyValueValidator(&KFuncCommon::isCatalogueKeyValue);
    m_deviceHook = KDeviceHook::instance();
    m_deviceSimulator = KDeviceSimulator::instance();
    m_winSimulator = KWinSimulator::instance();
    m_winSimulator->reportInjectionReach(m_platform->inputInjector());
    m_msgManager = KMsgManager::instance();

    QCoreApplication::setApplicationVersion(QStringLiteral(APP_VERSION));
    QCoreApplication::setOrganizationName(QStringLiteral(ORGANIZATION_NAME));
    QCoreApplication::setOrganizationDomain(QStringLiteral(ORGANIZATION_DOMAIN));

    // A changed assignment takes effect at the next key event.
    connect(m_configCommon, &KConfigCommon::sigKeyValueChange, m_deviceSimulator,
            &KDeviceSimulator::onConfigChange);
    // A device button to its action.
    connect(m_deviceHook, &KDeviceHook::sigKeyDown, m_deviceSimulator,
            &KDeviceSimulator::onKeyDown);
    KDeviceHookUSB::setDriverFixRequest(
        [] { emit KMsgManager::instance()->sigWin7DriverFixDialog(); });

    KNetCommon::instance()->checkOnline();
}

bool AppManager::init() {
    setApplicationFont();
    if (!m_translator)
        m_translator = new QTranslator(this);
    loadLanguage();
    m_funcCommon.buildCatalogue();
    registerQml();
    m_deviceHook->startHookFromWatcher();
    // What the program lacks for its devices, logged and shown on the main page.
    KAccessStatus::instance()->recheck();
    // Every device is let go in order when the program ends: held keys released, grabs ended.
    connect(qApp, &QCoreApplication::aboutToQuit, m_deviceHook, &KDeviceHook::stop);
    return true;
}

void AppManager::setApplicationFont() {
    const int id = QFontDatabase::addApplicationFont(QStringLiteral(APP_FONT));
    const QStringList families =
        id < 0 ? QStringList() : QFontDatabase::applicationFontFamilies(id);
    if (families.isEmpty()) {
        qWarning().noquote() << "application font" << APP_FONT << "unavailable; using the default";
        return;
    }
    QFont font(families.first());
    font.setWeight(50);
    QApplication::setFont(font);
}

bool AppManager::loadLanguage() {
    if (!m_translator)
        m_translator = new QTranslator(this);
    const QString language = m_configCommon->getLanguage();
    const bool loaded = loadTranslation(m_translator, language);
    qInfo().noquote() << "interface language:" << language
                      << (loaded ? "" : "(no translation loaded)");
    QCoreApplication::installTranslator(m_translator);
    return loaded;
}

bool AppManager::loadTranslation(QTranslator* translator, const QString& language) {
    if (language == QLatin1String("zh"))
        return translator->load(QStringLiteral(":/language_zh.qm"));
    if (language == QLatin1String("en"))
        return translator->load(QStringLiteral(":/language_en.qm"));
    return false;
}

void AppManager::registerQmlTypes() {
    const char* uri = "k.tools";
    qmlRegisterType<KNetLogin>(uri, 1, 0, "KNetLogin");
    qmlRegisterType<KNetRegister>(uri, 1, 0, "KNetRegister");
    qmlRegisterType<KNetUpdatePwd>(uri, 1, 0, "KNetUpdatePwd");
    qmlRegisterType<KNetForgotSendEmail>(uri, 1, 0, "KNetForgotSendEmail");
    qmlRegisterType<KNetForgotVerifyCode>(uri, 1, 0, "KNetForgotVerifyCode");
    qmlRegisterType<KNetForgotNewPwd>(uri, 1, 0, "KNetForgotNewPwd");
    qmlRegisterType<KNetUploadConfig>(uri, 1, 0, "KNetUploadConfig");
    qmlRegisterType<KNetDownloadConfig>(uri, 1, 0, "KNetDownloadConfig");
}

void AppManager::registerQml() {
    m_uiManager.init();
    registerQmlTypes();
    QQmlContext* context = m_uiManager.engine()->rootContext();
    context->setContextProperty(QStringLiteral("KMsgManager"), m_msgManager);
    context->setContextProperty(QStringLiteral("KDeviceWatcher"), m_deviceWatcher);
    context->setContextProperty(QStringLiteral("MCPairMutiThread"), &m_pairing);
    context->setContextProperty(QStringLiteral("KUpdater"), &m_updater);
    context->setContextProperty(QStringLiteral("KConfigCommon"), m_configCommon);
    context->setContextProperty(QStringLiteral("KFuncCommon"), &m_funcCommon);
    context->setContextProperty(QStringLiteral("KDeviceHook"), m_deviceHook);
    context->setContextProperty(QStringLiteral("KWinSimulator"), m_winSimulator);
    context->setContextProperty(QStringLiteral("KMouseSensitivity"), &m_mouseSensitivity);
    context->setContextProperty(QStringLiteral("KAccessStatus"), KAccessStatus::instance());
    m_uiManager.load();
}

void AppManager::messageReceived(QString message) {
    qInfo() << "[Info] 同名程序启动发来消息" << message;
    emit m_uiManager.sigSetWindowStatus(true);
}
