#include "net/KNetUploadConfig.h"

#include "config/KConfigCommon.h"

#include <QJsonDocument>

KNetUploadConfig::KNetUploadConfig(QObject* parent)
    : KNetBase(parent), m_config(KConfigCommon::instance()) {}

void KNetUploadConfig::uploadCurrentConfig() {
    const QMap<int, int> values = m_config->getKeyValueMap();
    QJsonObject content;
    for (auto it = values.cbegin(); it != values.cend(); ++it)
        content.insert(QString::number(it.key()), it.value());

    QJsonObject body;
    body.insert("filePath", QString());
    body.insert("configContent",
                QString::fromUtf8(QJsonDocument(content).toJson(QJsonDocument::Compact)));
    body.insert("configType", QStringLiteral(CLOUD_CONFIG_TYPE));
    sendRequest(ApiConfigSave, body);
}
