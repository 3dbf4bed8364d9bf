#include "platform/linux/KLinuxBluetoothInput.h"

#include "platform/KDeviceMonitor.h"
#include "platform/KHookCodes.h"
#include "platform/linux/KLinuxEventMap.h"
#include "platform/linux/KLinuxUdev.h"

#include <QMetaObject>
#include <QMutexLocker>

#include <libevdev/libevdev.h>

#include <algorithm>

namespace {

const QString kPurpose = QStringLiteral("to take over the Bluetooth devices' buttons and keys");

// Whether a device has a button or consumer key that a procedure is installed for and the
// masks select.
bool producesHookedKey(libevdev* device, bool mouse, quint32 mouseMask, bool keyboard,
                       quint32 keyboardMask) {
    for (unsigned code = 0; code <= KEY_MAX; ++code) {
        if (!libevdev_has_event_code(device, EV_KEY, code))
            continue;
        if (mouse && (KLinuxEventMap::hookButtonCode(quint16(code)) & mouseMask))
            return true;
        if (keyboard && (KHookCodes::keyboardMaskBit(KLinuxEventMap::consumerUsage(quint16(code))) &
                         keyboardMask))
            return true;
    }
    return false;
}

}  // namespace

bool KLinuxRawInputBackend::deviceList(QList<KRawInputDevice>* devices) {
    devices->clear();
    for (const KLinuxUdev::InputNode& node : KLinuxUdev::inputNodes()) {
        KRawInputDevice device;
        device.handle = node.handle;
        device.type = node.mouse      ? KRawInputDevice::Mouse
                      : node.keyboard ? KRawInputDevice::Keyboard
                                      : KRawInputDevice::Hid;
        device.name = KLinuxEventMap::rawInputName(node.bus, node.vendor, node.product,
                                                   node.version, node.sysname);
        devices->append(device);
    }
    return true;
}

bool KLinuxRawInputBackend::registerMouseInput() {
    m_registered = true;
    return true;
}

KLinuxLowLevelHookBackend::KLinuxLowLevelHookBackend(KLinuxRawInputBackend* rawInput,
                                                     KDeviceMonitor* monitor, QObject* parent)
    : KLowLevelHookBackend(parent),
      m_rawInput(rawInput),
      m_reader(
          kPurpose,
          [this](const KLinuxEventReader::Node& node, std::vector<input_event>& frame) {
              filter(node, frame);
          },
          [this](const QByteArray& devnode, const QString& name, int reason) {
              emit deviceRefused(QString::fromUtf8(devnode), name, reason);
          }) {
    m_update.setSingleShot(true);
    m_update.setInterval(0);
    connect(&m_update, &QTimer::timeout, this, [this] {
        if (m_reader.isRunning())
            updateGrabs();
    });
    connect(monitor, &KDeviceMonitor::deviceChanged, this,
            &KLinuxLowLevelHookBackend::scheduleUpdate);
}

KLinuxLowLevelHookBackend::~KLinuxLowLevelHookBackend() {
    m_reader.stop();
}

template <typename Proc>
bool KLinuxLowLevelHookBackend::replaceProc(Proc* slot, Proc proc) {
    if (proc && !m_reader.start())
        return false;  // nothing can be taken over without pass-through
    {
        QMutexLocker lock(&m_procMutex);  // waits for a procedure still running
        *slot = std::move(proc);
    }
    scheduleUpdate();
    return true;
}

bool KLinuxLowLevelHookBackend::installMouseHook(MouseProc proc) {
    return replaceProc(&m_mouseProc, std::move(proc));
}

void KLinuxLowLevelHookBackend::removeMouseHook() {
    replaceProc(&m_mouseProc, MouseProc());
}

bool KLinuxLowLevelHookBackend::installKeyboardHook(KeyboardProc proc) {
    return replaceProc(&m_keyboardProc, std::move(proc));
}

void KLinuxLowLevelHookBackend::removeKeyboardHook() {
    replaceProc(&m_keyboardProc, KeyboardProc());
}

void KLinuxLowLevelHookBackend::setDevicePatterns(const QStringList& patterns) {
    m_patterns = patterns;
    scheduleUpdate();
}

void KLinuxLowLevelHookBackend::setMasks(quint32 mouseMask, quint32 keyboardMask) {
    if (m_mouseMask == mouseMask && m_keyboardMask == keyboardMask)
        return;
    m_mouseMask = mouseMask;
    m_keyboardMask = keyboardMask;
    scheduleUpdate();
}

void KLinuxLowLevelHookBackend::updateGrabs() {
    bool mouse = false;
    bool keyboard = false;
    {
        QMutexLocker lock(&m_procMutex);
        mouse = bool(m_mouseProc);
        keyboard = bool(m_keyboardProc);
    }
    const quint32 mouseMask = m_mouseMask;
    const quint32 keyboardMask = m_keyboardMask;
    QList<KLinuxEventReader::Node> nodes;
    if (mouse || keyboard) {
        for (const KLinuxUdev::InputNode& node : KLinuxUdev::inputNodes()) {
            if (node.bus != BUS_BLUETOOTH)
                continue;
            const QByteArray name = KLinuxEventMap::rawInputName(
                node.bus, node.vendor, node.product, node.version, node.sysname);
            const bool recognised =
                std::any_of(m_patterns.begin(), m_patterns.end(),
                            [&](const QString& p) { return name.contains(p.toLatin1()); });
            if (recognised)
                nodes << KLinuxEventReader::Node{node.devnode, node.handle};
        }
        if (!KLinuxEventReader::checkAccess(nodes, kPurpose))
            nodes.clear();
    }
    // Only the devices with a key that has a function are taken over.
    m_reader.setNodes(nodes, [=](libevdev* device) {
        return producesHookedKey(device, mouse, mouseMask, keyboard, keyboardMask);
    });
}

void KLinuxLowLevelHookBackend::filter(const KLinuxEventReader::Node& node,
                                       std::vector<input_event>& frame) {
    QList<quint16> rawFlags;
    {
        QMutexLocker lock(&m_procMutex);
        rawFlags = KLinuxEventMap::hookFrame(frame, m_mouseProc, m_keyboardProc);
    }
    // Raw input sees every button record, swallowed or not, after the hooks, in the main thread.
    if (!m_rawInput->isRegistered())
        return;
    for (quint16 flags : qAsConst(rawFlags))
        QMetaObject::invokeMethod(
            m_rawInput,
            [rawInput = m_rawInput, handle = node.handle, flags] {
                emit rawInput->mouseInput(handle, flags);
            },
            Qt::QueuedConnection);
}
