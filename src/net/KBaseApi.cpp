#include "net/KBaseApi.h"

#include <QNetworkReply>
#include <QTimer>
#include <QUrl>

namespace {
// Marks a reply that was aborted because its time ran out.
const char* const kTimedOut = "pointoraTimedOut";
}  // namespace

KBaseApi::KBaseApi(QObject* parent) : QObject(parent), m_request(QUrl()) {
    connect(&m_manager, SIGNAL(finished(QNetworkReply*)), this,
            SLOT(serviceRequestFinished(QNetworkReply*)));
}

KBaseApi::~KBaseApi() {
    m_manager.disconnect();
}

void KBaseApi::postRequest(QString url, QByteArray body) {
    m_request.setUrl(QUrl(url, QUrl::TolerantMode));
    QNetworkReply* reply = m_manager.post(m_request, body);

    // The timer belongs to the reply, so it ends with it.
    auto* timer = new QTimer(reply);
    timer->setSingleShot(true);
    connect(timer, &QTimer::timeout, reply, [reply] {
        if (reply->isFinished())
            return;
        reply->setProperty(kTimedOut, true);
        reply->abort();
    });
    timer->start(m_timeoutMs);
}

void KBaseApi::serviceRequestFinished(QNetworkReply* reply) {
    if (reply->property(kTimedOut).toBool()) {
        handleTimeout(reply);
    } else {
        const int httpStatus = reply->attribute(QNetworkRequest::HttpStatusCodeAttribute).toInt();
        const QByteArray body =
            reply->error() == QNetworkReply::NoError ? reply->readAll() : QByteArray();
        handleReply(reply, body, httpStatus);
    }
    reply->deleteLater();
}
