#pragma once

#include <QFile>
#include <QHash>
#include <QJsonObject>
#include <QMutex>
#include <QObject>
#include <QStringList>

#include <functional>

class QLocalServer;
class QLocalSocket;

// The outside face of the simulated system:
//  - the devices present (POINTORA_SIM_DEVICES at start, then attach/detach commands);
//  - a command socket (POINTORA_SIM_SOCKET), one command per line, one answer line each:
//    "ok" optionally followed by data, or "error: <reason>";
//  - an event log (POINTORA_SIM_LOG), one JSON object per line, flushed per line;
//  - the simulated system's state (the "state" command), which backends keep up to date.
// Backends register further commands and state fields; the core knows only devices and state.
class KSimController : public QObject {
    Q_OBJECT
public:
    struct Options {
        QStringList devices;
        QString socketPath;
        QString logPath;
        // Reads POINTORA_SIM_DEVICES (unset: "receiver"; empty: none), POINTORA_SIM_SOCKET and
        // POINTORA_SIM_LOG. Unknown device names are reported and skipped.
        static Options fromEnvironment();
    };

    // Answer to one command: the text after "ok " or after "error: ".
    struct Reply {
        bool ok = true;
        QString text;
        static Reply success(const QString& data = QString()) { return {true, data}; }
        static Reply failure(const QString& reason) { return {false, reason}; }
        QString line() const;
    };
    using CommandHandler = std::function<Reply(const QStringList& args)>;

    static const QStringList& knownDevices();
    // Decimal or 0x-hex; false when the word is neither.
    static bool parseNumber(const QString& word, qint64* value);

    explicit KSimController(const Options& options, QObject* parent = nullptr);
    ~KSimController() override;

    // Opens the log and starts listening on the socket, when they are configured.
    bool start();
    bool isListening() const;

    QStringList attachedDevices() const { return m_devices; }
    bool isAttached(const QString& device) const { return m_devices.contains(device); }
    bool attach(const QString& device, QString* error = nullptr);
    bool detach(const QString& device, QString* error = nullptr);

    // Appends one JSON object as one line of the event log. Safe from any thread.
    void log(const QJsonObject& event);

    // A field of the "state" answer; backends keep theirs current.
    void setState(const QString& key, const QJsonValue& value);
    QJsonObject state() const;

    // Adds (or replaces) the handler of a command verb.
    void registerCommand(const QString& verb, CommandHandler handler);
    // Runs one command line as the socket would.
    Reply execute(const QString& line);

signals:
    void deviceAttached(const QString& device);
    void deviceDetached(const QString& device);

private:
    void onNewConnection();
    void onReadyRead(QLocalSocket* socket);

    Options m_options;
    QStringList m_devices;
    QJsonObject m_state;
    QHash<QString, CommandHandler> m_commands;
    QLocalServer* m_server = nullptr;
    QFile m_logFile;
    mutable QMutex m_logMutex;
};
