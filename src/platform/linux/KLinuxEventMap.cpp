#include "platform/linux/KLinuxEventMap.h"

#include "platform/KHookCodes.h"
#include "platform/KRawInputBackend.h"

#include <linux/input.h>

#include <algorithm>

namespace KLinuxEventMap {

namespace {

struct ConsumerKey {
    quint16 key;
    quint32 usage;
};

constexpr ConsumerKey kConsumerKeys[] = {
    {KEY_VOLUMEUP, 0xE9}, {KEY_VOLUMEDOWN, 0xEA},   {KEY_MUTE, 0xE2},   {KEY_PLAYPAUSE, 0xCD},
    {KEY_NEXTSONG, 0xB5}, {KEY_PREVIOUSSONG, 0xB6}, {KEY_STOPCD, 0xB7}, {KEY_CONFIG, 0x183},
    {KEY_MAIL, 0x18A},    {KEY_HOMEPAGE, 0x223},    {KEY_BACK, 0x224},  {KEY_FORWARD, 0x225},
};

quint32 buttonCode(quint16 key) {
    switch (key) {
        case BTN_LEFT:
            return KHookCodes::Left;
        case BTN_RIGHT:
            return KHookCodes::Right;
        case BTN_MIDDLE:
            return KHookCodes::Middle;
        // Buttons 4 and 5; BTN_FORWARD and BTN_BACK are buttons 6 and 7 of such mice.
        case BTN_SIDE:
            return KHookCodes::Back;
        case BTN_EXTRA:
            return KHookCodes::Forward;
        default:
            return 0;
    }
}

}  // namespace

quint32 consumerUsage(quint16 key) {
    for (const ConsumerKey& row : kConsumerKeys)
        if (row.key == key)
            return row.usage;
    return 0;
}

quint32 hookButtonCode(quint16 key) {
    const quint32 code = buttonCode(key);
    return code == KHookCodes::Left ? 0 : code;
}

bool driverEvent(quint16 type, quint16 code, qint32 value, DriverEvent* out) {
    DriverEvent event;
    if (type == EV_KEY) {
        if (const quint32 button = buttonCode(code)) {
            event.code = button;
        } else if (const quint32 usage = consumerUsage(code)) {
            event.code = KHookCodes::KeyboardFlag | usage;
        } else {
            return false;
        }
        event.press = value == 1;
        event.count = event.press ? 1 : 0;
    } else if (type == EV_REL && (code == REL_WHEEL || code == REL_WHEEL_HI_RES ||
                                  code == REL_HWHEEL || code == REL_HWHEEL_HI_RES)) {
        if (value == 0)
            return false;
        const bool vertical = code == REL_WHEEL || code == REL_WHEEL_HI_RES;
        if (vertical)
            event.code = value > 0 ? KHookCodes::WheelUp : KHookCodes::WheelDown;
        else
            event.code = value > 0 ? KHookCodes::SideWheelUp : KHookCodes::SideWheelDown;
        // The high-resolution axis accompanies the notch axis: taken over with it, no codes.
        if (code == REL_WHEEL || code == REL_HWHEEL)
            event.count = value > 0 ? value : -value;
    } else {
        return false;
    }
    event.maskBit = KHookCodes::maskBitForCode(event.code, &event.keyboard);
    if (out)
        *out = event;
    return true;
}

QList<quint32> takeOver(std::vector<input_event>& frame, quint32 mouseMask, quint32 keyboardMask) {
    QList<quint32> codes;
    auto taken = [&](const input_event& event) {
        DriverEvent mapped;
        if (!driverEvent(event.type, event.code, event.value, &mapped) ||
            !(mapped.maskBit & (mapped.keyboard ? keyboardMask : mouseMask)))
            return false;
        for (int i = 0; i < mapped.count; ++i)
            codes << mapped.code;
        return true;
    };
    frame.erase(std::remove_if(frame.begin(), frame.end(), taken), frame.end());
    return codes;
}

std::vector<input_event> passedOn(const std::vector<input_event>& original,
                                  const std::vector<input_event>& kept, std::bitset<KEY_CNT>* taken,
                                  const std::bitset<KEY_CNT>& held) {
    auto same = [](const input_event& a, const input_event& b) {
        return a.type == b.type && a.code == b.code && a.value == b.value &&
               a.input_event_sec == b.input_event_sec && a.input_event_usec == b.input_event_usec;
    };
    std::vector<input_event> out;
    out.reserve(original.size());
    size_t next = 0;
    bool scanHeld = false;
    input_event scan{};
    // Sends event on (passed) after the scan code held for it, if any; a scan code followed by
    // anything but a key goes on by itself.
    auto route = [&](const input_event& event, bool passed) {
        if (scanHeld && (passed || event.type != EV_KEY))
            out.push_back(scan);
        scanHeld = false;
        if (passed)
            out.push_back(event);
    };
    for (const input_event& event : original) {
        const bool isKept = next < kept.size() && same(event, kept[next]);
        if (isKept)
            ++next;
        if (event.type == EV_MSC && event.code == MSC_SCAN) {
            route(event, false);
            if (isKept) {
                scanHeld = true;
                scan = event;
            }
            continue;
        }
        if (event.type != EV_KEY || event.code >= KEY_CNT) {
            route(event, isKept);
            continue;
        }
        bool passed = false;
        if (event.value == 1) {
            taken->set(event.code, !isKept);
            passed = isKept;
        } else if (event.value == 0) {
            passed = isKept ? !taken->test(event.code) : held.test(event.code);
            taken->reset(event.code);
        } else {
            passed = isKept && !taken->test(event.code);
        }
        route(event, passed);
    }
    if (scanHeld)
        out.push_back(scan);
    return out;
}

QList<quint16> hookFrame(std::vector<input_event>& frame,
                         const KLowLevelHookBackend::MouseProc& mouseProc,
                         const KLowLevelHookBackend::KeyboardProc& keyboardProc) {
    QList<quint16> rawFlags;
    auto swallowed = [&](const input_event& event) {
        KMouseHookRecord mouse;
        if (mouseHookRecord(event.type, event.code, event.value, &mouse)) {
            if (const quint16 flags = rawMouseFlags(event.type, event.code, event.value))
                rawFlags << flags;
            return mouseProc && mouseProc(mouse);
        }
        KKeyboardHookRecord key;
        if (keyboardHookRecord(event.type, event.code, event.value, &key))
            return keyboardProc && keyboardProc(key);
        return false;
    };
    frame.erase(std::remove_if(frame.begin(), frame.end(), swallowed), frame.end());
    return rawFlags;
}

bool mouseHookRecord(quint16 type, quint16 code, qint32 value, KMouseHookRecord* out) {
    using namespace KHookValues;
    KMouseHookRecord record;
    if (type == EV_KEY) {
        if (value != 0 && value != 1)
            return false;
        const bool down = value == 1;
        switch (code) {
            case BTN_LEFT:
                record.message = down ? WmLButtonDown : WmLButtonUp;
                break;
            case BTN_RIGHT:
                record.message = down ? WmRButtonDown : WmRButtonUp;
                break;
            case BTN_MIDDLE:
                record.message = down ? WmMButtonDown : WmMButtonUp;
                break;
            case BTN_SIDE:
                record.message = down ? WmXButtonDown : WmXButtonUp;
                record.mouseData = XButton1 << 16;
                break;
            case BTN_EXTRA:
                record.message = down ? WmXButtonDown : WmXButtonUp;
                record.mouseData = XButton2 << 16;
                break;
            default:
                return false;
        }
    } else if (type == EV_REL && (code == REL_WHEEL || code == REL_HWHEEL) && value != 0) {
        record.message = code == REL_WHEEL ? WmMouseWheel : WmMouseHWheel;
        record.mouseData = quint32(quint16(qint16(value * 120))) << 16;
    } else {
        return false;
    }
    if (out)
        *out = record;
    return true;
}

bool keyboardHookRecord(quint16 type, quint16 code, qint32 value, KKeyboardHookRecord* out) {
    if (type != EV_KEY)
        return false;
    const quint32 vk = KHookValues::vkForConsumerUsage(consumerUsage(code));
    if (vk == 0)
        return false;
    KKeyboardHookRecord record;
    record.vkCode = vk;
    record.flags = value == 0 ? KHookValues::LlkhfUp : 0;
    record.repeat = value == 2;  // another key-down of a held key, not a new press
    if (out)
        *out = record;
    return true;
}

quint16 rawMouseFlags(quint16 type, quint16 code, qint32 value) {
    namespace F = KRawMouseFlags;
    if (type == EV_REL && value != 0)
        return code == REL_WHEEL ? F::Wheel : code == REL_HWHEEL ? F::HWheel : 0;
    if (type != EV_KEY || (value != 0 && value != 1))
        return 0;
    const bool down = value == 1;
    switch (code) {
        case BTN_LEFT:
            return down ? F::LeftDown : F::LeftUp;
        case BTN_RIGHT:
            return down ? F::RightDown : F::RightUp;
        case BTN_MIDDLE:
            return down ? F::MiddleDown : F::MiddleUp;
        case BTN_SIDE:
            return down ? F::Button4Down : F::Button4Up;
        case BTN_EXTRA:
            return down ? F::Button5Down : F::Button5Up;
        default:
            return 0;
    }
}

QByteArray rawInputName(quint16 bus, quint16 vendor, quint16 product, quint16 version,
                        const QByteArray& sysname) {
    auto hex4 = [](quint16 value) { return QByteArray::number(value, 16).rightJustified(4, '0'); };
    if (bus == BUS_BLUETOOTH) {
        return "\\\\?\\HID#{00001812-0000-1000-8000-00805f9b34fb}_Dev_VID&02" + hex4(vendor) +
               "_PID&" + hex4(product) + "_REV&" + hex4(version) + "#" + sysname;
    }
    return "\\\\?\\HID#VID_" + hex4(vendor).toUpper() + "&PID_" + hex4(product).toUpper() + "#" +
           sysname;
}

bool parseHidId(const QByteArray& value, quint16* bus, quint16* vendor, quint16* product) {
    const QList<QByteArray> parts = value.trimmed().split(':');
    if (parts.size() != 3)
        return false;
    bool ok[3] = {false, false, false};
    const uint values[3] = {parts[0].toUInt(&ok[0], 16), parts[1].toUInt(&ok[1], 16),
                            parts[2].toUInt(&ok[2], 16)};
    for (int i = 0; i < 3; ++i)
        if (!ok[i] || values[i] > 0xFFFF)
            return false;
    *bus = quint16(values[0]);
    *vendor = quint16(values[1]);
    *product = quint16(values[2]);
    return true;
}

QByteArray interfacePath(const QByteArray& devnode, int index, int count) {
    if (count <= 1)
        return devnode;
    return devnode + "&col" + QByteArray::number(index + 1).rightJustified(2, '0');
}

bool splitInterfacePath(const QByteArray& path, QByteArray* devnode, int* index) {
    const int at = path.lastIndexOf("&col");
    if (at < 0) {
        *devnode = path;
        *index = 0;
        return !path.isEmpty();
    }
    bool ok = false;
    const int number = path.mid(at + 4).toInt(&ok);
    if (!ok || number < 1)
        return false;
    *devnode = path.left(at);
    *index = number - 1;
    return true;
}

}  // namespace KLinuxEventMap
