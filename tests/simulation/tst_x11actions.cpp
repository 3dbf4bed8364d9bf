// Runs under a real X server (xvfb-run): injection through XTest reaches a test window, and the
// X11 desktop backend's window, gamma and pointer-speed services behave as on a display without
// a window manager, gamma ramps or libinput. The test takes the window manager's part where
// one is needed (properties on the root window, reading the client messages sent to it).
#include "common/TestEnv.h"
#include "config/KConfigCommon.h"
#include "platform/linux/KDesktopSession.h"
#include "platform/linux/KGammaControl.h"
#include "platform/linux/KLinuxInputInjector.h"
#include "platform/linux/KX11DesktopBackend.h"
#include "simulation/KDeviceSimulator.h"
#include "simulation/KInputSimulation.h"
#include "simulation/KMouseSensitivity.h"
#include "simulation/KWinSimulator.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QTimer>
#include <QtTest>

#include <X11/Xatom.h>
#include <X11/Xlib.h>
#include <X11/Xutil.h>
#include <X11/extensions/XInput2.h>
#include <X11/extensions/Xrandr.h>
#include <X11/keysym.h>

#include <cmath>
#include <cstring>
#include <memory>

namespace {

struct Seen {
    int type;
    unsigned detail;  // key code or button
    bool operator==(const Seen& o) const { return type == o.type && detail == o.detail; }
};

}  // namespace

class TestX11Actions : public QObject {
    Q_OBJECT
private:
    TestEnv m_env;
    Display* m_display = nullptr;
    Window m_root = 0;
    Window m_window = 0;
    std::unique_ptr<KLinuxInputInjector> m_injector;
    std::unique_ptr<KX11DesktopBackend> m_desktop;
    std::unique_ptr<KConfigCommon> m_store;
    std::unique_ptr<KWinSimulator> m_win;

    Atom atom(const char* name) { return XInternAtom(m_display, name, False); }

    // Whatever session the test runs in, the backend under test talks XRandR.
    static KDesktopSession x11Session() {
        KDesktopSession session;
        session.type = KDesktopSession::Type::X11;
        session.hasX11Display = true;
        return session;
    }

    // The gamma tables of the CRTCs that have one.
    QMap<RRCrtc, KGammaTable> crtcTables() {
        QMap<RRCrtc, KGammaTable> tables;
        XRRScreenResources* resources = XRRGetScreenResourcesCurrent(m_display, m_root);
        for (int c = 0; resources && c < resources->ncrtc; ++c) {
            XRRCrtcGamma* gamma = XRRGetCrtcGamma(m_display, resources->crtcs[c]);
            if (gamma && gamma->size > 1) {
                KGammaTable& t = tables[resources->crtcs[c]];
                t.red.assign(gamma->red, gamma->red + gamma->size);
                t.green.assign(gamma->green, gamma->green + gamma->size);
                t.blue.assign(gamma->blue, gamma->blue + gamma->size);
            }
            if (gamma)
                XRRFreeGamma(gamma);
        }
        if (resources)
            XRRFreeScreenResources(resources);
        return tables;
    }
    void setCrtcTable(RRCrtc crtc, const KGammaTable& table) {
        XRRCrtcGamma* gamma = XRRAllocGamma(table.size());
        std::copy(table.red.begin(), table.red.end(), gamma->red);
        std::copy(table.green.begin(), table.green.end(), gamma->green);
        std::copy(table.blue.begin(), table.blue.end(), gamma->blue);
        XRRSetCrtcGamma(m_display, crtc, gamma);
        XRRFreeGamma(gamma);
        XSync(m_display, False);
    }
    // A calibration: a gamma-1.8 curve, blue held lower, red starting above black.
    static KGammaTable calibrated(int size) {
        KGammaTable t;
        for (int j = 0; j < size; ++j) {
            const double x = double(j) / (size - 1);
            t.red.push_back(quint16(std::lround(2000 + 63535 * std::pow(x, 1 / 1.8))));
            t.green.push_back(quint16(std::lround(65535 * std::pow(x, 1 / 1.8))));
            t.blue.push_back(quint16(std::lround(0.85 * 65535 * std::pow(x, 1 / 1.8))));
        }
        return t;
    }
    // Brightness slope s on a channel, worked out on its own: the ramp is entry i = i * s over
    // 256 entries, so an own value v becomes v * 255 / 65535 * s, clipped. Within one ramp step
    // below the top, the ramp runs from its last unclipped entry straight to 65535, under the
    // unclipped line.
    static void verifyScaled(const std::vector<quint16>& got, const std::vector<quint16>& own,
                             int slope) {
        QCOMPARE(got.size(), own.size());
        for (size_t j = 0; j < own.size(); ++j) {
            const double expected = std::min(65535.0, own[j] * 255.0 / 65535.0 * slope);
            const double tolerance = expected > 65535.0 - slope ? slope : 1.0;
            QVERIFY2(std::abs(got[j] - expected) <= tolerance && got[j] <= expected + 1.0,
                     qPrintable(QString("entry %1: %2, expected %3 (own %4)")
                                    .arg(j)
                                    .arg(got[j])
                                    .arg(expected)
                                    .arg(own[j])));
        }
    }

