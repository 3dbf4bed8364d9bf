#include "platform/KHidReportDescriptor.h"

#include <QRandomGenerator>
#include <QtTest>

using KHID::KHidCollectionInfo;
using KHID::KHidValueCaps;

namespace {

QByteArray hex(const char* text) {
    return QByteArray::fromHex(QByteArray(text));
}

QByteArray repeated(const char* text, int times) {
    return hex(text).repeated(times);
}

// Nested collections: an application collection holding depth - 1 physical ones.
QByteArray nested(int depth) {
    return hex("05 01 09 02 a1 01") + repeated("a1 00", depth - 1) + repeated("c0", depth);
}

// The boot mouse and boot keyboard descriptors.
const char kBootMouse[] =
    "05 01 09 02 a1 01 09 01 a1 00 05 09 19 01 29 03 15 00 25 01 95 03 75 01 81 02 95 01 75 05"
    " 81 01 05 01 09 30 09 31 15 81 25 7f 75 08 95 02 81 06 c0 c0";
const char kBootKeyboard[] =
    "05 01 09 06 a1 01 05 07 19 e0 29 e7 15 00 25 01 75 01 95 08 81 02 95 01 75 08 81 01 95 05"
    " 75 01 05 08 19 01 29 05 91 02 95 01 75 03 91 01 95 06 75 08 15 00 25 65 05 07 19 00 29 65"
    " 81 00 c0";
// A vendor-defined collection on page 0xFF00 with report IDs: 0xBA in and out, 0xBB feature.
const char kVendor[] =
    "06 00 ff 09 0e a1 01 85 ba 09 01 15 00 26 ff 00 75 08 95 1f 81 02 85 ba 09 02 95 1f 91 02"
    " 85 bb 09 03 95 07 b1 02 c0";
// A receiver's first interface: mouse (ID 1), consumer control (ID 3), system control (ID 4)
// and a vendor collection with a short (0x10) and a long (0x11) report each way.
const char kReceiver[] =
    "05 01 09 02 a1 01 85 01 09 01 a1 00 05 09 19 01 29 05 15 00 25 01 95 05 75 01 81 02 95 01"
    " 75 03 81 01 05 01 16 01 80 26 ff 7f 75 10 95 02 09 30 09 31 81 06 15 81 25 7f 75 08 95 01"
    " 09 38 81 06 05 0c 0a 38 02 95 01 81 06 c0 c0"
    " 05 0c 09 01 a1 01 85 03 15 00 26 ff 03 19 00 2a ff 03 75 10 95 01 81 00 c0"
    " 05 01 09 80 a1 01 85 04 19 81 29 83 15 00 25 01 75 01 95 03 81 02 95 05 81 01 c0"
    " 06 00 ff 09 01 a1 01 85 10 75 08 95 06 15 00 26 ff 00 09 01 81 00 09 01 91 00"
    " 85 11 95 13 09 02 81 00 09 02 91 00 c0";

}  // namespace

class TestHidReportDescriptor : public QObject {
    Q_OBJECT

    static QList<KHidCollectionInfo> parse(const QByteArray& descriptor) {
        QList<KHidCollectionInfo> collections;
        QString error;
        const bool ok = KHID::parseReportDescriptor(descriptor, &collections, &error);
        if (!ok)
            qWarning() << error;
        return ok ? collections : QList<KHidCollectionInfo>();
    }

private slots:
    // Top-level usage and the Windows report byte lengths (largest report + 1 for the ID byte).
    void collections_data() {
        QTest::addColumn<QByteArray>("descriptor");
        QTest::addColumn<QList<int>>("expected");  // per collection: page, usage, in, out, feat
        QTest::newRow("boot mouse") << hex(kBootMouse) << QList<int>{1, 2, 4, 0, 0};
        QTest::newRow("boot keyboard") << hex(kBootKeyboard) << QList<int>{1, 6, 9, 2, 0};
        QTest::newRow("vendor with report IDs")
            << hex(kVendor) << QList<int>{0xFF00, 0x0E, 32, 32, 8};
        QTest::newRow("receiver, four collections")
            << hex(kReceiver)
            << QList<int>{1, 2, 8, 0, 0, 0x0C, 1, 3, 0, 0, 1, 0x80, 2, 0, 0, 0xFF00, 1, 20, 20, 0};
    }
    void collections() {
        QFETCH(QByteArray, descriptor);
        QFETCH(QList<int>, expected);
        const QList<KHidCollectionInfo> collections = parse(descriptor);
        QCOMPARE(collections.size(), expected.size() / 5);
        for (int i = 0; i < collections.size(); ++i) {
            const KHID::KHidCaps& caps = collections.at(i).caps;
            const QList<int> got = {caps.usagePage, caps.usage, caps.inputReportByteLength,
                                    caps.outputReportByteLength, caps.featureReportByteLength};
            QCOMPARE(got, expected.mid(i * 5, 5));
        }
    }

