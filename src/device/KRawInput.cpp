#include "device/KRawInput.h"

#include "device/KDeviceWatcher.h"
#include "platform/KPlatform.h"
#include "platform/KRawInputBackend.h"
#include "simulation/KDeviceKeyCode.h"

KRawInputWidget::KRawInputWidget(std::function<void(quint32)> callback,
                                 const QMap<quintptr, RawDeviceEntry>* bleMice, QObject* parent)
    : QObject(parent), bleMice(bleMice), callback(std::move(callback)) {}

void KRawInputWidget::onMouseInput(quintptr device, quint16 buttonFlags) {
    if (!active || !bleMice->contains(device))
        return;
    const quint32 code = KRawInput::codeForButtonFlags(buttonFlags);
    if (code != 0 && (mouseMask & code) && callback)
        callback(code);
}

KRawInput::KRawInput(std::function<void(quint32)> callback, KRawInputBackend* backend,
                     QObject* parent)
    : QObject(parent),
      m_backend(backend ? backend : KPlatform::instance()->rawInputBackend()),
      widget(new KRawInputWidget(std::move(callback), &bleMice, this)) {
    connect(m_backend, &KRawInputBackend::mouseInput, widget, &KRawInputWidget::onMouseInput);
}

quint32 KRawInput::codeForButtonFlags(quint16 buttonFlags) {
    switch (buttonFlags) {
        case KRawMouseFlags::RightDown:
            return KDeviceKeyCode::MOUSE_RIGHT;
        case KRawMouseFlags::MiddleDown:
            return KDeviceKeyCode::MOUSE_MIDDLE;
        case KRawMouseFlags::Button4Down:
            return KDeviceKeyCode::MOUSE_BACK;
        case KRawMouseFlags::Button5Down:
            return KDeviceKeyCode::MOUSE_FORWARD;
        default:
            return 0;
    }
}

void KRawInput::refreshDevices() {
    bleMice.clear();
    QList<KRawInputDevice> devices;
    if (!m_backend->deviceList(&devices))
        return;
    for (const KRawInputDevice& device : devices) {
        if (device.type != KRawInputDevice::Mouse)
            continue;
        if (KDeviceWatcher::isBluetoothDeviceName(device.name))
            bleMice.insert(device.handle, RawDeviceEntry{device.handle, device.name});
    }
}

bool KRawInput::start(bool refresh) {
    if (refresh)
        refreshDevices();
    if (!m_backend->registerMouseInput())
        return false;
    widget->active = true;
    return true;
}

bool KRawInput::stop() {
    widget->active = false;
    return true;
}
