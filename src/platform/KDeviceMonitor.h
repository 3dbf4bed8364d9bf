#pragma once

#include <QObject>
#include <QString>

// Arrival and removal of HID interfaces and input devices, and the session waking from sleep.
class KDeviceMonitor : public QObject {
    Q_OBJECT
public:
    using QObject::QObject;

    // Starts delivering deviceChanged; false when the system's notifications cannot be had.
    // Calling it again while running does nothing and answers true.
    virtual bool start() = 0;

signals:
    // An interface arrived (true) or left (false). A device with several interfaces or nodes
    // causes a burst of these, one per interface, as the system announces them.
    void deviceChanged(bool arrival, const QString& path);
    // The session came back from sleep: devices may have been reset while it slept.
    void sessionResumed();
};