    void capabilityCounts() {
        const KHID::KHidCaps mouse = parse(hex(kBootMouse)).value(0).caps;
        QCOMPARE(mouse.numberLinkCollectionNodes, quint16(2));
        QCOMPARE(mouse.numberInputButtonCaps, quint16(1));
        QCOMPARE(mouse.numberInputValueCaps, quint16(2));
        QCOMPARE(mouse.numberInputDataIndices, quint16(5));

        const KHID::KHidCaps keyboard = parse(hex(kBootKeyboard)).value(0).caps;
        QCOMPARE(keyboard.numberLinkCollectionNodes, quint16(1));
        QCOMPARE(keyboard.numberInputButtonCaps, quint16(2));  // modifiers and the key array
        QCOMPARE(keyboard.numberInputValueCaps, quint16(0));
        QCOMPARE(keyboard.numberInputDataIndices, quint16(8 + 0x66));
        QCOMPARE(keyboard.numberOutputButtonCaps, quint16(1));  // the LEDs; padding is no cap
        QCOMPARE(keyboard.numberOutputDataIndices, quint16(5));
    }

    void reportIds() {
        const QList<KHidCollectionInfo> receiver = parse(hex(kReceiver));
        QCOMPARE(receiver.size(), 4);
        QCOMPARE(receiver.at(0).reportIds, QList<quint8>{1});
        QCOMPARE(receiver.at(1).reportIds, QList<quint8>{3});
        QCOMPARE(receiver.at(3).reportIds, (QList<quint8>{0x10, 0x11}));
        QCOMPARE(parse(hex(kVendor)).value(0).reportIds, (QList<quint8>{0xBA, 0xBB}));
        QVERIFY(parse(hex(kBootMouse)).value(0).reportIds.isEmpty());
    }

    void featureValueCaps() {
        const QList<KHidValueCaps> caps = parse(hex(kVendor)).value(0).featureValueCaps;
        QCOMPARE(caps.size(), 1);
        KHidValueCaps expected;
        expected.usagePage = 0xFF00;
        expected.reportId = 0xBB;
        expected.bitField = 0x02;
        expected.linkCollection = 0;
        expected.linkUsage = 0x0E;
        expected.linkUsagePage = 0xFF00;
        expected.isAbsolute = true;
        expected.bitSize = 8;
        expected.reportCount = 7;
        expected.logicalMin = 0;
        expected.logicalMax = 255;
        expected.usageMin = expected.usageMax = 3;
        QVERIFY(caps.first() == expected);
    }

    // Values of a main item: one capability per usage, the last taking the remaining fields;
    // signed logical limits; usage page, size and count in force at the main item.
    void inputValueCaps() {
        const QList<KHidValueCaps> mouse = parse(hex(kBootMouse)).value(0).inputValueCaps;
        QCOMPARE(mouse.size(), 2);
        QCOMPARE(mouse.at(0).usageMin, quint16(0x30));
        QCOMPARE(mouse.at(1).usageMin, quint16(0x31));
        for (const KHidValueCaps& v : mouse) {
            QCOMPARE(v.usagePage, quint16(1));
            QCOMPARE(v.logicalMin, -127);
            QCOMPARE(v.logicalMax, 127);
            QCOMPARE(v.reportCount, quint16(1));
            QVERIFY(!v.isAbsolute);                  // 0x06: relative
            QCOMPARE(v.linkCollection, quint16(1));  // the physical collection
            QCOMPARE(v.linkUsage, quint16(1));       // Pointer
        }
        const QList<KHidValueCaps> receiverMouse = parse(hex(kReceiver)).value(0).inputValueCaps;
        QCOMPARE(receiverMouse.size(), 4);  // X, Y, wheel, AC Pan
        QCOMPARE(receiverMouse.at(0).logicalMin, -32767);
        QCOMPARE(receiverMouse.at(0).bitSize, quint16(16));
        // "0a 38 02" after "05 0c": AC Pan on the consumer page.
        QCOMPARE(receiverMouse.at(3).usagePage, quint16(0x0C));
        QCOMPARE(receiverMouse.at(3).usageMin, quint16(0x238));
    }

