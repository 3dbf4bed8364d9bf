#include "FakeDeviceBackends.h"
#include "device/KUSBDevice.h"

#include <QtTest>

using KHID::KHidDetail;
using KHID::KUSBDevice;

namespace {

KHidDetail detail(const char* path, quint16 vendor, quint16 product, quint16 usage, quint16 page,
                  quint16 feature = 0, quint16 in = 33, quint16 out = 33) {
    KHidDetail d;
    d.devicePath = path;
    d.vendorId = vendor;
    d.productId = product;
    d.productName = QStringLiteral("Receiver");
    d.caps.usage = usage;
    d.caps.usagePage = page;
    d.caps.featureReportByteLength = feature;
    d.caps.inputReportByteLength = in;
    d.caps.outputReportByteLength = out;
    return d;
}

QList<QByteArray> visitedPaths(FakeHidBackend* backend, int stopAfter = -1) {
    QList<QByteArray> paths;
    KUSBDevice::enumerateDevices(
        [&](KHidDetail d, bool& keepGoing) {
            paths << d.devicePath;
            if (paths.size() == stopAfter)
                keepGoing = false;
        },
        backend);
    return paths;
}

}  // namespace

class TestUsbDevice : public QObject {
    Q_OBJECT
private slots:
    void enumerationSkipsWhatCannotBeDescribed() {
        FakeHidBackend backend;
        backend.add(detail("a", 1, 1, 2, 1));
        backend.add(detail("b", 1, 2, 2, 1));
        backend.add(detail("c", 1, 3, 2, 1));
        backend.undescribable << "b";
        QCOMPARE(visitedPaths(&backend), (QList<QByteArray>{"a", "c"}));
        QCOMPARE(visitedPaths(&backend, 1), QList<QByteArray>{"a"});
        KUSBDevice::enumerateDevices(KHID::HidDeviceVisitor(), &backend);  // empty visitor
    }

    void queryDetailNarrowsTheNameAndKeepsTenFeatureCaps() {
        FakeHidBackend backend;
        KHidDetail d = detail("p", 0x24AE, 0x2013, 0x0E, 0xFF00);
        d.productName = QString::fromUtf16(u"Ma\u0141us") + QString(70, QLatin1Char('x'));
        for (int i = 0; i < 12; ++i) {
            KHID::KHidValueCaps caps;
            caps.usageMin = caps.usageMax = quint16(i);
            d.featureValueCaps << caps;
        }
        backend.add(d);
        KHidDetail out;
        QVERIFY(KUSBDevice::queryDetail("p", out, &backend));
        // U+0141 becomes its low byte 0x41 ('A'); at most 64 units are read.
        QCOMPARE(out.productName, QString("MaAus") + QString(59, QLatin1Char('x')));
        QCOMPARE(out.featureValueCaps.size(), 10);
        QCOMPARE(out.featureValueCaps.last().usageMin, quint16(9));

        KHidDetail unnamed = detail("q", 1, 1, 1, 1);
        unnamed.productName.clear();
        backend.add(unnamed);
        QVERIFY(KUSBDevice::queryDetail("q", out, &backend));
        QCOMPARE(out.productName, QString());
    }

    void openMatching_data() {
        QTest::addColumn<quint16>("usage");
        QTest::addColumn<quint16>("page");
        QTest::addColumn<quint16>("feature");
        QTest::addColumn<QByteArray>("opened");  // empty: no match
        QTest::newRow("first match wins")
            << quint16(0x0E) << quint16(0xFF00) << quint16(0) << QByteArray("vendor-1");
        QTest::newRow("feature length must be exact")
            << quint16(0x0E) << quint16(0xFF00) << quint16(20) << QByteArray("vendor-2");
        QTest::newRow("no such feature length")
            << quint16(0x0E) << quint16(0xFF00) << quint16(21) << QByteArray();
        QTest::newRow("usage page must match")
            << quint16(0x0E) << quint16(0xFF01) << quint16(0) << QByteArray();
        QTest::newRow("mouse collection")
            << quint16(2) << quint16(1) << quint16(0) << QByteArray("mouse");
    }
    void openMatching() {
        QFETCH(quint16, usage);
        QFETCH(quint16, page);
        QFETCH(quint16, feature);
        QFETCH(QByteArray, opened);
        FakeHidBackend backend;
        backend.add(detail("other-vendor", 0x24AF, 0x2013, 0x0E, 0xFF00));
        backend.add(detail("mouse", 0x24AE, 0x2013, 2, 1));
        backend.add(detail("vendor-1", 0x24AE, 0x2013, 0x0E, 0xFF00, 8));
        backend.add(detail("vendor-2", 0x24AE, 0x2013, 0x0E, 0xFF00, 20));
        KUSBDevice device(&backend);
        QCOMPARE(device.open(0x24AE, 0x2013, usage, page, feature), !opened.isEmpty());
        QCOMPARE(device.isOpened(), !opened.isEmpty());
        if (!opened.isEmpty()) {
            QCOMPARE(device.deviceDetail().devicePath, opened);
            QCOMPARE(backend.opened.size(), 2);  // read/write and read
        }
    }

