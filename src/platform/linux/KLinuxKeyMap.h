#pragma once

#include <QtGlobal>

#include <vector>

// Windows virtual-key code -> Linux input key (KEY_* of <linux/input-event-codes.h>) and X11
// keysym. Covers every key the function dispatch sends, plus the rest of a standard keyboard, so
// that any virtual key the logic may speak reaches the system.
struct KVirtualKeyMapping {
    quint8 vk;
    quint16 linuxKey;
    quint32 keysym;
};

namespace KLinuxKeyMap {

const std::vector<KVirtualKeyMapping>& table();
// The KEY_* code of a virtual key, 0 when it has none.
quint16 linuxKey(quint8 vk);
// The X11 keysym of a virtual key, 0 when it has none.
quint32 keysym(quint8 vk);

}  // namespace KLinuxKeyMap
