#include "net/KUpdater.h"

#include <QCoreApplication>

void KUpdater::getSoftwareVersion() {
    QJsonObject body;
    body.insert("versionType", QCoreApplication::applicationName());
    sendRequest(ApiDriverVersion, body);
}

void KUpdater::handleReply(QNetworkReply* reply, QByteArray body, int /*httpStatus*/) {
    int code = -1;
    QString msg;
    QJsonObject data;
    if (readEnvelope(reply, body, &code, &msg, &data))
        emit sigReturnVersion(data.value("version").toString(),
                              data.value("downloadUrl").toString());
}
