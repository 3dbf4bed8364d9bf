#include "net/KNetLogin.h"

#include "config/KConfigCommon.h"

#include <QNetworkReply>

void KNetLogin::login(QString email, QString password) {
    QJsonObject body;
    body.insert("email", email);
    body.insert("password", password);
    sendRequest(ApiLogin, body);
}

void KNetLogin::handleReply(QNetworkReply* reply, QByteArray body, int /*httpStatus*/) {
    int code = -1;
    QString msg;
    QJsonObject data;
    if (!readEnvelope(reply, body, &code, &msg, &data))
        return;  // nickname and token stay as they were
    KConfigCommon* config = KConfigCommon::instance();
    config->setNickName(data.value("nickname").toString());
    // The header name is compared byte for byte: "authorization" is not the token.
    QString token;
    for (const QNetworkReply::RawHeaderPair& header : reply->rawHeaderPairs()) {
        if (header.first == "Authorization") {
            token = QString::fromUtf8(header.second);
            break;
        }
    }
    config->setToken(token);
    emit sigRequestFinished(code, msg);
}
