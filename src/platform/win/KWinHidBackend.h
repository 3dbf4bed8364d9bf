#pragma once

#include "platform/KHidBackend.h"

// HID interfaces through SetupAPI and the HID class library (hid.dll): the interface paths of the
// HID class, each described by HidD_GetAttributes, HidD_GetProductString and the capability
// records of its preparsed data, reports exchanged with HidD_GetInputReport and
// HidD_SetOutputReport on handles opened with CreateFileW. Handles are the system's file handles.
class KWinHidBackend : public KHidBackend {
    Q_OBJECT
public:
    using KHidBackend::KHidBackend;

    QList<QByteArray> interfacePaths() override;
    bool queryInterface(const QByteArray& path, KHID::KHidDetail* detail) override;
    Handle open(const QByteArray& path, Access access) override;
    Handle openChecked(const QByteArray& path, Access access, bool* denied) override;
    void close(Handle handle) override;
    bool getInputReport(Handle handle, uchar* buffer, int length) override;
    bool setOutputReport(Handle handle, const uchar* buffer, int length) override;

    // The desired access CreateFileW is given for each kind of handle.
    static quint32 desiredAccess(Access access);
};
