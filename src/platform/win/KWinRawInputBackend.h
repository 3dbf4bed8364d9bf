#pragma once

#include "platform/KRawInputBackend.h"

#include <memory>

class KWinMessageWindow;

// Raw input: GetRawInputDeviceList and GetRawInputDeviceInfoA for the devices and their names,
// RegisterRawInputDevices (Generic Desktop mouse, RIDEV_INPUTSINK) on a hidden window of the
// constructing thread, WM_INPUT read with GetRawInputData.
class KWinRawInputBackend : public KRawInputBackend {
    Q_OBJECT
public:
    explicit KWinRawInputBackend(QObject* parent = nullptr);
    ~KWinRawInputBackend() override;

    bool deviceList(QList<KRawInputDevice>* devices) override;
    bool registerMouseInput() override;

    // The hidden window that receives WM_INPUT (0 when it could not be created).
    quintptr windowHandle() const;

    // The raw-input name of one device handle; false when it cannot be read.
    static bool deviceName(quintptr device, QByteArray* name);

private:
    bool handle(quint32 message, quintptr wParam, qintptr lParam, qintptr* result);

    std::unique_ptr<KWinMessageWindow> m_window;
};
