#include "platform/win/KWinRawInputBackend.h"

#include "platform/win/KWinHeaders.h"
#include "platform/win/KWinMessageWindow.h"

#include <QDebug>

#include <vector>

KWinRawInputBackend::KWinRawInputBackend(QObject* parent)
    : KRawInputBackend(parent),
      m_window(std::make_unique<KWinMessageWindow>(
          [this](quint32 message, quintptr wParam, qintptr lParam, qintptr* result) {
              return handle(message, wParam, lParam, result);
          })) {}

KWinRawInputBackend::~KWinRawInputBackend() = default;

quintptr KWinRawInputBackend::windowHandle() const {
    return m_window->handle();
}

bool KWinRawInputBackend::deviceName(quintptr device, QByteArray* name) {
    HANDLE handle = reinterpret_cast<HANDLE>(device);
    UINT length = 0;
    if (GetRawInputDeviceInfoA(handle, RIDI_DEVICENAME, nullptr, &length) == UINT(-1))
        return false;
    QByteArray buffer(int(length) + 1, '\0');
    if (GetRawInputDeviceInfoA(handle, RIDI_DEVICENAME, buffer.data(), &length) == UINT(-1))
        return false;
    *name = QByteArray(buffer.constData());  // up to its terminating NUL
    return true;
}

bool KWinRawInputBackend::deviceList(QList<KRawInputDevice>* devices) {
    devices->clear();
    UINT count = 0;
    if (GetRawInputDeviceList(nullptr, &count, sizeof(RAWINPUTDEVICELIST)) == UINT(-1))
        return false;
    std::vector<RAWINPUTDEVICELIST> list(count);
    if (count > 0) {
        count = GetRawInputDeviceList(list.data(), &count, sizeof(RAWINPUTDEVICELIST));
        if (count == UINT(-1))
            return false;  // a device arrived between the two calls; the caller asks again
        list.resize(count);
    }
    for (const RAWINPUTDEVICELIST& entry : list) {
        KRawInputDevice device;
        device.handle = reinterpret_cast<quintptr>(entry.hDevice);
        device.type = entry.dwType == RIM_TYPEMOUSE      ? KRawInputDevice::Mouse
                      : entry.dwType == RIM_TYPEKEYBOARD ? KRawInputDevice::Keyboard
                                                         : KRawInputDevice::Hid;
        if (deviceName(device.handle, &device.name))
            devices->append(device);
    }
    return true;
}

bool KWinRawInputBackend::registerMouseInput() {
    HWND window = reinterpret_cast<HWND>(m_window->handle());
    if (!window)
        return false;
    RAWINPUTDEVICE device{};
    device.usUsagePage = 0x01;  // Generic Desktop
    device.usUsage = 0x02;      // Mouse
    device.dwFlags = RIDEV_INPUTSINK;
    device.hwndTarget = window;
    if (!RegisterRawInputDevices(&device, 1, sizeof device)) {
        qWarning().noquote() << "[Warn] raw mouse input refused:" << GetLastError();
        return false;
    }
    return true;
}

bool KWinRawInputBackend::handle(quint32 message, quintptr wParam, qintptr lParam,
                                 qintptr* result) {
    Q_UNUSED(wParam);
    Q_UNUSED(result);
    if (message != WM_INPUT)
        return false;
    HRAWINPUT input = reinterpret_cast<HRAWINPUT>(lParam);
    UINT size = 0;
    if (GetRawInputData(input, RID_INPUT, nullptr, &size, sizeof(RAWINPUTHEADER)) == UINT(-1) ||
        size == 0)
        return false;
    std::vector<quint64> buffer((size + sizeof(quint64) - 1) / sizeof(quint64));
    if (GetRawInputData(input, RID_INPUT, buffer.data(), &size, sizeof(RAWINPUTHEADER)) == UINT(-1))
        return false;
    const auto* raw = reinterpret_cast<const RAWINPUT*>(buffer.data());
    if (raw->header.dwType == RIM_TYPEMOUSE)
        emit mouseInput(reinterpret_cast<quintptr>(raw->header.hDevice),
                        raw->data.mouse.usButtonFlags);
    // Not consumed: the system's default handling of WM_INPUT still runs.
    return false;
}
