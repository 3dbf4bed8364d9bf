// The gamma routes of the Linux backend: the brightness curve put on each output's own table,
// the route chosen for each kind of session, Mutter's display configuration service (a faithful
// stand-in on a private session bus), and real wlroots (sway) and weston compositors started
// headless. Compositors that cannot start here make their cases skip, saying why.
#include "common/TestEnv.h"
#include "config/KConfigCommon.h"
#include "platform/linux/KDesktopSession.h"
#include "platform/linux/KGammaControl.h"
#include "platform/linux/KX11DesktopBackend.h"
#include "simulation/KWinSimulator.h"

#include <QDBusArgument>
#include <QDBusConnection>
#include <QDBusMessage>
#include <QDBusMetaType>
#include <QDBusVirtualObject>
#include <QMutex>
#include <QProcess>
#include <QStandardPaths>
#include <QThread>
#include <QtTest>

#include <unistd.h>

#include <cmath>
#include <memory>

using Ramp = KDesktopBackend::GammaRamp;
using Result = KGammaControl::Result;

Q_DECLARE_METATYPE(KGammaTable)

namespace {

KGammaTable curveTable(int size, double exponent, double redScale, double greenScale,
                       double blueScale) {
    KGammaTable t;
    for (int j = 0; j < size; ++j) {
        const double x = std::pow(double(j) / (size - 1), exponent) * 65535;
        t.red.push_back(quint16(std::lround(x * redScale)));
        t.green.push_back(quint16(std::lround(x * greenScale)));
        t.blue.push_back(quint16(std::lround(x * blueScale)));
    }
    return t;
}

// Mutter's GetResources structures, as far as the stand-in fills them.
struct MutterCrtc {
    quint32 id = 0;
    qint64 winsysId = 0;
    qint32 x = 0, y = 0, width = 0, height = 0, mode = -1;
    quint32 transform = 0;
    QList<quint32> transforms;
    QVariantMap properties;
};
struct MutterOutput {
    quint32 id = 0;
    qint64 winsysId = 0;
    qint32 crtc = -1;
    QList<quint32> crtcs;
    QString name;
    QList<quint32> modes, clones;
    QVariantMap properties;
};
struct MutterMode {
    quint32 id = 0;
    qint64 winsysId = 0;
    quint32 width = 0, height = 0;
    double frequency = 0;
    quint32 flags = 0;
};

}  // namespace

Q_DECLARE_METATYPE(MutterCrtc)
Q_DECLARE_METATYPE(MutterOutput)
Q_DECLARE_METATYPE(MutterMode)

QDBusArgument& operator<<(QDBusArgument& a, const MutterCrtc& c) {
    a.beginStructure();
    a << c.id << c.winsysId << c.x << c.y << c.width << c.height << c.mode << c.transform
      << c.transforms << c.properties;
    a.endStructure();
    return a;
}
const QDBusArgument& operator>>(const QDBusArgument& a, MutterCrtc& c) {
    a.beginStructure();
    a >> c.id >> c.winsysId >> c.x >> c.y >> c.width >> c.height >> c.mode >> c.transform >>
        c.transforms >> c.properties;
    a.endStructure();
    return a;
}
QDBusArgument& operator<<(QDBusArgument& a, const MutterOutput& o) {
    a.beginStructure();
    a << o.id << o.winsysId << o.crtc << o.crtcs << o.name << o.modes << o.clones << o.properties;
    a.endStructure();
    return a;
}
const QDBusArgument& operator>>(const QDBusArgument& a, MutterOutput& o) {
    a.beginStructure();
    a >> o.id >> o.winsysId >> o.crtc >> o.crtcs >> o.name >> o.modes >> o.clones >> o.properties;
    a.endStructure();
    return a;
}
QDBusArgument& operator<<(QDBusArgument& a, const MutterMode& m) {
    a.beginStructure();
    a << m.id << m.winsysId << m.width << m.height << m.frequency << m.flags;
    a.endStructure();
    return a;
}
const QDBusArgument& operator>>(const QDBusArgument& a, MutterMode& m) {
    a.beginStructure();
    a >> m.id >> m.winsysId >> m.width >> m.height >> m.frequency >> m.flags;
    a.endStructure();
    return a;
}

