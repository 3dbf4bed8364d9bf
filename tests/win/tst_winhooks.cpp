// The low-level hooks and injected input of the Windows backend on the system they run on: what
// the hook procedures see of the injector's events (message, data, the program's tag), of
// untagged input made with SendInput, of held keys, and whether an event a procedure swallows
// goes no further down the hook chain.

#include "platform/KInputCodes.h"
#include "platform/win/KWinInputInjector.h"
#include "platform/win/KWinLowLevelHookBackend.h"

#include <QMutex>
#include <QtTest>

#include <windows.h>

namespace {

constexpr quintptr kTag = 9591;

// What a procedure saw, safe to read from the test's thread.
struct Seen {
    QMutex mutex;
    QList<KMouseHookRecord> mice;
    QList<KKeyboardHookRecord> keys;
    int size() {
        QMutexLocker lock(&mutex);
        return mice.size() + keys.size();
    }
};

// A hook of the test's own, installed before the backend's: the system calls it after the
// backend's procedure, so it sees exactly what the backend lets through.
HHOOK g_witnessHook = nullptr;
QList<quint32> g_witnessed;

LRESULT CALLBACK witness(int code, WPARAM wParam, LPARAM lParam) {
    if (code == HC_ACTION) {
        const auto* event = reinterpret_cast<const MSLLHOOKSTRUCT*>(lParam);
        if (event->dwExtraInfo == kTag)
            g_witnessed << quint32(wParam);
    }
    return CallNextHookEx(g_witnessHook, code, wParam, lParam);
}

void sendUntaggedKey(WORD vk, bool up) {
    INPUT input{};
    input.type = INPUT_KEYBOARD;
    input.ki.wVk = vk;
    input.ki.dwFlags = up ? KEYEVENTF_KEYUP : 0;
    SendInput(1, &input, sizeof input);
}

}  // namespace

class TestWinHooks : public QObject {
    Q_OBJECT
private slots:
    void mouseEventsCarryTheTag_data() {
        QTest::addColumn<quint32>("flags");
        QTest::addColumn<qint32>("data");
        QTest::addColumn<QList<quint32>>("messages");
        QTest::addColumn<QList<quint32>>("dataWords");
        QTest::newRow("right click") << KMouseFlag::RIGHTCLICK << 0
                                     << QList<quint32>{0x0204, 0x0205} << QList<quint32>{0, 0};
        QTest::newRow("middle click") << KMouseFlag::MIDDLECLICK << 0
                                      << QList<quint32>{0x0207, 0x0208} << QList<quint32>{0, 0};
        QTest::newRow("wheel up") << KMouseFlag::WHEEL << 120 << QList<quint32>{0x020A}
                                  << QList<quint32>{120u << 16};
        QTest::newRow("wheel down") << KMouseFlag::WHEEL << -120 << QList<quint32>{0x020A}
                                    << QList<quint32>{quint32(-120) << 16};
        QTest::newRow("side wheel")
            << KMouseFlag::HWHEEL << 120 << QList<quint32>{0x020E} << QList<quint32>{120u << 16};
        QTest::newRow("forward") << KMouseFlag::XCLICK
                                 << 2  // XBUTTON2 (windows.h makes the name a macro)
                                 << QList<quint32>{0x020B, 0x020C}
                                 << QList<quint32>{2u << 16, 2u << 16};
        QTest::newRow("back") << KMouseFlag::XCLICK << 1  // XBUTTON1
                              << QList<quint32>{0x020B, 0x020C}
                              << QList<quint32>{1u << 16, 1u << 16};
    }
    void mouseEventsCarryTheTag() {
        QFETCH(quint32, flags);
        QFETCH(qint32, data);
        QFETCH(QList<quint32>, messages);
        QFETCH(QList<quint32>, dataWords);
        KWinLowLevelHookBackend hooks;
        Seen seen;
        QVERIFY(hooks.installMouseHook([&seen](const KMouseHookRecord& record) {
            QMutexLocker lock(&seen.mutex);
            if (record.message != 0x0200)  // movements of anything else
                seen.mice << record;
            return false;
        }));
        KWinInputInjector injector;
        QCOMPARE(injector.method(), QString("win32"));
        injector.sendMouse(flags, data, kTag);
        QTRY_COMPARE(seen.size(), messages.size());
        hooks.removeMouseHook();
        for (int i = 0; i < messages.size(); ++i) {
            QCOMPARE(seen.mice.at(i).message, messages.at(i));
            QCOMPARE(seen.mice.at(i).mouseData, dataWords.at(i));
            QCOMPARE(seen.mice.at(i).extraInfo, kTag);
        }
    }

