#include "net/KNetForgotSendEmail.h"

void KNetForgotSendEmail::sendEmail(QString email) {
    QJsonObject body;
    body.insert("email", email);
    sendRequest(ApiFindPassword, body);
}
