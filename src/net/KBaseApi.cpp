#include "net/KBaseApi.h"

#include <QNetworkReply>
#include <QTimer>
#include <QUrl>

namespace {
// Marks a reply that was aborted because its time ran out.
const char* const kTimedOut = "pointoraTimedOut";
// Marks a reply that was aborted because of what it carried (holds the Refusal).
const char* const kRefused = "pointoraRefused";
// The size cap in force when the reply was posted.
const char* const kLimit = "pointoraLimit";
}  // namespace

KBaseApi::KBaseApi(QObject* parent) : QObject(parent), m_request(QUrl()) {
    // Redirects are not followed: the body of a 3xx answer is never taken for the service's.
    m_request.setAttribute(QNetworkRequest::RedirectPolicyAttribute,
                           QNetworkRequest::ManualRedirectPolicy);
    // Asking for the plain form yourself turns off the transparent decompression, whose output
    // would not be bounded by the size cap (a small compressed answer can inflate to gigabytes).
    m_request.setRawHeader("Accept-Encoding", "identity");
    connect(&m_manager, SIGNAL(finished(QNetworkReply*)), this,
            SLOT(serviceRequestFinished(QNetworkReply*)));
}

KBaseApi::~KBaseApi() {
    m_manager.disconnect();
}

void KBaseApi::postRequest(QString url, QByteArray body) {
    m_request.setUrl(QUrl(url, QUrl::TolerantMode));
    QNetworkReply* reply = m_manager.post(m_request, body);
    reply->setProperty(kLimit, m_maxReplyBytes);
    if (++m_inFlight == 1)
        emit busyChanged();
    watchReply(reply);

    // The timer belongs to the reply, so it ends with it. It is never restarted: it bounds the
    // whole exchange, however slowly the bytes arrive.
    auto* timer = new QTimer(reply);
    timer->setSingleShot(true);
    connect(timer, &QTimer::timeout, reply, [reply] {
        if (reply->isFinished() || reply->property(kRefused).isValid())
            return;
        reply->setProperty(kTimedOut, true);
        reply->abort();
    });
    timer->start(m_timeoutMs);
}

void KBaseApi::watchReply(QNetworkReply* reply) {
    // Bounds what Qt buffers for the reply between two reads.
    reply->setReadBufferSize(64 * 1024);
    m_bodies.insert(reply, QByteArray());

    connect(reply, &QNetworkReply::metaDataChanged, this, [this, reply] {
        const qint64 limit = reply->property(kLimit).toLongLong();
        const QVariant length = reply->header(QNetworkRequest::ContentLengthHeader);
        const QByteArray encoding = reply->rawHeader("Content-Encoding").trimmed().toLower();
        if (length.isValid() && length.toLongLong() > limit)
            refuse(reply, Refusal::TooLarge);
        else if (!encoding.isEmpty() && encoding != "identity")
            refuse(reply, Refusal::Encoded);
    });
    connect(reply, &QNetworkReply::readyRead, this, [this, reply] {
        if (reply->property(kRefused).isValid())
            return;
        const qint64 limit = reply->property(kLimit).toLongLong();
        auto it = m_bodies.find(reply);
        if (it == m_bodies.end())
            return;
        // Reads at most one byte past the limit, so that an overlong answer is seen as such
        // without ever holding more than the limit.
        const QByteArray chunk = reply->read(limit + 1 - it->size());
        it->append(chunk);
        if (it->size() > limit)
            refuse(reply, Refusal::TooLarge);
    });
}

void KBaseApi::refuse(QNetworkReply* reply, Refusal why) {
    if (reply->property(kRefused).isValid() || reply->property(kTimedOut).toBool())
        return;
    reply->setProperty(kRefused, static_cast<int>(why));
    m_bodies.remove(reply);
    reply->abort();
}

void KBaseApi::serviceRequestFinished(QNetworkReply* reply) {
    if (m_inFlight > 0 && --m_inFlight == 0)
        emit busyChanged();
    QByteArray body = m_bodies.take(reply);
    const int httpStatus = reply->attribute(QNetworkRequest::HttpStatusCodeAttribute).toInt();
    if (reply->property(kTimedOut).toBool()) {
        handleTimeout(reply);
    } else if (reply->property(kRefused).isValid()) {
        handleRefused(reply, static_cast<Refusal>(reply->property(kRefused).toInt()));
    } else if (httpStatus >= 300 && httpStatus < 400) {
        handleRefused(reply, Refusal::Redirected);
    } else {
        if (reply->error() == QNetworkReply::NoError) {
            const qint64 limit = reply->property(kLimit).toLongLong();
            body += reply->read(limit + 1 - body.size());
            if (body.size() > limit) {
                handleRefused(reply, Refusal::TooLarge);
                reply->deleteLater();
                return;
            }
        } else {
            body.clear();
        }
        handleReply(reply, body, httpStatus);
    }
    reply->deleteLater();
}
