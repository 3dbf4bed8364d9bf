#pragma once

#include "net/KNetBase.h"

// Password recovery, step 1: the service sends a verification code to the address.
class KNetForgotSendEmail : public KNetBase {
    Q_OBJECT
public:
    using KNetBase::KNetBase;

    Q_INVOKABLE void sendEmail(QString email);
};
