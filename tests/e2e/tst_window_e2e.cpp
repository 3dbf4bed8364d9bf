// The real program's window on a real X server (run under xvfb-run): without a tray host closing
// the window ends the program; once a tray host is there closing hides it while the program keeps
// running, and starting the program again shows it; and, on the
// simulated platform, the page follows the devices (no device, then the receiver arriving).

#include "common/ProgramRunner.h"
#include "common/SimLog.h"
#include "common/TestEnv.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QStandardPaths>
#include <QtTest>

#include <X11/Xatom.h>
#include <X11/Xlib.h>
#include <X11/Xutil.h>

namespace {

// A window that is gone is a test result, not a reason to abort.
int ignoreXErrors(Display*, XErrorEvent*) {
    return 0;
}

// A connection to the X server of $DISPLAY.
class XDisplay {
public:
    XDisplay() : m_display(XOpenDisplay(nullptr)) { XSetErrorHandler(ignoreXErrors); }
    ~XDisplay() {
        if (m_display)
            XCloseDisplay(m_display);
    }
    Display* get() const { return m_display; }

    // The top-level windows of process pid titled title.
    QList<Window> windowsOf(qint64 pid, const QByteArray& title) const {
        QList<Window> found;
        const Atom pidAtom = XInternAtom(m_display, "_NET_WM_PID", False);
        Window root = 0, parent = 0;
        Window* children = nullptr;
        unsigned int count = 0;
        if (!XQueryTree(m_display, DefaultRootWindow(m_display), &root, &parent, &children, &count))
            return found;
        for (unsigned int i = 0; i < count; ++i) {
            Atom type = 0;
            int format = 0;
            unsigned long items = 0, after = 0;
            unsigned char* data = nullptr;
            if (XGetWindowProperty(m_display, children[i], pidAtom, 0, 1, False, XA_CARDINAL, &type,
                                   &format, &items, &after, &data) != Success)
                continue;
            const bool ours =
                data && items == 1 && qint64(*reinterpret_cast<unsigned long*>(data)) == pid;
            if (data)
                XFree(data);
            char* name = nullptr;
            if (ours && XFetchName(m_display, children[i], &name) && name) {
                if (title == name)
                    found.append(children[i]);
                XFree(name);
            }
        }
        if (children)
            XFree(children);
        return found;
    }

    bool isViewable(Window window) const {
        XWindowAttributes attributes;
        return XGetWindowAttributes(m_display, window, &attributes) &&
               attributes.map_state == IsViewable;
    }

    // What a window manager sends when the user clicks the window's close button.
    void requestClose(Window window) const {
        XEvent event = {};
        event.xclient.type = ClientMessage;
        event.xclient.window = window;
        event.xclient.message_type = XInternAtom(m_display, "WM_PROTOCOLS", False);
        event.xclient.format = 32;
        event.xclient.data.l[0] = long(XInternAtom(m_display, "WM_DELETE_WINDOW", False));
        event.xclient.data.l[1] = CurrentTime;
        XSendEvent(m_display, window, False, NoEventMask, &event);
        XFlush(m_display);
    }

private:
    Display* m_display;
};

bool logContains(const ProgramRunner& runner, const QString& text) {
    return runner.logLines().join('\n').contains(text);
}

void useXcbSimulation(const TestEnv& env, ProgramRunner& runner) {
    runner.environment().insert("QT_QPA_PLATFORM", "xcb");
    runner.environment().insert("POINTORA_PLATFORM", "sim");
    runner.environment().insert("POINTORA_SIM_SOCKET", env.path("sim.sock"));
    runner.environment().insert("POINTORA_SIM_LOG", env.path("sim.log"));
    runner.environment().remove("POINTORA_SIM_DEVICES");
}

// The program's main window once it is shown and its main page is up (0 when it never is).
// The stored language is Chinese: the window's title is the Chinese one.
Window waitForWindow(const XDisplay& x, const ProgramRunner& runner, qint64 pid) {
    const QByteArray title = "TolvaDriver";
    QDeadlineTimer deadline(20000);
    while (!deadline.hasExpired()) {
        const QList<Window> windows = x.windowsOf(pid, title);
        if (windows.size() == 1 && x.isViewable(windows.first()) &&
            logContains(runner, "切换页面: Main"))
            return windows.first();
        QTest::qWait(100);
    }
    return 0;
}

}  // namespace

