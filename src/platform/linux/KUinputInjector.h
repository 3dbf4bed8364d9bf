#pragma once

#include "platform/KInputInjector.h"
#include "platform/linux/KXkbLayout.h"

#include <functional>
#include <memory>

struct libevdev_uinput;

// Injection through two uinput virtual devices created with libevdev: a keyboard carrying every
// key of the virtual-key table and the whole main key block, and a pointer with the five buttons
// and both wheels. Both carry the program's virtual-device identity, so the program's own device
// reading skips them. Letters, digits and punctuation go out as the keys that type them on the
// session's layout (read from layout at each key; US positions while it holds none). Not
// thread-safe by itself: the caller serialises.
class KUinputInjector : public KInputInjector {
public:
    // Receives the keyboard's events (EV_KEY and EV_SYN, type, code, value).
    using EventWriter = std::function<void(unsigned type, unsigned code, int value)>;

    // Creates the devices on the uinput node at path. Null, with the reason in error, when the
    // node cannot be opened or the devices cannot be created.
    static std::unique_ptr<KUinputInjector> create(const QString& path, QString* error,
                                                   std::shared_ptr<KXkbLayoutSlot> layout = {});
    // An injector without devices whose keyboard events go to writer (mouse events go nowhere):
    // what the keyboard would write, for checks without a uinput node.
    static std::unique_ptr<KUinputInjector> createWithWriter(
        EventWriter writer, std::shared_ptr<KXkbLayoutSlot> layout);
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
    KUinputInjector(Device keyboard, Device pointer, std::shared_ptr<KXkbLayoutSlot> layout);
    static void destroy(Device& device);
    void writeKey(unsigned type, unsigned code, int value);

    Device m_keyboard;
    Device m_pointer;
    std::shared_ptr<KXkbLayoutSlot> m_layout;
    EventWriter m_writer;
    KKeyStrokeExpander m_expander;
    bool m_saidNoLayout = false;
};
