#pragma once

#include "platform/KInputInjector.h"

#include <memory>

struct libevdev_uinput;

// Injection through two uinput virtual devices created with libevdev: a keyboard carrying every
// key of the virtual-key table, and a pointer with the five buttons and both wheels. Both carry
// the program's virtual-device identity, so the program's own device reading skips them. Not
// thread-safe by itself: the caller serialises.
class KUinputInjector : public KInputInjector {
public:
    // Creates the devices on the uinput node at path. Null, with the reason in error, when the
    // node cannot be opened or the devices cannot be created.
    static std::unique_ptr<KUinputInjector> create(const QString& path, QString* error);
    ~KUinputInjector() override;

    void sendKey(quint8 vk, bool up, quintptr extraInfo) override;
    void sendMouse(quint32 flags, qint32 data, quintptr extraInfo) override;
    QString method() const override { return QStringLiteral("uinput"); }

    QString keyboardNode() const;
    QString pointerNode() const;

private:
    struct Device {
        int fd = -1;
        libevdev_uinput* uinput = nullptr;
    };
    KUinputInjector(Device keyboard, Device pointer);
    static void destroy(Device& device);

    Device m_keyboard;
    Device m_pointer;
};
