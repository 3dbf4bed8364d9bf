#pragma once

#include "net/KNetBase.h"

// Asks the service for the newest version of this program and where to download it. A readable
// answer ends in sigReturnVersion only; a failure ends in sigRequestFinished only.
class KUpdater : public KNetBase {
    Q_OBJECT
public:
    using KNetBase::KNetBase;

    Q_INVOKABLE void getSoftwareVersion();

signals:
    void sigReturnVersion(QString version, QString downloadUrl);

protected:
    void handleReply(QNetworkReply* reply, QByteArray body, int httpStatus) override;
};