    // Key and button events the test window receives within the time limit, until count.
    QList<Seen> inputEvents(int count) {
        QList<Seen> seen;
        QElapsedTimer timer;
        timer.start();
        while (seen.size() < count && timer.elapsed() < 3000) {
            if (!XPending(m_display)) {
                QThread::msleep(5);
                continue;
            }
            XEvent e;
            XNextEvent(m_display, &e);
            if (e.type == KeyPress || e.type == KeyRelease)
                seen << Seen{e.type, e.xkey.keycode};
            else if (e.type == ButtonPress || e.type == ButtonRelease)
                seen << Seen{e.type, e.xbutton.button};
        }
        return seen;
    }

    // The client messages sent to the root window up to a marker message sent afterwards, so
    // that "nothing was sent" is known without waiting.
    QList<XClientMessageEvent> rootMessages() {
        XEvent marker{};
        marker.xclient.type = ClientMessage;
        marker.xclient.window = m_root;
        marker.xclient.message_type = atom("POINTORA_TEST_MARKER");
        marker.xclient.format = 32;
        XSendEvent(m_display, m_root, False, SubstructureNotifyMask, &marker);
        XFlush(m_display);
        QList<XClientMessageEvent> messages;
        QElapsedTimer timer;
        timer.start();
        while (timer.elapsed() < 3000) {
            if (!XPending(m_display)) {
                QThread::msleep(5);
                continue;
            }
            XEvent e;
            XNextEvent(m_display, &e);
            if (e.type != ClientMessage)
                continue;
            if (e.xclient.message_type == marker.xclient.message_type)
                return messages;
            messages << e.xclient;
        }
        return messages;
    }

    void setActiveWindow(Window window) {
        const long value = long(window);
        XChangeProperty(m_display, m_root, atom("_NET_ACTIVE_WINDOW"), XA_WINDOW, 32,
                        PropModeReplace, reinterpret_cast<const unsigned char*>(&value), 1);
        XSync(m_display, False);
    }

    void setTitle(const QByteArray& title) {
        XChangeProperty(m_display, m_window, atom("_NET_WM_NAME"), atom("UTF8_STRING"), 8,
                        PropModeReplace, reinterpret_cast<const unsigned char*>(title.constData()),
                        title.size());
        XSync(m_display, False);
    }

    void setMaximized(bool maximized) {
        const long states[] = {long(atom("_NET_WM_STATE_MAXIMIZED_VERT")),
                               long(atom("_NET_WM_STATE_MAXIMIZED_HORZ"))};
        XChangeProperty(m_display, m_window, atom("_NET_WM_STATE"), XA_ATOM, 32, PropModeReplace,
                        reinterpret_cast<const unsigned char*>(states), maximized ? 2 : 0);
        XSync(m_display, False);
    }

private slots:
    void initTestCase() {
        if (qEnvironmentVariableIsEmpty("DISPLAY"))
            QSKIP("needs an X server: run under xvfb-run");
        m_env.apply();
        QCoreApplication::setApplicationName("Pointora");
        m_display = XOpenDisplay(nullptr);
        QVERIFY(m_display);
        m_root = DefaultRootWindow(m_display);
        m_window = XCreateSimpleWindow(m_display, m_root, 0, 0, 200, 200, 0, 0, 0);
        XSelectInput(m_display, m_window,
                     KeyPressMask | KeyReleaseMask | ButtonPressMask | ButtonReleaseMask |
                         StructureNotifyMask);
        XMapWindow(m_display, m_window);
        for (XEvent e; XNextEvent(m_display, &e), e.type != MapNotify;) {
        }
        XSetInputFocus(m_display, m_window, RevertToParent, CurrentTime);
        XWarpPointer(m_display, None, m_window, 0, 0, 0, 0, 100, 100);
        // Watch what is sent to the root window, as a window manager would.
        XSelectInput(m_display, m_root, SubstructureNotifyMask);
        XSync(m_display, False);

        KLinuxInputInjector::Options options;
        options.uinputPath = m_env.path("no-uinput");  // never the real node
        m_injector = std::make_unique<KLinuxInputInjector>(options);
        m_desktop = std::make_unique<KX11DesktopBackend>(QString(), x11Session());
        m_store = std::make_unique<KConfigCommon>(m_env.path("config/Pointora/config"));
        m_win = std::make_unique<KWinSimulator>(m_store.get(), m_desktop.get(), nullptr);
    }
    void cleanupTestCase() {
        replaceInputInjector(nullptr);
        if (m_display)
            XCloseDisplay(m_display);
    }
    void init() {
        XSync(m_display, True);  // drop what earlier cases left
        replaceInputInjector(m_injector.get());
    }

