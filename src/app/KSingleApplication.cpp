#include "app/KSingleApplication.h"

#include <QDataStream>
#include <QDeadlineTimer>
#include <QDebug>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLocalServer>
#include <QLocalSocket>
#include <QLockFile>
#include <QStandardPaths>
#include <QStringList>
#include <QSysInfo>
#include <QThread>

#ifndef Q_OS_WIN
#include <fcntl.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>
#include <cerrno>
#include <cstring>
#endif

namespace {

// The socket frames one message as a 32-bit big-endian length and UTF-8 bytes, answered by one
// acknowledgement byte once the message has been handed to the application.
constexpr char kAck = '\x06';
constexpr quint32 kMaxMessageBytes = 64 * 1024;
// Room left in a socket address for "/<name>.socket".
constexpr int kLongestSocketName = 40;

QString safeName(const QString& id) {
    QString name;
    for (const QChar c : id)
        name += (c.isLetterOrNumber() && c.unicode() < 128) || c == '.' || c == '-' || c == '_'
                    ? c
                    : QLatin1Char('_');
    return name.isEmpty() ? QStringLiteral("instance") : name;
}

#ifdef Q_OS_WIN

// A folder of the program's own in the user's temporary folder, which lies in the user's profile
// and carries its access rights.
QString chooseRuntimeDirectory() {
    const QString candidate = QDir::tempPath() + QStringLiteral("/Pointora");
    QString why;
    if (QDir().mkpath(candidate) && KSingleApplication::isPrivateDirectory(candidate, &why))
        return candidate;
    qWarning().noquote() << QStringLiteral(
                                "%1 %2; no folder for the instance lock was found, so a second "
                                "copy will not be detected")
                                .arg(candidate,
                                     why.isEmpty() ? QStringLiteral("cannot be made") : why);
    return QString();
}

#else

QString modeText(mode_t mode) {
    return QStringLiteral("%1").arg(uint(mode & 07777), 4, 8, QLatin1Char('0'));
}

// Creates the last component of path with mode 0700 when it is missing (the parent must exist)
// and reports whether the result is private to the user.
bool makePrivateDirectory(const QString& path, QString* why) {
    if (::mkdir(QFile::encodeName(path).constData(), 0700) != 0 && errno != EEXIST) {
        *why = QStringLiteral("cannot be created: ") + QString::fromLocal8Bit(strerror(errno));
        return false;
    }
    return KSingleApplication::isPrivateDirectory(path, why);
}

bool fitsSocketAddress(const QString& directory) {
    return QFile::encodeName(directory).size() + kLongestSocketName <
           int(sizeof(sockaddr_un::sun_path));
}

QString chooseRuntimeDirectory() {
    QStringList notes;
    QString why;
    const QString session = qEnvironmentVariable("XDG_RUNTIME_DIR");
    if (session.isEmpty()) {
        notes << QStringLiteral("XDG_RUNTIME_DIR is not set");
    } else if (!KSingleApplication::isPrivateDirectory(session, &why)) {
        notes << QStringLiteral("XDG_RUNTIME_DIR %1 is not used: it %2").arg(session, why);
    } else if (!fitsSocketAddress(session)) {
        notes
            << QStringLiteral("XDG_RUNTIME_DIR %1 is not used: its path is too long").arg(session);
    } else {
        return session;
    }

    // A folder of the program's own in the temporary folder, then one in the user's cache
    // (named after the machine, for a home shared between machines). The temporary one can be
    // taken by someone else first; it is then left alone.
    const QString cache = QStandardPaths::writableLocation(QStandardPaths::GenericCacheLocation);
    QStringList candidates{QDir::tempPath() + QStringLiteral("/pointora-") +
                           QString::number(::getuid())};
    if (!cache.isEmpty())
        candidates << cache + QStringLiteral("/Pointora/runtime-") + QSysInfo::machineHostName();
    for (const QString& candidate : candidates) {
        if (!fitsSocketAddress(candidate)) {
            notes << QStringLiteral("%1 is not used: its path is too long").arg(candidate);
            continue;
        }
        QDir().mkpath(QFileInfo(candidate).path());
        if (makePrivateDirectory(candidate, &why)) {
            qWarning().noquote() << notes.join(QStringLiteral("; ")) +
                                        QStringLiteral(
                                            "; the instance lock and socket are kept "
                                            "in %1, a folder private to this user")
                                            .arg(candidate);
            return candidate;
        }
        notes << QStringLiteral("%1 is not used: it %2").arg(candidate, why);
    }
    qWarning().noquote() << notes.join(QStringLiteral("; ")) +
                                QStringLiteral(
                                    "; no private folder for the instance lock was "
                                    "found, so a second copy will not be detected");
    return QString();
}

#endif

}  // namespace