namespace {

// org.gnome.Mutter.DisplayConfig as Mutter answers it: the serial guards every gamma call
// ("stale" access denied otherwise), CRTCs without a mode drive nothing, a CRTC may have no
// gamma table (empty arrays).
class FakeMutter : public QDBusVirtualObject {
public:
    struct Crtc {
        bool active = true;
        KGammaTable table;
    };
    QMutex mutex;
    quint32 serial = 7;
    QMap<quint32, Crtc> crtcs;
    bool refuseSet = false;      // SetCrtcGamma unknown, as in a Mutter without it
    int bumpSerialAfterGet = 0;  // monitors change right after the next GetResources calls
    int setCalls = 0;

    QString introspect(const QString&) const override { return QString(); }

    bool handleMessage(const QDBusMessage& m, const QDBusConnection& bus) override {
        QMutexLocker lock(&mutex);
        const QString method = m.member();
        const QList<QVariant> args = m.arguments();
        if (method == QLatin1String("GetResources")) {
            QList<MutterCrtc> list;
            for (auto it = crtcs.begin(); it != crtcs.end(); ++it) {
                MutterCrtc c;
                c.id = it.key();
                c.winsysId = 100 + it.key();
                c.mode = it.value().active ? 0 : -1;
                c.width = c.height = it.value().active ? 600 : 0;
                c.transforms = {0};
                list << c;
            }
            MutterOutput output;
            output.name = QStringLiteral("Virtual-1");
            MutterMode mode;
            mode.width = 800;
            mode.height = 600;
            mode.frequency = 60;
            QDBusMessage reply = m.createReply();
            reply << serial << QVariant::fromValue(list)
                  << QVariant::fromValue(QList<MutterOutput>{output})
                  << QVariant::fromValue(QList<MutterMode>{mode}) << 8192 << 8192;
            bus.send(reply);
            if (bumpSerialAfterGet > 0) {
                --bumpSerialAfterGet;
                ++serial;
            }
            return true;
        }
        if (method == QLatin1String("GetCrtcGamma") || method == QLatin1String("SetCrtcGamma")) {
            const bool set = method == QLatin1String("SetCrtcGamma");
            if (set && refuseSet) {
                bus.send(
                    m.createErrorReply(QStringLiteral("org.freedesktop.DBus.Error.UnknownMethod"),
                                       QStringLiteral("No such method")));
                return true;
            }
            if (args.size() < 2 || args.at(0).toUInt() != serial) {
                bus.send(m.createErrorReply(
                    QStringLiteral("org.freedesktop.DBus.Error.AccessDenied"),
                    QStringLiteral("The requested configuration is based on stale information")));
                return true;
            }
            const quint32 id = args.at(1).toUInt();
            if (!crtcs.contains(id)) {
                bus.send(
                    m.createErrorReply(QStringLiteral("org.freedesktop.DBus.Error.InvalidArgs"),
                                       QStringLiteral("Invalid crtc id")));
                return true;
            }
            Crtc& crtc = crtcs[id];
            if (!set) {
                QDBusMessage reply = m.createReply();
                for (const std::vector<quint16>* ch :
                     {&crtc.table.red, &crtc.table.green, &crtc.table.blue})
                    reply << QVariant::fromValue(QList<quint16>(ch->begin(), ch->end()));
                bus.send(reply);
                return true;
            }
            ++setCalls;
            const auto channel = [&](int i) {
                const QList<quint16> l = qdbus_cast<QList<quint16>>(args.value(i));
                return std::vector<quint16>(l.begin(), l.end());
            };
            crtc.table.red = channel(2);
            crtc.table.green = channel(3);
            crtc.table.blue = channel(4);
            bus.send(m.createReply());
            return true;
        }
        return false;
    }

