#pragma once

// A tiny HTTP server on 127.0.0.1 for the request frame's tests: it records each request and
// answers it with the next scripted reply (raw bytes), or never answers, or holds it until told to
// answer, or drops the connection.

#include <QByteArray>
#include <QList>
#include <QMap>
#include <QPointer>
#include <QTcpServer>
#include <QTcpSocket>
#include <QTimer>

struct RecordedRequest {
    QByteArray method;
    QByteArray path;
    QList<QPair<QByteArray, QByteArray>> headers;  // as received, names in their own case
    QByteArray body;

    QByteArray header(const QByteArray& name) const {
        for (const auto& header : headers) {
            if (header.first.toLower() == name.toLower())
                return header.second;
        }
        return QByteArray();
    }
    bool hasHeader(const QByteArray& name) const {
        for (const auto& header : headers) {
            if (header.first.toLower() == name.toLower())
                return true;
        }
        return false;
    }
};

class ScriptedServer : public QObject {
public:
    enum class Action { Answer, Hang, Drop, Stream, Hold };
    struct Script {
        Action action = Action::Answer;
        QByteArray response;
        QByteArray chunk;     // Stream: repeated after the response
        int intervalMs = 0;   // Stream: pause between chunks
        qint64 maxBytes = 0;  // Stream: the connection is closed after this much
    };

    ScriptedServer() {
        m_server.listen(QHostAddress::LocalHost, 0);
        QObject::connect(&m_server, &QTcpServer::newConnection, this, [this] {
            while (QTcpSocket* socket = m_server.nextPendingConnection()) {
                socket->setParent(this);
                QObject::connect(socket, &QTcpSocket::readyRead, this,
                                 [this, socket] { read(socket); });
            }
        });
    }

    QString baseUrl() const { return QString("http://127.0.0.1:%1").arg(m_server.serverPort()); }

    // An HTTP/1.1 answer closing the connection, with optional extra header lines.
    static QByteArray http(int status, const QByteArray& body,
                           const QList<QPair<QByteArray, QByteArray>>& extra = {}) {
        QByteArray text = "HTTP/1.1 " + QByteArray::number(status) + " Scripted\r\n";
        text += "Content-Type: application/json\r\n";
        text += "Content-Length: " + QByteArray::number(body.size()) + "\r\n";
        text += "Connection: close\r\n";
        for (const auto& header : extra)
            text += header.first + ": " + header.second + "\r\n";
        return text + "\r\n" + body;
    }

    void answer(const QByteArray& response) {
        m_scripts.append({Action::Answer, response, {}, 0, 0});
    }
    void answer(int status, const QByteArray& body,
                const QList<QPair<QByteArray, QByteArray>>& extra = {}) {
        answer(http(status, body, extra));
    }
    // Sends `head`, then `chunk` again and again (every intervalMs, keeping at most 1 MiB queued)
    // until the client goes away or maxBytes have been sent in all, then closes.
    void stream(const QByteArray& head, const QByteArray& chunk, int intervalMs, qint64 maxBytes) {
        m_scripts.append({Action::Stream, head, chunk, intervalMs, maxBytes});
    }
    // The most any stream sent before it stopped.
    qint64 streamedBytes() const { return m_streamed; }
    void hang() { m_scripts.append({Action::Hang, {}, {}, 0, 0}); }
    void drop() { m_scripts.append({Action::Drop, {}, {}, 0, 0}); }
    // The next request waits until release() answers it.
    void hold() { m_scripts.append({Action::Hold, {}, {}, 0, 0}); }
    // Answers every held request that is still connected; how many were.
    int release(const QByteArray& response) {
        int answered = 0;
        for (QTcpSocket* socket : m_held) {
            if (!socket || socket->state() != QAbstractSocket::ConnectedState)
                continue;
            socket->write(response);
            socket->disconnectFromHost();
            ++answered;
        }
        m_held.clear();
        return answered;
    }

    const QList<RecordedRequest>& requests() const { return m_requests; }

private:
    void read(QTcpSocket* socket) {
        QByteArray& buffer = m_buffers[socket];
        buffer += socket->readAll();
        const int end = buffer.indexOf("\r\n\r\n");
        if (end < 0)
            return;
        RecordedRequest request;
        const QList<QByteArray> lines = buffer.left(end).split('\n');
        const QList<QByteArray> first = lines.value(0).trimmed().split(' ');
        request.method = first.value(0);
        request.path = first.value(1);
        int length = 0;
        for (int i = 1; i < lines.size(); ++i) {
            const int colon = lines[i].indexOf(':');
            if (colon < 0)
                continue;
            const QByteArray name = lines[i].left(colon);
            const QByteArray value = lines[i].mid(colon + 1).trimmed();
            request.headers.append({name, value});
            if (name.toLower() == "content-length")
                length = value.toInt();
        }
        if (buffer.size() < end + 4 + length)
            return;  // the body is still coming
        request.body = buffer.mid(end + 4, length);
        buffer.remove(0, end + 4 + length);
        m_requests.append(request);

        const Script script =
            m_scripts.isEmpty() ? Script{Action::Hang, {}, {}, 0, 0} : m_scripts.takeFirst();
        if (script.action == Action::Answer) {
            socket->write(script.response);
            socket->disconnectFromHost();
        } else if (script.action == Action::Drop) {
            socket->abort();
        } else if (script.action == Action::Stream) {
            startStream(socket, script);
        } else if (script.action == Action::Hold) {
            m_held.append(socket);
        }
    }

    void startStream(QTcpSocket* socket, const Script& script) {
        socket->write(script.response);
        auto* timer = new QTimer(socket);
        auto* sent = new qint64(script.response.size());
        QObject::connect(timer, &QTimer::destroyed, [sent] { delete sent; });
        QObject::connect(timer, &QTimer::timeout, socket, [this, socket, timer, sent, script] {
            if (socket->state() != QAbstractSocket::ConnectedState) {
                timer->stop();
                return;
            }
            if (*sent >= script.maxBytes) {
                timer->stop();
                socket->disconnectFromHost();
                return;
            }
            if (socket->bytesToWrite() < 1024 * 1024) {
                socket->write(script.chunk);
                *sent += script.chunk.size();
                m_streamed = qMax(m_streamed, *sent);
            }
        });
        timer->start(script.intervalMs);
    }

    qint64 m_streamed = 0;
    QTcpServer m_server;
    QMap<QTcpSocket*, QByteArray> m_buffers;
    QList<Script> m_scripts;
    QList<RecordedRequest> m_requests;
    QList<QPointer<QTcpSocket>> m_held;
};
