#pragma once

// A throw-away PostgreSQL server for the tests and benchmarks: Debian's programs from
// /usr/lib/postgresql/VERSION/bin, a cluster in a new folder under the temporary folder, listening
// on a free loopback port (and a socket in that folder), removed again by stop(). PostgreSQL
// refuses to run as root, so as root it runs as the user "postgres" (or "nobody").
// Connections over TCP need the password of the role "pointora", so that tests can check that the
// service never shows it.

#include <libpq-fe.h>

#include <QByteArray>
#include <QDir>
#include <QFile>
#include <QProcess>
#include <QRandomGenerator>
#include <QString>
#include <QStringList>

#include <netinet/in.h>
#include <pwd.h>
#include <sys/socket.h>
#include <unistd.h>

#include <algorithm>
#include <cstdlib>

class PgServer {
public:
    PgServer() = default;
    ~PgServer() { stop(); }
    PgServer(const PgServer&) = delete;
    PgServer& operator=(const PgServer&) = delete;

    // The folder of the newest installed PostgreSQL's programs, empty when there is none.
    static QString binDir() {
        QDir lib("/usr/lib/postgresql");
        QStringList versions = lib.entryList(QDir::Dirs | QDir::NoDotAndDotDot);
        std::sort(versions.begin(), versions.end(),
                  [](const QString& a, const QString& b) { return a.toDouble() > b.toDouble(); });
        for (const QString& version : versions) {
            const QString bin = lib.filePath(version + "/bin");
            if (QFile::exists(bin + "/initdb") && QFile::exists(bin + "/pg_ctl") &&
                QFile::exists(bin + "/postgres"))
                return bin;
        }
        return QString();
    }

    // Creates and starts the cluster. False with the reason in *error.
    bool start(QString* error) {
        m_bin = binDir();
        if (m_bin.isEmpty()) {
            *error = "no PostgreSQL programs in /usr/lib/postgresql/*/bin";
            return false;
        }
        QByteArray root = QDir::tempPath().toLocal8Bit() + "/pointora-pg-XXXXXX";
        if (!::mkdtemp(root.data())) {
            *error = "cannot create a folder for the cluster";
            return false;
        }
        m_root = QString::fromLocal8Bit(root);
        if (::geteuid() == 0) {
            const passwd* user = ::getpwnam("postgres");
            if (!user)
                user = ::getpwnam("nobody");
            if (!user) {
                *error = "running as root, and there is neither a user postgres nor nobody";
                return false;
            }
            m_uid = user->pw_uid;
            m_gid = user->pw_gid;
            if (::chown(root.constData(), m_uid, m_gid) != 0) {
                *error = "cannot give " + m_root + " to the PostgreSQL user";
                return false;
            }
        }
        m_password = "pw" + QString::number(QRandomGenerator::global()->generate64(), 16);
        QFile pwfile(m_root + "/pwfile");
        if (!pwfile.open(QIODevice::WriteOnly) || pwfile.write(m_password.toUtf8() + "\n") < 0) {
            *error = "cannot write the password file";
            return false;
        }
        pwfile.close();
        if (m_uid != 0 && ::chown(qPrintable(pwfile.fileName()), m_uid, m_gid) != 0) {
            *error = "cannot give the password file to the PostgreSQL user";
            return false;
        }
        QString output;
        if (!run("initdb",
                 {"-D", dataDir(), "-U", "pointora", "--pwfile=" + pwfile.fileName(),
                  "--auth-local=trust", "--auth-host=scram-sha-256", "-E", "UTF8", "--locale=C",
                  "--no-sync"},
                 &output)) {
            *error = "initdb failed: " + output;
            return false;
        }
        // A port that was free a moment ago may be taken in between: a few tries.
        for (int attempt = 0; attempt < 3; ++attempt) {
            m_port = freePort();
            if (m_port > 0 && startServer(&output))
                return true;
        }
        *error = "the PostgreSQL server did not start: " + output;
        return false;
    }

    // Stops the server at once and removes its folder.
    void stop() {
        if (m_root.isEmpty())
            return;
        stopServer();
        QDir(m_root).removeRecursively();
        m_root.clear();
    }

