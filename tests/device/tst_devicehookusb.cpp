#include "FakeDeviceBackends.h"
#include "device/KDeviceHookUSB.h"

#include <QSignalSpy>
#include <QtTest>

class TestDeviceHookUsb : public QObject {
    Q_OBJECT

    static QList<quint32> codes(const QSignalSpy& spy) {
        QList<quint32> result;
        for (const QList<QVariant>& args : spy)
            result << args.at(0).value<quint32>();
        return result;
    }

private slots:
    void startLoopGivesUpAfterItsTries() {
        FakeHookDriver driver;
        driver.refusals = 1000;
        KDeviceHookUSB hook(&driver);
        hook.setStartTiming(30, 1);
        QVERIFY(!hook.startHook());
        QCOMPARE(driver.semaphoreAttempts, 30);
        QVERIFY(!hook.isStarted());
        QCOMPARE(driver.clears, 1);  // the previous client is dropped before registering
        // A later start tries again from the beginning.
        QVERIFY(!hook.startHook());
        QCOMPARE(driver.semaphoreAttempts, 60);
        QCOMPARE(driver.opens, 2);

        driver.refusals = 2;
        QVERIFY(hook.startHook());
        QCOMPARE(driver.semaphoreAttempts, 63);
        QVERIFY(hook.isStarted());
        QVERIFY(hook.stopHook());
    }

    void missingControlDeviceCostsEveryTry() {
        FakeHookDriver driver;
        driver.present = false;
        KDeviceHookUSB hook(&driver);
        hook.setStartTiming(5, 2);
        QElapsedTimer timer;
        timer.start();
        QVERIFY(!hook.startHook());
        QVERIFY(timer.elapsed() >= 10);  // five pauses
        QCOMPARE(driver.semaphoreAttempts, 0);
        QVERIFY(!hook.setMouseMask(0x10));  // nothing to send the mask to
    }

    void codesPassUnchangedAndInOrder() {
        FakeHookDriver driver;
        KDeviceHookUSB hook(&driver);
        QSignalSpy spy(&hook, &KHookBase::sigKeyDown);
        QVERIFY(hook.startHook());
        const QList<quint32> sent = {0x10, 0x400000E9, 0x1FF, 0xDEADBEEF, 0x1};
        driver.queue(sent);
        QTRY_COMPARE(codes(spy), sent);
        QVERIFY(hook.stopHook());
    }

    void oneFetchPerWakeUp() {
        FakeHookDriver driver;
        KDeviceHookUSB hook(&driver);
        QSignalSpy spy(&hook, &KHookBase::sigKeyDown);
        QVERIFY(hook.startHook());
        driver.queue({0x2, 0x4, 0x8}, false);  // queued, but only one release
        driver.queue({}, false);
        QTRY_COMPARE(driver.reads.load(), 0);
        driver.queue({0x10});  // one more code, one release
        QTRY_COMPARE(driver.reads.load(), 1);
        QTest::qWait(20);
        QCOMPARE(driver.reads.load(), 1);
        QCOMPARE(codes(spy), QList<quint32>{0x2});
        // Stopping wakes the loop once more: that fetch is still emitted.
        QVERIFY(hook.stopHook());
        QCOMPARE(driver.reads.load(), 2);
        QTRY_COMPARE(codes(spy), (QList<quint32>{0x2, 0x4}));
    }

    void stopLeavesBothMasksAtZero() {
        FakeHookDriver driver;
        {
            KDeviceHookUSB hook(&driver);
            QVERIFY(hook.startHook());
            QVERIFY(hook.setMouseMask(0x10));
            QVERIFY(hook.setKeyboardMask(0x20));
            QCOMPARE(driver.mouseMask.load(), 0x10u);
            QVERIFY(hook.stopHook());  // no event pending: returns after the final fetch
            QCOMPARE(driver.reads.load(), 1);
            QCOMPARE(driver.mouseMask.load(), 0u);
            QCOMPARE(driver.keyboardMask.load(), 0u);
            QVERIFY(!driver.hasClient());
            QVERIFY(!hook.isStarted());

            QVERIFY(hook.startHook());  // the thread is reused for the next start
            QVERIFY(hook.setMouseMask(0x2));
        }
        // Destroying a running hook stops it the same way.
        QCOMPARE(driver.mouseMask.load(), 0u);
        QCOMPARE(driver.keyboardMask.load(), 0u);
        QVERIFY(!driver.isOpen());
    }

    void immediateStopsNeverHang() {
        FakeHookDriver driver;
        KDeviceHookUSB hook(&driver);
        for (int i = 0; i < 50; ++i) {
            QVERIFY(hook.startHook());
            QVERIFY(hook.stopHook());
        }
        QCOMPARE(driver.reads.load(), 50);
    }
};

QTEST_GUILESS_MAIN(TestDeviceHookUsb)
#include "tst_devicehookusb.moc"
