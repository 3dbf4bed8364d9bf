#include "net/KNetRegister.h"

void KNetRegister::registerUser(QString nickName, QString email, QString password,
                                QString rePassword) {
    QJsonObject body;
    body.insert("nickname", nickName);
    body.insert("email", email);
    body.insert("password", password);
    body.insert("rePassword", rePassword);
    sendRequest(ApiRegister, body);
}