#ifdef Q_OS_WIN

bool KSingleApplication::isPrivateDirectory(const QString& path, QString* why) {
    const QFileInfo info(path);
    QString reason;
    if (info.isSymLink())
        reason = QStringLiteral("is a symbolic link");
    else if (!info.isDir())
        reason = QStringLiteral("is not a folder");
    if (why)
        *why = reason;
    return reason.isEmpty();
}

#else

bool KSingleApplication::isPrivateDirectory(const QString& path, QString* why) {
    QString reason;
    const auto fail = [&](const QString& text) {
        if (why)
            *why = text;
        return false;
    };
    const QByteArray native = QFile::encodeName(path);
    struct stat info = {};
    if (::lstat(native.constData(), &info) != 0)
        return fail(QStringLiteral("cannot be read: ") + QString::fromLocal8Bit(strerror(errno)));
    if (S_ISLNK(info.st_mode))
        return fail(QStringLiteral("is a symbolic link"));
    if (!S_ISDIR(info.st_mode))
        return fail(QStringLiteral("is not a folder"));
    if (info.st_uid != ::getuid())
        return fail(QStringLiteral("belongs to another user (uid %1)").arg(info.st_uid));
    if ((info.st_mode & 077) == 0)
        return true;
    // Others may have put files into a folder they could write: never use it.
    if (info.st_mode & 022)
        return fail(
            QStringLiteral("can be written by other users (mode %1)").arg(modeText(info.st_mode)));
    // Readable by others but written only by the user: tighten it, through a descriptor of the
    // very folder that was checked.
    const int fd = ::open(native.constData(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
    bool tightened = false;
    if (fd >= 0) {
        struct stat again = {};
        tightened =
            ::fstat(fd, &again) == 0 && again.st_uid == ::getuid() && ::fchmod(fd, 0700) == 0;
        ::close(fd);
    }
    if (!tightened)
        return fail(QStringLiteral("can be read by other users (mode %1) and cannot be made "
                                   "private")
                        .arg(modeText(info.st_mode)));
    return true;
}

#endif

QString KSingleApplication::runtimeDirectory() {
    static const QString directory = chooseRuntimeDirectory();
    return directory;
}

QString KSingleApplication::lockPath(const QString& id) {
    return runtimeDirectory() + QLatin1Char('/') + safeName(id) + QStringLiteral(".lock");
}

QString KSingleApplication::socketPath(const QString& id) {
#ifdef Q_OS_WIN
    // A named pipe, whose names are the machine's: the user's name keeps users apart (and the
    // server admits only its own user).
    return safeName(id) + QLatin1Char('-') + safeName(qEnvironmentVariable("USERNAME"));
#else
    return runtimeDirectory() + QLatin1Char('/') + safeName(id) + QStringLiteral(".socket");
#endif
}

KSingleApplication::KSingleApplication(const QString& id, int& argc, char** argv)
    : QApplication(argc, argv), m_id(id) {
    if (runtimeDirectory().isEmpty())
        return;  // reported when the folder was chosen: run unguarded rather than not at all
    m_lock.reset(new QLockFile(lockPath(id)));
    // Stale only when the holder no longer exists; a live holder keeps it however long it runs.
    m_lock->setStaleLockTime(0);
    if (m_lock->tryLock(0)) {
        startServer();
        return;
    }
    if (m_lock->error() == QLockFile::LockFailedError) {
        if (takeOverUnreadableLock()) {
            startServer();
            return;
        }
        m_running = true;
        return;
    }
    // The lock cannot be created at all: better run unguarded than not at all.
    qWarning().noquote() << "single instance: cannot create" << lockPath(id)
                         << "; running without the instance guard";
}

KSingleApplication::~KSingleApplication() {
    if (m_server)
        m_server->close();
    if (m_lock && m_lock->isLocked())
        m_lock->unlock();
}

qint64 KSingleApplication::holderPid() const {
    qint64 pid = 0;
    QString host, application;
    if (!m_lock || !m_lock->getLockInfo(&pid, &host, &application))
        return 0;
    return pid;
}

// The toolkit counts a lock it cannot read (empty, truncated, garbage) as held for ever. Such a
// lock is taken over when nobody answers on the instance socket and no process holds the file
// lock that a writing copy keeps on it (a copy that has just created it and is still writing).
bool KSingleApplication::takeOverUnreadableLock() {
    if (holderPid() != 0)
        return false;  // a readable holder: the toolkit's judgement of it stands
    QLocalSocket probe;
    probe.connectToServer(socketPath(m_id));
    if (probe.waitForConnected(500)) {
        probe.abort();
        return false;
    }
    if (!m_lock->removeStaleLockFile() || !m_lock->tryLock(0))
        return false;
    qWarning().noquote() << "single instance: the lock file" << lockPath(m_id)
                         << "could not be read and no copy answered; it was taken over";
    return true;
}

void KSingleApplication::startServer() {
    const QString path = socketPath(m_id);
    // We hold the lock, so a socket file still there belongs to a copy that has gone.
    QLocalServer::removeServer(path);
    m_server = new QLocalServer(this);
    m_server->setSocketOptions(QLocalServer::UserAccessOption);
    if (!m_server->listen(path)) {
        qWarning().noquote() << "single instance: cannot listen on" << path << ":"
                             << m_server->errorString();
        return;
    }
    connect(m_server, &QLocalServer::newConnection, this, &KSingleApplication::onNewConnection);
}
void KSingleApplication::onNewConnection() {
    while (QLocalSocket* socket = m_server->nextPendingConnection()) {
        connect(socket, &QLocalSocket::disconnected, socket, &QObject::deleteLater);
        connect(socket, &QLocalSocket::readyRead, this, [this, socket] {
            if (socket->property("done").toBool())
                return;
            if (socket->bytesAvailable() < 4)
                return;
            QDataStream header(socket->peek(4));
            quint32 length = 0;
            header >> length;
            if (length > kMaxMessageBytes) {
                socket->abort();
                return;
            }
            if (socket->bytesAvailable() < qint64(4 + length))
                return;
            socket->read(4);
            const QString message = QString::fromUtf8(socket->read(length));
            socket->setProperty("done", true);
            socket->write(&kAck, 1);
            socket->flush();
            emit messageReceived(message);
        });
    }
}

bool KSingleApplication::sendMessage(const QString& message, int timeout) {
    if (!m_running)
        return false;
    QDeadlineTimer deadline(timeout);
    QLocalSocket socket;
    // The running copy may hold the lock but not listen yet: keep trying until the deadline.
    for (;;) {
        socket.connectToServer(socketPath(m_id));
        if (socket.waitForConnected(int(qMax<qint64>(1, deadline.remainingTime()))))
            break;
        if (deadline.hasExpired())
            return false;
        QThread::msleep(50);
        if (deadline.hasExpired())
            return false;
    }
    const QByteArray bytes = message.toUtf8();
    QByteArray frame;
    QDataStream out(&frame, QIODevice::WriteOnly);
    out << quint32(bytes.size());
    frame += bytes;
    socket.write(frame);
    if (!socket.waitForBytesWritten(int(qMax<qint64>(1, deadline.remainingTime()))))
        return false;
    while (socket.bytesAvailable() < 1) {
        if (deadline.hasExpired() ||
            !socket.waitForReadyRead(int(qMax<qint64>(1, deadline.remainingTime()))))
            return false;
    }
    return socket.read(1) == QByteArray(1, kAck);
}
