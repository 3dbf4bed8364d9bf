// The desktop-owned routes of the Linux desktop backend against stand-ins of the desktops'
// services (unit tests; the real compositors that run here are tested in tst_compositors):
// GNOME through the real gsettings tool on a private keyfile backend, sway through a fake IPC
// socket, KWin through a fake service on a private session bus.

#include "common/TestEnv.h"
#include "platform/linux/KKWinDBus.h"
#include "platform/linux/KLinuxDesktopBackend.h"
#include "platform/linux/KSwayIpc.h"
#include "platform/linux/KX11DesktopBackend.h"
#include "platform/sim/KSimInputInjector.h"
#include "simulation/KMouseSensitivity.h"
#include "simulation/KWinSimulator.h"

#include <QSignalSpy>
#include <QtTest>

#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

#include <atomic>
#include <functional>
#include <mutex>
#include <thread>

namespace {

using Event = KSimInputInjector::Event;
constexpr quintptr kTag = 0x2577;

KDesktopSession sessionOf(const QString& desktop) {
    QProcessEnvironment env;
    env.insert("XDG_SESSION_TYPE", "wayland");
    env.insert("WAYLAND_DISPLAY", "wayland-9");
    env.insert("XDG_CURRENT_DESKTOP", desktop);
    return KDesktopSession::detect(env);
}

QString runTool(const QString& program, const QStringList& args, int* exitCode = nullptr) {
    QProcess process;
    process.start(program, args);
    if (!process.waitForFinished(10000))
        return QStringLiteral("<hung>");
    if (exitCode)
        *exitCode = process.exitCode();
    return QString::fromUtf8(process.readAllStandardOutput()).trimmed();
}

QByteArray frame(quint32 type, const QByteArray& payload) {
    QByteArray bytes("i3-ipc", 6);
    const quint32 header[2] = {quint32(payload.size()), type};
    bytes.append(reinterpret_cast<const char*>(header), sizeof header);
    return bytes + payload;
}

// A sway IPC socket served from its own thread: each request gets what answer() returns (raw
// bytes; empty sends nothing and keeps the connection open until the client gives up).
class FakeSway {
public:
    struct Request {
        quint32 type;
        QByteArray payload;
    };
    std::function<QByteArray(quint32, const QByteArray&)> answer;

    explicit FakeSway(const QString& path) : m_path(path) {
        m_listen = socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
        sockaddr_un address{};
        address.sun_family = AF_UNIX;
        const QByteArray name = path.toLocal8Bit();
        memcpy(address.sun_path, name.constData(), size_t(name.size()));
        unlink(name.constData());
        m_ok = bind(m_listen, reinterpret_cast<sockaddr*>(&address), sizeof address) == 0 &&
               listen(m_listen, 4) == 0;
        m_thread = std::thread([this] { serve(); });
    }
    ~FakeSway() {
        m_stop = true;
        shutdown(m_listen, SHUT_RDWR);
        m_thread.join();
        close(m_listen);
    }
    bool ok() const { return m_ok; }
    QList<Request> requests() {
        std::lock_guard<std::mutex> lock(m_mutex);
        return m_requests;
    }

private:
    void serve() {
        while (!m_stop) {
            const int client = accept(m_listen, nullptr, nullptr);
            if (client < 0)
                return;
            for (;;) {
                char header[14];
                if (recv(client, header, sizeof header, MSG_WAITALL) != sizeof header)
                    break;
                quint32 fields[2];
                memcpy(fields, header + 6, sizeof fields);
                QByteArray payload(int(fields[0]), '\0');
                if (fields[0] > 0 &&
                    recv(client, payload.data(), fields[0], MSG_WAITALL) != ssize_t(fields[0]))
                    break;
                {
                    std::lock_guard<std::mutex> lock(m_mutex);
                    m_requests << Request{fields[1], payload};
                }
                const QByteArray reply = answer(fields[1], payload);
                if (!reply.isEmpty())
                    send(client, reply.constData(), size_t(reply.size()), MSG_NOSIGNAL);
            }
            close(client);
        }
    }

