#pragma once

#include "app/KSystemTrayIcon.h"

#include <QObject>
#include <QUrl>

class QApplication;
class QQmlApplicationEngine;
class KTranslator;
class KResolution;

// Owns the QML engine, the tray icon and the interface helpers; loads the root document and
// carries the request to show or hide the main window.
class UIManager : public QObject {
    Q_OBJECT
public:
    static constexpr const char* ROOT_DOCUMENT = "qrc:/Common/UIMain.qml";

    explicit UIManager(const QUrl& rootDocument = QUrl(QString::fromLatin1(ROOT_DOCUMENT)),
                       QObject* parent = nullptr);

    bool init();
    bool load();
    QQmlApplicationEngine* engine() const { return m_engine; }
    QUrl rootDocument() const { return m_rootDocument; }
    KTranslator* translator() const { return m_translator; }
    KResolution* resolution() const { return m_resolution; }
    KSystemTrayIcon* trayIcon() { return &m_tray; }

    // The local file path of a URL chosen in a file dialog ("" when it is not a local file).
    Q_INVOKABLE QString urlToLocalFile(const QUrl& url) const;

signals:
    void sigSetWindowStatus(bool status);

private:
    void setUpTray();

    QQmlApplicationEngine* m_engine = nullptr;
    QApplication* m_application = nullptr;
    QUrl m_rootDocument;
    KTranslator* m_translator = nullptr;
    KResolution* m_resolution = nullptr;
    KSystemTrayIcon m_tray;
};
