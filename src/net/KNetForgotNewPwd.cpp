#include "net/KNetForgotNewPwd.h"

void KNetForgotNewPwd::setNewPwd(QString email, QString captcha, QString password) {
    QJsonObject body;
    body.insert("email", email);
    body.insert("captcha", captcha);
    body.insert("password", password);
    sendRequest(ApiNewPassword, body);
}
