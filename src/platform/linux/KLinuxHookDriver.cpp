#include "platform/linux/KLinuxHookDriver.h"

#include "app/KConstants.h"
#include "platform/KDeviceMonitor.h"
#include "platform/linux/KLinuxEventMap.h"
#include "platform/linux/KLinuxUdev.h"

#include <QMutexLocker>

#include <libevdev/libevdev.h>

#include <algorithm>

namespace {

const QString kPurpose = QStringLiteral("to take over the receiver's buttons and keys");

bool isReceiver(const KLinuxUdev::InputNode& node) {
    return node.bus == BUS_USB && node.vendor == RECEIVER_VENDOR_ID &&
           std::find(RECEIVER_PRODUCT_IDS.begin(), RECEIVER_PRODUCT_IDS.end(), node.product) !=
               RECEIVER_PRODUCT_IDS.end();
}

// Whether a device can produce any key the masks select.
bool producesMaskedKey(libevdev* device, quint32 mouseMask, quint32 keyboardMask) {
    for (unsigned code = 0; code <= KEY_MAX; ++code) {
        KLinuxEventMap::DriverEvent event;
        if (!libevdev_has_event_code(device, EV_KEY, code) ||
            !KLinuxEventMap::driverEvent(EV_KEY, quint16(code), 1, &event))
            continue;
        if (event.maskBit & (event.keyboard ? keyboardMask : mouseMask))
            return true;
    }
    for (unsigned code : {REL_WHEEL, REL_HWHEEL}) {
        if (!libevdev_has_event_code(device, EV_REL, code))
            continue;
        for (int value : {1, -1}) {
            KLinuxEventMap::DriverEvent event;
            KLinuxEventMap::driverEvent(EV_REL, quint16(code), value, &event);
            if (event.maskBit & mouseMask)
                return true;
        }
    }
    return false;
}

}  // namespace

KLinuxHookDriver::KLinuxHookDriver(KDeviceMonitor* monitor, QObject* parent)
    : KHookDriver(parent),
      m_reader(
          kPurpose,
          [this](const KLinuxEventReader::Node&, std::vector<input_event>& frame) {
              filter(frame);
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
    // A receiver plugged in (or reset) while the hook runs is taken over as soon as it appears.
    connect(monitor, &KDeviceMonitor::deviceChanged, this, &KLinuxHookDriver::scheduleUpdate);
}

KLinuxHookDriver::~KLinuxHookDriver() {
    close();
}

bool KLinuxHookDriver::open() {
    if (m_open)
        return true;
    // Without pass-through devices nothing may be grabbed: refuse to open.
    if (!m_reader.start())
        return false;
    m_open = true;
    return true;
}

void KLinuxHookDriver::close() {
    if (!m_open)
        return;
    clear();
    m_reader.stop();
    m_open = false;
}

bool KLinuxHookDriver::clear() {
    if (!m_open)
        return false;
    m_registered = false;
    m_mouseMask = 0;
    m_keyboardMask = 0;
    {
        QMutexLocker lock(&m_queueMutex);
        m_semaphore.reset();
        m_queue.clear();
    }
    // Every grab is gone when this returns.
    m_update.stop();
    updateGrabs();
    m_reader.sync();
    return true;
}

bool KLinuxHookDriver::setFlags(quint32 flags) {
    Q_UNUSED(flags);
    return m_open;
}

bool KLinuxHookDriver::setSemaphore(std::shared_ptr<KHookSemaphore> semaphore) {
    if (!m_open || !semaphore)
        return false;
    {
        QMutexLocker lock(&m_queueMutex);
        m_semaphore = std::move(semaphore);
    }
    m_registered = true;
    scheduleUpdate();
    return true;
}

bool KLinuxHookDriver::readKey(quint32* code) {
    QMutexLocker lock(&m_queueMutex);
    if (m_queue.isEmpty())
        return false;
    *code = m_queue.dequeue();
    return true;
}

bool KLinuxHookDriver::setMouseMask(quint32 mask) {
    if (!m_open)
        return false;
    m_mouseMask = mask;
    scheduleUpdate();
    return true;
}

bool KLinuxHookDriver::setKeyboardMask(quint32 mask) {
    if (!m_open)
        return false;
    m_keyboardMask = mask;
    scheduleUpdate();
    return true;
}

void KLinuxHookDriver::updateGrabs() {
    const quint32 mouse = m_mouseMask;
    const quint32 keyboard = m_keyboardMask;
    QList<KLinuxEventReader::Node> nodes;
    if (m_registered && (mouse || keyboard)) {
        for (const KLinuxUdev::InputNode& node : KLinuxUdev::inputNodes())
            if (isReceiver(node))
                nodes << KLinuxEventReader::Node{node.devnode, node.handle};
        // All of the receiver's nodes or none: a half taken-over receiver would surprise more
        // than the message that explains how to grant access.
        if (!KLinuxEventReader::checkAccess(nodes, kPurpose))
            nodes.clear();
    }
    m_reader.setNodes(nodes, [mouse, keyboard](libevdev* device) {
        return producesMaskedKey(device, mouse, keyboard);
    });
}

void KLinuxHookDriver::filter(std::vector<input_event>& frame) {
    const QList<quint32> codes = KLinuxEventMap::takeOver(frame, m_mouseMask, m_keyboardMask);
    if (codes.isEmpty())
        return;
    QMutexLocker lock(&m_queueMutex);
    if (!m_semaphore)
        return;
    for (quint32 code : qAsConst(codes)) {
        // One release per queued code; a code that cannot be announced is not queued.
        m_queue.enqueue(code);
        if (!m_semaphore->release(1))
            m_queue.removeLast();
    }
}