    // Keys: the injector's presses and releases with the tag, untagged input with none, and a
    // key held down (a second key-down without a release) marked as a repeat.
    void keyRecords() {
        KWinLowLevelHookBackend hooks;
        Seen seen;
        QVERIFY(hooks.installKeyboardHook([&seen](const KKeyboardHookRecord& record) {
            QMutexLocker lock(&seen.mutex);
            seen.keys << record;
            return false;
        }));
        KWinInputInjector injector;
        injector.sendKey(KVK::VOLUME_UP, false, kTag);
        injector.sendKey(KVK::VOLUME_UP, true, kTag);
        sendUntaggedKey(VK_F13, false);
        sendUntaggedKey(VK_F13, false);
        sendUntaggedKey(VK_F13, true);
        QTRY_COMPARE(seen.size(), 5);
        hooks.removeKeyboardHook();

        struct Expected {
            quint32 vk;
            bool up;
            quintptr extraInfo;
            bool repeat;
        };
        const Expected expected[] = {
            {0xAF, false, kTag, false}, {0xAF, true, kTag, false}, {VK_F13, false, 0, false},
            {VK_F13, false, 0, true},   {VK_F13, true, 0, false},
        };
        for (int i = 0; i < 5; ++i) {
            const KKeyboardHookRecord& record = seen.keys.at(i);
            QCOMPARE(record.vkCode, expected[i].vk);
            QCOMPARE((record.flags & LLKHF_UP) != 0, expected[i].up);
            QVERIFY(record.flags & LLKHF_INJECTED);
            QCOMPARE(record.extraInfo, expected[i].extraInfo);
            QCOMPARE(record.repeat, expected[i].repeat);
        }
    }

    // An event the procedure swallows reaches no hook after it; one it lets pass does. After the
    // hook is removed the procedure is not called again.
    void swallowingAndRemoval() {
        g_witnessed.clear();
        g_witnessHook = SetWindowsHookExW(WH_MOUSE_LL, witness, GetModuleHandleW(nullptr), 0);
        QVERIFY(g_witnessHook);
        KWinLowLevelHookBackend hooks;
        QAtomicInt calls = 0;
        QVERIFY(hooks.installMouseHook([&calls](const KMouseHookRecord& record) {
            if (record.extraInfo != kTag)
                return false;
            calls.fetchAndAddOrdered(1);
            return record.message == 0x020A;  // wheels are swallowed, buttons pass
        }));
        KWinInputInjector injector;
        injector.sendMouse(KMouseFlag::WHEEL, 120, kTag);
        injector.sendMouse(KMouseFlag::RIGHTCLICK, 0, kTag);
        QTRY_COMPARE(g_witnessed, (QList<quint32>{0x0204, 0x0205}));
        QCOMPARE(calls.loadAcquire(), 3);

        hooks.removeMouseHook();
        injector.sendMouse(KMouseFlag::WHEEL, -120, kTag);
        QTRY_COMPARE(g_witnessed.size(), 3);
        QCOMPARE(g_witnessed.last(), 0x020Au);
        QCOMPARE(calls.loadAcquire(), 3);
        UnhookWindowsHookEx(g_witnessHook);
        g_witnessHook = nullptr;
    }

    // Installing again replaces the procedure; the old one is no longer called.
    void reinstallReplaces() {
        KWinLowLevelHookBackend hooks;
        QAtomicInt first = 0, second = 0;
        QVERIFY(hooks.installMouseHook([&first](const KMouseHookRecord& record) {
            if (record.extraInfo == kTag)
                first.fetchAndAddOrdered(1);
            return false;
        }));
        QVERIFY(hooks.installMouseHook([&second](const KMouseHookRecord& record) {
            if (record.extraInfo == kTag)
                second.fetchAndAddOrdered(1);
            return false;
        }));
        KWinInputInjector().sendMouse(KMouseFlag::WHEEL, 120, kTag);
        QTRY_COMPARE(second.loadAcquire(), 1);
        QCOMPARE(first.loadAcquire(), 0);
    }
};

QTEST_GUILESS_MAIN(TestWinHooks)
#include "tst_winhooks.moc"
