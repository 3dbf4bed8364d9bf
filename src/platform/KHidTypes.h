#pragma once

#include <QByteArray>
#include <QList>
#include <QString>
#include <QtGlobal>

// Records describing one HID interface, shaped like the capability records of the Windows HID
// class library so that the logic above reads the same fields on every platform. One record
// describes one top-level application collection of a device's report descriptor.
namespace KHID {

// Capabilities of one top-level collection. Every report byte length is the largest report of
// that kind in bytes plus one byte for the report ID, which is counted even when the device uses
// no report IDs; a collection without reports of a kind has length 0.
struct KHidCaps {
    quint16 usage = 0;
    quint16 usagePage = 0;
    quint16 inputReportByteLength = 0;
    quint16 outputReportByteLength = 0;
    quint16 featureReportByteLength = 0;
    quint16 numberLinkCollectionNodes = 0;
    quint16 numberInputButtonCaps = 0;
    quint16 numberInputValueCaps = 0;
    quint16 numberInputDataIndices = 0;
    quint16 numberOutputButtonCaps = 0;
    quint16 numberOutputValueCaps = 0;
    quint16 numberOutputDataIndices = 0;
    quint16 numberFeatureButtonCaps = 0;
    quint16 numberFeatureValueCaps = 0;
    quint16 numberFeatureDataIndices = 0;

    bool operator==(const KHidCaps& o) const;
    bool operator!=(const KHidCaps& o) const { return !(*this == o); }
};

// One value field of a report (a main item that is not a button), per usage or usage range.
struct KHidValueCaps {
    quint16 usagePage = 0;
    quint8 reportId = 0;
    bool isAlias = false;
    quint16 bitField = 0;        // the main item's data bits (constant, variable, relative ...)
    quint16 linkCollection = 0;  // index of the enclosing collection (0: the top-level one)
    quint16 linkUsage = 0;
    quint16 linkUsagePage = 0;
    bool isRange = false;
    bool isStringRange = false;
    bool isDesignatorRange = false;
    bool isAbsolute = true;
    bool hasNull = false;
    quint16 bitSize = 0;
    quint16 reportCount = 0;
    qint32 unitsExp = 0;
    quint32 units = 0;
    qint32 logicalMin = 0;
    qint32 logicalMax = 0;
    qint32 physicalMin = 0;
    qint32 physicalMax = 0;
    // A single usage has usageMin == usageMax (likewise strings, designators, data indices).
    quint16 usageMin = 0;
    quint16 usageMax = 0;
    quint16 stringMin = 0;
    quint16 stringMax = 0;
    quint16 designatorMin = 0;
    quint16 designatorMax = 0;
    quint16 dataIndexMin = 0;
    quint16 dataIndexMax = 0;

    bool operator==(const KHidValueCaps& o) const;
};

// One HID interface as the program sees it.
struct KHidDetail {
    quint16 vendorId = 0;
    quint16 productId = 0;
    quint16 versionNumber = 0;
    QByteArray devicePath;  // UTF-8
    QString productName;
    KHidCaps caps;
    QList<KHidValueCaps> featureValueCaps;
};

}  // namespace KHID
