// The session and desktop services of the Windows backend: the autorun value in the current
// user's Run key, programs and documents started through the shell (also with "runas"), the
// command line built for a started program, and, for the calls whose effect the test system
// cannot show (the gamma ramp, the pointer speed), the exact calls made.

#include "platform/win/KWinDesktopBackend.h"
#include "platform/win/KWinSessionBackend.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <QtTest>

#include <windows.h>

#include <shellapi.h>

namespace {

const QString kRunKey = QStringLiteral("SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Run");

// The Run value as the registry itself holds it: type and data; false when absent.
bool readRunValue(const QString& name, DWORD* type, QString* data) {
    HKEY key = nullptr;
    if (RegOpenKeyExW(HKEY_CURRENT_USER, reinterpret_cast<LPCWSTR>(kRunKey.utf16()), 0, KEY_READ,
                      &key) != ERROR_SUCCESS)
        return false;
    wchar_t buffer[1024] = {};
    DWORD size = sizeof buffer;
    const LONG status = RegQueryValueExW(key, reinterpret_cast<LPCWSTR>(name.utf16()), nullptr,
                                         type, reinterpret_cast<BYTE*>(buffer), &size);
    RegCloseKey(key);
    if (status != ERROR_SUCCESS)
        return false;
    *data = QString::fromWCharArray(buffer);
    return true;
}

// What a started batch file writes, once it has run.
QString waitForFile(const QString& path) {
    // The interpreter creates the file before it writes the line: wait for the line, however
    // slowly the machine runs it.
    for (int i = 0; i < 300 && QFileInfo(path).size() == 0; ++i)
        QTest::qWait(50);
    QTest::qWait(100);  // and for the rest of it
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return QString();
    return QString::fromLocal8Bit(file.readAll()).trimmed();
}

struct Recorded {
    QList<QVector<quint16>> setRamps;  // the three channels of each set, concatenated
    bool canGet = true;
    bool canSet = true;
    struct Spi {
        quint32 action, uiParam, winIni;
        void* pvParam;
    };
    QList<Spi> spi;
    int speed = 7;

    KWinDesktopBackend::Calls calls() {
        KWinDesktopBackend::Calls calls;
        calls.getDeviceGammaRamp = [this](quint16(*ramps)[256]) {
            if (!canGet)
                return false;
            for (int c = 0; c < 3; ++c)
                for (int i = 0; i < 256; ++i)
                    ramps[c][i] = quint16(i * 257 - c);  // a calibration of its own
            return true;
        };
        calls.setDeviceGammaRamp = [this](const quint16(*ramps)[256]) {
            QVector<quint16> all;
            for (int c = 0; c < 3; ++c)
                for (int i = 0; i < 256; ++i)
                    all << ramps[c][i];
            setRamps << all;
            return canSet;
        };
        calls.systemParametersInfo = [this](quint32 action, quint32 uiParam, void* pvParam,
                                            quint32 winIni) {
            spi << Spi{action, uiParam, winIni, pvParam};
            if (action == SPI_GETMOUSESPEED)
                *static_cast<int*>(pvParam) = speed;
            return true;
        };
        return calls;
    }
};

}  // namespace

class TestWinSession : public QObject {
    Q_OBJECT
private slots:
    void autorunEntry() {
        KWinSessionBackend session;
        const QString name = QStringLiteral("PointoraTest%1").arg(GetCurrentProcessId());
        QCOMPARE(KWinSessionBackend::runKey(), "HKEY_CURRENT_USER\\" + kRunKey);
        QCOMPARE(session.autorunEntry(name), QString());
        session.setAutorunEntry(name, QStringLiteral("C:/Program Files/Pointora/Pointora.exe"));
        DWORD type = 0;
        QString data;
        QVERIFY(readRunValue(name, &type, &data));
        QCOMPARE(type, DWORD(REG_SZ));
        QCOMPARE(data, QStringLiteral("C:\\Program Files\\Pointora\\Pointora.exe"));
        QCOMPARE(session.autorunEntry(name), data);
        session.removeAutorunEntry(name);
        QVERIFY(!readRunValue(name, &type, &data));
        QCOMPARE(session.autorunEntry(name), QString());
    }

