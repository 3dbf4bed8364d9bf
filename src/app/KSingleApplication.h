#pragma once

#include <QApplication>
#include <QString>

#include <memory>

class QLocalServer;
class QLockFile;

// The application object with a per-user instance guard keyed by a string. The first copy holds
// a lock file and listens on a local socket, both in the user's private runtime directory; a
// later copy finds the lock held and hands its message to the first copy over the socket.
// A lock left by a crashed copy is recognised as stale and taken over.
class KSingleApplication : public QApplication {
    Q_OBJECT
public:
    KSingleApplication(const QString& id, int& argc, char** argv);
    ~KSingleApplication() override;

    // True when another process of this user holds the identifier.
    bool isRunning() const { return m_running; }
    // Delivers message to the running copy; false when it could not be delivered within timeout
    // milliseconds (or when this process is the running copy).
    bool sendMessage(const QString& message, int timeout);

    QString id() const { return m_id; }
    // The per-user directory holding the lock and the socket.
    static QString runtimeDirectory();
    static QString lockPath(const QString& id);
    static QString socketPath(const QString& id);

signals:
    void messageReceived(const QString& message);

private:
    void startServer();
    void onNewConnection();

    QString m_id;
    bool m_running = false;
    std::unique_ptr<QLockFile> m_lock;
    QLocalServer* m_server = nullptr;
};
