#include "device/KDeviceHook.h"

#include "config/KConfigCommon.h"
#include "device/KBLEMsgHook.h"
#include "device/KDeviceWatcher.h"
#include "platform/KDeviceRefusal.h"
#include "platform/KHookDriver.h"
#include "platform/KLowLevelHookBackend.h"

#include <QDebug>

namespace {

struct MaskRow {
    int keyType;
    quint32 bit;
};

constexpr MaskRow kMouseMask[] = {
    {1, 0x0001}, {2, 0x0002}, {3, 0x0004}, {4, 0x0020}, {5, 0x0040},
    {6, 0x0100}, {7, 0x0080}, {8, 0x0010}, {9, 0x0008},
};

constexpr MaskRow kKeyboardMask[] = {
    {16, 0x2000}, {17, 0x4000}, {18, 0x1000}, {19, 0x0080}, {20, 0x0002}, {21, 0x0001},
    {22, 0x0004}, {23, 0x0010}, {24, 0x0008}, {25, 0x0040}, {26, 0x0020}, {27, 0x0400},
};

template <size_t N>
quint32 bitOf(const MaskRow (&rows)[N], int keyType) {
    for (const MaskRow& row : rows)
        if (row.keyType == keyType)
            return row.bit;
    return 0;
}

}  // namespace

KDeviceHook* KDeviceHook::instance() {
    static KDeviceHook* hook = new KDeviceHook;  // lives until process end
    return hook;
}

KDeviceHook::KDeviceHook(const Parts& parts, QObject* parent)
    : QObject(parent),
      config(parts.config ? parts.config : KConfigCommon::instance()),
      m_watcher(parts.watcher ? parts.watcher : KDeviceWatcher::instance()),
      usbHook(parts.driver),
      bleHook(m_watcher, parts.ble) {
    connect(config, &KConfigCommon::sigKeyValueChange, this, &KDeviceHook::onConfigChange);
    connect(m_watcher, &KDeviceWatcher::sigDeviceChange, this, &KDeviceHook::onDeviceChange);
    connect(m_watcher, &KDeviceWatcher::sigSessionResumed, this, &KDeviceHook::onSessionResumed);
    connect(m_watcher, &KDeviceWatcher::sigSessionActiveChanged, this,
            &KDeviceHook::onSessionActiveChanged);
    connect(usbHook.driver(), &KHookDriver::deviceRefused, this, &KDeviceHook::onDeviceRefused,
            Qt::QueuedConnection);
    connect(bleHook.messageHook()->backend(), &KLowLevelHookBackend::deviceRefused, this,
            &KDeviceHook::onDeviceRefused, Qt::QueuedConnection);
    connect(&usbHook, &KHookBase::sigKeyDown, this, &KDeviceHook::sigKeyDown);
    connect(&bleHook, &KHookBase::sigKeyDown, this, &KDeviceHook::sigKeyDown);
}

// Members are destroyed in reverse order: the Bluetooth hook first, then the USB hook.
KDeviceHook::~KDeviceHook() = default;

quint32 KDeviceHook::mouseMaskBit(int keyType) {
    return bitOf(kMouseMask, keyType);
}

quint32 KDeviceHook::keyboardMaskBit(int keyType) {
    return bitOf(kKeyboardMask, keyType);
}

quint32 KDeviceHook::mouseMask() const {
    quint32 mask = 0;
    for (const MaskRow& row : kMouseMask)
        if (config->getValueByKeyType(row.keyType) != 0)
            mask |= row.bit;
    return mask;
}

quint32 KDeviceHook::keyboardMask() const {
    quint32 mask = 0;
    for (const MaskRow& row : kKeyboardMask)
        if (config->getValueByKeyType(row.keyType) != 0)
            mask |= row.bit;
    return mask;
}

void KDeviceHook::sendMasks() {
    const quint32 mouse = mouseMask();
    if (usbOn)
        usbHook.setMouseMask(mouse);
    else if (bleOn)
        bleHook.setMouseMask(mouse);
    const quint32 keyboard = keyboardMask();
    if (usbOn)
        usbHook.setKeyboardMask(keyboard);
    else if (bleOn)
        bleHook.setKeyboardMask(keyboard);
}

void KDeviceHook::stopBle() {
    if (bleOn) {
        bleOn = false;
        bleHook.stopHook();
    }
}

void KDeviceHook::stopUsb() {
    if (usbOn) {
        usbOn = false;
        usbHook.stopHook();
    }
}

bool KDeviceHook::start(int type) {
    switch (type) {
        case HookUsb:
            stopBle();
            usbOn = usbHook.startHook();
            return usbOn;
        case HookBle:
            stopUsb();
            bleOn = bleHook.startHook();
            return bleOn;
        default:
            return false;
    }
}

bool KDeviceHook::startHookFromWatcher() {
    if (!m_watcher->isSessionActive()) {
        // Another session has the seat: its user's devices are not ours to take.
        stop();
        return true;
    }
    const QVariantMap map = m_watcher->getDeviceConnect(true);
    const QStringList devices = m_watcher->deviceSignature();
    if (map.value(QStringLiteral("usb")).toInt() >= 1) {
        if (usbOn)
            return true;
        stopBle();
        usbOn = usbHook.startHook();
        if (!usbOn)
            return false;
    } else if (map.value(QStringLiteral("ble")).toInt() >= 1) {
        stopUsb();
        // Restarted only for a different set of Bluetooth devices: the hook picks up the new
        // mix of mice and keyboards and the new devices' raw input.
        if (!bleOn || devices != m_bleDevices) {
            stopBle();
            bleOn = bleHook.startHook();
            if (!bleOn)
                return false;
            m_bleDevices = devices;
        }
    } else {
        stopBle();
        stopUsb();
    }
    sendMasks();
    return true;
}

bool KDeviceHook::stop() {
    stopBle();
    stopUsb();
    return true;
}

bool KDeviceHook::running() {
    return usbOn || bleOn;
}

void KDeviceHook::onDeviceChange(bool status, QString devicePath) {
    Q_UNUSED(status);
    Q_UNUSED(devicePath);
    startHookFromWatcher();
}

void KDeviceHook::onConfigChange(int keyType, int value) {
    Q_UNUSED(keyType);
    Q_UNUSED(value);
    sendMasks();
}

void KDeviceHook::onSessionActiveChanged(bool active) {
    if (active) {
        qInfo().noquote() << "[Info] the session is active: taking the devices over again";
        startHookFromWatcher();
    } else {
        qInfo().noquote() << "[Info] the session is not active: every device is let go";
        stop();
    }
}

void KDeviceHook::onDeviceRefused(const QString& node, const QString& name, int reason) {
    const QString why = reason == KDeviceRefusal::ForceFeedback
                            ? tr("its force feedback cannot be passed on")
                            : tr("no virtual device can be created to pass its other events on "
                                 "(check access to /dev/uinput)");
    m_notice = tr("%1 (%2) is not taken over: %3.").arg(name, node, why);
    emit sigDeviceNotice(m_notice);
}

void KDeviceHook::onSessionResumed() {
    if (!running())
        return;
    qInfo().noquote() << "[Info] session resumed: setting up the device hook again";
    stop();
    startHookFromWatcher();
}
