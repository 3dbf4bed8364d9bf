#pragma once

#include "platform/KInputInjector.h"

// Injected input through keybd_event and mouse_event: scan code 0, no extended-key flag, no
// movement, and the caller's extra information (the program's tag) on every event, which the
// low-level hooks read back as dwExtraInfo.
class KWinInputInjector : public KInputInjector {
public:
    void sendKey(quint8 vk, bool up, quintptr extraInfo) override;
    void sendMouse(quint32 flags, qint32 data, quintptr extraInfo) override;
    QString method() const override { return QStringLiteral("win32"); }
};
