#include "app/KSingleApplication.h"

#include <QDataStream>
#include <QDeadlineTimer>
#include <QDebug>
#include <QDir>
#include <QFile>
#include <QLocalServer>
#include <QLocalSocket>
#include <QLockFile>
#include <QStandardPaths>
#include <QThread>

namespace {

// The socket frames one message as a 32-bit big-endian length and UTF-8 bytes, answered by one
// acknowledgement byte once the message has been handed to the application.
constexpr char kAck = '\x06';
constexpr quint32 kMaxMessageBytes = 64 * 1024;

QString safeName(const QString& id) {
    QString name;
    for (const QChar c : id)
        name += (c.isLetterOrNumber() && c.unicode() < 128) || c == '.' || c == '-' || c == '_'
                    ? c
                    : QLatin1Char('_');
    return name.isEmpty() ? QStringLiteral("instance") : name;
}

}  // namespace

QString KSingleApplication::runtimeDirectory() {
    // XDG_RUNTIME_DIR (or Qt's private per-user fallback): owned by the user, mode 0700.
    QString directory = QStandardPaths::writableLocation(QStandardPaths::RuntimeLocation);
    if (directory.isEmpty())
        directory = QDir::tempPath() + QStringLiteral("/runtime-") + qEnvironmentVariable("USER");
    QDir().mkpath(directory);
    QFile::setPermissions(directory, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    return directory;
}

QString KSingleApplication::lockPath(const QString& id) {
    return runtimeDirectory() + QLatin1Char('/') + safeName(id) + QStringLiteral(".lock");
}

QString KSingleApplication::socketPath(const QString& id) {
    return runtimeDirectory() + QLatin1Char('/') + safeName(id) + QStringLiteral(".socket");
}

KSingleApplication::KSingleApplication(const QString& id, int& argc, char** argv)
    : QApplication(argc, argv), m_id(id), m_lock(new QLockFile(lockPath(id))) {
    // Stale only when the holder no longer exists; a live holder keeps it however long it runs.
    m_lock->setStaleLockTime(0);
    if (m_lock->tryLock(0)) {
        startServer();
        return;
    }
    if (m_lock->error() == QLockFile::LockFailedError) {
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
