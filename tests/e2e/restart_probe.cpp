// Stands in for the main program in the restart test: it records each start, asks for a restart
// through the window and system actions once, and then runs until it is ended.

#include "simulation/KWinSimulator.h"

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QTimer>

int main(int argc, char* argv[]) {
    QApplication app(argc, argv);
    const QString dir = QCoreApplication::applicationDirPath();
    QFile starts(dir + "/starts.log");
    if (starts.open(QIODevice::Append)) {
        starts.write(QByteArray::number(QCoreApplication::applicationPid()) + "\n");
        starts.close();
    }
    QFile marker(dir + "/restart-requested");
    if (!marker.exists() && marker.open(QIODevice::WriteOnly)) {
        marker.write(KWinSimulator::instance()->restartApplication() ? "true" : "false");
        marker.close();
    }
    QTimer::singleShot(60000, &app, &QCoreApplication::quit);  // never outlive the test
    return app.exec();
}
