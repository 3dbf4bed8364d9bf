// Qt Quick Test runner for the window, pages and dialogs (tst_*.qml in this folder), with the
// program's real back-end objects on the simulated platform and a running pointora-cloud
// (PagesBackend). The configuration lives in a private directory.

#include "PagesBackend.h"
#include "app/AppManager.h"
#include "common/TestEnv.h"

#include <QApplication>
#include <QQmlEngine>
#include <QtQuickTest>

class Setup : public QObject {
    Q_OBJECT
public:
    Setup() {
        env.apply();
        qputenv("POINTORA_SIM_LOG", env.path("sim.log").toUtf8());
    }

public slots:
    void applicationAvailable() {
        backend = new PagesBackend(this);
        if (!backend->startError().isEmpty())
            qFatal("%s", qPrintable(backend->startError()));
        AppManager::registerQmlTypes();
    }
    void qmlEngineAvailable(QQmlEngine* engine) {
        backend->reset();
        backend->publish(engine);
    }

private:
    TestEnv env;
    PagesBackend* backend = nullptr;
};

int main(int argc, char** argv) {
    // The tray icon of the UI manager needs widgets, hence a QApplication.
    QApplication app(argc, argv);
    Setup setup;
    return quick_test_main_with_setup(argc, argv, "pages", QUICK_TEST_SOURCE_DIR, &setup);
}

#include "tst_pages.moc"
