#pragma once

#include <QApplication>
#include <QString>

#include <memory>

class QLocalServer;
class QLockFile;

// The application object with a per-user instance guard keyed by a string. The first copy holds
// a lock file and listens on a local socket, both in a folder private to the user; a later copy
// finds the lock held and hands its message to the first copy over the socket.
// A lock left by a crashed copy, or one whose content cannot be read and behind which nobody
// answers, is recognised as stale and taken over.
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
    // The process named in the lock held by the running copy (0 when it cannot be read).
    qint64 holderPid() const;
    // The per-user folder holding the lock and the socket, chosen once per process: the
    // session's XDG_RUNTIME_DIR when it is private to the user, else a private folder of the
    // program's own. Empty when no private folder can be had (the program then runs unguarded).
    static QString runtimeDirectory();
    static QString lockPath(const QString& id);
    static QString socketPath(const QString& id);

    // Whether path is a folder that only this user can reach: a real folder (not a symbolic
    // link) owned by the user with no rights for group or others. A folder of the user's that
    // others can read but not write is tightened to 0700 first. why receives the reason when not.
    static bool isPrivateDirectory(const QString& path, QString* why = nullptr);

signals:
    void messageReceived(const QString& message);

private:
    void startServer();
    void onNewConnection();
    bool takeOverUnreadableLock();

    QString m_id;
    bool m_running = false;
    std::unique_ptr<QLockFile> m_lock;
    QLocalServer* m_server = nullptr;
};
