#include "app/UIManager.h"

#include "app/KResolution.h"
#include "app/KTranslator.h"

#include <QApplication>
#include <QDebug>
#include <QQmlApplicationEngine>
#include <QQmlContext>

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
        tr("Close"),
        [this](QString&) {
            m_tray.hide();
            QCoreApplication::exit(0);
        },
        QIcon(QStringLiteral(":/TrayIcon/TrayIcon-close.png")));
    m_tray.show();
    if (!QSystemTrayIcon::isSystemTrayAvailable()) {
        // Without a tray the window is the only way in: it stays reachable by starting the
        // program again, which shows it.
        qWarning(
            "No system tray is available: the tray icon cannot be shown. Start Pointora "
            "again to bring its window forward.");
    }
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
