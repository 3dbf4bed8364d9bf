#pragma once

#include "platform/KHidBackend.h"
#include "platform/KHidTypes.h"

#include <QObject>

#include <functional>

namespace KHID {

// Called once per present HID interface; set keepGoing to false to end the walk.
using HidDeviceVisitor = std::function<void(KHidDetail detail, bool& keepGoing)>;

// The program's only direct HID client: walks the present HID interfaces, finds one by its ids
// and top-level usage, opens it and exchanges input and output reports with it.
// Every operation is synchronous; failures are false results.
class KUSBDevice : public QObject {
    Q_OBJECT
public:
    using Handle = KHidBackend::Handle;
    static constexpr Handle InvalidHandle = KHidBackend::InvalidHandle;
    static constexpr int BufferSize = 2048;

    // The static operations and a null backend use the platform's HID backend.
    explicit KUSBDevice(QObject* parent = nullptr);
    explicit KUSBDevice(KHidBackend* backend, QObject* parent = nullptr);
    ~KUSBDevice() override;

    static void enumerateDevices(const HidDeviceVisitor& visitor, KHidBackend* backend = nullptr);
    static bool queryDetail(const QByteArray& path, KHidDetail& out,
                            KHidBackend* backend = nullptr);
    // *denied, when given, tells whether a failure was a refusal of access (permissions).
    static bool openForRead(const QByteArray& path, Handle& out, KHidBackend* backend = nullptr,
                            bool* denied = nullptr);
    static bool openForReadWrite(const QByteArray& path, Handle& out,
                                 KHidBackend* backend = nullptr, bool* denied = nullptr);
    static bool getInputReport(Handle handle, uchar* buffer, int length,
                               KHidBackend* backend = nullptr);
    static bool setOutputReport(Handle handle, const uchar* buffer, int length,
                                KHidBackend* backend = nullptr);

    // Finds the first interface with these ids and top-level usage (and feature report length,
    // unless featureReportLength is 0) and opens it. An object is opened at most once.
    bool open(quint16 vendorId, quint16 productId, quint16 usage, quint16 usagePage,
              quint16 featureReportLength);
    // Fetches the input report reportId into destination: exactly the interface's input report
    // length, report ID in byte 0. False, with destination untouched, when length (the size of
    // destination) is smaller than the report or the transfer fails.
    bool readInputReport(quint8 reportId, uchar* destination, int length);
    // Sends one output report: reportId, then length bytes of data, zero-filled to the
    // interface's output report length. False when closed or when the data does not fit.
    bool writeOutputReport(quint8 reportId, const uchar* data, int length);

    bool isOpened() const { return opened; }
    // Whether the last open found the interface but the system refused access to it.
    bool isAccessDenied() const { return m_accessDenied; }
    const KHidDetail& deviceDetail() const { return detail; }

private:
    static KHidBackend* backendOr(KHidBackend* backend);

    KHidBackend* backend;
    KHidDetail detail;
    Handle writeHandle = InvalidHandle;
    Handle readHandle = InvalidHandle;
    uchar outputBuffer[BufferSize];
    uchar inputBuffer[BufferSize];
    bool opened = false;
    bool m_accessDenied = false;
};

}  // namespace KHID