    KGammaTable table(quint32 id) {
        QMutexLocker lock(&mutex);
        return crtcs.value(id).table;
    }
};

// A private session bus (dbus-daemon) with the stand-in serving on its own thread, as the
// compositor serves on its own process.
class PrivateBus {
public:
    PrivateBus() {
        m_daemon.start(QStringLiteral("dbus-daemon"),
                       {"--session", "--nofork", "--nopidfile", "--print-address=1"});
        if (!m_daemon.waitForStarted(5000) || !m_daemon.waitForReadyRead(5000))
            return;
        m_address = QString::fromUtf8(m_daemon.readLine()).trimmed();
    }
    ~PrivateBus() {
        if (m_serviceThread.isRunning()) {
            QDBusConnection::disconnectFromBus(QStringLiteral("fake-mutter"));
            m_serviceThread.quit();
            m_serviceThread.wait();
            delete m_fake;
        }
        QDBusConnection::disconnectFromBus(QStringLiteral("gamma-client"));
        m_daemon.terminate();
        m_daemon.waitForFinished(3000);
    }
    bool isUp() const { return !m_address.isEmpty(); }
    QString error() const { return m_daemon.errorString(); }

    bool serve(FakeMutter* fake) {
        m_fake = fake;
        m_serviceThread.start();
        fake->moveToThread(&m_serviceThread);
        QDBusConnection bus =
            QDBusConnection::connectToBus(m_address, QStringLiteral("fake-mutter"));
        return bus.isConnected() &&
               bus.registerVirtualObject(QStringLiteral("/org/gnome/Mutter/DisplayConfig"), fake) &&
               bus.registerService(QStringLiteral("org.gnome.Mutter.DisplayConfig"));
    }
    QDBusConnection client() const {
        return QDBusConnection::connectToBus(m_address, QStringLiteral("gamma-client"));
    }

private:
    QProcess m_daemon;
    QString m_address;
    QThread m_serviceThread;
    FakeMutter* m_fake = nullptr;
};

// A compositor started headless in its own runtime directory; sway refuses to run as root, so
// it runs as nobody then.
class HeadlessCompositor {
public:
    HeadlessCompositor(const QString& program, const QStringList& args, const QString& socket,
                       bool dropRoot) {
        m_runtime = m_env.path("run");
        m_socket = m_runtime + "/" + socket;
        if (QStandardPaths::findExecutable(program).isEmpty()) {
            m_why = program + " is not installed";
            return;
        }
        QProcessEnvironment env = m_env.environment();
        env.insert("WLR_BACKENDS", "headless");
        env.insert("WLR_LIBINPUT_NO_DEVICES", "1");
        env.insert("WLR_RENDERER", "pixman");
        env.insert("WLR_HEADLESS_OUTPUTS", "1");
        env.remove("WAYLAND_DISPLAY");
        env.remove("DISPLAY");
        m_process.setProcessEnvironment(env);
        m_process.setProcessChannelMode(QProcess::MergedChannels);
        QStringList command = QStringList{program} + args;
        if (dropRoot && ::geteuid() == 0) {
            // nobody must reach the runtime directory inside the private (0700) one.
            QFile::setPermissions(
                m_env.path(), QFile::permissions(m_env.path()) | QFile::ExeGroup | QFile::ExeOther);
            if (::chown(QFile::encodeName(m_runtime).constData(), 65534, 65534) != 0) {
                m_why = "cannot hand the runtime directory to nobody";
                return;
            }
            command = QStringList{"setpriv", "--reuid=65534", "--regid=65534", "--clear-groups"} +
                      command;
        }
        m_process.start(command.first(), command.mid(1));
        QDeadlineTimer deadline(10000);
        while (!deadline.hasExpired() && m_process.state() != QProcess::NotRunning &&
               !QFileInfo::exists(m_socket))
            m_process.waitForFinished(50);
        if (!QFileInfo::exists(m_socket)) {
            m_why = program + " did not start headless: " +
                    QString::fromLocal8Bit(m_process.readAll()).right(400);
            return;
        }
        QThread::msleep(300);  // the outputs are created right after the socket
    }
    ~HeadlessCompositor() {
        if (m_process.state() != QProcess::NotRunning) {
            m_process.terminate();
            if (!m_process.waitForFinished(3000))
                m_process.kill();
            m_process.waitForFinished(1000);
        }
    }
    bool isUp() const { return m_why.isEmpty(); }
    QString why() const { return m_why; }
    QString socket() const { return m_socket; }
    QString output() { return QString::fromLocal8Bit(m_process.readAll()); }

private:
    TestEnv m_env;
    QProcess m_process;
    QString m_runtime, m_socket, m_why;
};

KDesktopSession session(KDesktopSession::Type type, KDesktopSession::Desktop desktop) {
    KDesktopSession s;
    s.type = type;
    s.desktop = desktop;
    return s;
}

}  // namespace

