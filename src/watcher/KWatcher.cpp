#include "watcher/KWatcher.h"

#include "watcher/KProcessUtilitys.h"

#include <QCoreApplication>
#include <QDebug>
#include <QThread>

#ifdef Q_OS_WIN
#include <QApplication>
#endif

namespace KWatcher {

QString mainImageName() {
#ifdef Q_OS_WIN
    return QStringLiteral("Pointora.exe");
#else
    return QStringLiteral("Pointora");
#endif
}

QString mainProgramPath(const QString& applicationDir) {
    return applicationDir + QLatin1Char('/') + mainImageName();
}

Steps::Steps()
    : isProcessRunning(&KProcessUtilitys::isProcessRunning),
      killProcess(&KProcessUtilitys::killProcess),
      startProcess(&KProcessUtilitys::startProcess),
      pause([](int milliseconds) { QThread::msleep(static_cast<unsigned long>(milliseconds)); }) {}

void run(const QString& applicationDir, const Steps& steps) {
    const QString imageName = mainImageName();
    const QString driverPath = mainProgramPath(applicationDir);
    qDebug() << "[Info] driverPath:" << driverPath;

    steps.pause(kStartDelayMs);
    for (int pass = 0; pass < kKillPasses; ++pass) {
        if (!steps.isProcessRunning(imageName))
            break;
        qDebug().noquote() << "[Info] close driver : " << imageName;
        steps.killProcess(imageName);
    }
    steps.pause(kSettleMs);

    // A copy that survived every pass keeps running; starting another would only meet it.
    if (!steps.isProcessRunning(imageName))
        steps.startProcess(driverPath);
}

int programMain(int argc, char* argv[]) {
    // No window is ever shown. Windows keeps the widgets application object of a graphical
    // program; elsewhere a core application needs no display, so the watcher also works where
    // no display server can be reached.
#ifdef Q_OS_WIN
    QApplication app(argc, argv);
#else
    QCoreApplication app(argc, argv);
#endif
    KProcessUtilitys::setScopeDirectory(qEnvironmentVariable(kScopeVariable));
    run(QCoreApplication::applicationDirPath());
    return 0;
}

}  // namespace KWatcher