    QString m_path;
    int m_listen = -1;
    bool m_ok = false;
    std::atomic<bool> m_stop{false};
    std::mutex m_mutex;
    QList<Request> m_requests;
    std::thread m_thread;
};

const QByteArray kInputsWithPointer =
    R"([{"identifier":"1:1:Mouse","type":"pointer","libinput":{"accel_speed":0.25}},)"
    R"({"identifier":"2:2:Keyboard","type":"keyboard","libinput":{"send_events":"enabled"}}])";

}  // namespace

class TestDesktopServices : public QObject {
    Q_OBJECT
private:
    TestEnv m_env;
    KSimInputInjector m_keys{nullptr};
    QProcess m_bus;
    bool m_haveBus = false;
    std::unique_ptr<QProcess> m_kwin;

    KLinuxDesktopBackend::Options options(const QString& desktop) {
        KLinuxDesktopBackend::Options o;
        o.session = sessionOf(desktop);
        o.facts.keysReachCompositor = true;
        o.facts.swaySocket = desktop == QLatin1String("sway");
        o.injector = &m_keys;
        o.timeoutMs = 500;
        // No X server is ever asked in these sessions.
        o.x11 = std::make_shared<KX11DesktopBackend>(QStringLiteral(":65001"));
        return o;
    }

    void startKWin(const QStringList& args) {
        if (!m_haveBus)
            QSKIP("dbus-daemon is not installed: no private session bus for the fake KWin");
        QFile::remove(m_env.path("kwin.log"));
        m_kwin = std::make_unique<QProcess>();
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert("FAKE_KWIN_LOG", m_env.path("kwin.log"));
        m_kwin->setProcessEnvironment(env);
        m_kwin->setProcessChannelMode(QProcess::ForwardedErrorChannel);
        m_kwin->start(QCoreApplication::applicationDirPath() + "/fake_kwin", args);
        QVERIFY2(m_kwin->waitForReadyRead(10000), "the fake KWin did not start");
        QCOMPARE(m_kwin->readLine().trimmed(), QByteArray("ready"));
    }
    QStringList kwinLog() {
        QFile file(m_env.path("kwin.log"));
        if (!file.open(QIODevice::ReadOnly))
            return {};
        return QString::fromUtf8(file.readAll()).split('\n', Qt::SkipEmptyParts);
    }

private slots:
    void initTestCase() {
        m_env.apply();
        qputenv("GSETTINGS_BACKEND", "keyfile");
        // A private session bus for the fake KWin, before anything in this process asks for one.
        m_bus.start("dbus-daemon", {"--session", "--nofork", "--nopidfile", "--print-address=1"});
        if (m_bus.waitForStarted(5000) && m_bus.waitForReadyRead(5000)) {
            const QByteArray address = m_bus.readLine().trimmed();
            qputenv("DBUS_SESSION_BUS_ADDRESS", address);
            m_haveBus = !address.isEmpty();
        }
    }
    void cleanupTestCase() {
        m_bus.terminate();
        m_bus.waitForFinished(3000);
    }
    void cleanup() {
        if (m_kwin) {
            m_kwin->terminate();
            m_kwin->waitForFinished(3000);
            m_kwin.reset();
        }
        m_keys.takeHistory();
    }

    // ---- GNOME: GSettings through the gsettings tool ----

    void gnomePointerSpeed() {
        int code = -1;
        runTool("gsettings", {"list-keys", "org.gnome.desktop.peripherals.mouse"}, &code);
        if (code != 0)
            QSKIP("gsettings or the GNOME desktop schemas (gsettings-desktop-schemas) missing");
        KLinuxDesktopBackend desktop(options("GNOME"));
        QVERIFY(desktop.pointerSpeedAvailable());
        QVERIFY(desktop.setPointerSpeed(15));
        QCOMPARE(runTool("gsettings", {"get", "org.gnome.desktop.peripherals.mouse", "speed"})
                     .toDouble(),
                 0.5);
        int speed = 0;
        QVERIFY(desktop.pointerSpeed(&speed));
        QCOMPARE(speed, 15);
        // A change made in the desktop's own settings is what the program reads.
        runTool("gsettings", {"set", "org.gnome.desktop.peripherals.mouse", "speed", "-1"});
        QVERIFY(desktop.pointerSpeed(&speed));
        QCOMPARE(speed, 1);
        QVERIFY(desktop.setPointerSpeed(10));
        QCOMPARE(runTool("gsettings", {"get", "org.gnome.desktop.peripherals.mouse", "speed"})
                     .toDouble(),
                 0.0);
        QVERIFY(!desktop.setPointerSpeed(21));
    }

