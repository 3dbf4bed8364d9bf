#pragma once

#include "platform/KHidTypes.h"

#include <QByteArray>
#include <QList>
#include <QObject>

// Access to HID interfaces: which are present, what each one is, and report exchange with an
// opened one. An interface is one top-level collection of a device; a device with several
// collections yields several interfaces, whose paths may lead to the same device node.
class KHidBackend : public QObject {
    Q_OBJECT
public:
    using Handle = qintptr;
    static constexpr Handle InvalidHandle = -1;
    enum class Access { Read, ReadWrite };

    using QObject::QObject;

    // The paths of every present HID interface, in the system's order.
    virtual QList<QByteArray> interfacePaths() = 0;
    // Describes one interface without opening it for I/O. The product name is the device's
    // product string as the system reports it (the caller narrows it). False when the interface
    // is gone or cannot be described.
    virtual bool queryInterface(const QByteArray& path, KHID::KHidDetail* detail) = 0;

    // Opens an interface for report exchange; InvalidHandle on failure (the reason is logged).
    virtual Handle open(const QByteArray& path, Access access) = 0;
    // Like open; on failure *denied tells whether the system refused access (permissions), which
    // the user can mend, rather than the interface being gone or broken.
    virtual Handle openChecked(const QByteArray& path, Access access, bool* denied) {
        *denied = false;
        return open(path, access);
    }
    virtual void close(Handle handle) = 0;
    // GET_REPORT of an input report: byte 0 holds the report ID on entry and on return; the
    // buffer has the interface's full input report length.
    virtual bool getInputReport(Handle handle, uchar* buffer, int length) = 0;
    // Sends an output report: byte 0 is the report ID, length the full report length. Like the
    // system's own output path, the transport may carry it on its interrupt OUT endpoint rather
    // than as a control SET_REPORT (Linux: HIDIOCSOUTPUT behaves like write()).
    virtual bool setOutputReport(Handle handle, const uchar* buffer, int length) = 0;
};
