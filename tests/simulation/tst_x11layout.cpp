// Runs under a real X server (xvfb-run): the dispatch's layout-dependent chords, injected through
// XTest into a focused window of the test's own, give the shortcut's symbol on every layout the
// test switches the server to with setxkbmap while the injector runs (so the injector must follow
// the server's keymap and group changes). The symbol is looked up with xkbcommon-x11 from the key
// code and state of the KeyPress events the window receives, as a toolkit would.
#include "LayoutCases.h"
#include "common/TestEnv.h"
#include "config/KConfigCommon.h"
#include "platform/linux/KKeyboardLayoutTracker.h"
#include "platform/linux/KLinuxInputInjector.h"
#include "simulation/KDeviceSimulator.h"
#include "simulation/KInputSimulation.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QProcess>
#include <QSignalSpy>
#include <QStandardPaths>
#include <QtTest>

#include <X11/XKBlib.h>
#include <X11/Xlib.h>
#include <xcb/xcb.h>
#include <xkbcommon/xkbcommon-x11.h>
#include <xkbcommon/xkbcommon.h>

#include <linux/input-event-codes.h>

#include <memory>

namespace {

struct Press {
    unsigned keycode;
    unsigned state;
    bool down;
};

}  // namespace

class TestX11Layout : public QObject {
    Q_OBJECT
private:
    TestEnv m_env;
    Display* m_display = nullptr;
    Window m_window = 0;
    std::unique_ptr<KLinuxInputInjector> m_injector;
    std::unique_ptr<KConfigCommon> m_store;
    xkb_context* m_context = nullptr;
    xkb_keymap* m_us = nullptr;

    // Switches the server's keymap as a user would, and locks group.
    void setLayout(const QString& layout, const QString& variant, int group) {
        QStringList args{"-layout", layout};
        if (!variant.isEmpty())
            args << "-variant" << variant;
        QCOMPARE(QProcess::execute("setxkbmap", args), 0);
        XkbLockGroup(m_display, XkbUseCoreKbd, unsigned(group));
        XSync(m_display, False);
        // The injector reads the server's notifications before its next key; give the server a
        // moment to have sent them.
        QTest::qWait(100);
        XSync(m_display, True);  // drop what the switch produced
    }

    QList<Press> keyEvents() {
        QList<Press> seen;
        int down = 0;
        QElapsedTimer timer;
        timer.start();
        while (timer.elapsed() < 3000 && !(seen.size() >= 4 && down == 0)) {
            if (!XPending(m_display)) {
                QThread::msleep(5);
                continue;
            }
            XEvent e;
            XNextEvent(m_display, &e);
            if (e.type == KeyPress || e.type == KeyRelease) {
                seen << Press{e.xkey.keycode, e.xkey.state, e.type == KeyPress};
                down += e.type == KeyPress ? 1 : -1;
            }
        }
        return seen;
    }

    // The keymap the server has now, read afresh on a connection of the test's own.
    xkb_keymap* serverKeymap() {
        xcb_connection_t* c = xcb_connect(DisplayString(m_display), nullptr);
        if (!c || xcb_connection_has_error(c))
            return nullptr;
        xkb_keymap* keymap = nullptr;
        if (xkb_x11_setup_xkb_extension(c, 1, 0, XKB_X11_SETUP_XKB_EXTENSION_NO_FLAGS, nullptr,
                                        nullptr, nullptr, nullptr)) {
            keymap = xkb_x11_keymap_new_from_device(
                m_context, c, xkb_x11_get_core_keyboard_device_id(c), XKB_KEYMAP_COMPILE_NO_FLAGS);
        }
        xcb_disconnect(c);
        return keymap;
    }

