#pragma once

// Why a device the program wants to take over stays the system's (the hook backends report it,
// the device hook turns it into a message for the user).
namespace KDeviceRefusal {
enum Reason {
    ForceFeedback = 1,  // the node has force feedback, which cannot be passed on
    NoPassThrough = 2,  // no device can be made to pass its other events on (/dev/uinput)
};
}  // namespace KDeviceRefusal
