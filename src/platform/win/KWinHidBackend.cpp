#include "platform/win/KWinHidBackend.h"

#include "platform/win/KWinHeaders.h"

#include <QDebug>

#include <iostream>
#include <vector>

// mingw's HID headers carry no C linkage of their own; hidsdi.h brings hidpi.h after the types
// it needs.
extern "C" {
#include <hidsdi.h>
}
#include <setupapi.h>

namespace {

constexpr int kProductStringBytes = 128;
constexpr ULONG kMaxFeatureValueCaps = 10;

std::wstring widePath(const QByteArray& path) {
    return QString::fromUtf8(path).toStdWString();
}

KHID::KHidCaps capsFrom(const HIDP_CAPS& caps) {
    KHID::KHidCaps out;
    out.usage = caps.Usage;
    out.usagePage = caps.UsagePage;
    out.inputReportByteLength = caps.InputReportByteLength;
    out.outputReportByteLength = caps.OutputReportByteLength;
    out.featureReportByteLength = caps.FeatureReportByteLength;
    out.numberLinkCollectionNodes = caps.NumberLinkCollectionNodes;
    out.numberInputButtonCaps = caps.NumberInputButtonCaps;
    out.numberInputValueCaps = caps.NumberInputValueCaps;
    out.numberInputDataIndices = caps.NumberInputDataIndices;
    out.numberOutputButtonCaps = caps.NumberOutputButtonCaps;
    out.numberOutputValueCaps = caps.NumberOutputValueCaps;
    out.numberOutputDataIndices = caps.NumberOutputDataIndices;
    out.numberFeatureButtonCaps = caps.NumberFeatureButtonCaps;
    out.numberFeatureValueCaps = caps.NumberFeatureValueCaps;
    out.numberFeatureDataIndices = caps.NumberFeatureDataIndices;
    return out;
}

KHID::KHidValueCaps valueCapsFrom(const HIDP_VALUE_CAPS& caps) {
    KHID::KHidValueCaps out;
    out.usagePage = caps.UsagePage;
    out.reportId = caps.ReportID;
    out.isAlias = caps.IsAlias;
    out.bitField = caps.BitField;
    out.linkCollection = caps.LinkCollection;
    out.linkUsage = caps.LinkUsage;
    out.linkUsagePage = caps.LinkUsagePage;
    out.isRange = caps.IsRange;
    out.isStringRange = caps.IsStringRange;
    out.isDesignatorRange = caps.IsDesignatorRange;
    out.isAbsolute = caps.IsAbsolute;
    out.hasNull = caps.HasNull;
    out.bitSize = caps.BitSize;
    out.reportCount = caps.ReportCount;
    out.unitsExp = qint32(caps.UnitsExp);
    out.units = quint32(caps.Units);
    out.logicalMin = caps.LogicalMin;
    out.logicalMax = caps.LogicalMax;
    out.physicalMin = caps.PhysicalMin;
    out.physicalMax = caps.PhysicalMax;
    if (caps.IsRange) {
        out.usageMin = caps.Range.UsageMin;
        out.usageMax = caps.Range.UsageMax;
        out.stringMin = caps.Range.StringMin;
        out.stringMax = caps.Range.StringMax;
        out.designatorMin = caps.Range.DesignatorMin;
        out.designatorMax = caps.Range.DesignatorMax;
        out.dataIndexMin = caps.Range.DataIndexMin;
        out.dataIndexMax = caps.Range.DataIndexMax;
    } else {
        out.usageMin = out.usageMax = caps.NotRange.Usage;
        out.stringMin = out.stringMax = caps.NotRange.StringIndex;
        out.designatorMin = out.designatorMax = caps.NotRange.DesignatorIndex;
        out.dataIndexMin = out.dataIndexMax = caps.NotRange.DataIndex;
    }
    return out;
}

HANDLE handleOf(KHidBackend::Handle handle) {
    return reinterpret_cast<HANDLE>(handle);
}

}  // namespace

