// Device access of the Windows backend on the system it runs on: SetupAPI's walk of the HID
// class and what the HID layer does with its answers, handles that cannot be had, raw-input
// registration and the device list, and the device notifications of the hidden window.

#include "device/KUSBDevice.h"
#include "platform/win/KWinDeviceMonitor.h"
#include "platform/win/KWinHidBackend.h"
#include "platform/win/KWinRawInputBackend.h"

#include <QSignalSpy>
#include <QtTest>

#include <windows.h>

#include <dbt.h>

#include <vector>

namespace {

// A device-interface broadcast as the system sends it: the header followed by the class GUID
// and the NUL-terminated interface name.
std::vector<quint8> interfaceBroadcast(const QString& name,
                                       DWORD type = DBT_DEVTYP_DEVICEINTERFACE) {
    const std::wstring wide = name.toStdWString();
    std::vector<quint8> buffer(sizeof(DEV_BROADCAST_DEVICEINTERFACE_W) +
                               wide.size() * sizeof(wchar_t));
    auto* broadcast = reinterpret_cast<DEV_BROADCAST_DEVICEINTERFACE_W*>(buffer.data());
    broadcast->dbcc_size = DWORD(buffer.size());
    broadcast->dbcc_devicetype = type;
    memcpy(broadcast->dbcc_name, wide.c_str(), (wide.size() + 1) * sizeof(wchar_t));
    return buffer;
}

}  // namespace

class TestWinDevices : public QObject {
    Q_OBJECT
private slots:
    // Every path SetupAPI lists is visited once by a walk that never stops, unless the system
    // cannot describe it; the walk ends where the visitor says.
    void enumeration() {
        KWinHidBackend backend;
        const QList<QByteArray> paths = backend.interfacePaths();
        qInfo() << "HID interfaces on this system:" << paths.size();
        QList<QByteArray> visited;
        KHID::KUSBDevice::enumerateDevices(
            [&visited](KHID::KHidDetail detail, bool&) { visited << detail.devicePath; }, &backend);
        QCOMPARE(QSet<QByteArray>(visited.begin(), visited.end()).size(), visited.size());
        for (const QByteArray& path : visited)
            QVERIFY(paths.contains(path));
        if (visited.size() > 1) {
            int calls = 0;
            KHID::KUSBDevice::enumerateDevices(
                [&calls](KHID::KHidDetail, bool& keepGoing) {
                    ++calls;
                    keepGoing = false;
                },
                &backend);
            QCOMPARE(calls, 1);
        }
    }

    void missingInterface() {
        KWinHidBackend backend;
        const QByteArray path =
            "\\\\?\\hid#vid_24ae&pid_1100#0&0&0#{4d1e55b2-f16f-11cf-88cb-001111000030}";
        KHID::KHidDetail detail;
        detail.vendorId = 0x1234;
        QVERIFY(!backend.queryInterface(path, &detail));
        QCOMPARE(detail.vendorId, quint16(0x1234));  // untouched
        bool denied = true;
        QTest::ignoreMessage(QtWarningMsg, QRegularExpression(".*cannot open.*"));
        QCOMPARE(backend.openChecked(path, KHidBackend::Access::ReadWrite, &denied),
                 KHidBackend::InvalidHandle);
        QVERIFY(!denied);  // gone, not refused
        uchar report[8] = {};
        QVERIFY(!backend.getInputReport(KHidBackend::InvalidHandle, report, sizeof report));
        QVERIFY(!backend.setOutputReport(KHidBackend::InvalidHandle, report, sizeof report));
        QCOMPARE(KWinHidBackend::desiredAccess(KHidBackend::Access::Read), 0x80000000u);
        QCOMPARE(KWinHidBackend::desiredAccess(KHidBackend::Access::ReadWrite), 0x0012019Fu);

        // The HID layer above finds nothing with the receiver's IDs and stays closed.
        KHID::KUSBDevice device(&backend);
        QVERIFY(!device.open(0x24AE, 0x7777, 0x01, 0xFF00, 0));
        QVERIFY(!device.writeOutputReport(0xBA, report, 4));
    }

