#include "net/KNetForgotVerifyCode.h"

void KNetForgotVerifyCode::verify(QString email, QString code) {
    QJsonObject body;
    body.insert("email", email);
    body.insert("captcha", code);
    sendRequest(ApiValidatePassword, body);
}
