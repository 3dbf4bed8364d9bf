#include "net/KNetDownloadConfig.h"

#include "config/KConfigCommon.h"
#include "net/KNetUploadConfig.h"

#include <QJsonDocument>

KNetDownloadConfig::KNetDownloadConfig(QObject* parent)
    : KNetBase(parent), m_config(KConfigCommon::instance()) {}

void KNetDownloadConfig::downloadConfig(bool sync) {
    m_sync = sync;
    QJsonObject body;
    body.insert("configType", QStringLiteral(CLOUD_CONFIG_TYPE));
    sendRequest(ApiConfigGet, body);
}

void KNetDownloadConfig::handleReply(QNetworkReply* reply, QByteArray body, int /*httpStatus*/) {
    int code = -1;
    QString msg;
    QJsonObject data;
    if (!readEnvelope(reply, body, &code, &msg, &data))
        return;
    if (m_sync) {
        QJsonParseError error;
        const QJsonDocument content =
            QJsonDocument::fromJson(data.value("configContent").toString().toUtf8(), &error);
        // Only an object is a configuration; anything else (an empty string when the service
        // holds no copy, an array) leaves the local assignments as they are.
        if (error.error == QJsonParseError::NoError && content.isObject()) {
            const QJsonObject values = content.object();
            // Written without per-key signals, then announced once.
            for (int keyType : KConfigCommon::keyTypes())
                m_config->setKeyValueWithKeyType(
                    keyType, values.value(QString::number(keyType)).toInt(), false);
            emit m_config->sigKeyValueChange(-1, 0);
        }
    }
    emit sigRequestFinished(code, msg);
}