    // Ends the server (every connection breaks) and starts it again on the same port.
    bool stopServer() {
        QString output;
        return run("pg_ctl", {"-D", dataDir(), "-m", "fast", "-w", "-t", "30", "stop"}, &output);
    }
    bool startServer(QString* output = nullptr) {
        QString ignored;
        return run("pg_ctl",
                   {"-D", dataDir(), "-l", m_root + "/server.log", "-w", "-t", "30", "-o",
                    QString("-p %1 -k %2 -c listen_addresses=127.0.0.1 -c fsync=off"
                            " -c synchronous_commit=off -c full_page_writes=off"
                            " -c max_connections=300")
                        .arg(m_port)
                        .arg(m_root),
                    "start"},
                   output ? output : &ignored);
    }

    int port() const { return m_port; }
    QString password() const { return m_password; }
    QString url(const QString& database) const {
        return QString("postgresql://pointora:%1@127.0.0.1:%2/%3")
            .arg(m_password)
            .arg(m_port)
            .arg(database);
    }

    // Runs SQL (one or more statements) in database; false with the reason in *error.
    bool exec(const QString& database, const QString& sql, QString* error = nullptr,
              QString* firstValue = nullptr) {
        PGconn* connection = PQconnectdb(url(database).toUtf8().constData());
        bool ok = PQstatus(connection) == CONNECTION_OK;
        QString message = QString::fromUtf8(PQerrorMessage(connection));
        if (ok) {
            PGresult* result = PQexec(connection, sql.toUtf8().constData());
            const ExecStatusType status = PQresultStatus(result);
            ok = status == PGRES_COMMAND_OK || status == PGRES_TUPLES_OK;
            message = QString::fromUtf8(PQresultErrorMessage(result));
            if (ok && firstValue)
                *firstValue = PQntuples(result) > 0 && PQnfields(result) > 0
                                  ? QString::fromUtf8(PQgetvalue(result, 0, 0))
                                  : QString();
            PQclear(result);
        }
        PQfinish(connection);
        if (!ok && error)
            *error = message;
        return ok;
    }
    // The first column of the first row of a query, "" when there is none or it failed.
    QString value(const QString& database, const QString& sql) {
        QString result;
        exec(database, sql, nullptr, &result);
        return result;
    }
    bool createDatabase(const QString& name, QString* error = nullptr) {
        return exec("postgres", "CREATE DATABASE " + name, error);
    }

private:
    QString dataDir() const { return m_root + "/data"; }

    // Runs one of the PostgreSQL programs, as the PostgreSQL user when running as root.
    bool run(const QString& program, const QStringList& arguments, QString* output) {
        QProcess process;
        process.setProcessChannelMode(QProcess::MergedChannels);
        process.setWorkingDirectory(m_root);
        const QString path = m_bin + "/" + program;
        if (m_uid != 0) {
            process.start("setpriv",
                          QStringList{"--reuid", QString::number(m_uid), "--regid",
                                      QString::number(m_gid), "--clear-groups", "--", path} +
                              arguments);
        } else {
            process.start(path, arguments);
        }
        const bool finished = process.waitForFinished(60000);
        *output = QString::fromLocal8Bit(process.readAll()).trimmed();
        if (!finished)
            process.kill();
        return finished && process.exitStatus() == QProcess::NormalExit && process.exitCode() == 0;
    }

    static int freePort() {
        const int fd = ::socket(AF_INET, SOCK_STREAM, 0);
        sockaddr_in address{};
        address.sin_family = AF_INET;
        address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        socklen_t length = sizeof address;
        int port = 0;
        if (::bind(fd, reinterpret_cast<sockaddr*>(&address), sizeof address) == 0 &&
            ::getsockname(fd, reinterpret_cast<sockaddr*>(&address), &length) == 0)
            port = ntohs(address.sin_port);
        ::close(fd);
        return port;
    }

    QString m_bin;
    QString m_root;
    QString m_password;
    int m_port = 0;
    uid_t m_uid = 0;
    gid_t m_gid = 0;
};
