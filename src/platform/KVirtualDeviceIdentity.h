#pragma once

#include <QString>
#include <QtGlobal>

// The identity every virtual input device of this program carries: the injector's keyboard and
// pointer, and the pass-through devices that re-emit the events of grabbed devices. Whatever
// reads input devices must skip devices with this identity, so that nothing the program emits
// itself is ever taken for a device event (on Linux this plays the role of the extra-information
// tag that Windows attaches to injected events).
//
// The devices sit on the virtual bus, where vendor ids are not assigned by any registry; the
// vendor is 0x2577, the value of the injected-input tag (9591), so it cannot be confused with the
// receivers' USB vendor id. A device counts as ours only when the name prefix, the bus and the
// vendor all match.
namespace KVirtualDeviceIdentity {

constexpr const char NAME_PREFIX[] = "Pointora virtual";
constexpr quint16 BUS_TYPE = 0x06;  // BUS_VIRTUAL of <linux/input.h>
constexpr quint16 VENDOR_ID = 0x2577;

// Product ids: one per virtual device, so that the devices can be told apart in udev rules.
constexpr quint16 PRODUCT_INJECTOR_KEYBOARD = 0x0001;
constexpr quint16 PRODUCT_INJECTOR_POINTER = 0x0002;
constexpr quint16 PRODUCT_PASSTHROUGH_KEYBOARD = 0x0011;
constexpr quint16 PRODUCT_PASSTHROUGH_POINTER = 0x0012;

// Full device names: the prefix followed by a space and what the device is.
inline QString deviceName(const char* what) {
    return QString::fromLatin1(NAME_PREFIX) + QLatin1Char(' ') + QString::fromLatin1(what);
}

inline bool isOwnDevice(const QString& name, quint16 busType, quint16 vendorId) {
    return busType == BUS_TYPE && vendorId == VENDOR_ID &&
           name.startsWith(QLatin1String(NAME_PREFIX));
}

}  // namespace KVirtualDeviceIdentity