    // Push keeps the global state, pop restores it: after pop the usage page, the report size
    // and count set before the push apply again.
    void pushAndPop() {
        const QByteArray descriptor =
            hex("05 01 09 02 a1 01 85 02 15 81 25 7f 75 08 95 02 a4 05 09 19 01 29 03 15 00 25 01"
                " 75 01 95 03 81 02 75 05 95 01 81 03 b4 09 30 09 31 81 06 c0");
        const KHidCollectionInfo info = parse(descriptor).value(0);
        QCOMPARE(info.caps.inputReportByteLength, quint16(4));  // 3 + 5 + 16 bits, ID byte
        QCOMPARE(info.inputValueCaps.size(), 2);
        for (const KHidValueCaps& v : info.inputValueCaps) {
            QCOMPARE(v.usagePage, quint16(1));
            QCOMPARE(v.bitSize, quint16(8));
            QCOMPARE(v.logicalMin, -127);
            QCOMPARE(v.reportId, quint8(2));
        }
    }

    // Usage ranges, extended (four-byte) usages and long items.
    void rangesExtendedUsagesAndLongItems() {
        const QByteArray descriptor =
            hex("05 01 09 00 a1 01 fe 02 a1 00 11 0b 38 02 0c 00 15 81 25 7f 75 08 95 01 81 06"
                " 06 00 ff 19 10 29 13 15 00 26 ff 00 95 04 b1 02 c0");
        const KHidCollectionInfo info = parse(descriptor).value(0);
        QCOMPARE(info.inputValueCaps.size(), 1);
        QCOMPARE(info.inputValueCaps.at(0).usagePage, quint16(0x0C));
        QCOMPARE(info.inputValueCaps.at(0).usageMin, quint16(0x238));
        QCOMPARE(info.featureValueCaps.size(), 1);
        const KHidValueCaps& range = info.featureValueCaps.at(0);
        QVERIFY(range.isRange);
        QCOMPARE(range.usagePage, quint16(0xFF00));
        QCOMPARE(range.usageMin, quint16(0x10));
        QCOMPARE(range.usageMax, quint16(0x13));
        QCOMPARE(range.reportCount, quint16(4));
        QCOMPARE(range.dataIndexMax - range.dataIndexMin, 3);
        QCOMPARE(info.caps.featureReportByteLength, quint16(5));
        QCOMPARE(info.caps.numberFeatureDataIndices, quint16(4));
    }

