#pragma once

// A tiny HTTP server on 127.0.0.1 for the request frame's tests: it records each request and
// answers it with the next scripted reply (raw bytes), or never answers, or drops the connection.

#include <QByteArray>
#include <QList>
#include <QMap>
#include <QTcpServer>
#include <QTcpSocket>

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
    enum class Action { Answer, Hang, Drop };
    struct Script {
        Action action = Action::Answer;
        QByteArray response;
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

    void answer(const QByteArray& response) { m_scripts.append({Action::Answer, response}); }
    void answer(int status, const QByteArray& body,
                const QList<QPair<QByteArray, QByteArray>>& extra = {}) {
        answer(http(status, body, extra));
    }
    void hang() { m_scripts.append({Action::Hang, {}}); }
    void drop() { m_scripts.append({Action::Drop, {}}); }

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
            m_scripts.isEmpty() ? Script{Action::Hang, {}} : m_scripts.takeFirst();
        if (script.action == Action::Answer) {
            socket->write(script.response);
            socket->disconnectFromHost();
        } else if (script.action == Action::Drop) {
            socket->abort();
        }
    }

    QTcpServer m_server;
    QMap<QTcpSocket*, QByteArray> m_buffers;
    QList<Script> m_scripts;
    QList<RecordedRequest> m_requests;
};