class TestGammaControl : public QObject {
    Q_OBJECT
private slots:
    void initTestCase() {
        qDBusRegisterMetaType<MutterCrtc>();
        qDBusRegisterMetaType<MutterOutput>();
        qDBusRegisterMetaType<MutterMode>();
        qDBusRegisterMetaType<QList<MutterCrtc>>();
        qDBusRegisterMetaType<QList<MutterOutput>>();
        qDBusRegisterMetaType<QList<MutterMode>>();
        qDBusRegisterMetaType<QList<quint16>>();
    }

    // The curve goes through each own entry; what comes out is worked out here independently:
    // the curve i -> i * slope (clipped) read at own * 255 / 65535.
    void compose_data() {
        QTest::addColumn<int>("value");
        QTest::addColumn<KGammaTable>("own");
        QTest::newRow("identity 256, neutral") << 128 << KGammaTable::identity(256);
        QTest::newRow("identity 256, brighter") << 200 << KGammaTable::identity(256);
        QTest::newRow("identity 1024, darker") << 40 << KGammaTable::identity(1024);
        QTest::newRow("identity 2") << 100 << KGammaTable::identity(2);
        QTest::newRow("identity 4096, clipped") << 255 << KGammaTable::identity(4096);
        QTest::newRow("calibrated 256, channels apart")
            << 160 << curveTable(256, 1 / 1.8, 1.0, 0.93, 0.8);
        QTest::newRow("calibrated 1024, clipped") << 252 << curveTable(1024, 0.7, 1.0, 1.0, 0.9);
        QTest::newRow("calibrated 17, halved") << 0 << curveTable(17, 2.2, 1.0, 0.5, 0.25);
    }
    void compose() {
        QFETCH(int, value);
        QFETCH(KGammaTable, own);
        const Ramp curve = KWinSimulator::gammaRamp(value);
        const double slope = value + 128;
        const KGammaTable got = KGamma::compose(curve, own);
        QCOMPARE(got.size(), own.size());
        const auto check = [&](const std::vector<quint16>& out, const std::vector<quint16>& in) {
            for (size_t j = 0; j < in.size(); ++j) {
                const double pos = in[j] * 255.0 / 65535.0;
                const int i = std::min(int(pos), 254);
                const double lo = std::min(65535.0, i * slope);
                const double hi = std::min(65535.0, (i + 1) * slope);
                const double expected = lo + (hi - lo) * (pos - i);
                if (std::abs(out[j] - expected) > 0.5 + 1e-9)
                    return QString("entry %1: %2, expected %3").arg(j).arg(out[j]).arg(expected);
                if (j > 0 && in[j] >= in[j - 1] && out[j] < out[j - 1])
                    return QString("entry %1 falls").arg(j);
            }
            return QString();
        };
        for (const auto& [out, in] :
             {std::make_pair(&got.red, &own.red), std::make_pair(&got.green, &own.green),
              std::make_pair(&got.blue, &own.blue)}) {
            const QString problem = check(*out, *in);
            QVERIFY2(problem.isEmpty(), qPrintable(problem));
        }
        // Composition on the identity of 256 entries is the curve itself.
        if (own == KGammaTable::identity(256))
            QVERIFY(std::equal(got.red.begin(), got.red.end(), curve.begin()));
        // At the top of the range the clipped curves stay at 65535.
        if (value >= 128 + 128 && own.red.back() == 65535)
            QCOMPARE(got.red.back(), quint16(65535));
    }

    void calibrationOfFlatTables() {
        KGammaTable zero;
        zero.red.assign(256, 0);
        zero.green = zero.blue = zero.red;
        QCOMPARE(zero.calibration(), KGammaTable::identity(256));
        const KGammaTable dim = curveTable(256, 1.0, 0.5, 0.5, 0.5);
        QCOMPARE(dim.calibration(), dim);
        // Only one channel flat: a deliberate table, kept.
        KGammaTable noBlue = KGammaTable::identity(64);
        noBlue.blue.assign(64, 0);
        QCOMPARE(noBlue.calibration(), noBlue);
        QCOMPARE(KGammaTable::identity(3).red, (std::vector<quint16>{0, 32768, 65535}));
    }