    // What the Linux HID core accepts is accepted, read as the kernel reads it; what it refuses
    // is refused. Per record: usage page, usage, input, output and feature report byte lengths.
    void kernelAcceptance_data() {
        QTest::addColumn<QByteArray>("descriptor");
        QTest::addColumn<bool>("accepted");
        QTest::addColumn<QList<int>>("records");

        QTest::newRow("usage maximum without minimum")
            << hex("05 01 09 02 a1 01 05 09 29 03 15 00 25 01 75 01 95 04 81 02 95 04 81 01 c0")
            << true << QList<int>{1, 2, 2, 0, 0};
        QTest::newRow("usage maximum below minimum")
            << hex("05 01 09 02 a1 01 05 09 19 05 29 01 15 00 25 01 75 01 95 08 81 02 c0") << true
            << QList<int>{1, 2, 2, 0, 0};
        QTest::newRow("empty range gives the collection no usage")
            << hex("05 01 19 05 29 01 a1 01 75 08 95 01 81 03 c0") << true
            << QList<int>{1, 0, 2, 0, 0};
        QTest::newRow("field before the first collection")
            << hex("05 01 09 30 75 08 95 04 81 02 09 02 a1 01 95 01 81 03 c0") << true
            << QList<int>{1, 2, 2, 0, 0};
        QTest::newRow("fields after the last collection")
            << hex("05 01 09 02 a1 01 75 08 95 01 81 03 c0 09 30 95 08 91 02 b1 02") << true
            << QList<int>{1, 2, 2, 0, 0};
        QTest::newRow("fields outside any collection only")
            << hex("05 01 09 30 75 08 95 01 81 02") << true << QList<int>{};
        QTest::newRow("delimiter value 2 opens a set")
            << hex("05 0c 09 01 a1 01 a9 02 09 e9 09 ea a9 00 15 00 25 01 75 01 95 02 81 02"
                   " 95 06 81 03 c0")
            << true << QList<int>{0x0C, 1, 2, 0, 0};
        QTest::newRow("delimiter set still open at a main item")
            << hex("05 01 09 02 a1 01 a9 01 09 30 75 08 95 01 81 02 c0") << true
            << QList<int>{1, 2, 2, 0, 0};
        QTest::newRow("three delimited sets")
            << hex("05 01 09 02 a1 01 a9 01 09 30 a9 00 a9 01 09 31 a9 00 a9 01 09 32 a9 00"
                   " 75 08 95 01 81 06 c0")
            << true << QList<int>{1, 2, 2, 0, 0};
        QTest::newRow("four pushes")
            << hex("05 01 09 02 a1 01 a4 a4 a4 a4 b4 b4 b4 b4 75 08 95 01 81 03 c0") << true
            << QList<int>{1, 2, 2, 0, 0};
        QTest::newRow("largest report size and count")
            << hex("06 00 ff 09 01 a1 01 76 00 01 95 01 81 03 75 01 96 00 30 81 03 c0") << true
            << QList<int>{0xFF00, 1, 32 + 1536 + 1, 0, 0};
        QTest::newRow("longest report")
            << hex("06 00 ff 09 01 a1 01 75 08 96 00 30 81 03 96 ff 0f 81 03 c0") << true
            << QList<int>{0xFF00, 1, 16384, 0, 0};
        QTest::newRow("12288 usages for one item")
            << hex("05 01 09 06 a1 01 05 07") + repeated("09 04", 12288) +
                   hex("75 08 95 01 81 00 c0")
            << true << QList<int>{1, 6, 2, 0, 0};

        QTest::newRow("nested delimiters")
            << hex("05 01 09 02 a1 01 a9 01 a9 01 09 30 a9 00 a9 00 c0") << false << QList<int>{};
        QTest::newRow("delimiter closing no set")
            << hex("05 01 09 02 a1 01 a9 00 c0") << false << QList<int>{};
        QTest::newRow("delimiter set open at the end")
            << hex("05 01 09 02 a1 01 c0 a9 01") << false << QList<int>{};
        QTest::newRow("collection open at the end")
            << hex("05 01 09 02 a1 01 09 01 a1 00 c0") << false << QList<int>{};
        QTest::newRow("end of collection without collection")
            << hex("05 01 c0") << false << QList<int>{};
        QTest::newRow("five pushes") << hex("05 01 a4 a4 a4 a4 a4") << false << QList<int>{};
        QTest::newRow("pop without push") << hex("05 01 b4") << false << QList<int>{};
        QTest::newRow("report ID 0") << hex("05 01 09 02 a1 01 85 00 c0") << false << QList<int>{};
        QTest::newRow("report ID 256")
            << hex("05 01 09 02 a1 01 86 00 01 c0") << false << QList<int>{};
        QTest::newRow("report size 257")
            << hex("05 01 09 02 a1 01 76 01 01 c0") << false << QList<int>{};
        QTest::newRow("report count 12289")
            << hex("05 01 09 02 a1 01 96 01 30 c0") << false << QList<int>{};
        QTest::newRow("report of 16384 bytes")
            << hex("06 00 ff 09 01 a1 01 75 08 96 00 30 81 03 96 00 10 81 03 c0") << false
            << QList<int>{};
        QTest::newRow("one report too long over two collections")
            << hex("06 00 ff 09 01 a1 01 85 01 75 08 96 00 20 81 03 c0"
                   " 09 02 a1 01 85 01 96 00 20 81 03 c0")
            << false << QList<int>{};
        QTest::newRow("report too long with a field outside the collections")
            << hex("75 08 96 00 30 81 03 96 ff 0f 81 03 05 01 09 02 a1 01 95 01 81 03 c0") << false
            << QList<int>{};
        QTest::newRow("12289 usages for one item")
            << hex("05 01 09 06 a1 01 05 07") + repeated("09 04", 12289) +
                   hex("75 08 95 01 81 00 c0")
            << false << QList<int>{};
        QTest::newRow("truncated item") << hex("05 01 09 02 a1 01 26 ff") << false << QList<int>{};
        QTest::newRow("truncated long item")
            << hex("05 01 09 02 a1 01 fe 05 a1 00") << false << QList<int>{};
    }
    void kernelAcceptance() {
        QFETCH(QByteArray, descriptor);
        QFETCH(bool, accepted);
        QFETCH(QList<int>, records);
        QList<KHidCollectionInfo> collections{KHidCollectionInfo()};
        QString error;
        const bool ok = KHID::parseReportDescriptor(descriptor, &collections, &error);
        if (ok != accepted)
            qWarning() << error;
        QCOMPARE(ok, accepted);
        if (!ok) {
            QVERIFY(!error.isEmpty());
            QVERIFY(collections.isEmpty());
            return;
        }
        QList<int> got;
        for (const KHidCollectionInfo& info : collections)
            got << info.caps.usagePage << info.caps.usage << info.caps.inputReportByteLength
                << info.caps.outputReportByteLength << info.caps.featureReportByteLength;
        QCOMPARE(got, records);
    }