    void injectorFallsBackToXTest() { QCOMPARE(m_injector->method(), QStringLiteral("xtest")); }

    // Key value 2 (Copy) on a device key: Control and C reach the focused window in order.
    void dispatchedChordReachesWindow() {
        KDeviceSimulator simulator(m_store.get(), m_win.get(), nullptr);
        simulator.dispatch(2, QString());
        const unsigned ctrl = XKeysymToKeycode(m_display, XK_Control_L);
        const unsigned c = XKeysymToKeycode(m_display, XK_c);
        QCOMPARE(
            inputEvents(4),
            (QList<Seen>{{KeyPress, ctrl}, {KeyPress, c}, {KeyRelease, c}, {KeyRelease, ctrl}}));
    }

    void dispatchedClicksReachWindow_data() {
        QTest::addColumn<int>("value");
        QTest::addColumn<QList<int>>("buttons");  // each pressed and released
        QTest::newRow("21 click") << 21 << QList<int>{1};
        QTest::newRow("22 double click") << 22 << QList<int>{1, 1};
        QTest::newRow("24 right click") << 24 << QList<int>{3};
        QTest::newRow("27 middle") << 27 << QList<int>{2};
        QTest::newRow("28 forward") << 28 << QList<int>{9};
        QTest::newRow("29 back") << 29 << QList<int>{8};
        QTest::newRow("30 scroll up") << 30 << QList<int>{4};
        QTest::newRow("31 scroll down") << 31 << QList<int>{5};
        QTest::newRow("32 scroll left, no spreadsheet on X11") << 32 << QList<int>{6};
        QTest::newRow("33 scroll right") << 33 << QList<int>{7};
    }
    void dispatchedClicksReachWindow() {
        QFETCH(int, value);
        QFETCH(QList<int>, buttons);
        KDeviceSimulator simulator(m_store.get(), m_win.get(), nullptr);
        simulator.dispatch(value, QString());
        QList<Seen> expected;
        for (int b : buttons)
            expected << Seen{ButtonPress, unsigned(b)} << Seen{ButtonRelease, unsigned(b)};
        QCOMPARE(inputEvents(expected.size()), expected);
    }

    void mediaKeyHasAKeycode() {
        // Media keys exist in the server's keymap (or as evdev code + 8).
        for (int event = 0; event < 2; ++event)  // press and release
            QTest::ignoreMessage(QtWarningMsg, QRegularExpression(".*0xff has no key.*"));
        tapKey(0xFF);  // no such virtual key: warned, nothing sent
        tapKey(KVK::VOLUME_MUTE);
        const QList<Seen> seen = inputEvents(2);
        QCOMPARE(seen.size(), 2);
        QCOMPARE(seen.at(0).type, int(KeyPress));
        QCOMPARE(seen.at(1).type, int(KeyRelease));
    }

