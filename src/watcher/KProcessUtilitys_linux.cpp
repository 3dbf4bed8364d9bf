#include "watcher/KProcessUtilitys.h"

#include "watcher/KLinuxProcesses.h"

#include <QCoreApplication>
#include <QProcess>
#include <QStringList>

namespace {

// SIGKILL cannot be caught, but a process in uninterruptible sleep ends only when it wakes up;
// the watcher does not wait for it forever.
constexpr int kKillWaitMs = 5000;

QString& scope() {
    static QString directory;
    return directory;
}

}  // namespace

bool KProcessUtilitys::isProcessRunning(QString imageName) {
    return !KLinuxProcesses::find(imageName, scope()).isEmpty();
}

void KProcessUtilitys::killProcess(QString imageName) {
    KLinuxProcesses::killAndWait(KLinuxProcesses::find(imageName, scope()), kKillWaitMs);
}

void KProcessUtilitys::startProcess(QString path) {
    QProcess::startDetached(path, QStringList(), QCoreApplication::applicationDirPath());
}

void KProcessUtilitys::setScopeDirectory(const QString& directory) {
    scope() = directory;
}

QString KProcessUtilitys::scopeDirectory() {
    return scope();
}
