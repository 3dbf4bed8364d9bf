// The filter driver's control device as the Windows backend speaks to it: the six I/O control
// codes, what each carries, and the semaphore whose handle value the driver is given, with a
// scripted driver in place of the kernel one. The semaphore, the bridge thread and the USB hook
// above them are the real ones.

#include "device/KDeviceHookUSB.h"
#include "platform/win/KWinHookDriver.h"

#include <QMutex>
#include <QSignalSpy>
#include <QtTest>

#include <windows.h>

namespace {

// Answers the I/O controls as the driver does and records them: the code, and the 4-byte word
// when one is sent. Codes queued by queue() are handed out by READ_KEY, one release of the
// registered semaphore per code.
struct ScriptedDriver {
    struct Call {
        quint32 code;
        quint32 word;
        bool operator==(const Call& o) const { return code == o.code && word == o.word; }
    };
    mutable QMutex mutex;
    QList<Call> calls;
    QList<quint32> queued;
    bool present = true;
    bool refuseSemaphore = false;
    HANDLE semaphore = nullptr;
    int opens = 0, closes = 0;

    KWinHookDriver::Io io() {
        KWinHookDriver::Io io;
        io.open = [this](const QString& path) -> quintptr {
            QMutexLocker lock(&mutex);
            ++opens;
            return present && path == QLatin1String("\\\\.\\tvkmdrvkc") ? 0x4242 : 0;
        };
        io.close = [this](quintptr device) {
            QMutexLocker lock(&mutex);
            if (device == 0x4242)
                ++closes;
        };
        io.control = [this](quintptr device, quint32 code, const void* in, quint32 inLength,
                            void* out, quint32 outLength, quint32* returned) {
            QMutexLocker lock(&mutex);
            *returned = 0;
            if (device != 0x4242)
                return false;
            quint32 word = 0;
            if (in && inLength == 4)
                memcpy(&word, in, 4);
            else if (in || inLength)
                return false;  // every input is 4 bytes or none
            if (code != KWinHookDriver::IOCTL_HOOK_READ_KEY)
                calls.append({code, word});
            switch (code) {
                case KWinHookDriver::IOCTL_HOOK_SET_SEMAPHORE:
                    if (refuseSemaphore || out || outLength)
                        return false;
                    semaphore = reinterpret_cast<HANDLE>(quintptr(word));
                    return true;
                case KWinHookDriver::IOCTL_HOOK_CLEAR:
                    if (in || out)
                        return false;
                    semaphore = nullptr;
                    return true;
                case KWinHookDriver::IOCTL_HOOK_READ_KEY:
                    if (word != 0 || !out || outLength != 4 || queued.isEmpty())
                        return false;
                    word = queued.takeFirst();
                    memcpy(out, &word, 4);
                    *returned = 4;
                    return true;
                case KWinHookDriver::IOCTL_HOOK_SET_MOUSE_MASK:
                case KWinHookDriver::IOCTL_HOOK_SET_KEYBOARD_MASK:
                case KWinHookDriver::IOCTL_HOOK_SET_FLAGS:
                    return !out && outLength == 0;
                default:
                    return false;
            }
        };
        return io;
    }

    // The driver queues codes and signals the semaphore it was given, once per code.
    bool queue(const QList<quint32>& codes) {
        QMutexLocker lock(&mutex);
        if (!semaphore)
            return false;
        queued += codes;
        return ReleaseSemaphore(semaphore, LONG(codes.size()), nullptr) != FALSE;
    }

    QList<Call> takeCalls() {
        QMutexLocker lock(&mutex);
        QList<Call> out = calls;
        calls.clear();
        return out;
    }
};

QList<quint32> codesOf(const QSignalSpy& spy) {
    QList<quint32> result;
    for (const QList<QVariant>& args : spy)
        result << args.at(0).value<quint32>();
    return result;
}

}  // namespace

class TestWinHookDriver : public QObject {
    Q_OBJECT
private slots:
    void controlCodes_data() {
        QTest::addColumn<quint32>("code");
        QTest::addColumn<quint32>("expected");
        QTest::newRow("set semaphore") << KWinHookDriver::IOCTL_HOOK_SET_SEMAPHORE << 0x00222400u;
        QTest::newRow("clear") << KWinHookDriver::IOCTL_HOOK_CLEAR << 0x00222404u;
        QTest::newRow("read key") << KWinHookDriver::IOCTL_HOOK_READ_KEY << 0x00222408u;
        QTest::newRow("mouse mask") << KWinHookDriver::IOCTL_HOOK_SET_MOUSE_MASK << 0x0022240Cu;
        QTest::newRow("keyboard mask")
            << KWinHookDriver::IOCTL_HOOK_SET_KEYBOARD_MASK << 0x00222410u;
        QTest::newRow("flags") << KWinHookDriver::IOCTL_HOOK_SET_FLAGS << 0x00222444u;
    }
    void controlCodes() {
        QFETCH(quint32, code);
        QFETCH(quint32, expected);
        QCOMPARE(code, expected);
    }

