#include "net/KNetDownloadConfig.h"

#include "config/KConfigCommon.h"
#include "net/KNetUploadConfig.h"
#include "simulation/KFuncCommon.h"

#include <QJsonDocument>

#include <cmath>

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
    m_skipped = 0;
    m_nothing = false;
    if (!readEnvelope(reply, body, &code, &msg, &data))
        return;
    if (m_sync) {
        const QString text = data.value("configContent").toString();
        QJsonParseError error;
        const QJsonDocument content = QJsonDocument::fromJson(text.toUtf8(), &error);
        // Only an object is a configuration; anything else leaves the local assignments as they
        // are. An empty copy is what the service holds for an account that never uploaded.
        if (error.error == QJsonParseError::NoError && content.isObject()) {
            m_skipped = apply(content.object());
            if (code == 0 && m_skipped > 0)
                msg = tr("Configuration downloaded; entries skipped as unknown: %1").arg(m_skipped);
        } else if (code == 0 && text.isEmpty()) {
            m_nothing = true;
            msg = tr("There is no configuration in the cloud yet: nothing to download");
        } else if (code == 0) {
            code = -1;
            msg = tr("The configuration in the cloud could not be read");
        }
    }
    emit sigRequestFinished(code, msg);
}

int KNetDownloadConfig::apply(const QJsonObject& values) {
    const QList<int>& keyTypes = KConfigCommon::keyTypes();
    int skipped = 0;
    // Members that name no synchronised key type are not stored anywhere.
    for (auto it = values.begin(); it != values.end(); ++it) {
        bool number = false;
        const int keyType = it.key().toInt(&number);
        if (!number || QString::number(keyType) != it.key() || !keyTypes.contains(keyType))
            ++skipped;
    }
    // Written without per-key signals, then announced once. A missing member resets its key to
    // 0 (no function); a value that is no function of the catalogue keeps the key as it was,
    // since storing it would leave the button doing nothing.
    for (int keyType : keyTypes) {
        const QJsonValue value = values.value(QString::number(keyType));
        int keyValue = 0;
        if (!value.isUndefined()) {
            // Only whole numbers in a safe range are converted (a huge one would not fit).
            const double number = value.toDouble();
            const bool whole =
                value.isDouble() && std::fabs(number) < 1e9 && number == std::floor(number);
            keyValue = whole ? static_cast<int>(number) : -1;
            if (!whole || !KFuncCommon::isCatalogueKeyValue(keyValue)) {
                ++skipped;
                continue;
            }
        }
        m_config->setKeyValueWithKeyType(keyType, keyValue, false);
    }
    emit m_config->sigKeyValueChange(-1, 0);
    return skipped;
}