    // The usages a main item ends up with where the kernel reads a descriptor leniently. Per
    // input value capability: usage page, usage minimum, usage maximum, report count.
    void lenientUsages_data() {
        QTest::addColumn<QByteArray>("body");  // inside an application collection
        QTest::addColumn<QList<int>>("caps");
        QTest::addColumn<int>("dataIndices");
        QTest::newRow("maximum without minimum ranges from 0")
            << hex("29 03 75 08 95 04 81 02") << QList<int>{1, 0, 3, 4} << 4;
        QTest::newRow("extended maximum without minimum, on its own page")
            << hex("2b 03 00 0c 00 75 08 95 04 81 02") << QList<int>{0x0C, 0, 3, 4} << 4;
        QTest::newRow("maximum below minimum adds no usage")
            << hex("09 30 19 05 29 01 75 08 95 02 81 02") << QList<int>{1, 0x30, 0x30, 2} << 1;
        QTest::newRow("the minimum stays for a second maximum")
            << hex("19 01 29 02 29 04 75 08 95 06 81 02") << QList<int>{1, 1, 2, 2, 1, 1, 4, 4}
            << 6;
        QTest::newRow("only the first delimited set")
            << hex("09 30 a9 01 09 31 09 32 a9 00 a9 01 09 33 19 40 29 48 a9 00 75 08 95 03 81 02")
            << QList<int>{1, 0x30, 0x30, 1, 1, 0x31, 0x31, 1, 1, 0x32, 0x32, 1} << 3;
        QTest::newRow("a main item ends every set")
            << hex("a9 01 09 30 a9 00 a9 01 09 31 75 08 95 01 81 02 a9 01 09 38 a9 00 81 02")
            << QList<int>{1, 0x30, 0x30, 1, 1, 0x38, 0x38, 1} << 2;
        QTest::newRow("range cut at the end of the usage table")
            << hex("09 30 19 00 2a ff ff 75 08 95 02 81 02")
            << QList<int>{1, 0x30, 0x30, 1, 1, 0, 12286, 1} << 12288;
    }
    void lenientUsages() {
        QFETCH(QByteArray, body);
        QFETCH(QList<int>, caps);
        QFETCH(int, dataIndices);
        const KHidCollectionInfo info = parse(hex("05 01 09 00 a1 01") + body + hex("c0")).value(0);
        QList<int> got;
        for (const KHidValueCaps& v : info.inputValueCaps)
            got << v.usagePage << v.usageMin << v.usageMax << v.reportCount;
        QCOMPARE(got, caps);
        QCOMPARE(int(info.caps.numberInputDataIndices), dataIndices);
    }