    void openOnlyOnce() {
        FakeHidBackend backend;
        backend.add(detail("v", 0x24AE, 0x2013, 0x0E, 0xFF00));
        KUSBDevice device(&backend);
        QVERIFY(device.open(0x24AE, 0x2013, 0x0E, 0xFF00, 0));
        const int enumerations = backend.enumerations;
        QVERIFY(!device.open(0x24AE, 0x2013, 0x0E, 0xFF00, 0));
        QCOMPARE(backend.enumerations, enumerations);
    }

    void failedOpenReleasesTheFirstHandle() {
        FakeHidBackend backend;
        backend.add(detail("v", 0x24AE, 0x2013, 0x0E, 0xFF00));
        backend.unreadable << "v";
        {
            KUSBDevice device(&backend);
            QVERIFY(!device.open(0x24AE, 0x2013, 0x0E, 0xFF00, 0));
            QVERIFY(!device.isOpened());
            QVERIFY(backend.opened.isEmpty());
        }
        backend.unreadable.clear();
        {
            KUSBDevice device(&backend);
            QVERIFY(device.open(0x24AE, 0x2013, 0x0E, 0xFF00, 0));
        }
        QVERIFY(backend.opened.isEmpty());  // both handles closed by destruction
    }

    // The report comes back whole, ID in byte 0, never more than the caller's buffer holds.
    void readInputReport() {
        FakeHidBackend backend;
        QByteArray report(5, '\0');
        report[0] = char(0xBA);
        report[1] = 0x01;
        report[2] = 0x02;
        backend.add(detail("v", 0x24AE, 0x2013, 0x0E, 0xFF00, 0, 5, 5), report);
        KUSBDevice device(&backend);
        uchar buffer[8];
        std::memset(buffer, 0xEE, sizeof buffer);
        QVERIFY(!device.readInputReport(0xBA, buffer, 8));  // closed: no handle
        QVERIFY(device.open(0x24AE, 0x2013, 0x0E, 0xFF00, 0));

        QVERIFY(!device.readInputReport(0xBA, buffer, 4));  // smaller than the report
        QCOMPARE(buffer[0], uchar(0xEE));

        QVERIFY(device.readInputReport(0xBA, buffer, 8));
        QCOMPARE(QByteArray(reinterpret_cast<char*>(buffer), 5), report);
        QCOMPARE(buffer[5], uchar(0xEE));  // nothing beyond the report
        QCOMPARE(backend.lastInputRequest, QByteArray::fromHex("ba00000000"));

        backend.failTransfers = true;
        std::memset(buffer, 0xEE, sizeof buffer);
        QVERIFY(!device.readInputReport(0xBA, buffer, 8));
        QCOMPARE(buffer[0], uchar(0xEE));
    }

    void writeOutputReport() {
        FakeHidBackend backend;
        backend.add(detail("v", 0x24AE, 0x2013, 0x0E, 0xFF00, 0, 6, 6));
        KUSBDevice device(&backend);
        const uchar command[] = {0xA0, 0x81, 0x01, 0x00};
        QVERIFY(!device.writeOutputReport(0xBA, command, 4));  // closed
        QVERIFY(device.open(0x24AE, 0x2013, 0x0E, 0xFF00, 0));
        QVERIFY(device.writeOutputReport(0xBA, command, 4));
        QVERIFY(device.writeOutputReport(0xBA, command, 2));
        QCOMPARE(backend.sent, (QList<QByteArray>{QByteArray::fromHex("baa0810100 00"),
                                                  QByteArray::fromHex("baa08100 0000")}));
        const uchar tooLong[6] = {1, 2, 3, 4, 5, 6};
        QVERIFY(!device.writeOutputReport(0xBA, tooLong, 6));  // 6 data bytes + ID > 6
        QVERIFY(device.writeOutputReport(0xBA, tooLong, 5));
        QCOMPARE(backend.sent.size(), 3);
        QCOMPARE(backend.sent.last(), QByteArray::fromHex("ba0102030405"));
    }
};

QTEST_APPLESS_MAIN(TestUsbDevice)
#include "tst_usbdevice.moc"