    void gnomeShortcuts_data() {
        QTest::addColumn<QString>("binding");  // empty: GNOME's default
        QTest::addColumn<bool>("maximize");
        QTest::addColumn<QList<int>>("keys");  // pressed in order; released in reverse
        QTest::newRow("default maximize") << "" << true << QList<int>{0x5B, 0x26};
        QTest::newRow("default minimize") << "" << false << QList<int>{0x5B, 0x48};
        QTest::newRow("two modifiers")
            << "['<Primary><Alt>F10']" << true << QList<int>{0xA2, 0xA4, 0x79};
        QTest::newRow("first usable binding")
            << "['<Hyper5>x', '<Alt>F9']" << false << QList<int>{0xA4, 0x78};
        QTest::newRow("no binding") << "@as []" << true << QList<int>{};
    }

    void gnomeShortcuts() {
        QFETCH(QString, binding);
        QFETCH(bool, maximize);
        QFETCH(QList<int>, keys);
        int code = -1;
        runTool("gsettings", {"list-keys", "org.gnome.desktop.wm.keybindings"}, &code);
        if (code != 0)
            QSKIP("gsettings or the GNOME desktop schemas (gsettings-desktop-schemas) missing");
        const QString name = maximize ? "maximize" : "minimize";
        if (binding.isEmpty())
            runTool("gsettings", {"reset", "org.gnome.desktop.wm.keybindings", name});
        else
            runTool("gsettings", {"set", "org.gnome.desktop.wm.keybindings", name, binding});
        KLinuxDesktopBackend desktop(options("GNOME"));
        QCOMPARE(desktop.windowControl(), KDesktopBackend::WindowControl::ActiveWindow);
        QCOMPARE(desktop.changeActiveWindow(maximize, "Pointora"), !keys.isEmpty());
        QList<Event> expected;
        for (int vk : keys)
            expected << KSimInputInjector::key(quint8(vk), false, kTag);
        for (auto it = keys.crbegin(); it != keys.crend(); ++it)
            expected << KSimInputInjector::key(quint8(*it), true, kTag);
        QCOMPARE(m_keys.takeHistory(), expected);
        runTool("gsettings", {"reset", "org.gnome.desktop.wm.keybindings", name});
    }

    // A missing or hanging settings tool fails in bounded time, and the slider says why.
    void gnomeToolFails_data() {
        QTest::addColumn<QString>("script");  // the fake tool's body; empty: no tool at all
        QTest::newRow("missing") << "";
        QTest::newRow("hangs") << "sleep 30";
        QTest::newRow("refuses") << "echo 'No such schema' >&2; exit 1";
        // Reading fails on an answer that is no number; setting only needs the tool's success.
        QTest::newRow("says nonsense") << "echo banana";
    }

