#pragma once

#include "net/KNetBase.h"

class KConfigCommon;

// Fetches the cloud copy of the assignments. With sync true a readable copy overwrites every
// synchronised key type (missing ones become 0) and is announced once with
// sigKeyValueChange(-1, 0); with sync false nothing is written. Entries naming no key type or no
// function of the catalogue are skipped and counted in the result message; an account without a
// copy is reported as having nothing to download.
class KNetDownloadConfig : public KNetBase {
    Q_OBJECT
    // Of the last download: how many entries were skipped, and whether the cloud held no copy.
    Q_PROPERTY(int skippedCount READ skippedCount)
    Q_PROPERTY(bool nothingStored READ nothingStored)
public:
    explicit KNetDownloadConfig(QObject* parent = nullptr);

    int skippedCount() const { return m_skipped; }
    bool nothingStored() const { return m_nothing; }

    Q_INVOKABLE void downloadConfig(bool sync = true);

protected:
    void handleReply(QNetworkReply* reply, QByteArray body, int httpStatus) override;

private:
    // Writes the copy's values; returns how many entries were skipped (unknown key names, values
    // that are no function of the catalogue).
    int apply(const QJsonObject& values);

    bool m_sync = false;
    int m_skipped = 0;
    bool m_nothing = false;
    KConfigCommon* m_config;
};