    // The started program's C runtime gets back exactly the arguments given.
    void commandLine_data() {
        QTest::addColumn<QStringList>("arguments");
        QTest::newRow("plain") << QStringList{"a", "bc"};
        QTest::newRow("blank") << QStringList{"two words", "x"};
        QTest::newRow("empty") << QStringList{"", "y"};
        QTest::newRow("quote") << QStringList{"say \"hi\""};
        QTest::newRow("backslashes") << QStringList{"C:\\dir\\", "a\\\\b", "end\\\"q"};
        QTest::newRow("folder with blank") << QStringList{"C:\\Program Files\\"};
    }
    void commandLine() {
        QFETCH(QStringList, arguments);
        const QString line =
            QStringLiteral("prog.exe ") + KWinSessionBackend::commandLine(arguments);
        int count = 0;
        LPWSTR* split = CommandLineToArgvW(reinterpret_cast<LPCWSTR>(line.utf16()), &count);
        QVERIFY(split);
        QStringList back;
        for (int i = 1; i < count; ++i)
            back << QString::fromWCharArray(split[i]);
        LocalFree(split);
        QCOMPARE(back, arguments);
    }

    // Through the shell: a program with arguments and a working directory, plainly and with
    // "runas"; a document (a batch file) opened with its default verb.
    void startThroughTheShell_data() {
        QTest::addColumn<bool>("elevated");
        QTest::newRow("open") << false;
        QTest::newRow("runas") << true;
    }
    void startThroughTheShell() {
        QFETCH(bool, elevated);
        QTemporaryDir dir;
        QVERIFY(dir.isValid());
        const QString out = dir.filePath("out.txt");
        QFile script(dir.filePath("write.cmd"));
        QVERIFY(script.open(QIODevice::WriteOnly));
        script.write("@echo %~1 %CD%> out.txt\r\n");
        script.close();
        KWinSessionBackend session;
        QVERIFY(session.startProgram(QStringLiteral("cmd.exe"),
                                     {"/c", QDir::toNativeSeparators(script.fileName()), "one two"},
                                     dir.path(), elevated));
        QCOMPARE(waitForFile(out).toLower(),
                 QString("one two " + QDir::toNativeSeparators(dir.path())).toLower());
        QTest::ignoreMessage(QtWarningMsg, QRegularExpression(".*cannot start.*"));
        QVERIFY(!session.startProgram(dir.filePath("missing.exe"), {}, dir.path(), elevated));
    }

    void openDocument() {
        QTemporaryDir dir;
        QVERIFY(dir.isValid());
        QFile script(dir.filePath("opened.cmd"));
        QVERIFY(script.open(QIODevice::WriteOnly));
        script.write(
            ("@echo opened> \"" + QDir::toNativeSeparators(dir.filePath("out.txt")) + "\"\r\n")
                .toLocal8Bit());
        script.close();
        KWinSessionBackend().openPath(script.fileName());
        QCOMPARE(waitForFile(dir.filePath("out.txt")), QString("opened"));
    }

    // The ramp goes to the screen as three equal channels; the screen's own ramp is read once
    // before the first change and put back when the backend ends.
    void gammaCalls() {
        Recorded recorded;
        KWinDesktopBackend::GammaRamp ramp;
        for (int i = 0; i < 256; ++i)
            ramp[size_t(i)] = quint16(qMin(65535, i * 300));
        {
            KWinDesktopBackend desktop(recorded.calls());
            QVERIFY(desktop.setGammaRamp(ramp));
            QVERIFY(desktop.setGammaRamp(ramp));
            QVERIFY(desktop.gammaAvailable());
            QCOMPARE(recorded.setRamps.size(), 2);
            for (int c = 0; c < 3; ++c)
                for (int i = 0; i < 256; ++i)
                    QCOMPARE(recorded.setRamps.at(0).at(c * 256 + i), ramp[size_t(i)]);
        }
        QCOMPARE(recorded.setRamps.size(), 3);
        for (int c = 0; c < 3; ++c)
            QCOMPARE(recorded.setRamps.last().at(c * 256 + 200), quint16(200 * 257 - c));

        // A screen without a readable ramp: unavailable once a change fails, and nothing to put
        // back.
        Recorded without;
        without.canGet = false;
        without.canSet = false;
        {
            KWinDesktopBackend desktop(without.calls());
            QVERIFY(!desktop.setGammaRamp(ramp));
            QVERIFY(!desktop.gammaAvailable());
        }
        QCOMPARE(without.setRamps.size(), 1);

        // A refused ramp on a screen that has one is a passing refusal.
        Recorded refusing;
        refusing.canSet = false;
        KWinDesktopBackend desktop(refusing.calls());
        QVERIFY(!desktop.setGammaRamp(ramp));
        QVERIFY(desktop.gammaAvailable());
    }

