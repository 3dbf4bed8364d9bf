#pragma once

#include <QObject>
#include <QString>

// The process operations of the watcher: find, end and start the main program by its image name.
//
// Windows asks the system task list and kill tool and matches the name as a substring of the task
// list's output. Linux reads /proc and matches the executable's whole file name, counting only
// live processes of the watcher's own real user and never the watcher itself.
class KProcessUtilitys : public QObject {
    Q_OBJECT
public:
    using QObject::QObject;

    // True when a process with this image name runs.
    static bool isProcessRunning(QString imageName);
    // Ends every process with this image name by force and waits until they are gone (on Linux
    // for a bounded time).
    static void killProcess(QString imageName);
    // Starts the executable detached, without arguments, with the application directory as its
    // working directory. Failure is not reported.
    static void startProcess(QString path);

    // Linux only: when not empty, only executables that lie directly in this directory are
    // counted and ended. Lets tests run the real watcher without touching copies of the main
    // program that belong to anybody else. Has no effect on Windows.
    static void setScopeDirectory(const QString& directory);
    static QString scopeDirectory();
};
