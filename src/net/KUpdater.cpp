#include "net/KUpdater.h"

#include <QCoreApplication>
#include <QRegularExpression>
#include <QUrl>

namespace {

// The numeric components of a dotted version, without leading zeros; empty when malformed.
QStringList versionParts(const QString& version) {
    static const QRegularExpression dotted(QStringLiteral("\\A[0-9]+(\\.[0-9]+)*\\z"));
    if (!dotted.match(version).hasMatch())
        return QStringList();
    QStringList parts = version.split(QLatin1Char('.'));
    for (QString& part : parts) {
        while (part.size() > 1 && part.startsWith(QLatin1Char('0')))
            part.remove(0, 1);
    }
    return parts;
}

// Compares two numbers written without leading zeros, of any length.
int compareNumbers(const QString& a, const QString& b) {
    if (a.size() != b.size())
        return a.size() < b.size() ? -1 : 1;
    return QString::compare(a, b);
}

}  // namespace

void KUpdater::getSoftwareVersion() {
    QJsonObject body;
    body.insert("versionType", QCoreApplication::applicationName());
    sendRequest(ApiDriverVersion, body);
}

void KUpdater::handleReply(QNetworkReply* reply, QByteArray body, int /*httpStatus*/) {
    int code = -1;
    QString msg;
    QJsonObject data;
    if (!readEnvelope(reply, body, &code, &msg, &data))
        return;
    // Only a web address is passed on: the address is opened in the user's browser or desktop,
    // where another scheme (file:, smb:, javascript:) would open or run something local.
    QString downloadUrl = data.value("downloadUrl").toString();
    if (!isDownloadAddress(downloadUrl))
        downloadUrl.clear();
    emit sigReturnVersion(data.value("version").toString(), downloadUrl);
}

bool KUpdater::isDownloadAddress(const QString& address) {
    const QUrl url(address, QUrl::StrictMode);
    const QString scheme = url.scheme().toLower();
    return url.isValid() && (scheme == QLatin1String("http") || scheme == QLatin1String("https")) &&
           !url.host().isEmpty();
}

bool KUpdater::isNewerVersion(const QString& version, const QString& ownVersion) const {
    const QStringList offered = versionParts(version);
    const QStringList own = versionParts(ownVersion);
    if (offered.isEmpty() || own.isEmpty())
        return false;
    const int count = qMax(offered.size(), own.size());
    for (int i = 0; i < count; ++i) {
        const QString a = i < offered.size() ? offered[i] : QStringLiteral("0");
        const QString b = i < own.size() ? own[i] : QStringLiteral("0");
        const int order = compareNumbers(a, b);
        if (order != 0)
            return order > 0;
    }
    return false;
}
