#pragma once

#include <QtGlobal>

namespace KHID {

// True for a HID device that is one of the supported 2.4 GHz receivers: the receiver vendor ID
// and one of the receiver product IDs, both compared as whole 16-bit values.
bool isSupportedReceiver(quint16 vendorId, quint16 productId);

}  // namespace KHID
