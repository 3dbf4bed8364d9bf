#include "PagesBackend.h"

#include "app/AppManager.h"
#include "app/KConstants.h"
#include "app/KMsgManager.h"
#include "app/KResolution.h"
#include "app/KTranslator.h"
#include "app/UIManager.h"
#include "cloud/CloudRunner.h"
#include "common/SimDevices.h"
#include "config/KConfigCommon.h"
#include "device/KAccessStatus.h"
#include "device/KDeviceHook.h"
#include "device/KDeviceWatcher.h"
#include "net/KNetCommon.h"
#include "net/KNetLogin.h"
#include "net/KNetRegister.h"
#include "platform/KHookDriver.h"
#include "platform/KPlatform.h"
#include "platform/sim/KSimController.h"
#include "simulation/KWinSimulator.h"

#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QEventLoop>
#include <QFile>
#include <QJsonDocument>
#include <QJsonObject>
#include <QQmlContext>
#include <QQmlEngine>
#include <QRegularExpression>
#include <QTimer>

namespace {

KSimController* sim() {
    KSimController* controller = KPlatform::instance()->simController();
    Q_ASSERT_X(controller, "PagesBackend", "needs POINTORA_PLATFORM=sim");
    return controller;
}

}  // namespace

PagesBackend::PagesBackend(QObject* parent) : QObject(parent) {
    connect(&m_service, &QProcess::readyReadStandardError, this, &PagesBackend::readServiceLog);
    if (startService({})) {
        qputenv("POINTORA_ONLINE_HOST", "127.0.0.1");
        KNetCommon::instance()->checkOnline();
        QDeadlineTimer deadline(5000);
        while (!KNetCommon::instance()->isOnline() && !deadline.hasExpired())
            QCoreApplication::processEvents(QEventLoop::AllEvents, 50);
        if (!KNetCommon::instance()->isOnline())
            m_error = "the program does not see the service online";
    }

    // The program's own wiring and start-up steps, without loading its root document.
    m_app = AppManager::instance();
    QCoreApplication::setApplicationName(QStringLiteral(APP_NAME));
    AppManager::setApplicationFont();
    m_app->loadLanguage();
    m_app->funcCommon()->buildCatalogue();
    KDeviceHook::instance()->startHookFromWatcher();
    KAccessStatus::instance()->recheck();
}

PagesBackend::~PagesBackend() {
    stopService();
}

UIManager* PagesBackend::uiManager() const {
    return m_app->uiManager();
}

bool PagesBackend::startService(const QStringList& extra) {
    stopService();
    m_service.setProgram(CloudRunner::program());
    m_service.setArguments(QStringList{"--listen", "127.0.0.1:0", "--data", m_data.path()} + extra);
    m_service.start();
    if (!m_service.waitForStarted(5000)) {
        m_error = "pointora-cloud did not start: " + m_service.errorString();
        return false;
    }
    QDeadlineTimer deadline(10000);
    while (!m_service.canReadLine() && !deadline.hasExpired() &&
           m_service.state() == QProcess::Running)
        m_service.waitForReadyRead(100);
    const QString line = QString::fromUtf8(m_service.readLine()).trimmed();
    const QRegularExpressionMatch match =
        QRegularExpression("listening on (http://127\\.0\\.0\\.1:\\d+)$").match(line);
    if (!match.hasMatch()) {
        m_error = "pointora-cloud gave no start-up line, got: " + line;
        stopService();
        return false;
    }
    qputenv("POINTORA_SERVICE_URL", match.captured(1).toUtf8());
    m_error.clear();
    return true;
}

void PagesBackend::stopService() {
    if (m_service.state() == QProcess::NotRunning)
        return;
    // Killed outright: a graceful stop waits for the program's keep-alive connections to time
    // out, and the service's database keeps every finished request anyway.
    m_service.kill();
    m_service.waitForFinished(5000);
    readServiceLog();
}

// Access log lines of the service: "2026-12-09T00:34:57Z 127.0.0.1 POST /v1/user/login 200 0.6ms".
void PagesBackend::readServiceLog() {
    m_logBuffer += m_service.readAllStandardError();
    static const QRegularExpression request("^\\S+Z \\S+ POST (\\S+) \\d{3} \\S+$");
    int end;
    while ((end = m_logBuffer.indexOf('\n')) >= 0) {
        const QString line = QString::fromUtf8(m_logBuffer.left(end));
        m_logBuffer.remove(0, end + 1);
        const QRegularExpressionMatch match = request.match(line);
        if (match.hasMatch())
            ++m_requests[match.captured(1)];
        else
            qWarning().noquote() << line;
    }
}

