#include "app/KConstants.h"
#include "device/KReceiverIds.h"

#include <QtTest>

class TestReceiverIds : public QObject {
    Q_OBJECT
private slots:
    void supportedReceivers() {
        for (quint16 product : {0x1100, 0x1812, 0x1813, 0x2010, 0x2020, 0x2013})
            QVERIFY2(KHID::isSupportedReceiver(0x24AE, product),
                     qPrintable(QString::number(product, 16)));
        QVERIFY(!KHID::isSupportedReceiver(0x24AF, 0x2013));
        QVERIFY(!KHID::isSupportedReceiver(0x046D, 0x2013));
        QVERIFY(!KHID::isSupportedReceiver(0x24AE, 0x2011));
        QVERIFY(!KHID::isSupportedReceiver(0x24AE, 0x0000));
        QVERIFY(!KHID::isSupportedReceiver(0x0000, 0x1100));
    }

    void identity() {
        QCOMPARE(QString(APP_INSTANCE_ID), QString("Pointora1.0.2"));
        QCOMPARE(QString(ORGANIZATION_DOMAIN), QString("Tolva"));
    }
};

QTEST_APPLESS_MAIN(TestReceiverIds)
#include "tst_receiverids.moc"