    // Dispatches chord and checks what the window receives.
    void checkChord(const ChordCase& chord, xkb_keymap* keymap) {
        {
            KDeviceSimulator simulator(m_store.get(), nullptr, nullptr);
            simulator.dispatch(chord.value, QString());
        }
        const QList<Press> events = keyEvents();
        QStringList shown;
        for (const Press& p : events)
            shown << QStringLiteral("%1%2/%3").arg(p.keycode).arg(p.down ? "v" : "^").arg(p.state);
        int chordKeys = 0;
        for (int i = 0; i + 1 < events.size(); ++i) {
            const Press& p = events[i];
            if (!(p.down && !events[i + 1].down && events[i + 1].keycode == p.keycode))
                continue;
            ++chordKeys;
            xkb_state* state = xkb_state_new(keymap);
            xkb_state_update_mask(state, p.state & 0xff, 0, 0, 0, 0, (p.state >> 13) & 3);
            const xkb_keysym_t sym = shortcutSym(keymap, state, p.keycode, m_us);
            xkb_state_unref(state);
            const unsigned held = chord.modifier == KVK::LWIN ? Mod4Mask : ControlMask;
            QVERIFY2(p.state & held, qPrintable("modifier not held: " + shown.join(' ')));
            QVERIFY2(std::find(chord.wanted.begin(), chord.wanted.end(), sym) != chord.wanted.end(),
                     qPrintable(QStringLiteral("%1: typed %2 (%3)")
                                    .arg(chord.name, symName(sym), shown.join(' '))));
        }
        QVERIFY2(chordKeys == 1, qPrintable("events: " + shown.join(' ')));
    }

private slots:
    void initTestCase() {
        if (qEnvironmentVariableIsEmpty("DISPLAY"))
            QSKIP("needs an X server: run under xvfb-run");
        if (QStandardPaths::findExecutable("setxkbmap").isEmpty())
            QSKIP("needs setxkbmap (x11-xkb-utils) to switch the server's layout");
        m_env.apply();
        QCoreApplication::setApplicationName("Pointora");
        m_display = XOpenDisplay(nullptr);
        QVERIFY(m_display);
        m_context = xkb_context_new(XKB_CONTEXT_NO_ENVIRONMENT_NAMES);
        xkb_rule_names us{};
        us.rules = "evdev";
        us.layout = "us";
        m_us = xkb_keymap_new_from_names(m_context, &us, XKB_KEYMAP_COMPILE_NO_FLAGS);
        QVERIFY(m_us);
        setLayout("us", "", 0);

        const Window root = DefaultRootWindow(m_display);
        m_window = XCreateSimpleWindow(m_display, root, 0, 0, 200, 200, 0, 0, 0);
        XSelectInput(m_display, m_window, KeyPressMask | KeyReleaseMask | StructureNotifyMask);
        XMapWindow(m_display, m_window);
        for (XEvent e; XNextEvent(m_display, &e), e.type != MapNotify;) {
        }
        XSetInputFocus(m_display, m_window, RevertToParent, CurrentTime);
        XSync(m_display, False);

        KLinuxInputInjector::Options options;
        options.uinputPath = m_env.path("no-uinput");  // never the real node
        m_injector = std::make_unique<KLinuxInputInjector>(options);
        QCOMPARE(m_injector->method(), QStringLiteral("xtest"));
        replaceInputInjector(m_injector.get());
        m_store = std::make_unique<KConfigCommon>(m_env.path("config/Pointora/config"));
    }
    void cleanupTestCase() {
        replaceInputInjector(nullptr);
        if (m_display) {
            setLayout("us", "", 0);
            XCloseDisplay(m_display);
        }
        if (m_us)
            xkb_keymap_unref(m_us);
        if (m_context)
            xkb_context_unref(m_context);
    }

    // Every layout in turn, switched while the injector runs; all chords on each.
    void chordsOnEveryLayout_data() {
        QTest::addColumn<int>("layoutIndex");
        for (int l = 0; l < int(layoutCases().size()); ++l)
            QTest::newRow(layoutCases()[l].name) << l;
    }
    void chordsOnEveryLayout() {
        QFETCH(int, layoutIndex);
        const LayoutCase& lc = layoutCases()[layoutIndex];
        setLayout(lc.layout, lc.variant, int(lc.group));
        xkb_keymap* keymap = serverKeymap();
        QVERIFY(keymap);
        for (const ChordCase& chord : chordCases()) {
            checkChord(chord, keymap);
            if (QTest::currentTestFailed())
                break;
        }
        xkb_keymap_unref(keymap);
    }

    // A group switch alone (no new keymap) is followed too: us,ru with us, then ru, in use.
    void groupSwitchIsFollowed() {
        setLayout("us,ru", "", 0);
        xkb_keymap* keymap = serverKeymap();
        QVERIFY(keymap);
        checkChord(chordCases()[4], keymap);  // Select All
        XkbLockGroup(m_display, XkbUseCoreKbd, 1);
        XSync(m_display, False);
        QTest::qWait(100);
        XSync(m_display, True);
        checkChord(chordCases()[4], keymap);
        checkChord(chordCases()[11], keymap);  // Zoom in
        xkb_keymap_unref(keymap);
    }

    // The tracker that gives uinput its layout on an X11 session reads the server's keymap and
    // follows setxkbmap.
    void trackerFollowsServer() {
        setLayout("fr", "", 0);
        KDesktopSession x11;
        x11.type = KDesktopSession::Type::X11;
        x11.hasX11Display = true;
        QTest::ignoreMessage(QtInfoMsg, "[Info] keyboard layout fr (from the X server)");
        KKeyboardLayoutTracker tracker(x11);
        QCOMPARE(tracker.source(), QStringLiteral("the X server"));
        KKeyStroke stroke;
        QVERIFY(tracker.slot()->get() && tracker.slot()->get()->resolve('A', &stroke));
        QCOMPARE(int(stroke.key) - 8, KEY_Q);

        QSignalSpy changed(&tracker, &KKeyboardLayoutTracker::layoutChanged);
        QTest::ignoreMessage(QtInfoMsg, "[Info] keyboard layout ch (from the X server)");
        QCOMPARE(QProcess::execute("setxkbmap", {"-layout", "ch"}), 0);
        QVERIFY(changed.wait(5000));
        QVERIFY(tracker.slot()->get()->resolve(KVK::OEM_PLUS, &stroke));
        QCOMPARE(int(stroke.key) - 8, KEY_1);
        QCOMPARE(stroke.modifiers.size(), size_t(1));
    }
};

QTEST_GUILESS_MAIN(TestX11Layout)
#include "tst_x11layout.moc"
