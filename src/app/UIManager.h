#pragma once

#include <QObject>
#include <QUrl>

class QApplication;
class QQmlApplicationEngine;

// Owns the QML engine, loads the root document and carries the request to show or hide the
// main window.
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

signals:
    void sigSetWindowStatus(bool status);

private:
    QQmlApplicationEngine* m_engine = nullptr;
    QApplication* m_application = nullptr;
    QUrl m_rootDocument;
};
