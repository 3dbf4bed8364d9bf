// Qt Quick Test runner for the interface's widgets and screens (tst_*.qml in this folder). Every
// engine gets the back-end objects of QmlBackend (simulated platform, scripted cloud service); the
// configuration lives in a private directory.

#include "QmlBackend.h"
#include "common/TestEnv.h"

#include <QApplication>
#include <QDeadlineTimer>
#include <QQmlEngine>
#include <QtQuickTest>

class Setup : public QObject {
    Q_OBJECT
public:
    Setup() { env.apply(); }

public slots:
    void applicationAvailable() {
        backend = new QmlBackend(this);
        QmlBackend::registerTypes();
        // The online check of the scripted service answers at once (a loopback address).
        QDeadlineTimer deadline(5000);
        while (!backend->isOnline() && !deadline.hasExpired())
            QCoreApplication::processEvents(QEventLoop::AllEvents, 50);
    }
    void qmlEngineAvailable(QQmlEngine* engine) {
        backend->reset();
        backend->publish(engine);
    }

private:
    TestEnv env;
    QmlBackend* backend = nullptr;
};

int main(int argc, char** argv) {
    // The tray icon of the UI manager needs widgets, hence a QApplication.
    QApplication app(argc, argv);
    Setup setup;
    return quick_test_main_with_setup(argc, argv, "qml", QUICK_TEST_SOURCE_DIR, &setup);
}

#include "tst_qml.moc"
