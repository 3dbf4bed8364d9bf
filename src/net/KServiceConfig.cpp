#include "net/KServiceConfig.h"

#include <QtGlobal>

namespace KServiceConfig {

QUrl serviceUrl() {
    const QString fromEnv = qEnvironmentVariable("POINTORA_SERVICE_URL").trimmed();
    QUrl url(fromEnv.isEmpty() ? QString::fromLatin1(DEFAULT_SERVICE_URL) : fromEnv);
    const QString scheme = url.scheme().toLower();
    if (!url.isValid() || url.host().isEmpty() || (scheme != "http" && scheme != "https")) {
        qWarning("POINTORA_SERVICE_URL %s is not an http(s) address; using %s",
                 qUtf8Printable(fromEnv), DEFAULT_SERVICE_URL);
        url = QUrl(QString::fromLatin1(DEFAULT_SERVICE_URL));
    }
    return url;
}

QString onlineHost() {
    const QString fromEnv = qEnvironmentVariable("POINTORA_ONLINE_HOST").trimmed();
    return fromEnv.isEmpty() ? serviceUrl().host() : fromEnv;
}

QUrl endpoint(const QString& path) {
    QUrl url = serviceUrl();
    QString base = url.path();
    while (base.endsWith('/'))
        base.chop(1);
    url.setPath(base + (path.startsWith('/') ? path : QLatin1Char('/') + path));
    return url;
}

}  // namespace KServiceConfig
