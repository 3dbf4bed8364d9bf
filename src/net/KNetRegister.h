#pragma once

#include "net/KNetBase.h"

// Registers an account; the result is the envelope's code and message.
class KNetRegister : public KNetBase {
    Q_OBJECT
public:
    using KNetBase::KNetBase;

    Q_INVOKABLE void registerUser(QString nickName, QString email, QString password,
                                  QString rePassword);
};