    // Every CRTC with a gamma table gets the brightness on top of its own calibration, computed
    // from that calibration at every step (never from the previous step), and the calibration
    // is back when the backend goes.
    void gammaOnCalibration() {
        const QMap<RRCrtc, KGammaTable> before = crtcTables();
        if (before.isEmpty()) {
            // A server without gamma tables: refused, said, and the stored value stays.
            KX11DesktopBackend desktop(QString(), x11Session());
            KWinSimulator win(m_store.get(), &desktop, nullptr);
            QSignalSpy unavailable(&win, &KWinSimulator::functionUnavailable);
            m_store->setBrightness(196);
            QVERIFY(!win.increaseBrightness());
            QCOMPARE(m_store->getBrightness(), 196);
            QVERIFY(!desktop.gammaAvailable());
            QCOMPARE(unavailable.size(), 1);
            QSKIP("the X server has no CRTC with a gamma table; composition not checked");
        }
        QMap<RRCrtc, KGammaTable> own;
        for (auto it = before.begin(); it != before.end(); ++it) {
            own[it.key()] = calibrated(it.value().size());
            setCrtcTable(it.key(), own[it.key()]);
        }
        {
            KX11DesktopBackend desktop(QString(), x11Session());
            KWinSimulator win(m_store.get(), &desktop, nullptr);
            m_store->setBrightness(196);
            QVERIFY(win.increaseBrightness());
            QCOMPARE(m_store->getBrightness(), 200);
            QMap<RRCrtc, KGammaTable> now = crtcTables();
            for (auto it = own.begin(); it != own.end(); ++it) {
                const KGammaTable& got = now.value(it.key());
                QCOMPARE(got, KGamma::compose(KWinSimulator::gammaRamp(200), it.value()));
                verifyScaled(got.red, it.value().red, 328);
                verifyScaled(got.green, it.value().green, 328);
                verifyScaled(got.blue, it.value().blue, 328);
            }
            QVERIFY(win.decreaseBrightness());
            QVERIFY(win.decreaseBrightness());
            QCOMPARE(m_store->getBrightness(), 192);
            now = crtcTables();
            for (auto it = own.begin(); it != own.end(); ++it)
                verifyScaled(now.value(it.key()).green, it.value().green, 320);
        }
        QCOMPARE(crtcTables(), own);
        for (auto it = before.begin(); it != before.end(); ++it)
            setCrtcTable(it.key(), it.value());
    }

    // The program ends through its event loop (also on SIGTERM): the calibration is back then,
    // while the backend still exists.
    void gammaRestoredAtQuit() {
        const QMap<RRCrtc, KGammaTable> before = crtcTables();
        if (before.isEmpty())
            QSKIP("the X server has no CRTC with a gamma table");
        QMap<RRCrtc, KGammaTable> own;
        for (auto it = before.begin(); it != before.end(); ++it) {
            own[it.key()] = calibrated(it.value().size());
            setCrtcTable(it.key(), own[it.key()]);
        }
        KX11DesktopBackend desktop(QString(), x11Session());
        QVERIFY(desktop.setGammaRamp(KWinSimulator::gammaRamp(40)));
        QVERIFY(crtcTables() != own);
        QTimer::singleShot(0, qApp, &QCoreApplication::quit);
        QCoreApplication::exec();
        QCOMPARE(crtcTables(), own);
        // Applying again after a restore works and is undone again at destruction.
        QVERIFY(desktop.setGammaRamp(KWinSimulator::gammaRamp(200)));
        QVERIFY(crtcTables() != own);
        desktop.restoreGamma();
        QCOMPARE(crtcTables(), own);
        for (auto it = before.begin(); it != before.end(); ++it)
            setCrtcTable(it.key(), it.value());
    }

    // A server answering a flat (all-zero) table keeps no real calibration: the brightness goes
    // on the identity, never making the screen black, and the flat table is what comes back.
    void gammaOnFlatTable() {
        const QMap<RRCrtc, KGammaTable> before = crtcTables();
        if (before.isEmpty())
            QSKIP("the X server has no CRTC with a gamma table");
        for (auto it = before.begin(); it != before.end(); ++it) {
            KGammaTable zero;
            zero.red.assign(size_t(it.value().size()), 0);
            zero.green = zero.blue = zero.red;
            setCrtcTable(it.key(), zero);
        }
        const QMap<RRCrtc, KGammaTable> flat = crtcTables();
        {
            KX11DesktopBackend desktop(QString(), x11Session());
            QVERIFY(desktop.setGammaRamp(KWinSimulator::gammaRamp(128)));
            for (const KGammaTable& got : crtcTables()) {
                const std::vector<quint16> expected =
                    KX11DesktopBackend::scaleGammaRamp(KWinSimulator::gammaRamp(128), got.size());
                for (int i = 0; i < got.size(); ++i)
                    QVERIFY(std::abs(int(got.red[i]) - int(expected[i])) <= 1);
            }
        }
        QCOMPARE(crtcTables(), flat);
        for (auto it = before.begin(); it != before.end(); ++it)
            setCrtcTable(it.key(), it.value());
    }

