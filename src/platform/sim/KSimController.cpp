#include "platform/sim/KSimController.h"

#include <QDebug>
#include <QJsonArray>
#include <QJsonDocument>
#include <QLocalServer>
#include <QLocalSocket>
#include <QMutexLocker>

namespace {
// A command line longer than this is refused instead of buffered without end.
constexpr int kMaxLineLength = 4096;
}  // namespace

const QStringList& KSimController::knownDevices() {
    static const QStringList devices = {QStringLiteral("receiver"), QStringLiteral("ble-mouse"),
                                        QStringLiteral("ble-keyboard")};
    return devices;
}

KSimController::Options KSimController::Options::fromEnvironment() {
    Options options;
    if (!qEnvironmentVariableIsSet("POINTORA_SIM_DEVICES")) {
        options.devices = QStringList{QStringLiteral("receiver")};
    } else {
        const QStringList names =
            qEnvironmentVariable("POINTORA_SIM_DEVICES").split(',', Qt::SkipEmptyParts);
        for (QString name : names) {
            name = name.trimmed();
            if (!knownDevices().contains(name)) {
                qWarning().noquote() << "POINTORA_SIM_DEVICES: unknown device" << name
                                     << "(known:" << knownDevices().join(", ") + ")";
                continue;
            }
            if (!options.devices.contains(name))
                options.devices << name;
        }
    }
    options.socketPath = qEnvironmentVariable("POINTORA_SIM_SOCKET");
    options.logPath = qEnvironmentVariable("POINTORA_SIM_LOG");
    return options;
}

QString KSimController::Reply::line() const {
    if (!ok)
        return QStringLiteral("error: ") + text;
    return text.isEmpty() ? QStringLiteral("ok") : QStringLiteral("ok ") + text;
}

bool KSimController::parseNumber(const QString& word, qint64* value) {
    bool ok = false;
    qint64 parsed = 0;
    if (word.startsWith(QLatin1String("0x"), Qt::CaseInsensitive))
        parsed = word.mid(2).toLongLong(&ok, 16);
    else
        parsed = word.toLongLong(&ok, 10);
    if (ok && value)
        *value = parsed;
    return ok;
}

KSimController::KSimController(const Options& options, QObject* parent)
    : QObject(parent), m_options(options), m_devices(options.devices) {
    m_state.insert("masks", QJsonObject{{"mouse", 0}, {"keyboard", 0}});
    m_state.insert("hooks", QJsonArray());
    m_state.insert("pointerSpeed", 10);
    m_state.insert("brightnessSlope", QJsonValue::Null);
    m_state.insert("autorun", false);

    registerCommand("state", [this](const QStringList& args) {
        if (!args.isEmpty())
            return Reply::failure("state takes no arguments");
        return Reply::success(
            QString::fromUtf8(QJsonDocument(state()).toJson(QJsonDocument::Compact)));
    });
    registerCommand("attach", [this](const QStringList& args) {
        if (args.size() != 1)
            return Reply::failure("usage: attach receiver|ble-mouse|ble-keyboard");
        QString error;
        return attach(args.first(), &error) ? Reply::success() : Reply::failure(error);
    });
    registerCommand("detach", [this](const QStringList& args) {
        if (args.size() != 1)
            return Reply::failure("usage: detach receiver|ble-mouse|ble-keyboard");
        QString error;
        return detach(args.first(), &error) ? Reply::success() : Reply::failure(error);
    });
}

KSimController::~KSimController() {
    if (m_server)
        m_server->close();
}