    void rawInput() {
        KWinRawInputBackend rawInput;
        QVERIFY(rawInput.windowHandle());
        QVERIFY(rawInput.registerMouseInput());
        QList<KRawInputDevice> devices;
        QVERIFY(rawInput.deviceList(&devices));
        qInfo() << "raw-input devices on this system:" << devices.size();
        for (const KRawInputDevice& device : devices) {
            QVERIFY(device.handle);
            QByteArray name;
            QVERIFY(KWinRawInputBackend::deviceName(device.handle, &name));
            QCOMPARE(name, device.name);
        }
        QByteArray name;
        QVERIFY(!KWinRawInputBackend::deviceName(0x7777, &name));
    }

    void deviceNotifications_data() {
        QTest::addColumn<quint32>("event");
        QTest::addColumn<quint32>("type");
        QTest::addColumn<bool>("signalled");
        QTest::addColumn<bool>("arrival");
        QTest::newRow("arrival") << quint32(DBT_DEVICEARRIVAL)
                                 << quint32(DBT_DEVTYP_DEVICEINTERFACE) << true << true;
        QTest::newRow("removal") << quint32(DBT_DEVICEREMOVECOMPLETE)
                                 << quint32(DBT_DEVTYP_DEVICEINTERFACE) << true << false;
        QTest::newRow("removal asked") << quint32(DBT_DEVICEQUERYREMOVE)
                                       << quint32(DBT_DEVTYP_DEVICEINTERFACE) << false << false;
        QTest::newRow("volume") << quint32(DBT_DEVICEARRIVAL) << quint32(DBT_DEVTYP_VOLUME) << false
                                << false;
    }
    void deviceNotifications() {
        QFETCH(quint32, event);
        QFETCH(quint32, type);
        QFETCH(bool, signalled);
        QFETCH(bool, arrival);
        KWinDeviceMonitor monitor;
        QCOMPARE(monitor.windowHandle(), quintptr(0));
        QVERIFY(monitor.start());
        QVERIFY(monitor.start());  // again: nothing more, still running
        QVERIFY(monitor.windowHandle());
        QVERIFY(monitor.isSessionActive());
        QSignalSpy spy(&monitor, &KDeviceMonitor::deviceChanged);
        const QString path = QStringLiteral(
            "\\\\?\\HID#VID_24AE&PID_1100&MI_00#7&1&0&0000#{4d1e55b2-f16f-11cf-88cb-001111000030}");
        std::vector<quint8> broadcast = interfaceBroadcast(path, type);
        SendMessageW(reinterpret_cast<HWND>(monitor.windowHandle()), WM_DEVICECHANGE, event,
                     reinterpret_cast<LPARAM>(broadcast.data()));
        // Nodes changing without a broadcast record, as the system also sends.
        SendMessageW(reinterpret_cast<HWND>(monitor.windowHandle()), WM_DEVICECHANGE,
                     DBT_DEVNODES_CHANGED, 0);
        QCOMPARE(spy.size(), signalled ? 1 : 0);
        if (signalled) {
            QCOMPARE(spy.at(0).at(0).toBool(), arrival);
            QCOMPARE(spy.at(0).at(1).toString(), path);
        }
    }

    void resumeFromSleep() {
        KWinDeviceMonitor monitor;
        QVERIFY(monitor.start());
        QSignalSpy spy(&monitor, &KDeviceMonitor::sessionResumed);
        SendMessageW(reinterpret_cast<HWND>(monitor.windowHandle()), WM_POWERBROADCAST,
                     PBT_APMSUSPEND, 0);
        QCOMPARE(spy.size(), 0);
        SendMessageW(reinterpret_cast<HWND>(monitor.windowHandle()), WM_POWERBROADCAST,
                     PBT_APMRESUMEAUTOMATIC, 0);
        QCOMPARE(spy.size(), 1);
    }
};

QTEST_GUILESS_MAIN(TestWinDevices)
#include "tst_windevices.moc"
