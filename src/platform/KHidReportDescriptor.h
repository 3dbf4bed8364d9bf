#pragma once

#include "platform/KHidTypes.h"

#include <QByteArray>
#include <QList>
#include <QString>

namespace KHID {

// What a report descriptor says about one of its top-level application collections.
struct KHidCollectionInfo {
    KHidCaps caps;
    QList<KHidValueCaps> inputValueCaps;
    QList<KHidValueCaps> outputValueCaps;
    QList<KHidValueCaps> featureValueCaps;
    QList<quint8> reportIds;  // every report ID used inside the collection, ascending
};

// Parses a HID report descriptor (short and long items, global and local state, push and pop,
// report IDs, usage ranges and extended usages) into one record per top-level collection, in
// descriptor order, with the report byte lengths counted as the Windows HID library does.
// Returns false, with a reason in *error, for a malformed descriptor; *collections is then empty.
bool parseReportDescriptor(const QByteArray& descriptor, QList<KHidCollectionInfo>* collections,
                           QString* error = nullptr);

}  // namespace KHID
