#include "platform/win/KWinInputInjector.h"

#include "platform/win/KWinHeaders.h"

void KWinInputInjector::sendKey(quint8 vk, bool up, quintptr extraInfo) {
    keybd_event(vk, 0, up ? KEYEVENTF_KEYUP : 0, ULONG_PTR(extraInfo));
}

void KWinInputInjector::sendMouse(quint32 flags, qint32 data, quintptr extraInfo) {
    mouse_event(flags, 0, 0, DWORD(data), ULONG_PTR(extraInfo));
}
