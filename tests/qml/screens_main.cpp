// Photographs the interface's screens: qml_screens OUTPUT_DIR zh|en
// Loads ScreenHarness.qml with the back-end objects, prepares every screen of its list and saves
// a PNG of the window for each, named <language>_<screen>.png. Uses a private configuration.

#include "QmlBackend.h"
#include "common/TestEnv.h"
#include "config/KConfigCommon.h"

#include <QApplication>
#include <QDir>
#include <QEventLoop>
#include <QQmlApplicationEngine>
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

// Assignments that show a variety of labels and paths.
void fillConfiguration(KConfigCommon* config, const QString& language) {
    config->setLanguage(language);
    const QList<QPair<int, int>> values = {{2, 2},   {3, 10},  {4, 30},  {5, 31},  {6, 33},
                                           {7, 32},  {8, 62},  {9, 42},  {16, 29}, {17, 28},
                                           {20, 61}, {21, 10}, {25, 12}, {26, 11}, {27, 15}};
    for (const auto& value : values)
        config->setKeyValueWithKeyType(value.first, value.second);
    config->setPathByKeyType(8, 3, "/home/user/Documents/report.pdf");
    config->setPathByKeyType(8, 1, "/usr/share/sounds/alert.ogg");
    config->setMouseKeyNumber(5);
}

}  // namespace

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    const QStringList args = app.arguments();
    if (args.size() != 3 || (args[2] != "zh" && args[2] != "en")) {
        std::fprintf(stderr, "usage: qml_screens OUTPUT_DIR zh|en\n");
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

    QmlBackend::registerTypes();
    QmlBackend backend;
    QQmlApplicationEngine engine;
    backend.publish(&engine);
    engine.load(QUrl::fromLocalFile(SCREEN_HARNESS));
    if (engine.rootObjects().isEmpty())
        return 1;
    auto* window = qobject_cast<QQuickWindow*>(engine.rootObjects().first());
    if (!window)
        return 1;
    settle(1000);

    int failures = 0;
    const QStringList shots = window->property("mShots").toStringList();
    for (const QString& shot : shots) {
        QVariant wait;
        QMetaObject::invokeMethod(window, "prepare", Q_RETURN_ARG(QVariant, wait),
                                  Q_ARG(QVariant, shot));
        settle(wait.toInt());
        const QString file = outDir + "/" + language + "_" + shot + ".png";
        if (!window->grabWindow().save(file)) {
            std::fprintf(stderr, "cannot write %s\n", qPrintable(file));
            ++failures;
        } else {
            std::printf("%s\n", qPrintable(file));
        }
    }
    return failures == 0 ? 0 : 1;
}
