#pragma once

#include "net/KNetBase.h"

class KConfigCommon;

// Name of this product's configuration on the service, sent as "configType".
#define CLOUD_CONFIG_TYPE "TolvaPointora"

// Sends the key value of every synchronised key type to the service.
class KNetUploadConfig : public KNetBase {
    Q_OBJECT
public:
    explicit KNetUploadConfig(QObject* parent = nullptr);

    Q_INVOKABLE void uploadCurrentConfig();

private:
    KConfigCommon* m_config;
};
