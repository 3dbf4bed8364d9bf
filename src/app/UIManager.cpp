#include "app/UIManager.h"

#include "config/KConfigCommon.h"

#include <QApplication>
#include <QQmlApplicationEngine>
#include <QQmlContext>

UIManager::UIManager(const QUrl& rootDocument, QObject* parent)
    : QObject(parent), m_rootDocument(rootDocument) {
    // First use of the configuration store: it resolves its location now, before the
    // organisation name is set, so the files live under the application's own name.
    KConfigCommon::instance();
}

bool UIManager::init() {
    m_application = qobject_cast<QApplication*>(QCoreApplication::instance());
    m_engine = new QQmlApplicationEngine;  // kept until process end
    m_engine->rootContext()->setContextProperty(QStringLiteral("UIManager"), this);
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
