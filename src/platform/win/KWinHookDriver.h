#pragma once

#include "platform/KHookDriver.h"

#include <atomic>
#include <functional>
#include <thread>

namespace KWinDriverCodes {
// Buffered-method codes of device type FILE_DEVICE_UNKNOWN with any access.
constexpr quint32 controlCode(quint32 function) {
    return (0x22u << 16) | (function << 2);
}
}  // namespace KWinDriverCodes

// The receiver's filter driver through its control device "\\.\tvkmdrvkc": CreateFileW and six
// buffered I/O controls. The driver signals a Win32 semaphore whose handle value it is given;
// a bridge thread turns each signal into one release of the program's semaphore.
class KWinHookDriver : public KHookDriver {
    Q_OBJECT
public:
    static constexpr quint32 IOCTL_HOOK_SET_SEMAPHORE = KWinDriverCodes::controlCode(0x900);
    static constexpr quint32 IOCTL_HOOK_CLEAR = KWinDriverCodes::controlCode(0x901);
    static constexpr quint32 IOCTL_HOOK_READ_KEY = KWinDriverCodes::controlCode(0x902);
    static constexpr quint32 IOCTL_HOOK_SET_MOUSE_MASK = KWinDriverCodes::controlCode(0x903);
    static constexpr quint32 IOCTL_HOOK_SET_KEYBOARD_MASK = KWinDriverCodes::controlCode(0x904);
    static constexpr quint32 IOCTL_HOOK_SET_FLAGS = KWinDriverCodes::controlCode(0x911);

    static constexpr int SemaphoreMaximum = 8000;

    // How the control device is reached: CreateFileW, DeviceIoControl and CloseHandle by
    // default; tests put a scripted driver in their place. Handles are the system's values, 0
    // for none.
    struct Io {
        std::function<quintptr(const QString& path)> open;
        std::function<bool(quintptr device, quint32 code, const void* in, quint32 inLength,
                           void* out, quint32 outLength, quint32* returned)>
            control;
        std::function<void(quintptr device)> close;
        static Io system();
    };

    explicit KWinHookDriver(QObject* parent = nullptr);
    KWinHookDriver(Io io, QObject* parent = nullptr);
    ~KWinHookDriver() override;

    static QString devicePath();

    bool open() override;
    void close() override;
    bool isOpen() const override;
    bool clear() override;
    bool setFlags(quint32 flags) override;
    bool setSemaphore(std::shared_ptr<KHookSemaphore> semaphore) override;
    bool readKey(quint32* code) override;
    bool setMouseMask(quint32 mask) override;
    bool setKeyboardMask(quint32 mask) override;

private:
    bool sendWord(quint32 code, quint32 word);
    void stopBridge();

    Io m_io;
    quintptr m_device = 0;
    // The semaphore registered with the driver, the thread that forwards its signals and the
    // event that ends that thread.
    quintptr m_driverSemaphore = 0;
    quintptr m_stopEvent = 0;
    std::thread m_bridge;
};
