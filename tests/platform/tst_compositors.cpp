// Runs inside a real headless compositor's session (in_compositor.sh sway|weston sets the
// session's variables): the Linux desktop backend built from this process's environment picks
// its routes, and every desktop function either works or says it is unavailable, never a silent
// success through Xwayland.

#include "platform/linux/KLinuxDesktopBackend.h"
#include "platform/linux/KLinuxInputInjector.h"
#include "platform/linux/KSwayIpc.h"
#include "platform/sim/KSimInputInjector.h"
#include "simulation/KMouseSensitivity.h"
#include "simulation/KWinSimulator.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QSignalSpy>
#include <QtTest>

class TestCompositors : public QObject {
    Q_OBJECT
private:
    KSimInputInjector m_keys{nullptr};

    KLinuxDesktopBackend::Options sessionOptions() {
        // The session as the program would see it; keys as if uinput worked.
        KLinuxDesktopBackend::Options options = KLinuxDesktopBackend::optionsFor(&m_keys);
        options.timeoutMs = 2000;
        return options;
    }

    void checkWindowTips(KDesktopBackend* desktop) {
        KWinSimulator simulator(nullptr, desktop, nullptr);
        QSignalSpy tips(&simulator, &KWinSimulator::functionUnavailable);
        simulator.showForegroundWindow(3);
        simulator.showForegroundWindow(6);
        QCOMPARE(tips.size(), 2);
        QCOMPARE(tips.at(0).at(0).toInt(), 48);
        QCOMPARE(tips.at(1).at(0).toInt(), 49);
        QVERIFY(!tips.at(0).at(1).toString().isEmpty());
        QVERIFY(m_keys.takeHistory().isEmpty());
    }

private slots:
    void sway() {
        if (qEnvironmentVariableIsEmpty("SWAYSOCK"))
            QSKIP("not inside sway: run through in_compositor.sh sway");
        const KLinuxDesktopBackend::Options options = sessionOptions();
        QCOMPARE(options.session.type, KDesktopSession::Type::Wayland);
        QCOMPARE(options.session.desktop, KDesktopSession::Desktop::Wlroots);
        KLinuxDesktopBackend desktop(options);
        QCOMPARE(desktop.routes().pointerSpeed, KLinuxDesktopRoutes::PointerSpeed::SwayIpc);
        QVERIFY(desktop.pointerSpeedAvailable());

        // What sway itself reports decides what the program may claim.
        QByteArray reply;
        QString error;
        QVERIFY2(KSwayIpc(options.swaySocket).request(KSwayIpc::GetInputs, {}, &reply, &error),
                 qPrintable(error));
        bool swayHasPointer = false;
        for (const QJsonValue& input : QJsonDocument::fromJson(reply).array())
            swayHasPointer =
                swayHasPointer ||
                (input.toObject().value("type").toString() == "pointer" &&
                 input.toObject().value("libinput").toObject().contains("accel_speed"));
        qInfo() << "sway reports" << QJsonDocument::fromJson(reply).array().size()
                << "inputs, a libinput pointer:" << swayHasPointer;

        KMouseSensitivity sensitivity(&desktop);
        QCOMPARE(sensitivity.setSensitivity(15), swayHasPointer);
        int speed = 0;
        QCOMPARE(desktop.pointerSpeed(&speed), swayHasPointer);
        if (swayHasPointer) {
            QCOMPARE(speed, 15);
            QVERIFY(sensitivity.notice().isEmpty());
        } else {
            // Sway accepts the command without a pointer (it keeps it for pointers to come);
            // the program must not call that a success.
            QVERIFY(!sensitivity.notice().isEmpty());
        }

        QCOMPARE(desktop.windowControl(), KDesktopBackend::WindowControl::Unavailable);
        checkWindowTips(&desktop);
        QVERIFY(!desktop.setGammaRamp(KWinSimulator::gammaRamp(128)));
    }

    void weston() {
        if (qEnvironmentVariable("XDG_CURRENT_DESKTOP") != QLatin1String("weston"))
            QSKIP("not inside weston: run through in_compositor.sh weston");
        const KLinuxDesktopBackend::Options options = sessionOptions();
        QCOMPARE(options.session.type, KDesktopSession::Type::Wayland);
        QCOMPARE(options.session.desktop, KDesktopSession::Desktop::Weston);
        QVERIFY(options.session.hasX11Display);
        KLinuxDesktopBackend desktop(options);

        // Xwayland is there, but nothing may act on it in the user's name.
        QVERIFY(!desktop.pointerSpeedAvailable());
        int speed = 0;
        QVERIFY(!desktop.pointerSpeed(&speed));
        KMouseSensitivity sensitivity(&desktop);
        QVERIFY(!sensitivity.notice().isEmpty());
        QVERIFY(!sensitivity.setSensitivity(15));
        QVERIFY(!desktop.setGammaRamp(KWinSimulator::gammaRamp(128)));
        QCOMPARE(desktop.windowControl(), KDesktopBackend::WindowControl::Unavailable);
        QCOMPARE(desktop.foregroundWindow(), KWindowId(0));
        checkWindowTips(&desktop);

        // Injection without uinput falls back to XTest on Xwayland, and says whom it reaches.
        KLinuxInputInjector::Options injection;
        injection.uinputPath = QStringLiteral("/nonexistent/uinput");
        injection.waylandSession = true;
        QTest::ignoreMessage(QtWarningMsg,
                             QRegularExpression("XTest on Xwayland.*only X11 programs receive.*"
                                                "70-pointora.rules.*"));
        KLinuxInputInjector injector(injection);
        QCOMPARE(injector.method(), QStringLiteral("xtest"));
        QCOMPARE(injector.reach(), KInputInjector::Reach::X11Programs);
        KWinSimulator simulator(nullptr, &desktop, nullptr);
        QSignalSpy tips(&simulator, &KWinSimulator::functionUnavailable);
        simulator.reportInjectionReach(&injector);
        QCOMPARE(tips.size(), 1);
        QCOMPARE(tips.first().at(0).toInt(), 0);
        QVERIFY(tips.first().at(1).toString().contains("70-pointora.rules"));
    }
};

QTEST_GUILESS_MAIN(TestCompositors)
#include "tst_compositors.moc"
