#pragma once

#include "net/KNetBase.h"

class KConfigCommon;

// Fetches the cloud copy of the assignments. With sync true a readable copy overwrites every
// synchronised key type (missing ones become 0) and is announced once with
// sigKeyValueChange(-1, 0); with sync false nothing is written.
class KNetDownloadConfig : public KNetBase {
    Q_OBJECT
public:
    explicit KNetDownloadConfig(QObject* parent = nullptr);

    Q_INVOKABLE void downloadConfig(bool sync = true);

protected:
    void handleReply(QNetworkReply* reply, QByteArray body, int httpStatus) override;

private:
    bool m_sync = false;
    KConfigCommon* m_config;
};
