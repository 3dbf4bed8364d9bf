#include "platform/win/KWinHookDriver.h"

#include "platform/win/KWinHeaders.h"

#include <QDebug>

#include <winioctl.h>

static_assert(KWinHookDriver::IOCTL_HOOK_SET_SEMAPHORE ==
                  CTL_CODE(FILE_DEVICE_UNKNOWN, 0x900, METHOD_BUFFERED, FILE_ANY_ACCESS),
              "control codes are buffered FILE_DEVICE_UNKNOWN codes");
static_assert(KWinHookDriver::IOCTL_HOOK_SET_FLAGS ==
                  CTL_CODE(FILE_DEVICE_UNKNOWN, 0x911, METHOD_BUFFERED, FILE_ANY_ACCESS),
              "control codes are buffered FILE_DEVICE_UNKNOWN codes");

KWinHookDriver::Io KWinHookDriver::Io::system() {
    Io io;
    io.open = [](const QString& path) -> quintptr {
        HANDLE device =
            CreateFileW(reinterpret_cast<LPCWSTR>(path.utf16()), GENERIC_READ | GENERIC_WRITE,
                        FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING, 0, nullptr);
        return device == INVALID_HANDLE_VALUE ? 0 : reinterpret_cast<quintptr>(device);
    };
    io.control = [](quintptr device, quint32 code, const void* in, quint32 inLength, void* out,
                    quint32 outLength, quint32* returned) {
        DWORD bytes = 0;
        const BOOL ok =
            DeviceIoControl(reinterpret_cast<HANDLE>(device), code, const_cast<void*>(in), inLength,
                            out, outLength, &bytes, nullptr);
        *returned = bytes;
        return ok != FALSE;
    };
    io.close = [](quintptr device) { CloseHandle(reinterpret_cast<HANDLE>(device)); };
    return io;
}

KWinHookDriver::KWinHookDriver(QObject* parent) : KWinHookDriver(Io::system(), parent) {}

KWinHookDriver::KWinHookDriver(Io io, QObject* parent) : KHookDriver(parent), m_io(std::move(io)) {}

KWinHookDriver::~KWinHookDriver() {
    close();
}

QString KWinHookDriver::devicePath() {
    return QStringLiteral("\\\\.\\tvkmdrvkc");
}

bool KWinHookDriver::open() {
    if (m_device)
        return true;
    m_device = m_io.open(devicePath());
    if (!m_device) {
        qWarning().noquote() << "[Warn] the receiver's filter driver is not there:" << devicePath()
                             << GetLastError();
        return false;
    }
    return true;
}

void KWinHookDriver::close() {
    if (!m_device)
        return;
    if (m_driverSemaphore)
        clear();
    stopBridge();
    m_io.close(m_device);
    m_device = 0;
}

bool KWinHookDriver::isOpen() const {
    return m_device != 0;
}

bool KWinHookDriver::sendWord(quint32 code, quint32 word) {
    if (!m_device)
        return false;
    quint32 returned = 0;
    return m_io.control(m_device, code, &word, sizeof word, nullptr, 0, &returned);
}

bool KWinHookDriver::clear() {
    if (!m_device)
        return false;
    quint32 returned = 0;
    const bool ok = m_io.control(m_device, IOCTL_HOOK_CLEAR, nullptr, 0, nullptr, 0, &returned);
    // The driver no longer signals the semaphore it had.
    if (ok)
        stopBridge();
    return ok;
}

bool KWinHookDriver::setFlags(quint32 flags) {
    return sendWord(IOCTL_HOOK_SET_FLAGS, flags);
}

bool KWinHookDriver::setSemaphore(std::shared_ptr<KHookSemaphore> semaphore) {
    if (!m_device || !semaphore)
        return false;
    stopBridge();
    HANDLE driverSemaphore = CreateSemaphoreW(nullptr, 0, SemaphoreMaximum, nullptr);
    HANDLE stopEvent = CreateEventW(nullptr, TRUE, FALSE, nullptr);
    if (!driverSemaphore || !stopEvent) {
        if (driverSemaphore)
            CloseHandle(driverSemaphore);
        if (stopEvent)
            CloseHandle(stopEvent);
        return false;
    }
    // The driver takes the handle value as 4 bytes; handles of a process fit in 32 bits.
    const quint32 value = quint32(reinterpret_cast<quintptr>(driverSemaphore));
    if (!sendWord(IOCTL_HOOK_SET_SEMAPHORE, value)) {
        CloseHandle(driverSemaphore);
        CloseHandle(stopEvent);
        return false;
    }
    m_driverSemaphore = reinterpret_cast<quintptr>(driverSemaphore);
    m_stopEvent = reinterpret_cast<quintptr>(stopEvent);
    m_bridge = std::thread([driverSemaphore, stopEvent, semaphore] {
        const HANDLE waits[2] = {stopEvent, driverSemaphore};
        while (WaitForMultipleObjects(2, waits, FALSE, INFINITE) == WAIT_OBJECT_0 + 1)
            semaphore->release(1);
    });
    return true;
}

void KWinHookDriver::stopBridge() {
    if (m_bridge.joinable()) {
        SetEvent(reinterpret_cast<HANDLE>(m_stopEvent));
        m_bridge.join();
    }
    if (m_stopEvent)
        CloseHandle(reinterpret_cast<HANDLE>(m_stopEvent));
    if (m_driverSemaphore)
        CloseHandle(reinterpret_cast<HANDLE>(m_driverSemaphore));
    m_stopEvent = m_driverSemaphore = 0;
}

bool KWinHookDriver::readKey(quint32* code) {
    if (!m_device)
        return false;
    quint32 word = 0;
    quint32 returned = 0;
    if (!m_io.control(m_device, IOCTL_HOOK_READ_KEY, &word, sizeof word, &word, sizeof word,
                      &returned) ||
        returned != sizeof word)
        return false;
    *code = word;
    return true;
}

bool KWinHookDriver::setMouseMask(quint32 mask) {
    return sendWord(IOCTL_HOOK_SET_MOUSE_MASK, mask);
}

bool KWinHookDriver::setKeyboardMask(quint32 mask) {
    return sendWord(IOCTL_HOOK_SET_KEYBOARD_MASK, mask);
}
