// Photographs the interface's screens: qml_screens OUTPUT_DIR zh|en
// Loads ScreenHarness.qml with the back-end objects, prepares every screen of its list and saves
// a PNG of the window for each, named <language>_<screen>.png. Uses a private configuration.

#include "QmlBackend.h"
#include "common/ScreenShots.h"
#include "common/TestEnv.h"
#include "config/KConfigCommon.h"

#include <QApplication>
#include <QQmlApplicationEngine>
#include <QQuickWindow>

namespace {

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
    QString outDir, language;
    if (!shotArguments(app.arguments(), &outDir, &language))
        return 2;

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

    return photograph(window, window, outDir, language + "_") == 0 ? 0 : 1;
}
