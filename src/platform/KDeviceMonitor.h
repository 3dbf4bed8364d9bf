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
    // Whether the user's session is the active one of its seat (the user sits in front of it).
    // While it is not (another session or the greeter is shown), the program must not hold any
    // device. Answers true where the system cannot tell.
    virtual bool isSessionActive() const { return true; }

signals:
    // An interface arrived (true) or left (false). A device with several interfaces or nodes
    // causes a burst of these, one per interface, as the system announces them.
    void deviceChanged(bool arrival, const QString& path);
    // The session came back from sleep: devices may have been reset while it slept.
    void sessionResumed();
    // The session became active or inactive (a switch of user or to the greeter).
    void sessionActiveChanged(bool active);
};