    void routeForSession_data() {
        using T = KDesktopSession::Type;
        using D = KDesktopSession::Desktop;
        QTest::addColumn<int>("type");
        QTest::addColumn<int>("desktop");
        QTest::addColumn<QString>("route");
        QTest::newRow("X11") << int(T::X11) << int(D::Other) << "XRandR";
        QTest::newRow("X11 GNOME") << int(T::X11) << int(D::Gnome) << "XRandR";
        QTest::newRow("X11 KDE") << int(T::X11) << int(D::Kde) << "XRandR";
        QTest::newRow("GNOME Wayland")
            << int(T::Wayland) << int(D::Gnome) << "Mutter DisplayConfig";
        QTest::newRow("sway") << int(T::Wayland) << int(D::Wlroots) << "wlr-gamma-control";
        QTest::newRow("unknown Wayland") << int(T::Wayland) << int(D::Other) << "wlr-gamma-control";
        QTest::newRow("KDE Wayland") << int(T::Wayland) << int(D::Kde) << "none";
        QTest::newRow("weston") << int(T::Wayland) << int(D::Weston) << "none";
        QTest::newRow("console") << int(T::Console) << int(D::Other) << "none";
    }
    void routeForSession() {
        QFETCH(int, type);
        QFETCH(int, desktop);
        QFETCH(QString, route);
        const auto control = KGammaControl::create(
            session(KDesktopSession::Type(type), KDesktopSession::Desktop(desktop)),
            [] { return static_cast<Display*>(nullptr); });
        QCOMPARE(control->routeName(), route);
        QVERIFY(control->available());
        if (route == QLatin1String("none") || route == QLatin1String("XRandR")) {
            // No route, or no X display given: not available, never a silent success.
            QCOMPARE(control->apply(KWinSimulator::gammaRamp(140)), Result::Unavailable);
            QVERIFY(!control->available());
        }
    }

    // Per-CRTC composition on Mutter's own tables, inactive and table-less CRTCs left alone,
    // each step from the own table, and every own table back on restore and on destruction.
    void mutterComposesAndRestores() {
        PrivateBus bus;
        if (!bus.isUp())
            QSKIP(qPrintable("no private session bus (dbus-daemon): " + bus.error()));
        auto* fake = new FakeMutter;
        const KGammaTable calibrated = curveTable(256, 1 / 1.8, 1.0, 0.95, 0.85);
        const KGammaTable wide = KGammaTable::identity(1024);
        const KGammaTable idle = curveTable(256, 2.0, 1.0, 1.0, 1.0);
        fake->crtcs[0] = {true, calibrated};
        fake->crtcs[1] = {true, wide};
        fake->crtcs[2] = {false, idle};
        fake->crtcs[3] = {true, KGammaTable()};
        QVERIFY(bus.serve(fake));
        {
            KMutterGammaControl control(bus.client(), 2000);
            QCOMPARE(control.apply(KWinSimulator::gammaRamp(200)), Result::Applied);
            QCOMPARE(fake->table(0), KGamma::compose(KWinSimulator::gammaRamp(200), calibrated));
            QCOMPARE(fake->table(1), KGamma::compose(KWinSimulator::gammaRamp(200), wide));
            QCOMPARE(fake->table(2), idle);
            QCOMPARE(fake->table(3), KGammaTable());
            QCOMPARE(control.apply(KWinSimulator::gammaRamp(60)), Result::Applied);
            QCOMPARE(fake->table(0), KGamma::compose(KWinSimulator::gammaRamp(60), calibrated));
            control.restore();
            QCOMPARE(fake->table(0), calibrated);
            QCOMPARE(fake->table(1), wide);

            // The monitors change between GetResources and the gamma calls: tried again with
            // the new serial.
            fake->bumpSerialAfterGet = 1;
            QCOMPARE(control.apply(KWinSimulator::gammaRamp(180)), Result::Applied);
            QCOMPARE(fake->table(0), KGamma::compose(KWinSimulator::gammaRamp(180), calibrated));
        }
        QCOMPARE(fake->table(0), calibrated);
        QCOMPARE(fake->table(1), wide);
        QCOMPARE(fake->table(2), idle);
    }

