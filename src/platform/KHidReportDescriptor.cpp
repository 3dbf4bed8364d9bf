#include "platform/KHidReportDescriptor.h"

#include <QMap>
#include <QVector>

#include <algorithm>

namespace KHID {

bool KHidCaps::operator==(const KHidCaps& o) const {
    return usage == o.usage && usagePage == o.usagePage &&
           inputReportByteLength == o.inputReportByteLength &&
           outputReportByteLength == o.outputReportByteLength &&
           featureReportByteLength == o.featureReportByteLength &&
           numberLinkCollectionNodes == o.numberLinkCollectionNodes &&
           numberInputButtonCaps == o.numberInputButtonCaps &&
           numberInputValueCaps == o.numberInputValueCaps &&
           numberInputDataIndices == o.numberInputDataIndices &&
           numberOutputButtonCaps == o.numberOutputButtonCaps &&
           numberOutputValueCaps == o.numberOutputValueCaps &&
           numberOutputDataIndices == o.numberOutputDataIndices &&
           numberFeatureButtonCaps == o.numberFeatureButtonCaps &&
           numberFeatureValueCaps == o.numberFeatureValueCaps &&
           numberFeatureDataIndices == o.numberFeatureDataIndices;
}

bool KHidValueCaps::operator==(const KHidValueCaps& o) const {
    return usagePage == o.usagePage && reportId == o.reportId && isAlias == o.isAlias &&
           bitField == o.bitField && linkCollection == o.linkCollection &&
           linkUsage == o.linkUsage && linkUsagePage == o.linkUsagePage && isRange == o.isRange &&
           isStringRange == o.isStringRange && isDesignatorRange == o.isDesignatorRange &&
           isAbsolute == o.isAbsolute && hasNull == o.hasNull && bitSize == o.bitSize &&
           reportCount == o.reportCount && unitsExp == o.unitsExp && units == o.units &&
           logicalMin == o.logicalMin && logicalMax == o.logicalMax &&
           physicalMin == o.physicalMin && physicalMax == o.physicalMax && usageMin == o.usageMin &&
           usageMax == o.usageMax && stringMin == o.stringMin && stringMax == o.stringMax &&
           designatorMin == o.designatorMin && designatorMax == o.designatorMax &&
           dataIndexMin == o.dataIndexMin && dataIndexMax == o.dataIndexMax;
}

namespace {

// Item types and tags of the HID report descriptor grammar.
enum ItemType { Main = 0, Global = 1, Local = 2, Reserved = 3 };
enum MainTag { Input = 0x8, Output = 0x9, Collection = 0xA, Feature = 0xB, EndCollection = 0xC };
enum GlobalTag {
    UsagePage = 0x0,
    LogicalMinimum = 0x1,
    LogicalMaximum = 0x2,
    PhysicalMinimum = 0x3,
    PhysicalMaximum = 0x4,
    UnitExponent = 0x5,
    Unit = 0x6,
    ReportSize = 0x7,
    ReportId = 0x8,
    ReportCount = 0x9,
    Push = 0xA,
    Pop = 0xB
};
enum LocalTag {
    Usage = 0x0,
    UsageMinimum = 0x1,
    UsageMaximum = 0x2,
    DesignatorIndex = 0x3,
    DesignatorMinimum = 0x4,
    DesignatorMaximum = 0x5,
    StringIndex = 0x7,
    StringMinimum = 0x8,
    StringMaximum = 0x9,
    Delimiter = 0xA
};

// Limits. Those on report size, report count, usages per main item, push depth and report
// length are where the Linux HID core starts refusing a descriptor, so no hidraw node has one
// beyond them. The kernel does not bound collection nesting; ours lies far deeper than the
// 4096-byte descriptors the kernel takes can nest, and only stops hostile input.
constexpr int kMaxDescriptorSize = 64 * 1024;
constexpr int kMaxCollectionDepth = 4096;
constexpr int kMaxGlobalStackDepth = 4;
constexpr quint32 kMaxReportSize = 256;                 // bits of one field
constexpr quint32 kMaxUsages = 12288;                   // usages (and report count) of one item
constexpr quint64 kMaxReportBits = 8ull * (16384 - 1);  // one report, its report ID byte aside
constexpr int kMaxReportIds = 256;

constexpr quint16 kMainConstant = 0x01;
constexpr quint16 kMainVariable = 0x02;
constexpr quint16 kMainRelative = 0x04;
constexpr quint16 kMainNullState = 0x40;

struct GlobalState {
    quint32 usagePage = 0;
    qint32 logicalMin = 0;
    qint32 logicalMax = 0;
    qint32 physicalMin = 0;
    qint32 physicalMax = 0;
    qint32 unitExponent = 0;
    quint32 unit = 0;
    quint32 reportSize = 0;
    quint32 reportId = 0;
    quint32 reportCount = 0;
};

// One usage entry of the local state: a single usage or a range; extended entries carry their
// own page, the others take the usage page in force at the main item.
struct UsageEntry {
    quint32 min = 0;
    quint32 max = 0;
    bool extended = false;
    bool range = false;
};

struct LocalState {
    QVector<UsageEntry> usages;
    quint32 usageCount = 0;  // single usages, every usage of a range counted
    // The Usage Minimum in force; a Usage Maximum without one ranges from 0. It stays in force
    // for every further Usage Maximum until the local state is cleared.
    UsageEntry minimum;
    bool haveMinimum = false;
    quint32 designatorMin = 0, designatorMax = 0;
    bool designatorRange = false;
    quint32 stringMin = 0, stringMax = 0;
    bool stringRange = false;
    int delimiterDepth = 0;
    int delimiterSets = 0;  // sets opened so far; the second and later hold alternatives
    void clear() { *this = LocalState(); }
};

struct OpenCollection {
    quint16 usagePage = 0;
    quint16 usage = 0;
    quint16 linkIndex = 0;
};

// Everything accumulated for one top-level collection while parsing.
struct CollectionBuilder {
    KHidCollectionInfo info;
    QMap<quint32, quint64> bits[3];  // per report kind: report ID -> bits
    quint16 dataIndex[3] = {0, 0, 0};
};

int kindIndex(int tag) {
    return tag == Input ? 0 : tag == Output ? 1 : 2;
}

void addSaturated(quint16* counter, quint32 amount) {
    *counter = quint16(std::min<quint32>(0xFFFF, quint32(*counter) + amount));
}

qint32 signExtend(quint32 value, int size) {
    if (size == 1)
        return qint32(qint8(value));
    if (size == 2)
        return qint32(qint16(value));
    return qint32(value);
}

class Parser {
public:
    bool run(const QByteArray& data, QList<KHidCollectionInfo>* out, QString* error);

private:
    bool fail(const QString& reason) {
        m_error = reason;
        return false;
    }
    bool mainItem(int tag, quint32 value);
    bool globalItem(int tag, quint32 value, int size);
    bool localItem(int tag, quint32 value, int size);
    bool field(int tag, quint16 flags);
    quint16 pageOf(const UsageEntry& entry) const {
        return entry.extended ? quint16(entry.min >> 16) : quint16(m_global.usagePage);
    }

