#include "device/KUSBDevice.h"

#include "platform/KPlatform.h"

#include <cstring>
#include <iostream>

namespace KHID {

namespace {

// The product string as the HID library hands it over: at most 64 UTF-16 units up to the first
// NUL, each narrowed to its low byte, then read as UTF-8.
QString narrowProductName(const QString& name) {
    QByteArray narrowed;
    for (int i = 0; i < name.size() && i < 64; ++i) {
        const ushort unit = name.at(i).unicode();
        if (unit == 0)
            break;
        narrowed.append(char(unit & 0xFF));
    }
    return QString::fromUtf8(narrowed);
}

}  // namespace

KUSBDevice::KUSBDevice(QObject* parent) : KUSBDevice(nullptr, parent) {}

KUSBDevice::KUSBDevice(KHidBackend* backend, QObject* parent)
    : QObject(parent), backend(backendOr(backend)) {
    std::memset(outputBuffer, 0, sizeof outputBuffer);
    std::memset(inputBuffer, 0, sizeof inputBuffer);
}

KUSBDevice::~KUSBDevice() {
    if (opened) {
        backend->close(writeHandle);
        backend->close(readHandle);
        writeHandle = readHandle = InvalidHandle;
        opened = false;
    }
}

KHidBackend* KUSBDevice::backendOr(KHidBackend* backend) {
    return backend ? backend : KPlatform::instance()->hidBackend();
}

void KUSBDevice::enumerateDevices(const HidDeviceVisitor& visitor, KHidBackend* backend) {
    if (!visitor)
        return;
    backend = backendOr(backend);
    const QList<QByteArray> paths = backend->interfacePaths();
    for (const QByteArray& path : paths) {
        KHidDetail detail;
        if (!queryDetail(path, detail, backend))
            continue;
        bool keepGoing = true;
        visitor(detail, keepGoing);
        if (!keepGoing)
            break;
    }
}

bool KUSBDevice::queryDetail(const QByteArray& path, KHidDetail& out, KHidBackend* backend) {
    KHidDetail queried;
    if (!backendOr(backend)->queryInterface(path, &queried)) {
        std::cout << "error : CreateFile " << std::endl;
        return false;
    }
    out.devicePath = path;
    out.vendorId = queried.vendorId;
    out.productId = queried.productId;
    out.versionNumber = queried.versionNumber;
    out.productName = narrowProductName(queried.productName);
    out.caps = queried.caps;
    // At most 10 value capabilities of the feature reports, in the library's order.
    out.featureValueCaps += queried.featureValueCaps.mid(0, 10);
    return true;
}

bool KUSBDevice::openForRead(const QByteArray& path, Handle& out, KHidBackend* backend,
                             bool* denied) {
    bool refused = false;
    out = backendOr(backend)->openChecked(path, KHidBackend::Access::Read, &refused);
    if (denied)
        *denied = refused;
    if (out == InvalidHandle) {
        std::cout << "error : CreateFile" << std::endl;
        return false;
    }
    return true;
}

bool KUSBDevice::openForReadWrite(const QByteArray& path, Handle& out, KHidBackend* backend,
                                  bool* denied) {
    bool refused = false;
    out = backendOr(backend)->openChecked(path, KHidBackend::Access::ReadWrite, &refused);
    if (denied)
        *denied = refused;
    if (out == InvalidHandle) {
        std::cout << "error : CreateFile" << std::endl;
        return false;
    }
    return true;
}

bool KUSBDevice::getInputReport(Handle handle, uchar* buffer, int length, KHidBackend* backend) {
    if (handle == InvalidHandle || !buffer || length <= 0)
        return false;
    return backendOr(backend)->getInputReport(handle, buffer, length);
}

bool KUSBDevice::setOutputReport(Handle handle, const uchar* buffer, int length,
                                 KHidBackend* backend) {
    if (handle == InvalidHandle || !buffer || length <= 0)
        return false;
    return backendOr(backend)->setOutputReport(handle, buffer, length);
}

bool KUSBDevice::open(quint16 vendorId, quint16 productId, quint16 usage, quint16 usagePage,
                      quint16 featureReportLength) {
    if (opened)
        return false;
    bool found = false;
    enumerateDevices(
        [&](KHidDetail candidate, bool& keepGoing) {
            if (candidate.vendorId != vendorId || candidate.productId != productId ||
                candidate.caps.usage != usage || candidate.caps.usagePage != usagePage)
                return;
            if (featureReportLength != 0 &&
                candidate.caps.featureReportByteLength != featureReportLength)
                return;
            detail = candidate;
            found = true;
            keepGoing = false;
        },
        backend);
    if (!found)
        return false;
    if (!openForReadWrite(detail.devicePath, writeHandle, backend, &m_accessDenied))
        return false;
    if (!openForRead(detail.devicePath, readHandle, backend, &m_accessDenied)) {
        // The read/write handle is of no use alone; release it at once.
        backend->close(writeHandle);
        writeHandle = InvalidHandle;
        return false;
    }
    opened = true;
    return true;
}

bool KUSBDevice::readInputReport(quint8 reportId, uchar* destination, int length) {
    const int reportLength = detail.caps.inputReportByteLength;
    if (!destination || reportLength <= 0 || reportLength > BufferSize || length < reportLength)
        return false;
    std::memset(inputBuffer, 0, size_t(reportLength));
    inputBuffer[0] = reportId;
    if (!getInputReport(readHandle, inputBuffer, reportLength, backend))
        return false;
    std::memcpy(destination, inputBuffer, size_t(reportLength));
    return true;
}

bool KUSBDevice::writeOutputReport(quint8 reportId, const uchar* data, int length) {
    if (!opened)
        return false;
    const int reportLength = detail.caps.outputReportByteLength;
    if (reportLength <= 0 || reportLength > BufferSize || length < 0 || length > reportLength - 1 ||
        (length > 0 && !data))
        return false;
    std::memset(outputBuffer, 0, size_t(reportLength));
    outputBuffer[0] = reportId;
    if (length > 0)
        std::memcpy(outputBuffer + 1, data, size_t(length));
    return setOutputReport(writeHandle, outputBuffer, reportLength, backend);
}

}  // namespace KHID
