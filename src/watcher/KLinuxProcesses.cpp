#include "watcher/KLinuxProcesses.h"

#include <QDeadlineTimer>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QThread>

#include <sys/syscall.h>
#include <sys/types.h>
#include <unistd.h>
#include <cerrno>
#include <climits>
#include <csignal>

namespace KLinuxProcesses {

namespace {

const QLatin1String kDeletedMark(" (deleted)");

struct StatFields {
    char state = 0;
    quint64 startTime = 0;
};

QByteArray readProcFile(const QString& path) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return QByteArray();
    return file.readAll();
}

// /proc/PID/stat: "pid (comm) state ppid ...". comm may hold spaces and parentheses, so the
// fields are counted from the last ')'. The state is field 3 and the start time field 22.
bool readStat(const QString& procRoot, qint64 pid, StatFields* fields) {
    const QByteArray stat =
        readProcFile(procRoot + QLatin1Char('/') + QString::number(pid) + QLatin1String("/stat"));
    const int close = stat.lastIndexOf(')');
    if (close < 0)
        return false;
    const QList<QByteArray> rest = stat.mid(close + 1).simplified().split(' ');
    constexpr int kStartTimeIndex = 22 - 3;
    if (rest.size() <= kStartTimeIndex || rest.at(0).size() != 1)
        return false;
    bool ok = false;
    fields->state = rest.at(0).at(0);
    fields->startTime = rest.at(kStartTimeIndex).toULongLong(&ok);
    return ok;
}

// The real user id: the first number of the "Uid:" line of /proc/PID/status.
bool readRealUid(const QString& procRoot, qint64 pid, uid_t* uid) {
    const QByteArray status =
        readProcFile(procRoot + QLatin1Char('/') + QString::number(pid) + QLatin1String("/status"));
    for (const QByteArray& line : status.split('\n')) {
        if (!line.startsWith("Uid:"))
            continue;
        const QList<QByteArray> ids = line.mid(4).simplified().split(' ');
        bool ok = false;
        const qulonglong value = ids.value(0).toULongLong(&ok);
        if (!ok)
            return false;
        *uid = static_cast<uid_t>(value);
        return true;
    }
    return false;
}

QString readExeLink(const QString& procRoot, qint64 pid) {
    const QByteArray path = QFile::encodeName(procRoot + QLatin1Char('/') + QString::number(pid) +
                                              QLatin1String("/exe"));
    char buffer[PATH_MAX];
    const ssize_t length = ::readlink(path.constData(), buffer, sizeof(buffer));
    if (length <= 0 || static_cast<size_t>(length) >= sizeof(buffer))
        return QString();
    return QFile::decodeName(QByteArray(buffer, static_cast<int>(length)));
}

bool isEnded(char state) {
    return state == 'Z' || state == 'X' || state == 'x';
}

QString canonicalDirectory(const QString& directory) {
    const QString canonical = QDir(directory).canonicalPath();
    return canonical.isEmpty() ? QDir::cleanPath(QDir(directory).absolutePath()) : canonical;
}

int openPidfd(qint64 pid) {
#ifdef SYS_pidfd_open
    return static_cast<int>(::syscall(SYS_pidfd_open, static_cast<pid_t>(pid), 0));
#else
    Q_UNUSED(pid);
    errno = ENOSYS;
    return -1;
#endif
}

void signalKill(int pidfd, qint64 pid) {
#ifdef SYS_pidfd_send_signal
    if (pidfd >= 0) {
        ::syscall(SYS_pidfd_send_signal, pidfd, SIGKILL, nullptr, 0);
        return;
    }
#else
    Q_UNUSED(pidfd);
#endif
    ::kill(static_cast<pid_t>(pid), SIGKILL);
}

}  // namespace

QString executableFromLink(const QString& link) {
    if (link.endsWith(kDeletedMark))
        return link.left(link.size() - kDeletedMark.size());
    return link;
}

QList<Process> find(const QString& imageName, const QString& scopeDir, const QString& procRoot) {
    QList<Process> found;
    if (imageName.isEmpty() || imageName.contains(QLatin1Char('/')))
        return found;
    const QString scope = scopeDir.isEmpty() ? QString() : canonicalDirectory(scopeDir);
    const qint64 self = ::getpid();
    const uid_t user = ::getuid();

    const QStringList entries = QDir(procRoot).entryList(QDir::Dirs | QDir::NoDotAndDotDot);
    for (const QString& entry : entries) {
        bool numeric = false;
        const qint64 pid = entry.toLongLong(&numeric);
        if (!numeric || pid <= 0 || pid == self)
            continue;
        // Kernel threads, zombies and processes of others that we may not read have no readable
        // link.
        const QString link = readExeLink(procRoot, pid);
        if (link.isEmpty())
            continue;
        const QString executable = executableFromLink(link);
        const QFileInfo info(executable);
        if (info.fileName() != imageName)
            continue;
        if (!scope.isEmpty() && info.path() != scope)
            continue;
        uid_t owner = 0;
        if (!readRealUid(procRoot, pid, &owner) || owner != user)
            continue;
        StatFields stat;
        if (!readStat(procRoot, pid, &stat) || isEnded(stat.state))
            continue;
        found.append(Process{pid, stat.startTime, executable});
    }
    return found;
}

bool isGone(const Process& process, const QString& procRoot) {
    StatFields stat;
    if (!readStat(procRoot, process.pid, &stat))
        return true;
    return stat.startTime != process.startTime || isEnded(stat.state);
}

bool killAndWait(const QList<Process>& processes, int waitMs) {
    for (const Process& process : processes) {
        // A pidfd pins the process: once it is open and the pid still shows the process that was
        // found, the signal cannot reach a later process that reused the pid.
        // Without one (an old kernel, no free descriptor) the plain kill is used.
        const int pidfd = openPidfd(process.pid);
        if (pidfd < 0 && errno == ESRCH)
            continue;  // already gone
        if (!isGone(process))
            signalKill(pidfd, process.pid);
        if (pidfd >= 0)
            ::close(pidfd);
    }

    const QDeadlineTimer deadline(waitMs);
    for (;;) {
        bool allGone = true;
        for (const Process& process : processes) {
            if (!isGone(process)) {
                allGone = false;
                break;
            }
        }
        if (allGone)
            return true;
        if (deadline.hasExpired())
            return false;
        QThread::msleep(10);
    }
}

}  // namespace KLinuxProcesses
