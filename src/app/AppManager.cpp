#include "app/AppManager.h"

#include "app/KConstants.h"
#include "app/KMsgManager.h"
#include "app/KResources.h"
#include "config/KConfigCommon.h"
#include "device/KDeviceHook.h"
#include "device/KDeviceWatcher.h"
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

AppManager* AppManager::instance() {
    static AppManager* manager = new AppManager;  // lives until process end
    return manager;
}

AppManager::AppManager() : QObject(nullptr) {
    initPointoraResources();
    m_platform = KPlatform::instance();
    m_deviceWatcher = KDeviceWatcher::instance();
    m_configCommon = KConfigCommon::instance();
    m_deviceHook = KDeviceHook::instance();
    m_deviceSimulator = KDeviceSimulator::instance();
    m_winSimulator = KWinSimulator::instance();
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
}

bool AppManager::init() {
    setApplicationFont();
    if (!m_translator)
        m_translator = new QTranslator(this);
    loadLanguage();
    m_funcCommon.buildCatalogue();
    registerQml();
    m_deviceHook->startHookFromWatcher();
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
    const bool loaded = loadTranslation(m_translator, m_configCommon->getLanguage());
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

void AppManager::registerQml() {
    m_uiManager.init();
    QQmlContext* context = m_uiManager.engine()->rootContext();
    context->setContextProperty(QStringLiteral("KMsgManager"), m_msgManager);
    context->setContextProperty(QStringLiteral("KDeviceWatcher"), m_deviceWatcher);
    context->setContextProperty(QStringLiteral("KConfigCommon"), m_configCommon);
    context->setContextProperty(QStringLiteral("KFuncCommon"), &m_funcCommon);
    context->setContextProperty(QStringLiteral("KDeviceHook"), m_deviceHook);
    m_uiManager.load();
}

void AppManager::messageReceived(QString message) {
    qInfo() << "[Info] 同名程序启动发来消息" << message;
    emit m_uiManager.sigSetWindowStatus(true);
}
