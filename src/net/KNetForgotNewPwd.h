#pragma once

#include "net/KNetBase.h"

// Password recovery, step 3: sets a new password with the verified code.
class KNetForgotNewPwd : public KNetBase {
    Q_OBJECT
public:
    using KNetBase::KNetBase;

    Q_INVOKABLE void setNewPwd(QString email, QString captcha, QString password);
};
