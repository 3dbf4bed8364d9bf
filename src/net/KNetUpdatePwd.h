#pragma once

#include "net/KNetBase.h"

// Changes the password of the logged-in account (identified by the stored token).
class KNetUpdatePwd : public KNetBase {
    Q_OBJECT
public:
    using KNetBase::KNetBase;

    Q_INVOKABLE void updatePwd(QString currentPwd, QString newPwd);
};
