#pragma once

#include "net/KBaseApi.h"

#include <QJsonObject>

// The service operations, each one endpoint path (apiUrl).
enum ApiType {
    ApiLogin = 1,
    ApiRegister = 2,
    ApiUpdatePassword = 3,
    ApiFindPassword = 4,
    ApiValidatePassword = 5,
    ApiNewPassword = 6,
    ApiDriverVersion = 7,
    ApiConfigSave = 8,
    ApiConfigGet = 9,
};

// Builds a request to the cloud service (headers, token, URL, compact JSON body) and reports the
// result with sigRequestFinished: the envelope's "code" and "msg", or -1 for a transport failure,
// an unreadable answer, a time-out or the offline case.
class KNetBase : public KBaseApi {
    Q_OBJECT
    Q_PROPERTY(int codeNotLoggedIn READ codeNotLoggedIn CONSTANT)
public:
    explicit KNetBase(QObject* parent = nullptr);

    static QString apiUrl(int apiType);

    // The service's answer to a request whose token is missing, unknown or expired.
    static constexpr int CODE_NOT_LOGGED_IN = 2001;
    int codeNotLoggedIn() const { return CODE_NOT_LOGGED_IN; }

signals:
    void sigRequestFinished(int code, QString msg);

protected:
    void sendRequest(int apiType, QJsonObject body);

    // The standard handler: emits the envelope's code and message.
    void handleReply(QNetworkReply* reply, QByteArray body, int httpStatus) override;
    void handleTimeout(QNetworkReply* reply) override;
    void handleRefused(QNetworkReply* reply, Refusal why) override;

    // Reads the envelope of a reply: code is "code" (0 when missing), msg is "msg", data is
    // "data". When the reply has a network error or the body is not a JSON object, reports
    // sigRequestFinished(-1, "") and returns false. A "not logged in" answer ends the stored
    // session (the user is shown signed out) and its message
    // says so.
    bool readEnvelope(QNetworkReply* reply, const QByteArray& body, int* code, QString* msg,
                      QJsonObject* data);
};