void PagesBackend::publish(QQmlEngine* engine) {
    QQmlContext* context = engine->rootContext();
    UIManager* ui = m_app->uiManager();
    // The window's tests run as with a tray host: closing hides the window.
    ui->setTrayProbe([] { return true; });
    context->setContextProperty("UIManager", ui);
    context->setContextProperty("KTranslator", ui->translator());
    context->setContextProperty("KLocator", ui->resolution());
    context->setContextProperty("KMsgManager", KMsgManager::instance());
    context->setContextProperty("KDeviceWatcher", KDeviceWatcher::instance());
    context->setContextProperty("MCPairMutiThread", m_app->pairing());
    context->setContextProperty("KUpdater", m_app->updater());
    context->setContextProperty("KConfigCommon", KConfigCommon::instance());
    context->setContextProperty("KFuncCommon", m_app->funcCommon());
    context->setContextProperty("KDeviceHook", KDeviceHook::instance());
    context->setContextProperty("KWinSimulator", KWinSimulator::instance());
    context->setContextProperty("KMouseSensitivity", m_app->mouseSensitivity());
    context->setContextProperty("KAccessStatus", KAccessStatus::instance());
    context->setContextProperty("PagesBackend", this);
}

void PagesBackend::setDevices(bool receiver, bool bleMouse, bool bleKeyboard) {
    setSimDevices(receiver, bleMouse, bleKeyboard);
}

void PagesBackend::refuseDevice(const QString& node, const QString& name, int reason) {
    emit KPlatform::instance()->hookDriver()->deviceRefused(node, name, reason);
}

QString PagesBackend::simCommand(const QString& line) {
    return sim()->execute(line).line();
}

QVariantList PagesBackend::simLog() const {
    QVariantList events;
    QFile file(qEnvironmentVariable("POINTORA_SIM_LOG"));
    if (!file.open(QIODevice::ReadOnly))
        return events;
    for (const QByteArray& line : file.readAll().split('\n')) {
        const QJsonObject event = QJsonDocument::fromJson(line).object();
        if (!event.isEmpty())
            events.append(event.toVariantMap());
    }
    return events;
}

int PagesBackend::requestCount(const QString& path) const {
    const_cast<PagesBackend*>(this)->readServiceLog();
    return m_requests.value(path);
}

QString PagesBackend::outboxCode(const QString& address) const {
    return ::outboxCode(m_data.path(), address);
}

namespace {

// Sends one request and waits (up to ten seconds) for its result code; -2 when none came.
template <typename Request, typename Send>
int resultOf(Send send) {
    Request request;
    int result = -2;
    QEventLoop loop;
    QObject::connect(&request, &Request::sigRequestFinished, &loop, [&](int code, const QString&) {
        result = code;
        loop.quit();
    });
    QTimer::singleShot(10000, &loop, &QEventLoop::quit);
    send(request);
    if (result == -2)
        loop.exec();
    return result;
}

}  // namespace

int PagesBackend::createAccount(const QString& nickName, const QString& email,
                                const QString& password) {
    return resultOf<KNetRegister>(
        [&](KNetRegister& request) { request.registerUser(nickName, email, password, password); });
}

int PagesBackend::logIn(const QString& email, const QString& password) {
    return resultOf<KNetLogin>([&](KNetLogin& request) { request.login(email, password); });
}

void PagesBackend::setAccount(const QString& nickName, const QString& token) {
    KConfigCommon::instance()->setNickName(nickName);
    KConfigCommon::instance()->setToken(token);
}

bool PagesBackend::setLatestVersion(const QString& version, const QString& downloadUrl) {
    return startService({"--latest-version", version, "--download-url", downloadUrl});
}

bool PagesBackend::blockFunctionSettings(bool blocked) {
    const QString path = KConfigCommon::instance()->deviceFunctionPath();
    if (blocked)
        return QFile::remove(path) && QDir().mkpath(path);
    return !QFileInfo(path).isDir() || QDir(path).removeRecursively();
}

void PagesBackend::reset() {
    KConfigCommon* config = KConfigCommon::instance();
    blockFunctionSettings(false);
    config->resetFunctionConfig();
    config->clearUserInfo();
    config->setLanguage("zh");
    config->setDeclinedVersion("");
    config->setCurentKeyType(0);
    KDeviceHook::instance()->dismissDeviceNotice();
    KWinSimulator::instance()->dismissFunctionNotice();
    config->dismissSaveNotice();
    simCommand("desktop x11");
    for (const char* what : {"uinput", "receiver", "ble-mouse", "ble-keyboard", "rule"})
        simCommand(QStringLiteral("access allow ") + QLatin1String(what));
    setDevices(true, false, false);
    KAccessStatus::instance()->recheck();
}
