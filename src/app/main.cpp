#include "app/AppManager.h"
#include "app/KConstants.h"
#include "app/KLog.h"
#include "app/KSingleApplication.h"

#include <QStringList>

int main(int argc, char* argv[]) {
    QCoreApplication::setAttribute(Qt::AA_EnableHighDpiScaling, true);

    QStringList arguments;
    for (int i = 0; i < argc; ++i)
        arguments << (argv[i] ? QString::fromLocal8Bit(argv[i]) : QString());
    KLog::installFromArguments(arguments);

    // The settings location and the lock file follow the program's name, not the file's name.
    QCoreApplication::setApplicationName(QStringLiteral(APP_NAME));
    KSingleApplication app(QStringLiteral(APP_INSTANCE_ID), argc, argv);
    if (app.isRunning()) {
        app.sendMessage(QStringLiteral(APP_INSTANCE_ID), 2000);
        return 0;
    }
    // The program lives in the tray: hiding or closing its window does not end it.
    app.setQuitOnLastWindowClosed(false);

    AppManager* manager = AppManager::instance();
    QObject::connect(&app, &KSingleApplication::messageReceived, manager,
                     &AppManager::messageReceived);
    if (!manager->init())
        return 0;
    return app.exec();
}