    void mutterUnavailable_data() {
        QTest::addColumn<QString>("situation");
        QTest::newRow("no service on the bus") << "none";
        QTest::newRow("SetCrtcGamma missing") << "refuse";
        QTest::newRow("no CRTC with a table") << "tableless";
    }
    void mutterUnavailable() {
        QFETCH(QString, situation);
        PrivateBus bus;
        if (!bus.isUp())
            QSKIP(qPrintable("no private session bus (dbus-daemon): " + bus.error()));
        auto* fake = new FakeMutter;
        fake->crtcs[0] = {true,
                          situation == "tableless" ? KGammaTable() : KGammaTable::identity(256)};
        fake->refuseSet = situation == "refuse";
        if (situation != "none")
            QVERIFY(bus.serve(fake));
        else
            delete fake;
        KMutterGammaControl control(bus.client(), 2000);
        QCOMPARE(control.apply(KWinSimulator::gammaRamp(200)), Result::Unavailable);
        QVERIFY(!control.available());
        if (situation != "none")
            QCOMPARE(fake->table(0).size(), situation == "tableless" ? 0 : 256);
    }

    // sway headless: its outputs may have no gamma table; then brightness is "not available",
    // never a silent success. With tables: set, exclusive while held, given back on restore.
    void swayHeadless() {
        HeadlessCompositor sway("sway", {"-c", "/dev/null"}, "wayland-1", true);
        if (!sway.isUp())
            QSKIP(qPrintable(sway.why()));
        KWlrGammaControl control(sway.socket(), 2000);
        const Result result = control.apply(KWinSimulator::gammaRamp(200));
        QVERIFY2(result != Result::Failed, qPrintable(sway.output().right(600)));
        if (result == Result::Unavailable) {
            QVERIFY(!control.available());
            qInfo("sway's headless outputs have no gamma table: brightness not available");
            // The brightness function in this session: the tip, and the stored value stays.
            TestEnv env;
            qputenv("WAYLAND_DISPLAY", QFile::encodeName(sway.socket()));
            KDesktopSession swaySession =
                session(KDesktopSession::Type::Wayland, KDesktopSession::Desktop::Wlroots);
            KX11DesktopBackend desktop(QStringLiteral(":65000"), swaySession);
            KConfigCommon store(env.path("config/Pointora/config"));
            KWinSimulator win(&store, &desktop, nullptr);
            QSignalSpy unavailable(&win, &KWinSimulator::functionUnavailable);
            store.setBrightness(128);
            QVERIFY(!win.increaseBrightness());
            qunsetenv("WAYLAND_DISPLAY");
            QCOMPARE(store.getBrightness(), 128);
            QCOMPARE(unavailable.size(), 1);
            QCOMPARE(unavailable.first().at(0).toInt(), 13);
            QCOMPARE(unavailable.first().at(1).toString(),
                     KWinSimulator::brightnessUnavailableTip());
            return;
        }
        // Another client cannot take an output we hold; after restore it can.
        KWlrGammaControl other(sway.socket(), 2000);
        QCOMPARE(other.apply(KWinSimulator::gammaRamp(100)), Result::Unavailable);
        control.restore();
        QCOMPARE(other.apply(KWinSimulator::gammaRamp(100)), Result::Applied);
    }

    // weston offers no gamma protocol: not available.
    void westonHeadless() {
        HeadlessCompositor weston(
            "weston", {"--backend=headless-backend.so", "--socket=wayland-gamma", "--idle-time=0"},
            "wayland-gamma", false);
        if (!weston.isUp())
            QSKIP(qPrintable(weston.why()));
        KWlrGammaControl control(weston.socket(), 2000);
        QCOMPARE(control.apply(KWinSimulator::gammaRamp(200)), Result::Unavailable);
        QVERIFY(!control.available());
    }

    void noCompositor() {
        TestEnv env;
        KWlrGammaControl control(env.path("run/wayland-none"), 500);
        QCOMPARE(control.apply(KWinSimulator::gammaRamp(200)), Result::Unavailable);
    }
};

QTEST_GUILESS_MAIN(TestGammaControl)
#include "tst_gammacontrol.moc"
