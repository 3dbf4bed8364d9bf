// Photographs the program's window in every page and dialog: qml_pages_screens OUTPUT_DIR zh|en
// Loads the real root document with the back end of PagesBackend (simulated platform, running
// pointora-cloud), lets PagesHarness.qml prepare each state of its list and saves a PNG of the
// window for each, named <language>_window_<state>.png. Uses a private configuration.

#include "PagesBackend.h"
#include "app/AppManager.h"
#include "app/UIManager.h"
#include "common/ScreenShots.h"
#include "common/TestEnv.h"
#include "config/KConfigCommon.h"

#include <QApplication>
#include <QQmlApplicationEngine>
#include <QQmlComponent>
#include <QQuickWindow>

#include <cstdio>

namespace {

// Assignments that show a variety of labels.
void fillConfiguration(KConfigCommon* config, const QString& language) {
    config->setLanguage(language);
    const QList<QPair<int, int>> values = {{2, 2}, {3, 10}, {4, 30}, {5, 31}, {8, 62}, {9, 42}};
    for (const auto& value : values)
        config->setKeyValueWithKeyType(value.first, value.second);
    config->setMouseKeyNumber(5);
}

}  // namespace

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    QString outDir, language;
    if (!shotArguments(app.arguments(), &outDir, &language))
        return 2;

    TestEnv env;
    env.apply();
    fillConfiguration(KConfigCommon::instance(), language);

    PagesBackend backend;
    if (!backend.startError().isEmpty()) {
        std::fprintf(stderr, "%s\n", qPrintable(backend.startError()));
        return 1;
    }
    AppManager::registerQmlTypes();
    QQmlApplicationEngine engine;
    backend.publish(&engine);
    engine.load(QUrl(QString::fromLatin1(UIManager::ROOT_DOCUMENT)));
    if (engine.rootObjects().isEmpty())
        return 1;
    auto* window = qobject_cast<QQuickWindow*>(engine.rootObjects().first());
    if (!window)
        return 1;
    QQmlComponent harnessComponent(&engine, QUrl::fromLocalFile(PAGES_HARNESS));
    QObject* harness = harnessComponent.create();
    if (!harness) {
        std::fprintf(stderr, "%s\n", qPrintable(harnessComponent.errorString()));
        return 1;
    }
    harness->setProperty("mWindow", QVariant::fromValue<QObject*>(window));
    // The welcome picture grows for a second, then the page of the devices follows.
    settle(1600);

    const int failures = photograph(window, harness, outDir, language + "_window_");
    delete harness;
    return failures == 0 ? 0 : 1;
}
