#include "net/KNetUpdatePwd.h"

void KNetUpdatePwd::updatePwd(QString currentPwd, QString newPwd) {
    QJsonObject body;
    body.insert("password", currentPwd);
    body.insert("rePassword", newPwd);
    sendRequest(ApiUpdatePassword, body);
}
