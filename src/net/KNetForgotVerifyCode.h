#pragma once

#include "net/KNetBase.h"

// Password recovery, step 2: asks whether the verification code is right.
class KNetForgotVerifyCode : public KNetBase {
    Q_OBJECT
public:
    using KNetBase::KNetBase;

    Q_INVOKABLE void verify(QString email, QString code);
};