bool KSimController::start() {
    bool ok = true;
    if (!m_options.logPath.isEmpty()) {
        m_logFile.setFileName(m_options.logPath);
        if (!m_logFile.open(QIODevice::WriteOnly | QIODevice::Append)) {
            qWarning().noquote() << "POINTORA_SIM_LOG: cannot open" << m_options.logPath << ":"
                                 << m_logFile.errorString();
            ok = false;
        }
    }
    if (!m_options.socketPath.isEmpty()) {
        m_server = new QLocalServer(this);
        m_server->setSocketOptions(QLocalServer::UserAccessOption);
        QLocalServer::removeServer(m_options.socketPath);  // a socket file left by a crashed run
        if (!m_server->listen(m_options.socketPath)) {
            qWarning().noquote() << "POINTORA_SIM_SOCKET: cannot listen on" << m_options.socketPath
                                 << ":" << m_server->errorString();
            ok = false;
        } else {
            connect(m_server, &QLocalServer::newConnection, this, &KSimController::onNewConnection);
        }
    }
    for (const QString& device : m_devices)
        log(QJsonObject{{"kind", "device"}, {"device", device}, {"event", "present"}});
    return ok;
}

bool KSimController::isListening() const {
    return m_server && m_server->isListening();
}

bool KSimController::attach(const QString& device, QString* error) {
    if (!knownDevices().contains(device)) {
        if (error)
            *error = QStringLiteral("unknown device '%1'").arg(device);
        return false;
    }
    if (m_devices.contains(device)) {
        if (error)
            *error = QStringLiteral("%1 is already attached").arg(device);
        return false;
    }
    m_devices << device;
    log(QJsonObject{{"kind", "device"}, {"device", device}, {"event", "attach"}});
    emit deviceAttached(device);
    return true;
}

bool KSimController::detach(const QString& device, QString* error) {
    if (!knownDevices().contains(device)) {
        if (error)
            *error = QStringLiteral("unknown device '%1'").arg(device);
        return false;
    }
    if (!m_devices.removeOne(device)) {
        if (error)
            *error = QStringLiteral("%1 is not attached").arg(device);
        return false;
    }
    log(QJsonObject{{"kind", "device"}, {"device", device}, {"event", "detach"}});
    emit deviceDetached(device);
    return true;
}

void KSimController::log(const QJsonObject& event) {
    QMutexLocker lock(&m_logMutex);
    if (!m_logFile.isOpen())
        return;
    m_logFile.write(QJsonDocument(event).toJson(QJsonDocument::Compact));
    m_logFile.write("\n");
    m_logFile.flush();
}

void KSimController::setState(const QString& key, const QJsonValue& value) {
    m_state.insert(key, value);
}

QJsonObject KSimController::state() const {
    QJsonObject state = m_state;
    state.insert("devices", QJsonArray::fromStringList(m_devices));
    return state;
}

void KSimController::registerCommand(const QString& verb, CommandHandler handler) {
    m_commands.insert(verb, std::move(handler));
}

KSimController::Reply KSimController::execute(const QString& line) {
    QString trimmed = line;
    while (trimmed.endsWith('\r') || trimmed.endsWith('\n'))
        trimmed.chop(1);
    if (trimmed.trimmed().isEmpty())
        return Reply::failure("empty command");
    const QStringList words = trimmed.split(' ');
    if (words.contains(QString()))
        return Reply::failure("words must be separated by single spaces");
    const auto handler = m_commands.constFind(words.first());
    if (handler == m_commands.cend())
        return Reply::failure(QStringLiteral("unknown command '%1'").arg(words.first()));
    return handler.value()(words.mid(1));
}

void KSimController::onNewConnection() {
    while (QLocalSocket* socket = m_server->nextPendingConnection()) {
        connect(socket, &QLocalSocket::disconnected, socket, &QObject::deleteLater);
        connect(socket, &QLocalSocket::readyRead, this, [this, socket] { onReadyRead(socket); });
    }
}

void KSimController::onReadyRead(QLocalSocket* socket) {
    while (socket->canReadLine()) {
        const QString line = QString::fromUtf8(socket->readLine());
        socket->write(execute(line).line().toUtf8() + '\n');
    }
    if (socket->bytesAvailable() > kMaxLineLength) {
        socket->write(Reply::failure("command line too long").line().toUtf8() + '\n');
        socket->readAll();
    }
    socket->flush();
}
