#include "device/KReceiverIds.h"

#include "app/KConstants.h"

#include <algorithm>

namespace KHID {

bool isSupportedReceiver(quint16 vendorId, quint16 productId) {
    if (vendorId != RECEIVER_VENDOR_ID)
        return false;
    return std::find(RECEIVER_PRODUCT_IDS.begin(), RECEIVER_PRODUCT_IDS.end(), productId) !=
           RECEIVER_PRODUCT_IDS.end();
}

}  // namespace KHID
