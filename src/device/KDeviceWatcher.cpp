#include "device/KDeviceWatcher.h"

#include "device/KMonotonicClock.h"
#include "device/KReceiverIds.h"
#include "device/KUSBDevice.h"
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
    static const QStringList patterns = {
        QStringLiteral("{00001812-0000-1000-8000-00805f9b34fb}_Dev_VID&02000e_PID&3412"),
        QStringLiteral("{00001812-0000-1000-8000-00805f9b34fb}_Dev_VID&021235_PID&aa22"),
        QStringLiteral("{00001812-0000-1000-8000-00805f9b34fb}_Dev_VID&02248a_PID&8266"),
    };
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
    // Owned by the watcher; the process-wide watcher keeps it until exit.
    hidWatcher = new KHID::KHIDWatcher(backends.monitor, this);
    hidWatcher->registerNotification();
    connect(hidWatcher->monitor(), &KDeviceMonitor::sessionResumed, this,
            &KDeviceWatcher::sigSessionResumed);
}

void KDeviceWatcher::startWatch() {
    if (watching)
        return;
    connect(hidWatcher, &KHID::KHIDWatcher::sigHIDDeviceChange, this,
            &KDeviceWatcher::slotDeviceChange);
    watching = true;
}

void KDeviceWatcher::stopWatch() {
    if (!watching)
        return;
    disconnect(hidWatcher, &KHID::KHIDWatcher::sigHIDDeviceChange, this,
               &KDeviceWatcher::slotDeviceChange);
    watching = false;
}

void KDeviceWatcher::slotDeviceChange(bool status, QString devicePath) {
    const qint64 now = m_clock();
    if (now - lastChange > DebounceMs)
        emit sigDeviceChange(status, devicePath);
    lastChange = now;
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

    QList<KRawInputDevice> devices;
    if (m_rawInput->deviceList(&devices)) {
        for (const KRawInputDevice& device : devices) {
            if (device.type != KRawInputDevice::Mouse && device.type != KRawInputDevice::Keyboard)
                continue;
            if (!isBluetoothDeviceName(device.name))
                continue;
            if (device.type == KRawInputDevice::Mouse)
                ++bleMouseCount;
            else
                ++bleKeyboardCount;
        }
    }

    connectMap.clear();
    connectMap.insert(QStringLiteral("usb"), usbCount);
    connectMap.insert(QStringLiteral("ble"), bleMouseCount + bleKeyboardCount);
    connectMap.insert(QStringLiteral("bleMs"), bleMouseCount);
    connectMap.insert(QStringLiteral("bleKb"), bleKeyboardCount);
    return connectMap;
}