    void gnomeToolFails() {
        QFETCH(QString, script);
        KLinuxDesktopBackend::Options o = options("GNOME");
        o.gsettingsProgram = m_env.path("no-such-gsettings");
        if (!script.isEmpty()) {
            o.gsettingsProgram = m_env.path("fake-gsettings");
            QFile tool(o.gsettingsProgram);
            QVERIFY(tool.open(QIODevice::WriteOnly | QIODevice::Truncate));
            tool.write("#!/bin/sh\n" + script.toUtf8() + "\n");
            tool.close();
            tool.setPermissions(QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
        }
        o.timeoutMs = 300;
        KLinuxDesktopBackend desktop(o);
        int speed = 0;
        QVERIFY(!desktop.pointerSpeed(&speed));
        KMouseSensitivity sensitivity(&desktop);
        QCOMPARE(sensitivity.getSensitivity(), 10);
        if (script == QLatin1String("echo banana"))
            return;
        QSignalSpy notices(&sensitivity, &KMouseSensitivity::sigSensitivityNotice);
        QVERIFY(sensitivity.notice().isEmpty());  // available here, nothing failed yet
        QVERIFY(!sensitivity.setSensitivity(12));
        QCOMPARE(notices.size(), 1);
        QVERIFY(!sensitivity.notice().isEmpty());
        QCOMPARE(sensitivity.notice(), notices.first().first().toString());
        QVERIFY(!desktop.changeActiveWindow(true, "Pointora"));
        QVERIFY(m_keys.takeHistory().isEmpty());
    }

    // ---- sway: the IPC socket ----

    void swayIpc() {
        FakeSway sway(m_env.path("run/sway.sock"));
        QVERIFY(sway.ok());
        sway.answer = [](quint32 type, const QByteArray&) {
            return type == KSwayIpc::GetInputs ? frame(type, kInputsWithPointer)
                                               : frame(type, R"([{"success":true}])");
        };
        KLinuxDesktopBackend::Options o = options("sway");
        o.swaySocket = m_env.path("run/sway.sock");
        KLinuxDesktopBackend desktop(o);
        int speed = 0;
        QVERIFY(desktop.pointerSpeed(&speed));
        QCOMPARE(speed, KX11DesktopBackend::speedFromAccel(0.25));
        QVERIFY(desktop.setPointerSpeed(15));
        const QList<FakeSway::Request> requests = sway.requests();
        QCOMPARE(requests.size(), 3);  // read, then check for a pointer, then the command
        QCOMPARE(requests.at(2).type, quint32(KSwayIpc::RunCommand));
        QCOMPARE(requests.at(2).payload, QByteArray("input type:pointer pointer_accel 0.5000"));
        QCOMPARE(desktop.windowControl(), KDesktopBackend::WindowControl::Unavailable);
    }

    void swayFailures_data() {
        QTest::addColumn<QByteArray>("inputs");   // GET_INPUTS answer; "silent": none
        QTest::addColumn<QByteArray>("command");  // RUN_COMMAND answer payload
        QTest::addColumn<bool>("commandSent");
        QTest::newRow("no pointer: sway would only store the setting")
            << QByteArray(R"([{"type":"keyboard","libinput":{}}])")
            << QByteArray(R"([{"success":true}])") << false;
        QTest::newRow("pointer without libinput (virtual)")
            << QByteArray(R"([{"type":"pointer"}])") << QByteArray(R"([{"success":true}])")
            << false;
        QTest::newRow("command refused")
            << kInputsWithPointer << QByteArray(R"([{"success":false,"error":"x"}])") << true;
        QTest::newRow("command without result") << kInputsWithPointer << QByteArray("[]") << true;
        QTest::newRow("no answer") << QByteArray("silent") << QByteArray() << false;
        QTest::newRow("not i3-ipc") << QByteArray("garbage") << QByteArray() << false;
        QTest::newRow("truncated") << QByteArray("truncated") << QByteArray() << false;
    }

    void swayFailures() {
        QFETCH(QByteArray, inputs);
        QFETCH(QByteArray, command);
        QFETCH(bool, commandSent);
        FakeSway sway(m_env.path("run/sway.sock"));
        QVERIFY(sway.ok());
        sway.answer = [&](quint32 type, const QByteArray&) -> QByteArray {
            if (type != KSwayIpc::GetInputs)
                return frame(type, command);
            if (inputs == "silent")
                return QByteArray();
            if (inputs == "garbage")
                return QByteArray("HTTP/1.1 400 Bad Request\r\n\r\n");
            if (inputs == "truncated")
                return frame(type, kInputsWithPointer).left(30);
            return frame(type, inputs);
        };
        KLinuxDesktopBackend::Options o = options("sway");
        o.swaySocket = m_env.path("run/sway.sock");
        o.timeoutMs = 300;
        KLinuxDesktopBackend desktop(o);
        QVERIFY(!desktop.setPointerSpeed(15));
        bool sent = false;
        for (const FakeSway::Request& r : sway.requests())
            sent = sent || r.type == KSwayIpc::RunCommand;
        QCOMPARE(sent, commandSent);
    }

    void swayNoSocket() {
        KLinuxDesktopBackend::Options o = options("sway");
        o.swaySocket = m_env.path("run/nobody-listens.sock");
        KLinuxDesktopBackend desktop(o);
        int speed = 0;
        QVERIFY(!desktop.pointerSpeed(&speed));
        QVERIFY(!desktop.setPointerSpeed(5));
    }

    // ---- KDE: KWin on the session bus ----

    void kwinPointerSpeed() {
        startKWin({});
        KLinuxDesktopBackend desktop(options("KDE"));
        QVERIFY(desktop.pointerSpeedAvailable());
        QVERIFY(desktop.setPointerSpeed(15));
        QCOMPARE(kwinLog(), QStringList{"set event3 0.5"});  // the pointer, not the keyboard
        int speed = 0;
        QVERIFY(desktop.pointerSpeed(&speed));
        QCOMPARE(speed, 15);
        QVERIFY(desktop.setPointerSpeed(1));
        QVERIFY(desktop.pointerSpeed(&speed));
        QCOMPARE(speed, 1);
    }

    void kwinNoPointer() {
        startKWin({"--no-pointer"});
        KLinuxDesktopBackend desktop(options("KDE"));
        int speed = 0;
        QVERIFY(!desktop.pointerSpeed(&speed));
        QVERIFY(!desktop.setPointerSpeed(15));
        QVERIFY(kwinLog().isEmpty());
    }

    void kwinWindows_data() {
        QTest::addColumn<QStringList>("args");
        QTest::addColumn<bool>("maximize");
        QTest::newRow("maximize") << QStringList{} << true;
        QTest::newRow("minimize") << QStringList{} << false;
        QTest::newRow("maximize, KWin before 5.21") << QStringList{"--old-paths"} << true;
    }

    void kwinWindows() {
        QFETCH(QStringList, args);
        QFETCH(bool, maximize);
        startKWin(args);
        KLinuxDesktopBackend desktop(options("KDE"));
        QCOMPARE(desktop.windowControl(), KDesktopBackend::WindowControl::ActiveWindow);
        const QString plugin = maximize ? "pointora-maximize" : "pointora-minimize";
        QVERIFY(desktop.changeActiveWindow(maximize, "Pointora"));
        QCOMPARE(kwinLog(), (QStringList{"unload " + plugin, "load " + plugin + " 1", "run 1",
                                         "unload " + plugin}));
        QFile script(m_env.path("kwin.log.script"));
        QVERIFY(script.open(QIODevice::ReadOnly));
        const QString source = QString::fromUtf8(script.readAll());
        QCOMPARE(source, KKWinDBus::activeWindowScript(maximize, "Pointora"));
        // Twice in a row works: the first run left nothing loaded.
        QVERIFY(desktop.changeActiveWindow(maximize, "Pointora"));
        QVERIFY(!kwinLog().contains("load-refused " + plugin));
    }

    // Without KWin the window functions fail at once and the main page gets a tip.
    void kwinAbsent() {
        if (!m_haveBus)
            QSKIP("dbus-daemon is not installed: no private session bus");
        KLinuxDesktopBackend desktop(options("KDE"));
        QVERIFY(!desktop.setPointerSpeed(15));
        KWinSimulator simulator(nullptr, &desktop, nullptr);
        QSignalSpy tips(&simulator, &KWinSimulator::functionUnavailable);
        simulator.showForegroundWindow(3);
        simulator.showForegroundWindow(6);
        QCOMPARE(tips.size(), 2);
        QCOMPARE(tips.at(0).at(0).toInt(), 48);
        QCOMPARE(tips.at(1).at(0).toInt(), 49);
        QVERIFY(!tips.at(0).at(1).toString().isEmpty());
        QCOMPARE(simulator.functionNotice(), tips.at(1).at(1).toString());
        simulator.dismissFunctionNotice();
        QVERIFY(simulator.functionNotice().isEmpty());
    }
};

QTEST_GUILESS_MAIN(TestDesktopServices)
#include "tst_desktopservices.moc"
