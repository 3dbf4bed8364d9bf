#pragma once

#include "net/KNetBase.h"

// Asks the service for the newest version of this program and where to download it. A readable
// answer ends in sigReturnVersion only; a failure ends in sigRequestFinished only.
class KUpdater : public KNetBase {
    Q_OBJECT
public:
    using KNetBase::KNetBase;

    Q_INVOKABLE void getSoftwareVersion();
    // True when version is a dotted version of decimal numbers ("1.2.10") newer than
    // ownVersion. Components compare as numbers and missing ones count as 0, so "1.1" equals
    // "1.1.0". An empty or malformed version is never newer.
    Q_INVOKABLE bool isNewerVersion(const QString& version, const QString& ownVersion) const;

    // True for an http or https address with a host: the only download addresses the program
    // opens. The update check passes on an empty address instead of any other.
    Q_INVOKABLE static bool isDownloadAddress(const QString& address);

signals:
    void sigReturnVersion(QString version, QString downloadUrl);

protected:
    void handleReply(QNetworkReply* reply, QByteArray body, int httpStatus) override;
};
