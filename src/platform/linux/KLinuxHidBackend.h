#pragma once

#include "platform/KHidBackend.h"

// HID interfaces of the hidraw nodes: enumerated through libudev, each node's report descriptor
// (from sysfs) parsed into one interface per top-level collection; reports exchanged with
// HIDIOCGINPUT and HIDIOCSOUTPUT (GET_REPORT and SET_REPORT, Linux 5.11 and later).
class KLinuxHidBackend : public KHidBackend {
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
};
