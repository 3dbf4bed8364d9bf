#include "app/UIManager.h"

#include "app/KResolution.h"
#include "app/KTranslator.h"

#include <QApplication>
#include <QDebug>
#include <QQmlApplicationEngine>
#include <QQmlContext>
#include <QTimer>

namespace {

// How often the tray host is looked for: cheap (one question to the display server or the
// session bus), and a tray host that starts after the program is noticed within this time.
constexpr int kTrayCheckIntervalMs = 2000;

}  // namespace

UIManager::UIManager(const QUrl& rootDocument, QObject* parent)
    : QObject(parent), m_rootDocument(rootDocument) {
    // The translator's language comes from the configuration store; this is the store's first
    // use, so it resolves its location before the organisation name is set.
    m_translator = new KTranslator(this);
    m_resolution = new KResolution(this);
}

void UIManager::setUpTray() {
    m_tray.setToolTip(tr("Pointora Running..."));
    m_tray.setIcon(QIcon(QStringLiteral("://logo.ico")));
    connect(&m_tray, &KSystemTrayIcon::sigTrayIconClicked, this,
            [this] { emit sigSetWindowStatus(true); });
    m_tray.addAction(
        tr("Show"), [this](QString&) { emit sigSetWindowStatus(true); },
        QIcon(QStringLiteral(":/TrayIcon/TrayIcon-show.png")));
    m_tray.addAction(
        tr("Close"), [this](QString&) { quitProgram(); },
        QIcon(QStringLiteral(":/TrayIcon/TrayIcon-close.png")));
    // Shown even without a tray host: the toolkit puts the icon in as soon as one appears.
    m_tray.show();
    checkTray();
    if (!m_trayTimer) {
        m_trayTimer = new QTimer(this);
        m_trayTimer->setInterval(kTrayCheckIntervalMs);
        connect(m_trayTimer, &QTimer::timeout, this, &UIManager::checkTray);
        m_trayTimer->start();
    }
}

void UIManager::setTrayProbe(std::function<bool()> probe) {
    m_trayProbe = std::move(probe);
}

void UIManager::checkTray() {
    const bool available = m_trayProbe ? m_trayProbe() : QSystemTrayIcon::isSystemTrayAvailable();
    const bool first = !m_trayChecked;
    m_trayChecked = true;
    if (!first && available == m_trayAvailable)
        return;
    m_trayAvailable = available;
    if (available && !first)
        qInfo("[Info] A system tray is available now: closing the window hides it to the tray.");
    else if (!available && first)
        qInfo("[Info] No system tray is available yet: closing the window will end the program.");
    else if (!available)
        qInfo("[Info] The system tray has gone: closing the window will end the program.");
}

bool UIManager::windowClosing() {
    checkTray();  // the answer of now, not of the last look
    if (m_trayAvailable)
        return true;
    qInfo("[Info] The window was closed without a system tray: ending the program.");
    quitProgram();
    return false;
}

void UIManager::quitProgram() {
    m_tray.hide();
    QCoreApplication::exit(0);
}

bool UIManager::init() {
    setUpTray();
    m_application = qobject_cast<QApplication*>(QCoreApplication::instance());
    m_engine = new QQmlApplicationEngine;  // kept until process end
    QQmlContext* context = m_engine->rootContext();
    context->setContextProperty(QStringLiteral("UIManager"), this);
    context->setContextProperty(QStringLiteral("KTranslator"), m_translator);
    context->setContextProperty(QStringLiteral("KLocator"), m_resolution);
    return true;
}

bool UIManager::load() {
    const QUrl root = m_rootDocument;
    QObject::connect(
        m_engine, &QQmlApplicationEngine::objectCreated, QCoreApplication::instance(),
        [root](QObject* object, const QUrl& url) {
            if (!object && url == root)
                QCoreApplication::exit(-1);
        },
        Qt::QueuedConnection);
    m_engine->load(m_rootDocument);
    return true;
}

QString UIManager::urlToLocalFile(const QUrl& url) const {
    return url.isLocalFile() ? url.toLocalFile() : QString();
}