QList<QByteArray> KWinHidBackend::interfacePaths() {
    QList<QByteArray> paths;
    GUID guid;
    HidD_GetHidGuid(&guid);
    HDEVINFO set =
        SetupDiGetClassDevsW(&guid, nullptr, nullptr, DIGCF_PRESENT | DIGCF_DEVICEINTERFACE);
    if (set == INVALID_HANDLE_VALUE)
        return paths;
    for (DWORD index = 0;; ++index) {
        SP_DEVICE_INTERFACE_DATA data{};
        data.cbSize = sizeof data;
        if (!SetupDiEnumDeviceInterfaces(set, nullptr, &guid, index, &data))
            break;
        DWORD required = 0;
        SetupDiGetDeviceInterfaceDetailW(set, &data, nullptr, 0, &required, nullptr);
        std::vector<char> buffer;
        try {
            buffer.resize(std::max<DWORD>(required, sizeof(SP_DEVICE_INTERFACE_DETAIL_DATA_W)));
        } catch (const std::bad_alloc&) {
            std::cout << "memory low!" << std::endl;
            break;
        }
        auto* detail = reinterpret_cast<SP_DEVICE_INTERFACE_DETAIL_DATA_W*>(buffer.data());
        detail->cbSize = sizeof(SP_DEVICE_INTERFACE_DETAIL_DATA_W);
        if (!SetupDiGetDeviceInterfaceDetailW(set, &data, detail, DWORD(buffer.size()), nullptr,
                                              nullptr)) {
            std::cout << "error : SetupDiGetDeviceInterfaceDetail" << std::endl;
            continue;
        }
        paths.append(QString::fromWCharArray(detail->DevicePath).toUtf8());
    }
    SetupDiDestroyDeviceInfoList(set);
    return paths;
}

bool KWinHidBackend::queryInterface(const QByteArray& path, KHID::KHidDetail* detail) {
    HANDLE handle = CreateFileW(widePath(path).c_str(), 0, FILE_SHARE_READ | FILE_SHARE_WRITE,
                                nullptr, OPEN_EXISTING, 0, nullptr);
    if (handle == INVALID_HANDLE_VALUE)
        return false;
    HIDD_ATTRIBUTES attributes{};
    attributes.Size = sizeof attributes;
    if (!HidD_GetAttributes(handle, &attributes)) {
        CloseHandle(handle);
        return false;
    }
    // A device without a product string keeps an empty name.
    wchar_t product[kProductStringBytes / sizeof(wchar_t) + 1] = {};
    HidD_GetProductString(handle, product, kProductStringBytes);

    PHIDP_PREPARSED_DATA preparsed = nullptr;
    if (!HidD_GetPreparsedData(handle, &preparsed)) {
        CloseHandle(handle);
        return false;
    }
    HIDP_CAPS caps{};
    HidP_GetCaps(preparsed, &caps);
    HIDP_VALUE_CAPS valueCaps[kMaxFeatureValueCaps] = {};
    USHORT valueCapsLength = kMaxFeatureValueCaps;
    const NTSTATUS status = HidP_GetValueCaps(HidP_Feature, valueCaps, &valueCapsLength, preparsed);
    HidD_FreePreparsedData(preparsed);
    CloseHandle(handle);
    if (status == HIDP_STATUS_INVALID_PREPARSED_DATA)
        return false;

    KHID::KHidDetail out;
    out.devicePath = path;
    out.vendorId = attributes.VendorID;
    out.productId = attributes.ProductID;
    out.versionNumber = attributes.VersionNumber;
    out.productName = QString::fromWCharArray(product);
    out.caps = capsFrom(caps);
    for (USHORT i = 0; i < valueCapsLength && i < kMaxFeatureValueCaps; ++i)
        out.featureValueCaps.append(valueCapsFrom(valueCaps[i]));
    *detail = out;
    return true;
}

quint32 KWinHidBackend::desiredAccess(Access access) {
    return access == Access::ReadWrite ? quint32(FILE_GENERIC_READ | FILE_GENERIC_WRITE)
                                       : quint32(GENERIC_READ);
}

KHidBackend::Handle KWinHidBackend::open(const QByteArray& path, Access access) {
    bool denied = false;
    return openChecked(path, access, &denied);
}

KHidBackend::Handle KWinHidBackend::openChecked(const QByteArray& path, Access access,
                                                bool* denied) {
    *denied = false;
    HANDLE handle = CreateFileW(widePath(path).c_str(), desiredAccess(access),
                                FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING,
                                FILE_ATTRIBUTE_NORMAL, nullptr);
    if (handle == INVALID_HANDLE_VALUE) {
        const DWORD error = GetLastError();
        *denied = error == ERROR_ACCESS_DENIED;
        qWarning().noquote() << "[Warn] cannot open" << QString::fromUtf8(path) << "error" << error;
        return InvalidHandle;
    }
    return reinterpret_cast<Handle>(handle);
}

void KWinHidBackend::close(Handle handle) {
    if (handle != InvalidHandle)
        CloseHandle(handleOf(handle));
}

bool KWinHidBackend::getInputReport(Handle handle, uchar* buffer, int length) {
    if (handle == InvalidHandle || length <= 0)
        return false;
    return HidD_GetInputReport(handleOf(handle), buffer, ULONG(length));
}

bool KWinHidBackend::setOutputReport(Handle handle, const uchar* buffer, int length) {
    if (handle == InvalidHandle || length <= 0)
        return false;
    // The library does not write to the buffer; its prototype is not const.
    return HidD_SetOutputReport(handleOf(handle), const_cast<uchar*>(buffer), ULONG(length));
}