class TestWindowE2e : public QObject {
    Q_OBJECT
private slots:
    // Without a tray host nothing but the window could end the program: closing it ends the
    // program through the same path as the tray's "Close" (exit 0, the devices let go).
    void closingWithoutATrayEndsTheProgram() {
        XDisplay x;
        if (!x.get())
            QSKIP("no X server (run under xvfb-run)");
        TestEnv env;
        ProgramRunner runner(env);
        QDir().mkpath(env.path("config/Pointora/config"));
        QFile ini(env.path("config/Pointora/config/DeviceFunction.ini"));
        QVERIFY(ini.open(QIODevice::WriteOnly));
        ini.write("[General]\nForwardKey=42\n");
        ini.close();
        const QString socket = env.path("sim.sock");
        useXcbSimulation(env, runner);
        auto program = runner.start({"-d"});
        QVERIFY(program->waitForStarted());
        const Window window = waitForWindow(x, runner, program->processId());
        QVERIFY(window);
        const auto hooks = [&socket] {
            const QString answer = simCommand(socket, "state");
            return QJsonDocument::fromJson(answer.mid(3).toUtf8()).object().value("hooks");
        };
        QTRY_COMPARE_WITH_TIMEOUT(hooks(), QJsonValue(QJsonArray({"usb"})), 10000);

        x.requestClose(window);
        QVERIFY(program->waitForFinished(10000));
        QCOMPARE(program->exitStatus(), QProcess::NormalExit);
        QCOMPARE(program->exitCode(), 0);
        QVERIFY(logContains(runner, "No system tray is available yet"));
        QVERIFY(logContains(runner, "closed without a system tray: ending the program"));
        const QJsonObject lastHook = lastSimEvent(env.path("sim.log"), "hook");
        QCOMPARE(lastHook.value("hook").toString(), QString("usb"));
        QCOMPARE(lastHook.value("installed").toBool(), false);
    }

    // A tray host that starts after the program brings the tray behaviour back: closing hides
    // the window while the program keeps running, and starting the program again shows it.
    void closingHidesOnceATrayHostAppears() {
        XDisplay x;
        if (!x.get())
            QSKIP("no X server (run under xvfb-run)");
        if (QStandardPaths::findExecutable("trayer").isEmpty())
            QFAIL("trayer is not installed (scripts/setup.sh installs it)");
        TestEnv env;
        ProgramRunner runner(env);
        useXcbSimulation(env, runner);
        auto program = runner.start({"-d"});
        QVERIFY(program->waitForStarted());
        const qint64 pid = program->processId();
        const Window window = waitForWindow(x, runner, pid);
        QVERIFY(window);
        // No tray host yet: an accurate line, not a warning that the icon cannot be shown.
        QVERIFY(!logContains(runner, "cannot be shown"));
        QVERIFY(logContains(runner, "No system tray is available yet"));

        QProcess tray;
        tray.setProcessChannelMode(QProcess::ForwardedChannels);
        tray.start("trayer", {"--edge", "bottom", "--align", "right", "--widthtype", "pixel",
                              "--width", "120", "--heighttype", "pixel", "--height", "26",
                              "--SetDockType", "false", "--transparent", "false"});
        QVERIFY(tray.waitForStarted());
        QTRY_VERIFY_WITH_TIMEOUT(logContains(runner, "A system tray is available now"), 10000);

        x.requestClose(window);
        QTRY_VERIFY_WITH_TIMEOUT(!x.isViewable(window), 5000);
        QTest::qWait(500);
        QCOMPARE(program->state(), QProcess::Running);
        QVERIFY(!x.isViewable(window));

        // A second start hands over to the running copy, which shows its window again.
        auto second = runner.start();
        QVERIFY(second->waitForFinished(10000));
        QCOMPARE(second->exitStatus(), QProcess::NormalExit);
        QCOMPARE(second->exitCode(), 0);
        QTRY_VERIFY_WITH_TIMEOUT(x.isViewable(window), 5000);
        QCOMPARE(x.windowsOf(pid, "TolvaDriver"), QList<Window>{window});
        QCOMPARE(program->state(), QProcess::Running);
        QVERIFY(!logContains(runner, "cannot be shown"));
        ProgramRunner::stop(program.get());
        tray.kill();
        tray.waitForFinished(5000);
    }

    void pageFollowsTheDevices() {
        TestEnv env;
        ProgramRunner runner(env);
        const QString socket = env.path("sim.sock");
        runner.environment().insert("POINTORA_PLATFORM", "sim");
        runner.environment().insert("POINTORA_SIM_SOCKET", socket);
        runner.environment().insert("POINTORA_SIM_DEVICES", "");
        auto program = runner.start({"-d"});
        QVERIFY(program->waitForStarted());
        QTRY_VERIFY_WITH_TIMEOUT(logContains(runner, "切换页面: Unpair"), 15000);
        QVERIFY(logContains(runner, "无设备连接"));
        QVERIFY(!logContains(runner, "切换页面: Main"));
        QCOMPARE(simCommand(socket, "attach receiver"), QString("ok"));
        QTRY_VERIFY_WITH_TIMEOUT(logContains(runner, "切换页面: Main"), 5000);
        QVERIFY(logContains(runner, "设备发生变化"));
        ProgramRunner::stop(program.get());
    }
};

QTEST_GUILESS_MAIN(TestWindowE2e)
#include "tst_window_e2e.moc"