    // No driver is installed on this system: the control device does not open and nothing
    // can be sent.
    void systemWithoutTheDriver() {
        KWinHookDriver driver;
        QTest::ignoreMessage(QtWarningMsg, QRegularExpression(".*filter driver is not there.*"));
        QVERIFY(!driver.open());
        QVERIFY(!driver.isOpen());
        QVERIFY(driver.retriesHelp());
        quint32 code = 0;
        QVERIFY(!driver.clear());
        QVERIFY(!driver.setFlags(1));
        QVERIFY(!driver.setSemaphore(std::make_shared<KHookSemaphore>(10)));
        QVERIFY(!driver.readKey(&code));
        QVERIFY(!driver.setMouseMask(0x10));
        QVERIFY(!driver.setKeyboardMask(0x20));
    }

    // A start, three codes, a stop: the order of the controls and the words they carry, the
    // codes fetched one per signal of the semaphore the driver was given, both masks 0 and a
    // clear before the program lets go, and the semaphore closed after.
    void hookRunsOverTheControlDevice() {
        using Call = ScriptedDriver::Call;
        ScriptedDriver scripted;
        KWinHookDriver driver(scripted.io());
        KDeviceHookUSB hook(&driver);
        QSignalSpy spy(&hook, &KHookBase::sigKeyDown);
        QVERIFY(hook.startHook());
        QList<Call> calls = scripted.takeCalls();
        QCOMPARE(calls.size(), 3);
        QCOMPARE(calls.at(0), (Call{KWinHookDriver::IOCTL_HOOK_CLEAR, 0}));
        QCOMPARE(calls.at(1).code, KWinHookDriver::IOCTL_HOOK_SET_FLAGS);
        QCOMPARE(calls.at(2).code, KWinHookDriver::IOCTL_HOOK_SET_SEMAPHORE);
        // The word is the handle value of a semaphore of this process that starts at 0.
        const HANDLE semaphore = reinterpret_cast<HANDLE>(quintptr(calls.at(2).word));
        QCOMPARE(WaitForSingleObject(semaphore, 0), DWORD(WAIT_TIMEOUT));

        QVERIFY(hook.setMouseMask(0x16));
        QVERIFY(hook.setKeyboardMask(0x21));
        QCOMPARE(scripted.takeCalls(),
                 (QList<Call>{{KWinHookDriver::IOCTL_HOOK_SET_MOUSE_MASK, 0x16},
                              {KWinHookDriver::IOCTL_HOOK_SET_KEYBOARD_MASK, 0x21}}));

        const QList<quint32> sent = {0x2, 0x400000E9, 0xDEADBEEF};
        QVERIFY(scripted.queue(sent));
        QTRY_COMPARE(codesOf(spy), sent);

        QVERIFY(hook.stopHook());
        QCOMPARE(scripted.takeCalls(),
                 (QList<Call>{{KWinHookDriver::IOCTL_HOOK_SET_MOUSE_MASK, 0},
                              {KWinHookDriver::IOCTL_HOOK_SET_KEYBOARD_MASK, 0},
                              {KWinHookDriver::IOCTL_HOOK_CLEAR, 0}}));
        QCOMPARE(scripted.closes, 1);
        // The program no longer holds the semaphore it registered.
        QVERIFY(!ReleaseSemaphore(semaphore, 1, nullptr));
        QCOMPARE(codesOf(spy), sent);
    }

    // Codes queued faster than the worker fetches are each fetched once, in order.
    void burstOfCodes() {
        ScriptedDriver scripted;
        KWinHookDriver driver(scripted.io());
        KDeviceHookUSB hook(&driver);
        QSignalSpy spy(&hook, &KHookBase::sigKeyDown);
        QVERIFY(hook.startHook());
        QList<quint32> sent;
        for (quint32 i = 0; i < 200; ++i)
            sent << (i % 2 ? 0x40000000u | i : i);
        for (int i = 0; i < sent.size(); i += 50)
            QVERIFY(scripted.queue(sent.mid(i, 50)));
        QTRY_COMPARE(codesOf(spy), sent);
        QVERIFY(hook.stopHook());
    }

    // A driver that will not take the semaphore: the start fails after its tries, each
    // semaphore is let go again, and the control device is closed.
    void refusedSemaphore() {
        ScriptedDriver scripted;
        scripted.refuseSemaphore = true;
        KWinHookDriver driver(scripted.io());
        KDeviceHookUSB hook(&driver);
        hook.setStartTiming(3, 1);
        QVERIFY(!hook.startHook());
        int registrations = 0;
        for (const ScriptedDriver::Call& call : scripted.takeCalls()) {
            if (call.code != KWinHookDriver::IOCTL_HOOK_SET_SEMAPHORE)
                continue;
            ++registrations;
            QVERIFY(!ReleaseSemaphore(reinterpret_cast<HANDLE>(quintptr(call.word)), 1, nullptr));
        }
        QCOMPARE(registrations, 3);
        QCOMPARE(scripted.closes, 1);
        QVERIFY(!driver.isOpen());
    }

    // Closing with a registration in force drops it first.
    void closeClearsTheRegistration() {
        ScriptedDriver scripted;
        KWinHookDriver driver(scripted.io());
        QVERIFY(driver.open());
        QVERIFY(driver.setSemaphore(std::make_shared<KHookSemaphore>(8000)));
        scripted.takeCalls();
        driver.close();
        QCOMPARE(scripted.takeCalls(),
                 (QList<ScriptedDriver::Call>{{KWinHookDriver::IOCTL_HOOK_CLEAR, 0}}));
        QCOMPARE(scripted.closes, 1);
        driver.close();
        QCOMPARE(scripted.closes, 1);
    }
};

QTEST_GUILESS_MAIN(TestWinHookDriver)
#include "tst_winhookdriver.moc"
