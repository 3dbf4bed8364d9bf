#include "platform/linux/KSwayIpc.h"

#include <QElapsedTimer>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QLocalSocket>

#include <cmath>
#include <cstring>

namespace {

constexpr char kMagic[] = "i3-ipc";
constexpr int kMagicSize = 6;
constexpr int kHeaderSize = kMagicSize + 8;
// An answer larger than this is not sway's (GET_INPUTS of a big desk is a few tens of KiB).
constexpr quint32 kMaxPayload = 16 * 1024 * 1024;

// The pointers in a GET_INPUTS answer that libinput drives, with their acceleration.
QList<double> pointerAccels(const QByteArray& reply) {
    QList<double> accels;
    for (const QJsonValue& value : QJsonDocument::fromJson(reply).array()) {
        const QJsonObject input = value.toObject();
        if (input.value(QStringLiteral("type")).toString() != QLatin1String("pointer"))
            continue;
        const QJsonValue accel =
            input.value(QStringLiteral("libinput")).toObject().value(QStringLiteral("accel_speed"));
        if (accel.isDouble())
            accels << accel.toDouble();
    }
    return accels;
}

}  // namespace

KSwayIpc::KSwayIpc(const QString& socketPath, int timeoutMs)
    : m_socketPath(socketPath), m_timeoutMs(timeoutMs) {}

bool KSwayIpc::request(MessageType type, const QByteArray& payload, QByteArray* reply,
                       QString* error) const {
    if (m_socketPath.isEmpty()) {
        *error = QStringLiteral("SWAYSOCK is not set");
        return false;
    }
    QElapsedTimer clock;
    clock.start();
    const auto remaining = [&] { return std::max(1, m_timeoutMs - int(clock.elapsed())); };

    QLocalSocket socket;
    socket.connectToServer(m_socketPath);
    if (!socket.waitForConnected(remaining())) {
        *error = QStringLiteral("cannot connect to sway's socket %1: %2")
                     .arg(m_socketPath, socket.errorString());
        return false;
    }
    QByteArray message(kMagic, kMagicSize);
    const quint32 header[2] = {quint32(payload.size()), quint32(type)};
    message.append(reinterpret_cast<const char*>(header), sizeof header);
    message.append(payload);
    socket.write(message);
    while (socket.bytesToWrite() > 0) {
        if (!socket.waitForBytesWritten(remaining())) {
            *error = QStringLiteral("sway's socket took no request: %1").arg(socket.errorString());
            return false;
        }
    }

    QByteArray received;
    quint32 length = 0;
    bool haveHeader = false;
    for (;;) {
        received.append(socket.readAll());
        if (!haveHeader && received.size() >= kHeaderSize) {
            quint32 answer[2] = {};
            memcpy(answer, received.constData() + kMagicSize, sizeof answer);
            if (memcmp(received.constData(), kMagic, kMagicSize) != 0 || answer[0] > kMaxPayload ||
                answer[1] != quint32(type)) {
                *error = QStringLiteral("sway's socket gave an answer that is not i3-ipc");
                return false;
            }
            length = answer[0];
            haveHeader = true;
        }
        if (haveHeader && quint32(received.size()) >= kHeaderSize + length)
            break;
        if (clock.elapsed() >= m_timeoutMs || !socket.waitForReadyRead(remaining())) {
            *error = QStringLiteral("sway did not answer within %1 ms").arg(m_timeoutMs);
            return false;
        }
    }
    *reply = received.mid(kHeaderSize, int(length));
    return true;
}

bool KSwayIpc::pointerAccel(double* accel, QString* error) const {
    QByteArray reply;
    if (!request(GetInputs, QByteArray(), &reply, error))
        return false;
    const QList<double> accels = pointerAccels(reply);
    if (accels.isEmpty()) {
        *error = QStringLiteral("sway has no pointer device driven by libinput");
        return false;
    }
    *accel = accels.first();
    return true;
}

bool KSwayIpc::setPointerAccel(double accel, QString* error) const {
    QByteArray reply;
    if (!request(GetInputs, QByteArray(), &reply, error))
        return false;
    if (pointerAccels(reply).isEmpty()) {
        *error = QStringLiteral("sway has no pointer device driven by libinput");
        return false;
    }
    accel = std::max(-1.0, std::min(1.0, accel));
    const QByteArray command =
        "input type:pointer pointer_accel " + QByteArray::number(accel, 'f', 4);
    if (!request(RunCommand, command, &reply, error))
        return false;
    // One result object per command: {"success": true} or {"success": false, "error": "..."}.
    const QJsonArray results = QJsonDocument::fromJson(reply).array();
    if (results.isEmpty()) {
        *error = QStringLiteral("sway gave no result for '%1'").arg(QString::fromLatin1(command));
        return false;
    }
    for (const QJsonValue& value : results) {
        const QJsonObject result = value.toObject();
        if (!result.value(QStringLiteral("success")).toBool()) {
            *error = QStringLiteral("sway refused '%1': %2")
                         .arg(QString::fromLatin1(command),
                              result.value(QStringLiteral("error")).toString());
            return false;
        }
    }
    return true;
}