    void gammaWithoutDisplay() {
        KX11DesktopBackend nowhere(QStringLiteral(":65000"), x11Session());
        QTest::ignoreMessage(QtWarningMsg, QRegularExpression(".*no X11 display.*"));
        QVERIFY(!nowhere.setGammaRamp(KWinSimulator::gammaRamp(128)));
        QCOMPARE(nowhere.foregroundWindow(), KWindowId(0));
        int speed = 0;
        QVERIFY(!nowhere.pointerSpeed(&speed));
    }

    void pointerSpeedUnavailable() {
        KMouseSensitivity sensitivity(m_desktop.get());
        QCOMPARE(sensitivity.getSensitivity(), 10);
        QTest::ignoreMessage(QtWarningMsg, QRegularExpression(".*pointer speed.*"));
        QVERIFY(!sensitivity.setSensitivity(15));
        QVERIFY(!sensitivity.setSensitivity(0));
    }

    // With libinput's property on a pointer (created here on the server's XTEST pointer, as the
    // libinput driver would), the speed is read and set through it on the -1..1 scale.
    void pointerSpeedThroughLibinputProperty() {
        int count = 0;
        XIDeviceInfo* devices = XIQueryDevice(m_display, XIAllDevices, &count);
        int pointer = -1;
        for (int i = 0; i < count && pointer < 0; ++i)
            if (devices[i].use == XISlavePointer && devices[i].enabled)
                pointer = devices[i].deviceid;
        XIFreeDeviceInfo(devices);
        QVERIFY(pointer >= 0);
        const Atom property = atom("libinput Accel Speed");
        const Atom floatType = atom("FLOAT");
        auto write = [&](float value) {
            quint32 bits = 0;
            memcpy(&bits, &value, sizeof bits);
            long item = long(bits);
            XIChangeProperty(m_display, pointer, property, floatType, 32, PropModeReplace,
                             reinterpret_cast<unsigned char*>(&item), 1);
            XSync(m_display, False);
        };
        auto read = [&]() {
            Atom type = None;
            int format = 0;
            unsigned long items = 0, after = 0;
            unsigned char* data = nullptr;
            float value = qQNaN();
            if (XIGetProperty(m_display, pointer, property, 0, 1, False, floatType, &type, &format,
                              &items, &after, &data) == Success &&
                data && items == 1) {
                long item = 0;
                memcpy(&item, data, sizeof item);
                const quint32 bits = quint32(item);
                memcpy(&value, &bits, sizeof value);
            }
            if (data)
                XFree(data);
            return value;
        };
        write(0.5f);
        KX11DesktopBackend desktop;  // a fresh connection sees the new property atom
        KMouseSensitivity sensitivity(&desktop);
        QCOMPARE(sensitivity.getSensitivity(), 15);
        QVERIFY(sensitivity.setSensitivity(4));
        QVERIFY(qAbs(read() - float(-6.0 / 9)) < 1e-6f);
        QCOMPARE(sensitivity.getSensitivity(), 4);
        QVERIFY(!sensitivity.setSensitivity(21));
        QCOMPARE(sensitivity.getSensitivity(), 4);
        QVERIFY(sensitivity.setSensitivity(20));
        QCOMPARE(read(), 1.0f);
        XIDeleteProperty(m_display, pointer, property);
        XSync(m_display, False);
        QCOMPARE(sensitivity.getSensitivity(), 10);
    }

    void foregroundWindowAndTitle() {
        setActiveWindow(m_window);
        setTitle("notes – Editor");
        QCOMPARE(m_desktop->foregroundWindow(), KWindowId(m_window));
        QCOMPARE(m_desktop->windowTitle(m_window), QStringLiteral("notes – Editor"));
        XDeleteProperty(m_display, m_window, atom("_NET_WM_NAME"));
        XStoreName(m_display, m_window, "legacy name");
        XSync(m_display, False);
        QCOMPARE(m_desktop->windowTitle(m_window), QStringLiteral("legacy name"));
        // Without _NET_ACTIVE_WINDOW the focused window counts.
        XDeleteProperty(m_display, m_root, atom("_NET_ACTIVE_WINDOW"));
        XSync(m_display, False);
        QCOMPARE(m_desktop->foregroundWindow(), KWindowId(m_window));
    }

