#pragma once

#include "app/KSystemTrayIcon.h"

#include <QObject>
#include <QUrl>

#include <functional>

class QApplication;
class QQmlApplicationEngine;
class QTimer;
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

    // The user closes the main window. With a tray host the window only hides and the program
    // stays in the tray (true). Without one nothing else could end the program, so it ends as
    // through the tray's "Close" (false).
    Q_INVOKABLE bool windowClosing();
    // Ends the program as the tray's "Close" does: the icon goes, the event loop ends with 0.
    void quitProgram();
    // Whether a tray host showed the icon at the last look (looked at every few seconds, as the
    // toolkit tells nobody when a tray host comes or goes).
    bool isTrayAvailable() const { return m_trayAvailable; }
    // Replaces the question put to the toolkit (tests); empty restores it.
    void setTrayProbe(std::function<bool()> probe);

signals:
    void sigSetWindowStatus(bool status);

private:
    void setUpTray();
    void checkTray();

    QQmlApplicationEngine* m_engine = nullptr;
    QApplication* m_application = nullptr;
    QUrl m_rootDocument;
    KTranslator* m_translator = nullptr;
    KResolution* m_resolution = nullptr;
    KSystemTrayIcon m_tray;
    std::function<bool()> m_trayProbe;
    QTimer* m_trayTimer = nullptr;
    bool m_trayAvailable = false;
    bool m_trayChecked = false;
};
