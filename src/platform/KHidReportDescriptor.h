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
// report IDs, usage ranges, extended usages and delimiters) into one record per top-level
// collection, in descriptor order, with the report byte lengths counted as the Windows HID
// library does. It accepts every descriptor the Linux HID core accepts, read the way that core
// reads it: a Usage Maximum without a Usage Minimum ranges from 0, a Usage Maximum below the
// minimum adds no usage, only the first of several delimited usage sets counts, and a main item
// outside any collection belongs to no record.
// Returns false, with a reason in *error, for a malformed descriptor; *collections is then empty.
bool parseReportDescriptor(const QByteArray& descriptor, QList<KHidCollectionInfo>* collections,
                           QString* error = nullptr);

}  // namespace KHID