    void pointerSpeedCalls() {
        Recorded recorded;
        KWinDesktopBackend desktop(recorded.calls());
        int speed = 0;
        QVERIFY(desktop.pointerSpeed(&speed));
        QCOMPARE(speed, 7);
        QCOMPARE(recorded.spi.size(), 1);
        QCOMPARE(recorded.spi.at(0).action, 0x0070u);
        QCOMPARE(recorded.spi.at(0).uiParam, 0u);
        QCOMPARE(recorded.spi.at(0).winIni, 0u);

        for (int refused : {0, 21, -3})
            QVERIFY(!desktop.setPointerSpeed(refused));
        QCOMPARE(recorded.spi.size(), 1);
        for (int accepted : {1, 15, 20}) {
            QVERIFY(desktop.setPointerSpeed(accepted));
            const Recorded::Spi& call = recorded.spi.last();
            QCOMPARE(call.action, 0x0071u);
            QCOMPARE(call.uiParam, 0u);
            // The value itself is the pointer argument; the change is sent, not saved.
            QCOMPARE(reinterpret_cast<quintptr>(call.pvParam), quintptr(accepted));
            QCOMPARE(call.winIni, 0x0002u);
        }
    }

    // Windows of this process: title, class, geometry, children and the child at a point.
    void windows() {
        WNDCLASSW windowClass{};
        windowClass.lpfnWndProc = DefWindowProcW;
        windowClass.hInstance = GetModuleHandleW(nullptr);
        windowClass.lpszClassName = L"EXCEL7";
        RegisterClassW(&windowClass);
        HWND grid = CreateWindowExW(0, L"EXCEL7", L"Pointora grid", WS_OVERLAPPEDWINDOW, 100, 100,
                                    400, 300, nullptr, nullptr, GetModuleHandleW(nullptr), nullptr);
        if (!grid)
            QSKIP(
                "no display: this system makes no top-level windows (Wine without an X "
                "server), so the window queries are not checked");
        HWND bar = CreateWindowExW(0, L"ScrollBar", L"", WS_CHILD | WS_VISIBLE | SBS_HORZ, 10, 200,
                                   300, 20, grid, nullptr, GetModuleHandleW(nullptr), nullptr);
        QVERIFY(bar);
        KWinDesktopBackend desktop;
        const KWindowId gridId = KWindowId(reinterpret_cast<quintptr>(grid));
        const KWindowId barId = KWindowId(reinterpret_cast<quintptr>(bar));
        QCOMPARE(desktop.windowTitle(gridId), QString("Pointora grid"));
        QCOMPARE(desktop.windowClassName(gridId), QString("EXCEL7"));
        QCOMPARE(desktop.windowClassName(barId).toLower(), QString("scrollbar"));
        QCOMPARE(desktop.childWindows(gridId), QList<KWindowId>{barId});
        const QRect barRect = desktop.windowRect(barId);
        QCOMPARE(barRect.size(), QSize(300, 20));
        QCOMPARE(desktop.childWindowAt(gridId, barRect.center()), barId);
        QCOMPARE(desktop.childWindowAt(gridId, QPoint(-5000, -5000)), KWindowId(0));
        QVERIFY(!desktop.isWindowMaximized(gridId));
        desktop.maximizeWindow(gridId);
        QVERIFY(desktop.isWindowMaximized(gridId));
        desktop.minimizeWindow(gridId);
        QVERIFY(IsIconic(grid));
        DestroyWindow(grid);
    }
};

QTEST_GUILESS_MAIN(TestWinSession)
#include "tst_winsession.moc"
