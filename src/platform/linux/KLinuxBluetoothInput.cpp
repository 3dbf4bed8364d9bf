#include "platform/linux/KLinuxBluetoothInput.h"

#include "platform/KDeviceMonitor.h"
#include "platform/linux/KLinuxEventMap.h"
#include "platform/linux/KLinuxUdev.h"

#include <QMetaObject>
#include <QMutexLocker>

#include <libevdev/libevdev.h>

#include <algorithm>

namespace {

const QString kPurpose = QStringLiteral("to take over the Bluetooth devices' buttons and keys");

bool hasHookButtons(libevdev* device) {
    for (unsigned code : {BTN_RIGHT, BTN_MIDDLE, BTN_SIDE, BTN_EXTRA, BTN_BACK, BTN_FORWARD})
        if (libevdev_has_event_code(device, EV_KEY, code))
            return true;
    return false;
}

bool hasHookKeys(libevdev* device) {
    for (unsigned code = 0; code <= KEY_MAX; ++code)
        if (libevdev_has_event_code(device, EV_KEY, code) &&
            KLinuxEventMap::keyboardHookRecord(EV_KEY, quint16(code), 1, nullptr))
            return true;
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
      m_reader(kPurpose, [this](const KLinuxEventReader::Node& node,
                                std::vector<input_event>& frame) { filter(node, frame); }) {
    connect(monitor, &KDeviceMonitor::deviceChanged, this, [this] {
        if (m_reader.isRunning())
            updateGrabs();
    });
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
    updateGrabs();
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
    if (m_reader.isRunning())
        updateGrabs();
}

void KLinuxLowLevelHookBackend::setMasks(quint32 mouseMask, quint32 keyboardMask) {
    Q_UNUSED(mouseMask);
    Q_UNUSED(keyboardMask);  // the procedures apply the masks; every recognised node is taken
}

void KLinuxLowLevelHookBackend::updateGrabs() {
    bool mouse = false;
    bool keyboard = false;
    {
        QMutexLocker lock(&m_procMutex);
        mouse = bool(m_mouseProc);
        keyboard = bool(m_keyboardProc);
    }
    if (!mouse && !keyboard) {
        m_reader.stop();  // lets go of every device and removes the pass-through devices
        return;
    }
    QList<KLinuxEventReader::Node> nodes;
    for (const KLinuxUdev::InputNode& node : KLinuxUdev::inputNodes()) {
        if (node.bus != BUS_BLUETOOTH)
            continue;
        const QByteArray name = KLinuxEventMap::rawInputName(node.bus, node.vendor, node.product,
                                                             node.version, node.sysname);
        const bool recognised =
            std::any_of(m_patterns.begin(), m_patterns.end(),
                        [&](const QString& p) { return name.contains(p.toLatin1()); });
        if (recognised)
            nodes << KLinuxEventReader::Node{node.devnode, node.handle};
    }
    if (!KLinuxEventReader::checkAccess(nodes, kPurpose))
        nodes.clear();
    m_reader.setNodes(nodes, [mouse, keyboard](libevdev* device) {
        return (mouse && hasHookButtons(device)) || (keyboard && hasHookKeys(device));
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