    // Hostile input is refused or parsed within bounds, never crashes.
    void hostileInput_data() {
        QTest::addColumn<QByteArray>("descriptor");
        QTest::addColumn<bool>("accepted");
        QTest::newRow("long item longer than the rest")
            << hex("05 01 09 02 a1 01 fe ff 00") + QByteArray(100, '\0') << false;
        QTest::newRow("long item without its tag") << hex("fe 05") << false;
        QTest::newRow("huge report count")
            << hex("05 01 09 02 a1 01 75 08 97 ff ff ff ff 09 30 81 02 c0") << false;
        QTest::newRow("huge report size")
            << hex("05 01 09 02 a1 01 77 ff ff ff ff 95 01 09 30 81 02 c0") << false;
        QTest::newRow("1000 nested collections") << nested(1000) << true;
        QTest::newRow("5000 nested collections") << nested(5000) << false;
        QTest::newRow("5000 unclosed collections") << repeated("a1 00", 5000) << false;
        QTest::newRow("64 KiB of 0xFF") << QByteArray(64 * 1024, '\xff') << false;
        QTest::newRow("64 KiB of reserved main items") << QByteArray(64 * 1024, '\0') << true;
        QTest::newRow("more than 64 KiB") << QByteArray(64 * 1024 + 1, '\0') << false;
        QTest::newRow("64 KiB of usage ranges")
            << hex("05 01 09 02 a1 01") + repeated("19 00 2a ff ff", 13000) + hex("81 00 c0")
            << true;
    }
    void hostileInput() {
        QFETCH(QByteArray, descriptor);
        QFETCH(bool, accepted);
        QList<KHidCollectionInfo> collections;
        QString error;
        QCOMPARE(KHID::parseReportDescriptor(descriptor, &collections, &error), accepted);
        QCOMPARE(error.isEmpty(), accepted);
    }

    void deepNestingCountsEveryCollection() {
        const QList<KHidCollectionInfo> collections = parse(nested(1000));
        QCOMPARE(collections.size(), 1);
        QCOMPARE(collections.at(0).caps.numberLinkCollectionNodes, quint16(1000));
        QCOMPARE(collections.at(0).caps.usage, quint16(2));
    }

    // Counts that would pass 65535 stop there rather than wrap round to a small number.
    void countsSaturate() {
        const QByteArray descriptor = hex("05 01 09 06 a1 01 05 07") +
                                      repeated("19 00 2a ff ff 75 01 95 01 81 00", 6) + hex("c0");
        const KHidCollectionInfo info = parse(descriptor).value(0);
        QCOMPARE(info.caps.numberInputButtonCaps, quint16(6));
        QCOMPARE(info.caps.numberInputDataIndices, quint16(0xFFFF));
        QCOMPARE(info.caps.inputReportByteLength, quint16(2));
    }

    // Damaged copies of a real descriptor: whatever the outcome, a refusal says why and leaves
    // no records, and an accepted descriptor gives lengths within the report limit.
    void damagedDescriptors() {
        const QByteArray original = hex(kReceiver);
        QRandomGenerator random(20240601);
        for (int round = 0; round < 3000; ++round) {
            QByteArray damaged = original;
            const int edits = 1 + random.bounded(4);
            for (int e = 0; e < edits; ++e) {
                const int at = random.bounded(damaged.size());
                switch (random.bounded(3)) {
                    case 0:
                        damaged[at] = char(random.bounded(256));
                        break;
                    case 1:
                        damaged.insert(at, char(random.bounded(256)));
                        break;
                    default:
                        damaged.remove(at, 1 + random.bounded(3));
                        break;
                }
                if (damaged.isEmpty())
                    damaged = original;
            }
            QList<KHidCollectionInfo> collections;
            QString error;
            const bool ok = KHID::parseReportDescriptor(damaged, &collections, &error);
            QVERIFY2(ok == error.isEmpty(), damaged.toHex(' ').constData());
            if (!ok) {
                QVERIFY(collections.isEmpty());
                continue;
            }
            for (const KHidCollectionInfo& info : collections) {
                QVERIFY(info.caps.inputReportByteLength <= 16384);
                QVERIFY(info.caps.outputReportByteLength <= 16384);
                QVERIFY(info.caps.featureReportByteLength <= 16384);
            }
        }
    }

    void emptyDescriptorHasNoCollections() {
        QList<KHidCollectionInfo> collections;
        QVERIFY(KHID::parseReportDescriptor(QByteArray(), &collections));
        QVERIFY(collections.isEmpty());
    }
};

QTEST_APPLESS_MAIN(TestHidReportDescriptor)
#include "tst_hidreportdescriptor.moc"
