#pragma once

#include "net/KNetBase.h"

// Logs in. Whatever the service's code, a readable answer stores the nickname of its "data" and
// the token of its "Authorization" response header (empty when missing, which logs the user out).
class KNetLogin : public KNetBase {
    Q_OBJECT
public:
    using KNetBase::KNetBase;

    Q_INVOKABLE void login(QString email, QString password);

protected:
    void handleReply(QNetworkReply* reply, QByteArray body, int httpStatus) override;
};
