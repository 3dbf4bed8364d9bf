#include "device/KBLEMsgHook.h"

#include "device/KDeviceWatcher.h"
#include "platform/KLowLevelHookBackend.h"
#include "platform/KPlatform.h"
#include "simulation/KDeviceKeyCode.h"
#include "simulation/KInputSimulation.h"

#include <QMutex>
#include <QMutexLocker>

#include <atomic>

namespace {

// The process-wide hook state: the procedures have no object.
struct HookState {
    QMutex mutex;
    std::function<void(quint32)> callback;
    std::atomic<quint32> mouseMask{0};
    std::atomic<quint32> keyboardMask{0};
};

HookState& hookState() {
    static HookState state;
    return state;
}

void report(quint32 code) {
    std::function<void(quint32)> callback;
    {
        QMutexLocker lock(&hookState().mutex);
        callback = hookState().callback;
    }
    if (callback)
        callback(code);
}

struct ConsumerRow {
    quint32 vk;
    quint32 usage;
    quint32 maskBit;
};

constexpr ConsumerRow kConsumerKeys[] = {
    {KHookValues::VkBrowserBack, 0x224, 0x2000},
    {KHookValues::VkBrowserForward, 0x225, 0x4000},
    {KHookValues::VkBrowserHome, 0x223, 0x1000},
    {KHookValues::VkVolumeMute, 0xE2, 0x0400},
    {KHookValues::VkVolumeDown, 0xEA, 0x0040},
    {KHookValues::VkVolumeUp, 0xE9, 0x0020},
    {KHookValues::VkMediaNextTrack, 0xB5, 0x0008},
    {KHookValues::VkMediaPrevTrack, 0xB6, 0x0010},
    {KHookValues::VkMediaStop, 0xB7, 0x0004},
    {KHookValues::VkMediaPlayPause, 0xCD, 0x0001},
    {KHookValues::VkLaunchMail, 0x18A, 0x0080},
    {KHookValues::VkLaunchMediaSelect, 0x183, 0x0002},
};

}  // namespace

KBLEMsgHook::KBLEMsgHook(std::function<void(quint32)> callback, KLowLevelHookBackend* backend,
                         QObject* parent)
    : QObject(parent), m_backend(backend ? backend : KPlatform::instance()->lowLevelHookBackend()) {
    {
        QMutexLocker lock(&hookState().mutex);
        hookState().callback = std::move(callback);
    }
    m_backend->setDevicePatterns(KDeviceWatcher::bluetoothDevicePatterns());
}

KBLEMsgHook::~KBLEMsgHook() {
    removeHooks(BleHookBoth);
}

bool KBLEMsgHook::installHooks(int kind) {
    if (kind == BleHookBoth || kind == BleHookMouse)
        m_backend->installMouseHook(&KBLEMsgHook::mouseProc);
    if (kind == BleHookBoth || kind == BleHookKeyboard)
        m_backend->installKeyboardHook(&KBLEMsgHook::keyboardProc);
    installed = true;
    return true;
}

bool KBLEMsgHook::removeHooks(int kind) {
    if (kind == BleHookBoth || kind == BleHookMouse)
        m_backend->removeMouseHook();
    if (kind == BleHookBoth || kind == BleHookKeyboard)
        m_backend->removeKeyboardHook();
    installed = false;
    return true;
}

void KBLEMsgHook::setMouseMask(const quint32& mask) {
    hookState().mouseMask = mask;
    m_backend->setMasks(hookState().mouseMask, hookState().keyboardMask);
}

void KBLEMsgHook::setKeyboardMask(const quint32& mask) {
    hookState().keyboardMask = mask;
    m_backend->setMasks(hookState().mouseMask, hookState().keyboardMask);
}

quint32 KBLEMsgHook::mouseCode(quint32 message, quint32 mouseData, bool* press) {
    using namespace KHookValues;
    quint32 code = 0;
    bool down = false;
    switch (message) {
        case WmRButtonDown:
            down = true;
            Q_FALLTHROUGH();
        case WmRButtonUp:
            code = KDeviceKeyCode::MOUSE_RIGHT;
            break;
        case WmMButtonDown:
            down = true;
            Q_FALLTHROUGH();
        case WmMButtonUp:
            code = KDeviceKeyCode::MOUSE_MIDDLE;
            break;
        case WmXButtonDown:
            down = true;
            Q_FALLTHROUGH();
        case WmXButtonUp:
            code = (mouseData >> 16) == XButton1 ? KDeviceKeyCode::MOUSE_BACK
                                                 : KDeviceKeyCode::MOUSE_FORWARD;
            break;
        default:
            break;
    }
    if (press)
        *press = down;
    return code;
}

bool KBLEMsgHook::consumerKey(quint32 vkCode, quint32* usage, quint32* maskBit) {
    for (const ConsumerRow& row : kConsumerKeys) {
        if (row.vk == vkCode) {
            if (usage)
                *usage = row.usage;
            if (maskBit)
                *maskBit = row.maskBit;
            return true;
        }
    }
    return false;
}

bool KBLEMsgHook::mouseProc(const KMouseHookRecord& record) {
    if (record.extraInfo == SIMULATED_INPUT_TAG)
        return false;
    bool press = false;
    const quint32 code = mouseCode(record.message, record.mouseData, &press);
    if (code == 0 || !(hookState().mouseMask & code))
        return false;
    if (press)
        report(code);
    return true;
}

bool KBLEMsgHook::keyboardProc(const KKeyboardHookRecord& record) {
    if (record.extraInfo == SIMULATED_INPUT_TAG)
        return false;
    quint32 usage = 0;
    quint32 maskBit = 0;
    if (!consumerKey(record.vkCode, &usage, &maskBit) || !(hookState().keyboardMask & maskBit))
        return false;
    // One function per press: the repeats of a held key are swallowed with it, unreported.
    if (!(record.flags & KHookValues::LlkhfUp) && !record.repeat)
        report(KDeviceKeyCode::KEYBOARD_FLAG + usage);
    return true;
}
