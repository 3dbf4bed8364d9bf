#pragma once

#include <QList>
#include <QString>

// Finding and ending processes through /proc, by the file name of their executable.
namespace KLinuxProcesses {

struct Process {
    qint64 pid = 0;
    // Start time in clock ticks after boot: together with the pid it names one process, so a pid
    // reused by a later process is never mistaken for the one that was found.
    quint64 startTime = 0;
    // Full path of the executable, without the mark of a deleted file.
    QString executable;
};

// The executable path that a /proc/PID/exe link shows, without the " (deleted)" mark the kernel
// adds when the file was removed or replaced after the process started (an update in place).
QString executableFromLink(const QString& link);

// Live processes of the calling process's real user whose executable's file name is exactly
// imageName (case-sensitive). Zombies, processes of other users, processes whose executable
// cannot be read, and the calling process itself are left out. When scopeDir is not empty, only
// executables that lie directly in that directory count. procRoot is /proc except in tests.
QList<Process> find(const QString& imageName, const QString& scopeDir = QString(),
                    const QString& procRoot = QStringLiteral("/proc"));

// True when the process has ended: it is no longer listed, it is a zombie, or its pid now
// belongs to another process.
bool isGone(const Process& process, const QString& procRoot = QStringLiteral("/proc"));

// Sends SIGKILL to every process that is still the one that was found, then waits up to waitMs
// until all of them are gone. Returns true when all are gone.
bool killAndWait(const QList<Process>& processes, int waitMs);

}  // namespace KLinuxProcesses
