#pragma once

#include <QByteArray>
#include <QNetworkAccessManager>
#include <QNetworkRequest>
#include <QObject>
#include <QString>

class QNetworkReply;

// Owns the network access of one request object and routes every finished reply to handleReply.
// Every request gets a time-out: a reply that has not finished by then is aborted and reported
// through handleTimeout instead of handleReply.
class KBaseApi : public QObject {
    Q_OBJECT
public:
    static constexpr int DEFAULT_TIMEOUT_MS = 15000;

    explicit KBaseApi(QObject* parent = nullptr);
    ~KBaseApi() override;

    // The time-out of requests posted from now on (tests shorten it).
    void setTimeoutMs(int ms) { m_timeoutMs = ms; }
    int timeoutMs() const { return m_timeoutMs; }

protected:
    void postRequest(QString url, QByteArray body);
    virtual void handleReply(QNetworkReply* reply, QByteArray body, int httpStatus) = 0;
    virtual void handleTimeout(QNetworkReply* reply) = 0;

    QNetworkRequest m_request;
    QNetworkAccessManager m_manager;

private slots:
    void serviceRequestFinished(QNetworkReply* reply);

private:
    int m_timeoutMs = DEFAULT_TIMEOUT_MS;
};
