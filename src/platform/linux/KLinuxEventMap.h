#pragma once

#include "platform/KLowLevelHookBackend.h"

#include <QByteArray>
#include <QList>
#include <QtGlobal>

#include <linux/input.h>

#include <bitset>
#include <vector>

// How evdev events become what the logic above reads: the receiver driver's device key codes,
// low-level hook records and raw mouse flags, and how Linux devices are named and addressed in
// the Windows-shaped records. Pure functions, no device access.
namespace KLinuxEventMap {

// The Consumer-page usage the kernel maps to an evdev key (hid-input), for the keys the program
// handles; 0 for any other key.
quint32 consumerUsage(quint16 key);

// The device key code the Bluetooth mouse hook gives a button (right, middle, back = BTN_SIDE,
// forward = BTN_EXTRA); 0 for the left button and every other key.
quint32 hookButtonCode(quint16 key);

// One receiver event as the filter driver sees it.
struct DriverEvent {
    quint32 code = 0;     // device key code
    quint32 maskBit = 0;  // bit selecting it in its mask
    bool keyboard = false;
    bool press = false;  // a key or button going down (repeats are not presses)
    int count = 0;       // codes to queue: 1 for a press, the notches for a wheel, else 0
};
// False when the event is not one the driver can take over.
bool driverEvent(quint16 type, quint16 code, qint32 value, DriverEvent* out);

// The receiver driver's work on one frame (the events before a SYN_REPORT): removes the events
// of the keys the masks select and returns the device key codes to queue, in order.
QList<quint32> takeOver(std::vector<input_event>& frame, quint32 mouseMask, quint32 keyboardMask);

// What of one frame of a grabbed node goes on to its pass-through device, given the frame as
// read (original) and what the owner's filter kept of it (kept: original minus what it took
// over, in order). A release goes where its press went: one the filter removed still goes on
// when the pass-through device holds the key (held), one whose press was taken over does not.
// A key's MSC_SCAN, which comes right before it, goes where the key goes. *taken carries, from
// frame to frame, the keys whose press was taken over.
std::vector<input_event> passedOn(const std::vector<input_event>& original,
                                  const std::vector<input_event>& kept, std::bitset<KEY_CNT>* taken,
                                  const std::bitset<KEY_CNT>& held);

// The low-level hooks' work on one frame of a Bluetooth device: runs each button, wheel and
// consumer-key event through the procedure for it (either may be empty), removes the events
// swallowed, and returns the raw mouse flags of the frame's buttons and wheels, swallowed or not.
QList<quint16> hookFrame(std::vector<input_event>& frame,
                         const KLowLevelHookBackend::MouseProc& mouseProc,
                         const KLowLevelHookBackend::KeyboardProc& keyboardProc);

// The low-level hook record of an event of a grabbed Bluetooth device; false for events the
// hooks are not asked about (movement, high-resolution wheel, other keys).
bool mouseHookRecord(quint16 type, quint16 code, qint32 value, KMouseHookRecord* out);
bool keyboardHookRecord(quint16 type, quint16 code, qint32 value, KKeyboardHookRecord* out);
// Raw mouse button flags of an event (0 when it carries none).
quint16 rawMouseFlags(quint16 type, quint16 code, qint32 value);

// The raw-input name of an input device. Bluetooth devices (bus 0x05) get the form the system
// of the contract gives Bluetooth LE HID devices: the HID service UUID, "VID&02" + vendor and
// "PID&" + product in lower-case hex; other devices "VID_vvvv&PID_pppp" in upper case.
QByteArray rawInputName(quint16 bus, quint16 vendor, quint16 product, quint16 version,
                        const QByteArray& sysname);
// Parses a HID_ID value "0005:0000248A:00008266".
bool parseHidId(const QByteArray& value, quint16* bus, quint16* vendor, quint16* product);
// The path of one top-level collection of a hidraw node: the node itself when it has a single
// collection, else the node followed by "&colNN" (1-based, two digits).
QByteArray interfacePath(const QByteArray& devnode, int index, int count);
// The node and collection index (0-based) of an interface path.
bool splitInterfacePath(const QByteArray& path, QByteArray* devnode, int* index);

}  // namespace KLinuxEventMap
