// Photographs the program's window in every page and dialog: qml_pages_screens OUTPUT_DIR zh|en
// Loads the real root document with the back end of PagesBackend (simulated platform, running
// pointora-cloud), lets PagesHarness.qml prepare each state of its list and saves a PNG of the
// window for each, named <language>_window_<state>.png. Uses a private configuration.

#include "PagesBackend.h"
#include "app/UIManager.h"
#include "common/TestEnv.h"
#include "config/KConfigCommon.h"

#include <QApplication>
#include <QDir>
#include <QEventLoop>
#include <QQmlApplicationEngine>
#include <QQmlComponent>
#include <QQuickWindow>
#include <QTimer>
#include <QVariant>

#include <cstdio>

namespace {

void settle(int ms) {
    QEventLoop loop;
    QTimer::singleShot(ms, &loop, &QEventLoop::quit);
    loop.exec();
}

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
    const QStringList args = app.arguments();
    if (args.size() != 3 || (args[2] != "zh" && args[2] != "en")) {
        std::fprintf(stderr, "usage: qml_pages_screens OUTPUT_DIR zh|en\n");
        return 2;
    }
    const QString outDir = args[1];
    const QString language = args[2];
    if (!QDir().mkpath(outDir)) {
        std::fprintf(stderr, "cannot create %s\n", qPrintable(outDir));
        return 1;
    }

    TestEnv env;
    env.apply();
    fillConfiguration(KConfigCommon::instance(), language);

    PagesBackend backend;
    if (!backend.startError().isEmpty()) {
        std::fprintf(stderr, "%s\n", qPrintable(backend.startError()));
        return 1;
    }
    PagesBackend::registerTypes();
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

    int failures = 0;
    const QStringList shots = harness->property("mShots").toStringList();
    for (const QString& shot : shots) {
        QVariant wait;
        QMetaObject::invokeMethod(harness, "prepare", Q_RETURN_ARG(QVariant, wait),
                                  Q_ARG(QVariant, shot));
        settle(wait.toInt());
        const QString file = outDir + "/" + language + "_window_" + shot + ".png";
        if (!window->grabWindow().save(file)) {
            std::fprintf(stderr, "cannot write %s\n", qPrintable(file));
            ++failures;
        } else {
            std::printf("%s\n", qPrintable(file));
        }
    }
    delete harness;
    return failures == 0 ? 0 : 1;
}