    void maximizeAndMinimize_data() {
        QTest::addColumn<QByteArray>("title");
        QTest::addColumn<bool>("maximized");
        QTest::addColumn<int>("command");
        QTest::addColumn<QString>("expected");  // "" no message, "maximize", "iconify"
        QTest::newRow("maximize") << QByteArray("Editor") << false << 3 << "maximize";
        QTest::newRow("maximize own window: nothing") << QByteArray("Pointora") << false << 3 << "";
        QTest::newRow("maximize maximized: nothing") << QByteArray("Editor") << true << 3 << "";
        QTest::newRow("minimize") << QByteArray("Editor") << false << 6 << "iconify";
        QTest::newRow("minimize own window") << QByteArray("Pointora") << true << 6 << "iconify";
    }
    void maximizeAndMinimize() {
        QFETCH(QByteArray, title);
        QFETCH(bool, maximized);
        QFETCH(int, command);
        QFETCH(QString, expected);
        setActiveWindow(m_window);
        setTitle(title);
        setMaximized(maximized);
        QCOMPARE(m_desktop->isWindowMaximized(m_window), maximized);
        m_win->showForegroundWindow(command);
        const QList<XClientMessageEvent> messages = rootMessages();
        if (expected.isEmpty()) {
            QCOMPARE(messages.size(), 0);
            return;
        }
        QCOMPARE(messages.size(), 1);
        const XClientMessageEvent& m = messages.first();
        QCOMPARE(m.window, m_window);
        if (expected == "maximize") {
            QCOMPARE(m.message_type, atom("_NET_WM_STATE"));
            QCOMPARE(m.data.l[0], 1L);
            QCOMPARE(Atom(m.data.l[1]), atom("_NET_WM_STATE_MAXIMIZED_VERT"));
            QCOMPARE(Atom(m.data.l[2]), atom("_NET_WM_STATE_MAXIMIZED_HORZ"));
        } else {
            QCOMPARE(m.message_type, atom("WM_CHANGE_STATE"));
            QCOMPARE(m.data.l[0], long(IconicState));
        }
    }

    void windowUnderCursor() {
        XClassHint hint;
        hint.res_name = const_cast<char*>("editor");
        hint.res_class = const_cast<char*>("Editor");
        XSetClassHint(m_display, m_window, &hint);
        const long wmState[] = {NormalState, None};
        XChangeProperty(m_display, m_window, atom("WM_STATE"), atom("WM_STATE"), 32,
                        PropModeReplace, reinterpret_cast<const unsigned char*>(wmState), 2);
        const Window child = XCreateSimpleWindow(m_display, m_window, 10, 150, 180, 20, 0, 0, 0);
        XMapWindow(m_display, child);
        XWarpPointer(m_display, None, m_window, 0, 0, 0, 0, 100, 100);
        XSync(m_display, False);

        QCOMPARE(m_desktop->cursorPos(), QPoint(100, 100));
        QCOMPARE(m_desktop->windowFromPoint(QPoint(100, 100)), KWindowId(m_window));
        QCOMPARE(m_desktop->windowClassName(m_window), QStringLiteral("Editor"));
        QCOMPARE(m_desktop->windowRect(m_window), QRect(0, 0, 200, 200));
        QCOMPARE(m_desktop->windowRect(child), QRect(10, 150, 180, 20));
        QCOMPARE(m_desktop->childWindows(m_window), QList<KWindowId>{child});
        QCOMPARE(m_desktop->childWindowAt(m_window, QPoint(50, 160)), KWindowId(child));
        QCOMPARE(m_desktop->childWindowAt(m_window, QPoint(50, 50)), KWindowId(m_window));
        QCOMPARE(m_desktop->childWindowAt(m_window, QPoint(500, 500)), KWindowId(0));
        // A window that is gone answers with nothing instead of ending the program.
        XDestroyWindow(m_display, child);
        XSync(m_display, False);
        QCOMPARE(m_desktop->windowRect(child), QRect());
        QCOMPARE(m_desktop->windowClassName(child), QString());
        QVERIFY(m_desktop->childWindows(child).isEmpty());
    }
};

QTEST_GUILESS_MAIN(TestX11Actions)
#include "tst_x11actions.moc"
