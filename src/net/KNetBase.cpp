#include "net/KNetBase.h"

#include "config/KConfigCommon.h"
#include "net/KNetCommon.h"
#include "net/KServiceConfig.h"

#include <QJsonDocument>
#include <QNetworkReply>

KNetBase::KNetBase(QObject* parent) : KBaseApi(parent) {
    m_request.setHeader(QNetworkRequest::ContentTypeHeader, QByteArray("application/json"));
}

QString KNetBase::apiUrl(int apiType) {
    const char* path = nullptr;
    switch (apiType) {
        case ApiLogin:
            path = "/v1/user/login";
            break;
        case ApiRegister:
            path = "/v1/user/register";
            break;
        case ApiUpdatePassword:
            path = "/v1/user/updatePassword";
            break;
        case ApiFindPassword:
            path = "/v1/user/findPassword";
            break;
        case ApiValidatePassword:
            path = "/v1/user/validatePassword";
            break;
        case ApiNewPassword:
            path = "/v1/user/newPassword";
            break;
        case ApiDriverVersion:
            path = "/v1/driver/version";
            break;
        case ApiConfigSave:
            path = "/v1/driver/config2/save";
            break;
        case ApiConfigGet:
            path = "/v1/driver/config2/get";
            break;
        default:
            return QString();
    }
    return KServiceConfig::endpoint(QString::fromLatin1(path)).toString();
}

void KNetBase::sendRequest(int apiType, QJsonObject body) {
    const QByteArray bytes = QJsonDocument(body).toJson(QJsonDocument::Compact);

    KNetCommon* common = KNetCommon::instance();
    if (!common->isOnline()) {
        common->checkOnline();
        emit sigRequestFinished(-1, tr("Not connected to the network"));
        return;
    }

    // The service answers in the interface's language.
    const QString language = KConfigCommon::instance()->getLanguage();
    m_request.setRawHeader("lang", language.isEmpty() ? QByteArray("zh") : language.toUtf8());

    if (apiType != ApiLogin && apiType != ApiRegister) {
        const QString token = KConfigCommon::instance()->getToken();
        // An empty token leaves the template alone: a header set by an earlier call stays.
        if (!token.isEmpty())
            m_request.setRawHeader("Authorization", token.toUtf8());
    }
    postRequest(apiUrl(apiType), bytes);
}

bool KNetBase::readEnvelope(QNetworkReply* reply, const QByteArray& body, int* code, QString* msg,
                            QJsonObject* data) {
    QJsonParseError error;
    const QJsonDocument document = reply->error() == QNetworkReply::NoError
                                       ? QJsonDocument::fromJson(body, &error)
                                       : QJsonDocument();
    // An answer that is JSON but not an object (an array) is no envelope either: treating it as
    // one would report success (code 0) for a reply that says nothing.
    if (reply->error() != QNetworkReply::NoError || error.error != QJsonParseError::NoError ||
        !document.isObject()) {
        emit sigRequestFinished(-1, QString());
        return false;
    }
    const QJsonObject envelope = document.object();
    *code = envelope.value("code").toInt();
    *msg = envelope.value("msg").toString();
    *data = envelope.value("data").toObject();
    if (*code == CODE_NOT_LOGGED_IN) {
        KConfigCommon* config = KConfigCommon::instance();
        if (!config->getToken().isEmpty() || !config->getNickName().isEmpty())
            config->clearUserInfo();
        *msg = tr("Your session has ended: please sign in again");
    }
    return true;
}

void KNetBase::handleReply(QNetworkReply* reply, QByteArray body, int /*httpStatus*/) {
    int code = -1;
    QString msg;
    QJsonObject data;
    if (readEnvelope(reply, body, &code, &msg, &data))
        emit sigRequestFinished(code, msg);
}

void KNetBase::handleTimeout(QNetworkReply* /*reply*/) {
    emit sigRequestFinished(-1, tr("The server did not answer in time"));
}

void KNetBase::handleRefused(QNetworkReply* /*reply*/, Refusal why) {
    switch (why) {
        case Refusal::TooLarge:
            emit sigRequestFinished(-1, tr("The server's answer is too large"));
            break;
        case Refusal::Encoded:
            emit sigRequestFinished(-1, tr("The server's answer could not be read"));
            break;
        case Refusal::Redirected:
            emit sigRequestFinished(-1, tr("The server redirected the request elsewhere"));
            break;
    }
}