    GlobalState m_global;
    QVector<GlobalState> m_globalStack;
    LocalState m_local;
    QVector<OpenCollection> m_open;
    QVector<CollectionBuilder> m_done;
    CollectionBuilder m_current;
    bool m_anyReportId = false;
    // Bits of every report across the whole descriptor, per kind and report ID, fields outside
    // any collection included: the length limit applies to the report, not to a collection.
    quint64 m_reportBits[3][kMaxReportIds] = {};
    QString m_error;
};

bool Parser::run(const QByteArray& data, QList<KHidCollectionInfo>* out, QString* error) {
    out->clear();
    if (data.size() > kMaxDescriptorSize)
        m_error = QStringLiteral("descriptor larger than %1 bytes").arg(kMaxDescriptorSize);
    const auto* bytes = reinterpret_cast<const uchar*>(data.constData());
    const int length = m_error.isEmpty() ? data.size() : 0;
    int pos = 0;
    while (m_error.isEmpty() && pos < length) {
        const uchar prefix = bytes[pos];
        if (prefix == 0xFE) {  // long item: size, tag, data; no long item tags are defined
            if (pos + 3 > length) {
                fail(QStringLiteral("long item at offset %1 is truncated").arg(pos));
                break;
            }
            const int size = bytes[pos + 1];
            if (pos + 3 + size > length) {
                fail(QStringLiteral("long item at offset %1 is truncated").arg(pos));
                break;
            }
            pos += 3 + size;
            continue;
        }
        const int size = (prefix & 0x3) == 3 ? 4 : (prefix & 0x3);
        const int type = (prefix >> 2) & 0x3;
        const int tag = prefix >> 4;
        if (pos + 1 + size > length) {
            fail(QStringLiteral("item at offset %1 is truncated").arg(pos));
            break;
        }
        quint32 value = 0;
        for (int i = 0; i < size; ++i)
            value |= quint32(bytes[pos + 1 + i]) << (8 * i);
        const int itemOffset = pos;
        pos += 1 + size;
        bool ok = true;
        switch (type) {
            case Main:
                ok = mainItem(tag, value);
                break;
            case Global:
                ok = globalItem(tag, value, size);
                break;
            case Local:
                ok = localItem(tag, value, size);
                break;
            default:
                break;  // reserved item type: skipped
        }
        if (!ok)
            m_error += QStringLiteral(" (item at offset %1)").arg(itemOffset);
    }
    if (m_error.isEmpty() && !m_open.isEmpty())
        fail(QStringLiteral("%1 collection(s) not closed").arg(m_open.size()));
    if (m_error.isEmpty() && m_local.delimiterDepth > 0)
        fail(QStringLiteral("delimiter set not closed at the end of the descriptor"));
    if (!m_error.isEmpty()) {
        if (error)
            *error = m_error;
        return false;
    }

    for (CollectionBuilder& builder : m_done) {
        quint16* lengths[3] = {&builder.info.caps.inputReportByteLength,
                               &builder.info.caps.outputReportByteLength,
                               &builder.info.caps.featureReportByteLength};
        QList<quint8> ids;
        for (int kind = 0; kind < 3; ++kind) {
            quint64 largest = 0;
            bool any = false;
            for (auto it = builder.bits[kind].cbegin(); it != builder.bits[kind].cend(); ++it) {
                any = true;
                largest = std::max(largest, it.value());
                if (m_anyReportId && !ids.contains(quint8(it.key())))
                    ids << quint8(it.key());
            }
            *lengths[kind] = any ? quint16((largest + 7) / 8 + 1) : 0;
        }
        std::sort(ids.begin(), ids.end());
        builder.info.reportIds = ids;
        out->append(builder.info);
    }
    return true;
}

bool Parser::mainItem(int tag, quint32 value) {
    bool ok = true;
    switch (tag) {
        case Input:
        case Output:
        case Feature:
            ok = field(tag, quint16(value));
            break;
        case Collection: {
            if (m_open.size() >= kMaxCollectionDepth)
                return fail(QStringLiteral("collections nested too deeply"));
            OpenCollection open;
            if (!m_local.usages.isEmpty()) {
                const UsageEntry& first = m_local.usages.first();
                open.usagePage = pageOf(first);
                open.usage = quint16(first.min);
            } else {
                open.usagePage = quint16(m_global.usagePage);
            }
            if (m_open.isEmpty()) {
                m_current = CollectionBuilder();
                m_current.info.caps.usage = open.usage;
                m_current.info.caps.usagePage = open.usagePage;
                // Only application collections are top-level interfaces; other kinds at the top
                // level are described the same way, as the Windows parser does.
            }
            open.linkIndex = m_current.info.caps.numberLinkCollectionNodes++;
            m_open.append(open);
            break;
        }
        case EndCollection:
            if (m_open.isEmpty())
                return fail(QStringLiteral("end of collection without a collection"));
            m_open.removeLast();
            if (m_open.isEmpty())
                m_done.append(m_current);
            break;
        default:
            break;  // reserved main item tag: ignored
    }
    m_local.clear();
    return ok;
}

bool Parser::globalItem(int tag, quint32 value, int size) {
    switch (tag) {
        case UsagePage:
            m_global.usagePage = value;
            break;
        case LogicalMinimum:
            m_global.logicalMin = signExtend(value, size);
            break;
        case LogicalMaximum:
            m_global.logicalMax = signExtend(value, size);
            break;
        case PhysicalMinimum:
            m_global.physicalMin = signExtend(value, size);
            break;
        case PhysicalMaximum:
            m_global.physicalMax = signExtend(value, size);
            break;
        case UnitExponent:
            m_global.unitExponent = qint32(value);
            break;
        case Unit:
            m_global.unit = value;
            break;
        case ReportSize:
            if (value > kMaxReportSize)
                return fail(QStringLiteral("report size %1 is too large").arg(value));
            m_global.reportSize = value;
            break;
        case ReportId:
            if (value == 0 || value >= quint32(kMaxReportIds))
                return fail(QStringLiteral("report ID %1 is out of range").arg(value));
            m_global.reportId = value;
            m_anyReportId = true;
            break;
        case ReportCount:
            if (value > kMaxUsages)
                return fail(QStringLiteral("report count %1 is too large").arg(value));
            m_global.reportCount = value;
            break;
        case Push:
            if (m_globalStack.size() >= kMaxGlobalStackDepth)
                return fail(QStringLiteral("push nested too deeply"));
            m_globalStack.append(m_global);
            break;
        case Pop:
            if (m_globalStack.isEmpty())
                return fail(QStringLiteral("pop without push"));
            m_global = m_globalStack.takeLast();
            break;
        default:
            break;  // reserved global tag: ignored
    }
    return true;
}

bool Parser::localItem(int tag, quint32 value, int size) {
    LocalState& l = m_local;
    switch (tag) {
        case Usage: {
            if (l.delimiterSets > 1)
                break;  // an alternative usage: only the first delimited set is used
            if (l.usageCount >= kMaxUsages)
                return fail(QStringLiteral("more than %1 usages for one item").arg(kMaxUsages));
            UsageEntry entry;
            entry.min = entry.max = value;
            entry.extended = size == 4;
            l.usages.append(entry);
            ++l.usageCount;
            break;
        }
        case UsageMinimum:
            if (l.delimiterSets > 1)
                break;
            l.minimum = UsageEntry();
            l.minimum.min = value;
            l.minimum.extended = size == 4;
            l.haveMinimum = true;
            break;
        case UsageMaximum: {
            if (l.delimiterSets > 1)
                break;
            UsageEntry entry = l.minimum;
            if (!l.haveMinimum && size == 4) {
                // From usage 0 of the page the extended maximum names.
                entry.min = value & 0xFFFF0000u;
                entry.extended = true;
            }
            entry.range = true;
            // An extended minimum carries the page; the maximum's page must agree with it.
            entry.max =
                size == 4 ? value : (entry.extended ? (entry.min & 0xFFFF0000u) | value : value);
            const quint32 first = entry.min & 0xFFFFu;
            const quint32 last = entry.max & 0xFFFFu;
            if (last < first)
                break;  // an empty range
            // A range beyond the usage table is cut at its end.
            const quint32 room = kMaxUsages - l.usageCount;
            if (room == 0)
                break;
            const quint32 span = std::min(last - first + 1, room);
            entry.max = (entry.max & 0xFFFF0000u) | (first + span - 1);
            l.usages.append(entry);
            l.usageCount += span;
            break;
        }
        case DesignatorIndex:
            l.designatorMin = l.designatorMax = value;
            break;
        case DesignatorMinimum:
            l.designatorMin = value;
            l.designatorRange = true;
            break;
        case DesignatorMaximum:
            l.designatorMax = value;
            l.designatorRange = true;
            break;
        case StringIndex:
            l.stringMin = l.stringMax = value;
            break;
        case StringMinimum:
            l.stringMin = value;
            l.stringRange = true;
            break;
        case StringMaximum:
            l.stringMax = value;
            l.stringRange = true;
            break;
        case Delimiter:
            // Any value but 0 opens a set of alternative usages, 0 closes it. Sets do not nest.
            if (value != 0) {
                if (l.delimiterDepth > 0)
                    return fail(QStringLiteral("nested delimiters"));
                ++l.delimiterDepth;
                ++l.delimiterSets;
            } else {
                if (l.delimiterDepth == 0)
                    return fail(QStringLiteral("delimiter closes no set"));
                --l.delimiterDepth;
            }
            break;
        default:
            break;  // reserved local tag: ignored
    }
    return true;
}

bool Parser::field(int tag, quint16 flags) {
    const quint64 fieldBits = quint64(m_global.reportSize) * m_global.reportCount;
    const int kind = kindIndex(tag);
    quint64& totalBits = m_reportBits[kind][m_global.reportId];
    totalBits += fieldBits;
    if (totalBits > kMaxReportBits)
        return fail(QStringLiteral("report %1 is too long").arg(m_global.reportId));
    if (m_open.isEmpty())
        return true;  // outside any collection: part of a report, but of no top-level collection
    if (fieldBits == 0)
        return true;
    m_current.bits[kind][m_global.reportId] += fieldBits;
    if ((flags & kMainConstant) && m_local.usages.isEmpty())
        return true;  // padding

    KHidCaps& caps = m_current.info.caps;
    quint16* buttonCaps[3] = {&caps.numberInputButtonCaps, &caps.numberOutputButtonCaps,
                              &caps.numberFeatureButtonCaps};
    quint16* valueCaps[3] = {&caps.numberInputValueCaps, &caps.numberOutputValueCaps,
                             &caps.numberFeatureValueCaps};
    quint16* dataIndices[3] = {&caps.numberInputDataIndices, &caps.numberOutputDataIndices,
                               &caps.numberFeatureDataIndices};
    quint16& nextIndex = m_current.dataIndex[kind];

    QVector<UsageEntry> usages = m_local.usages;
    if (usages.isEmpty())
        usages.append(UsageEntry());  // a field without usage still is one control

    const bool isButton = !(flags & kMainVariable) || m_global.reportSize == 1;
    if (isButton) {
        for (const UsageEntry& entry : usages) {
            const quint32 count = (entry.max & 0xFFFF) - (entry.min & 0xFFFF) + 1;
            addSaturated(buttonCaps[kind], 1);
            addSaturated(dataIndices[kind], count);
            addSaturated(&nextIndex, count);
        }
        return true;
    }

    const OpenCollection& link = m_open.last();
    quint32 remaining = m_global.reportCount;
    for (int i = 0; i < usages.size() && remaining > 0; ++i) {
        const UsageEntry& entry = usages.at(i);
        const bool last = i == usages.size() - 1;
        const quint32 span = (entry.max & 0xFFFF) - (entry.min & 0xFFFF) + 1;
        // Every usage takes one field; the last one takes all that are left.
        const quint32 count = last ? remaining : std::min(remaining, span);
        remaining -= count;

        KHidValueCaps v;
        v.usagePage = pageOf(entry);
        v.reportId = quint8(m_global.reportId);
        v.bitField = flags;
        v.linkCollection = link.linkIndex;
        v.linkUsage = link.usage;
        v.linkUsagePage = link.usagePage;
        v.isRange = entry.range;
        v.isStringRange = m_local.stringRange;
        v.isDesignatorRange = m_local.designatorRange;
        v.isAbsolute = !(flags & kMainRelative);
        v.hasNull = flags & kMainNullState;
        v.bitSize = quint16(m_global.reportSize);
        v.reportCount = quint16(count);
        v.unitsExp = m_global.unitExponent;
        v.units = m_global.unit;
        v.logicalMin = m_global.logicalMin;
        v.logicalMax = m_global.logicalMax;
        v.physicalMin = m_global.physicalMin;
        v.physicalMax = m_global.physicalMax;
        v.usageMin = quint16(entry.min);
        v.usageMax = quint16(entry.max);
        v.stringMin = quint16(m_local.stringMin);
        v.stringMax = quint16(m_local.stringMax);
        v.designatorMin = quint16(m_local.designatorMin);
        v.designatorMax = quint16(m_local.designatorMax);
        const quint32 indices = entry.range ? span : 1;
        v.dataIndexMin = nextIndex;
        v.dataIndexMax = quint16(std::min<quint32>(0xFFFF, nextIndex + indices - 1));
        addSaturated(&nextIndex, indices);
        addSaturated(dataIndices[kind], indices);
        addSaturated(valueCaps[kind], 1);

        QList<KHidValueCaps>* lists[3] = {&m_current.info.inputValueCaps,
                                          &m_current.info.outputValueCaps,
                                          &m_current.info.featureValueCaps};
        lists[kind]->append(v);
    }
    return true;
}

}  // namespace

bool parseReportDescriptor(const QByteArray& descriptor, QList<KHidCollectionInfo>* collections,
                           QString* error) {
    Parser parser;
    QList<KHidCollectionInfo> result;
    const bool ok = parser.run(descriptor, &result, error);
    if (collections)
        *collections = ok ? result : QList<KHidCollectionInfo>();
    return ok;
}

}  // namespace KHID
