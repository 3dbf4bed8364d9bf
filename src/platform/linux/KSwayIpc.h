#pragma once

#include <QByteArray>
#include <QString>

// A client of sway's IPC socket ($SWAYSOCK; the i3 protocol: "i3-ipc", payload length and
// message type as native 32-bit integers, then the JSON payload). Every request opens the
// socket, waits for the answer at most the given time and closes it again. Main thread only.
class KSwayIpc {
public:
    enum MessageType : quint32 { RunCommand = 0, GetInputs = 100 };

    explicit KSwayIpc(const QString& socketPath, int timeoutMs = 1000);

    // One request; reply gets the answer's payload. False with a reason on any failure.
    bool request(MessageType type, const QByteArray& payload, QByteArray* reply,
                 QString* error) const;

    // libinput's acceleration (-1..1) of the first pointer sway has; false when it has none.
    bool pointerAccel(double* accel, QString* error) const;
    // Sets the acceleration of every pointer. False when sway has no pointer (the command would
    // only be stored for pointers to come) or refused the command.
    bool setPointerAccel(double accel, QString* error) const;

private:
    QString m_socketPath;
    int m_timeoutMs;
};
