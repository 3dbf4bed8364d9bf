#include "device/KDeviceWatcher.h"

#include "device/KMonotonicClock.h"
#include "device/KReceiverIds.h"
#include "device/KUSBDevice.h"
#include "platform/KBluetoothDevices.h"
#include "platform/KDeviceMonitor.h"
#include "platform/KPlatform.h"
#include "platform/KRawInputBackend.h"

#include <QSet>

namespace KHID {

KHIDWatcher::KHIDWatcher(KDeviceMonitor* monitor, QObject* parent)
    : QObject(parent), m_monitor(monitor ? monitor : KPlatform::instance()->deviceMonitor()) {}

bool KHIDWatcher::registerNotification() {
    if (!m_registered) {
        connect(
            m_monitor, &KDeviceMonitor::deviceChanged, this,
            [this](bool arrival, const QString& path) { emit sigHIDDeviceChange(arrival, path); });
        m_registered = true;
    }
    return m_monitor->start();
}

}  // namespace KHID

KDeviceWatcher* KDeviceWatcher::instance() {
    static KDeviceWatcher* watcher = new KDeviceWatcher;  // lives until process end
    return watcher;
}

const QStringList& KDeviceWatcher::bluetoothDevicePatterns() {
    // "{HID service UUID}_Dev_VID&02vvvv_PID&pppp", lower-case hex, as the system names them.
    static const QStringList patterns = [] {
        QStringList list;
        for (const KBluetoothDevices::Device& device : KBluetoothDevices::kDevices)
            list << QStringLiteral("{00001812-0000-1000-8000-00805f9b34fb}_Dev_VID&02%1_PID&%2")
                        .arg(device.vendor, 4, 16, QLatin1Char('0'))
                        .arg(device.product, 4, 16, QLatin1Char('0'));
        return list;
    }();
    return patterns;
}

bool KDeviceWatcher::isBluetoothDeviceName(const QByteArray& name) {
    for (const QString& pattern : bluetoothDevicePatterns())
        if (name.contains(pattern.toLatin1()))
            return true;
    return false;
}

KDeviceWatcher::KDeviceWatcher(const Backends& backends, const Clock& clock, QObject* parent)
    : QObject(parent),
      m_hid(backends.hid ? backends.hid : KPlatform::instance()->hidBackend()),
      m_rawInput(backends.rawInput ? backends.rawInput : KPlatform::instance()->rawInputBackend()),
      m_clock(clock ? clock : Clock(monotonicMs)) {
    lastChange = m_clock();
    m_settled.setSingleShot(true);
    m_settled.setInterval(int(DebounceMs));
    connect(&m_settled, &QTimer::timeout, this, &KDeviceWatcher::onBurstSettled);
    // Owned by the watcher; the process-wide watcher keeps it until exit.
    hidWatcher = new KHID::KHIDWatcher(backends.monitor, this);
    hidWatcher->registerNotification();
    connect(hidWatcher, &KHID::KHIDWatcher::sigHIDDeviceChange, this,
            &KDeviceWatcher::onMonitorChange);
    connect(hidWatcher->monitor(), &KDeviceMonitor::sessionResumed, this,
            &KDeviceWatcher::sigSessionResumed);
    connect(hidWatcher->monitor(), &KDeviceMonitor::sessionActiveChanged, this,
            &KDeviceWatcher::sigSessionActiveChanged);
}

bool KDeviceWatcher::isSessionActive() const {
    return hidWatcher->monitor()->isSessionActive();
}

void KDeviceWatcher::startWatch() {
    if (watching)
        return;
    watching = true;
    if (m_missed) {
        // What changed before watching began counts as one change.
        m_missed = false;
        slotDeviceChange(m_firstMissed.first, m_firstMissed.second);
    }
}

void KDeviceWatcher::stopWatch() {
    if (!watching)
        return;
    watching = false;
    m_settled.stop();
    m_burstFollowed = false;
}

void KDeviceWatcher::onMonitorChange(bool status, const QString& devicePath) {
    if (watching) {
        slotDeviceChange(status, devicePath);
    } else if (!m_missed) {
        m_missed = true;
        m_firstMissed = qMakePair(status, devicePath);
    }
}

void KDeviceWatcher::slotDeviceChange(bool status, QString devicePath) {
    if (m_clock() - lastChange > DebounceMs) {
        emit sigDeviceChange(status, devicePath);
    } else {
        // Part of a burst already signalled: its end is signalled too.
        m_burstFollowed = true;
        m_lastOfBurst = qMakePair(status, devicePath);
    }
    // Read after the signal: its receivers may take a while, and what queued up meanwhile is
    // part of the same burst.
    lastChange = m_clock();
    m_settled.start();
}

void KDeviceWatcher::onBurstSettled() {
    if (!m_burstFollowed || !watching)
        return;
    m_burstFollowed = false;
    lastChange = m_clock();
    emit sigDeviceChange(m_lastOfBurst.first, m_lastOfBurst.second);
}

QVariantMap KDeviceWatcher::getDeviceConnect(bool refresh) {
    if (refresh)
        checkHidDeviceConnected();
    return connectMap;
}

QVariantMap KDeviceWatcher::checkHidDeviceConnected() {
    usbCount = 0;
    bleMouseCount = 0;
    bleKeyboardCount = 0;

    QList<KHID::KHidDetail> details;
    KHID::KUSBDevice::enumerateDevices(
        [&details](KHID::KHidDetail detail, bool&) { details << detail; }, m_hid);
    QSet<quint16> receivers;
    for (const KHID::KHidDetail& detail : details)
        if (KHID::isSupportedReceiver(detail.vendorId, detail.productId))
            receivers.insert(detail.productId);
    usbCount = receivers.size();

    QStringList signature;
    for (quint16 product : qAsConst(receivers))
        signature << QStringLiteral("usb:%1").arg(product, 4, 16, QLatin1Char('0'));

    QList<KRawInputDevice> devices;
    if (m_rawInput->deviceList(&devices)) {
        for (const KRawInputDevice& device : devices) {
            if (device.type != KRawInputDevice::Mouse && device.type != KRawInputDevice::Keyboard)
                continue;
            if (!isBluetoothDeviceName(device.name))
                continue;
            const bool mouse = device.type == KRawInputDevice::Mouse;
            if (mouse)
                ++bleMouseCount;
            else
                ++bleKeyboardCount;
            signature << QStringLiteral("%1:%2:%3")
                             .arg(mouse ? QLatin1String("ms") : QLatin1String("kb"))
                             .arg(quint64(device.handle))
                             .arg(QString::fromLatin1(device.name));
        }
    }
    signature.sort();
    m_signature = signature;

    connectMap.clear();
    connectMap.insert(QStringLiteral("usb"), usbCount);
    connectMap.insert(QStringLiteral("ble"), bleMouseCount + bleKeyboardCount);
    connectMap.insert(QStringLiteral("bleMs"), bleMouseCount);
    connectMap.insert(QStringLiteral("bleKb"), bleKeyboardCount);
    return connectMap;
}
