#include "platform/linux/KUinputInjector.h"

#include "platform/KVirtualDeviceIdentity.h"
#include "platform/linux/KLinuxKeyMap.h"
#include "platform/linux/KMouseSteps.h"
#include "platform/linux/KUinputDevice.h"

#include <QDebug>

#include <fcntl.h>
#include <libevdev/libevdev-uinput.h>
#include <libevdev/libevdev.h>
#include <linux/input.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <functional>

namespace {

void describeKeyboard(libevdev* dev) {
    libevdev_enable_event_type(dev, EV_KEY);
    for (const KVirtualKeyMapping& m : KLinuxKeyMap::table())
        libevdev_enable_event_code(dev, EV_KEY, m.linuxKey, nullptr);
    // Every key a layout may type a letter, digit or sign with.
    for (quint16 code : KXkbLayout::mainBlockKeys())
        libevdev_enable_event_code(dev, EV_KEY, code, nullptr);
}

constexpr quint32 EVDEV_OFFSET = 8;

void describePointer(libevdev* dev) {
    libevdev_enable_property(dev, INPUT_PROP_POINTER);
    libevdev_enable_event_type(dev, EV_KEY);
    for (unsigned code : {BTN_LEFT, BTN_RIGHT, BTN_MIDDLE, BTN_SIDE, BTN_EXTRA})
        libevdev_enable_event_code(dev, EV_KEY, code, nullptr);
    // Relative axes make the device a mouse for udev and libinput; it never moves.
    libevdev_enable_event_type(dev, EV_REL);
    for (unsigned code : {REL_X, REL_Y, REL_WHEEL, REL_HWHEEL, REL_WHEEL_HI_RES, REL_HWHEEL_HI_RES})
        libevdev_enable_event_code(dev, EV_REL, code, nullptr);
}

unsigned buttonCode(KMouseStep::Button button) {
    switch (button) {
        case KMouseStep::Left:
            return BTN_LEFT;
        case KMouseStep::Right:
            return BTN_RIGHT;
        case KMouseStep::Middle:
            return BTN_MIDDLE;
        case KMouseStep::Back:
            return BTN_SIDE;
        case KMouseStep::Forward:
            return BTN_EXTRA;
    }
    return BTN_LEFT;
}

}  // namespace

std::unique_ptr<KUinputInjector> KUinputInjector::create(const QString& path, QString* error,
                                                         std::shared_ptr<KXkbLayoutSlot> layout) {
    QString reason;
    Device keyboard;
    keyboard.fd =
        createUinputDevice(path, "keyboard", KVirtualDeviceIdentity::PRODUCT_INJECTOR_KEYBOARD,
                           describeKeyboard, &keyboard.uinput, &reason);
    if (keyboard.fd < 0) {
        if (error)
            *error = reason;
        return nullptr;
    }
    Device pointer;
    pointer.fd =
        createUinputDevice(path, "pointer", KVirtualDeviceIdentity::PRODUCT_INJECTOR_POINTER,
                           describePointer, &pointer.uinput, &reason);
    if (pointer.fd < 0) {
        destroy(keyboard);
        if (error)
            *error = reason;
        return nullptr;
    }
    return std::unique_ptr<KUinputInjector>(
        new KUinputInjector(keyboard, pointer, std::move(layout)));
}

std::unique_ptr<KUinputInjector> KUinputInjector::createWithWriter(
    EventWriter writer, std::shared_ptr<KXkbLayoutSlot> layout) {
    std::unique_ptr<KUinputInjector> injector(
        new KUinputInjector(Device(), Device(), std::move(layout)));
    injector->m_writer = std::move(writer);
    return injector;
}

KUinputInjector::KUinputInjector(Device keyboard, Device pointer,
                                 std::shared_ptr<KXkbLayoutSlot> layout)
    : m_keyboard(keyboard), m_pointer(pointer), m_layout(std::move(layout)) {}

KUinputInjector::~KUinputInjector() {
    destroy(m_keyboard);
    destroy(m_pointer);
}

void KUinputInjector::destroy(Device& device) {
    if (device.uinput)
        libevdev_uinput_destroy(device.uinput);
    if (device.fd >= 0)
        ::close(device.fd);
    device = Device();
}

QString KUinputInjector::keyboardNode() const {
    if (!m_keyboard.uinput)
        return QString();
    const char* node = libevdev_uinput_get_devnode(m_keyboard.uinput);
    return node ? QString::fromLocal8Bit(node) : QString();
}

QString KUinputInjector::pointerNode() const {
    if (!m_pointer.uinput)
        return QString();
    const char* node = libevdev_uinput_get_devnode(m_pointer.uinput);
    return node ? QString::fromLocal8Bit(node) : QString();
}

void KUinputInjector::sendKey(quint8 vk, bool up, quintptr) {
    const quint16 code = KLinuxKeyMap::linuxKey(vk);
    if (code == 0) {
        qWarning().noquote() << QStringLiteral("input: virtual key 0x%1 has no Linux key; ignored")
                                    .arg(vk, 2, 16, QLatin1Char('0'));
        return;
    }
    const std::shared_ptr<const KXkbLayout> layout = m_layout ? m_layout->get() : nullptr;
    if (!layout && !m_saidNoLayout && KXkbLayout::isLayoutKey(vk)) {
        m_saidNoLayout = true;
        qInfo().noquote() << "[Info] input: no keyboard layout known; letters, digits and signs"
                             " are sent at their US keyboard positions";
    }
    for (const KKeyEvent& e : m_expander.expand(layout.get(), vk, up, code + EVDEV_OFFSET)) {
        writeKey(EV_KEY, e.key - EVDEV_OFFSET, e.down ? 1 : 0);
        writeKey(EV_SYN, SYN_REPORT, 0);
    }
}

void KUinputInjector::writeKey(unsigned type, unsigned code, int value) {
    if (m_writer)
        m_writer(type, code, value);
    else
        libevdev_uinput_write_event(m_keyboard.uinput, type, code, value);
}

void KUinputInjector::sendMouse(quint32 flags, qint32 data, quintptr) {
    libevdev_uinput* dev = m_pointer.uinput;
    if (!dev)
        return;
    for (const KMouseStep& step : mouseSteps(flags, data)) {
        switch (step.kind) {
            case KMouseStep::Press:
            case KMouseStep::Release:
                libevdev_uinput_write_event(dev, EV_KEY, buttonCode(step.button),
                                            step.kind == KMouseStep::Press ? 1 : 0);
                break;
            case KMouseStep::Wheel:
                libevdev_uinput_write_event(dev, EV_REL, REL_WHEEL, wheelNotches(step.delta));
                libevdev_uinput_write_event(dev, EV_REL, REL_WHEEL_HI_RES, step.delta);
                break;
            case KMouseStep::HorizontalWheel:
                libevdev_uinput_write_event(dev, EV_REL, REL_HWHEEL, wheelNotches(step.delta));
                libevdev_uinput_write_event(dev, EV_REL, REL_HWHEEL_HI_RES, step.delta);
                break;
        }
        libevdev_uinput_write_event(dev, EV_SYN, SYN_REPORT, 0);
    }
}
