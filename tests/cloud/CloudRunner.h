#pragma once

// Starts the real pointora-cloud (from POINTORA_BIN_DIR) on a free loopback port for a test, and
// stops it again. The service prints "pointora-cloud listening on URL" once it accepts requests.
// A test's data folder stands for its store: with SQLite the folder itself, with PostgreSQL (see
// PgTestStore.h) a database of its own, with the outbox in the folder either way.

#include <QCryptographicHash>
#include <QDir>
#include <QProcess>
#include <QRegularExpression>
#include <QtTest>

#include <signal.h>

#include <functional>

// How a data folder becomes the service's store options; unset: SQLite in the folder (see
// PgTestStore.h for PostgreSQL).
inline std::function<QStringList(const QString&)>& storageOverride() {
    static std::function<QStringList(const QString&)> override;
    return override;
}

// The options that give the service its store and outbox for dataDir.
inline QStringList storageArguments(const QString& dataDir) {
    if (storageOverride())
        return storageOverride()(dataDir);
    return {"--data", dataDir};
}

class CloudRunner {
public:
    CloudRunner() = default;
    ~CloudRunner() { stop(); }
    CloudRunner(const CloudRunner&) = delete;
    CloudRunner& operator=(const CloudRunner&) = delete;

    static QString program() {
        return qEnvironmentVariable("POINTORA_BIN_DIR") + "/pointora-cloud";
    }

    // Starts the service with its data in dataDir. False (with the reason in error()) when it did
    // not come up within ten seconds.
    bool start(const QString& dataDir, const QStringList& extra = {}) {
        return launch(dataDir, extra) && waitUntilUp();
    }

    // start() in two steps, so that several services can start at the same time.
    bool launch(const QString& dataDir, const QStringList& extra = {}) {
        stop();
        m_process.setProgram(program());
        m_process.setArguments(QStringList{"--listen", "127.0.0.1:0", "--quiet"} +
                               storageArguments(dataDir) + extra);
        m_process.setProcessChannelMode(QProcess::ForwardedErrorChannel);
        m_process.start();
        if (!m_process.waitForStarted(5000)) {
            m_error = m_process.errorString();
            return false;
        }
        return true;
    }
    bool waitUntilUp() {
        QDeadlineTimer deadline(10000);
        while (!m_process.canReadLine() && !deadline.hasExpired() &&
               m_process.state() == QProcess::Running)
            m_process.waitForReadyRead(100);
        const QString line = QString::fromUtf8(m_process.readLine()).trimmed();
        const QRegularExpressionMatch match =
            QRegularExpression("listening on (https?://127\\.0\\.0\\.1:(\\d+))$").match(line);
        if (!match.hasMatch()) {
            m_error = "no start-up line, got: " + line;
            stop();
            return false;
        }
        m_baseUrl = match.captured(1);
        m_port = match.captured(2).toInt();
        return true;
    }

    // SIGKILL: the service ends at once, in the middle of whatever it was doing.
    void kill() {
        if (m_process.state() == QProcess::NotRunning)
            return;
        ::kill(static_cast<pid_t>(m_process.processId()), SIGKILL);
        m_process.waitForFinished(5000);
    }

    // SIGTERM, as a service manager would; returns the exit code (-1 when it had to be killed).
    int stop() {
        if (m_process.state() == QProcess::NotRunning)
            return m_process.exitCode();
        ::kill(static_cast<pid_t>(m_process.processId()), SIGTERM);
        if (!m_process.waitForFinished(5000)) {
            m_process.kill();
            m_process.waitForFinished(5000);
            return -1;
        }
        return m_process.exitStatus() == QProcess::NormalExit ? m_process.exitCode() : -1;
    }

    qint64 pid() const { return m_process.processId(); }
    QString baseUrl() const { return m_baseUrl; }
    int port() const { return m_port; }
    QString error() const { return m_error; }

private:
    QProcess m_process;
    QString m_baseUrl;
    int m_port = 0;
    QString m_error;
};

// The file of the last mail to address: "<address>.txt", or for an address of over 200 bytes
// its first 180 bytes, "~" and the first 16 hex digits of its SHA-256.
inline QString outboxPath(const QString& dataDir, const QString& address) {
    const QByteArray bytes = address.toUtf8();
    const QString name =
        bytes.size() <= 200
            ? address
            : QString::fromUtf8(bytes.left(180)) + "~" +
                  QCryptographicHash::hash(bytes, QCryptographicHash::Sha256).toHex().left(16);
    return dataDir + "/outbox/" + name + ".txt";
}

// The verification code of the last recovery mail to address, "" when there is none.
inline QString outboxCode(const QString& dataDir, const QString& address) {
    QFile file(outboxPath(dataDir, address));
    if (!file.open(QIODevice::ReadOnly))
        return QString();
    const QRegularExpressionMatch match = QRegularExpression("verification code is (\\d{4})\\.")
                                              .match(QString::fromUtf8(file.readAll()));
    return match.captured(1);
}

// A self-signed certificate for 127.0.0.1 made with the openssl tool; false when it failed.
inline bool makeCertificate(const QString& dir, QString* certPath, QString* keyPath) {
    *certPath = dir + "/cert.pem";
    *keyPath = dir + "/key.pem";
    QProcess openssl;
    openssl.start("openssl",
                  {"req", "-x509", "-newkey", "ec", "-pkeyopt", "ec_paramgen_curve:prime256v1",
                   "-nodes", "-days", "2", "-subj", "/CN=127.0.0.1", "-addext",
                   "subjectAltName=IP:127.0.0.1", "-keyout", *keyPath, "-out", *certPath});
    return openssl.waitForFinished(30000) && openssl.exitStatus() == QProcess::NormalExit &&
           openssl.exitCode() == 0;
}
