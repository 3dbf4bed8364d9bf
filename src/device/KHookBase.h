#pragma once

#include <QObject>

// The common face of the device hooks: start and stop catching events, choose which keys to
// take over, and report each caught key as a device key code.
class KHookBase : public QObject {
    Q_OBJECT
public:
    using QObject::QObject;

    virtual bool startHook() = 0;
    virtual bool stopHook() = 0;
    // Bit layouts of the masks: see KDeviceHook::mouseMaskBit / keyboardMaskBit.
    virtual bool setMouseMask(const quint32& mask) = 0;
    virtual bool setKeyboardMask(const quint32& mask) = 0;
    virtual bool isStarted() = 0;

signals:
    void sigKeyDown(quint32 key);
};
