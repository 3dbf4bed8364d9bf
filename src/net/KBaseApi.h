#pragma once

#include <QByteArray>
#include <QHash>
#include <QNetworkAccessManager>
#include <QNetworkRequest>
#include <QObject>
#include <QString>

class QNetworkReply;

// Owns the network access of one request object and routes every finished reply to handleReply.
// Every request gets a time-out covering the whole exchange (a server that answers slowly byte by
// byte runs into it too): a reply that has not finished by then is aborted and reported through
// handleTimeout instead of handleReply. Answers are bounded: a reply announcing or delivering more
// than maxReplyBytes, a compressed reply (none is asked for) and a redirect (never followed) are
// aborted and reported through handleRefused; no such reply reaches handleReply.
class KBaseApi : public QObject {
    Q_OBJECT
    // True while a request of this object waits for its answer: the interface shows the pressed
    // button as busy and does not let it be pressed again. It turns false before the result is
    // reported, so a handler may send the next request at once.
    Q_PROPERTY(bool busy READ busy NOTIFY busyChanged)
public:
    static constexpr int DEFAULT_TIMEOUT_MS = 15000;
    static constexpr qint64 DEFAULT_MAX_REPLY_BYTES = 4 * 1024 * 1024;

    // Why a reply was refused.
    enum class Refusal { TooLarge, Encoded, Redirected };

    explicit KBaseApi(QObject* parent = nullptr);
    ~KBaseApi() override;

    // The time-out of requests posted from now on (tests shorten it).
    void setTimeoutMs(int ms) { m_timeoutMs = ms; }
    int timeoutMs() const { return m_timeoutMs; }
    // The largest answer accepted, in bytes, for requests posted from now on.
    void setMaxReplyBytes(qint64 bytes) { m_maxReplyBytes = bytes; }
    qint64 maxReplyBytes() const { return m_maxReplyBytes; }
    bool busy() const { return m_inFlight > 0; }

signals:
    void busyChanged();

protected:
    void postRequest(QString url, QByteArray body);
    virtual void handleReply(QNetworkReply* reply, QByteArray body, int httpStatus) = 0;
    virtual void handleTimeout(QNetworkReply* reply) = 0;
    virtual void handleRefused(QNetworkReply* reply, Refusal why) = 0;

    QNetworkRequest m_request;
    QNetworkAccessManager m_manager;

private slots:
    void serviceRequestFinished(QNetworkReply* reply);

private:
    void watchReply(QNetworkReply* reply);
    void refuse(QNetworkReply* reply, Refusal why);

    int m_timeoutMs = DEFAULT_TIMEOUT_MS;
    qint64 m_maxReplyBytes = DEFAULT_MAX_REPLY_BYTES;
    int m_inFlight = 0;
    // What has arrived of each reply in flight, read as it comes so that the cap is enforced on
    // the bytes themselves and not only on what the server announced.
    QHash<QNetworkReply*, QByteArray> m_bodies;
};
