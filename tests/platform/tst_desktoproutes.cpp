// The way each desktop function goes per session (display protocol, desktop, sway socket,
// whether injected keys reach the compositor), and the parsers the desktop routes rely on.

#include "platform/KInputCodes.h"
#include "platform/linux/KDesktopSession.h"
#include "platform/linux/KGnomeSettings.h"
#include "platform/linux/KKWinDBus.h"
#include "platform/linux/KLinuxDesktopRoutes.h"

#include <QtTest>

using Routes = KLinuxDesktopRoutes;
Q_DECLARE_METATYPE(Routes::PointerSpeed)
Q_DECLARE_METATYPE(Routes::Windows)
Q_DECLARE_METATYPE(Routes::Brightness)

class TestDesktopRoutes : public QObject {
    Q_OBJECT
private slots:
    void routes_data() {
        QTest::addColumn<QString>("environment");  // VAR=value, space-separated
        QTest::addColumn<bool>("uinput");          // injected keys reach the compositor
        QTest::addColumn<Routes::PointerSpeed>("speed");
        QTest::addColumn<Routes::Windows>("windows");
        QTest::addColumn<Routes::Brightness>("brightness");
        using S = Routes::PointerSpeed;
        using W = Routes::Windows;
        using B = Routes::Brightness;
        // clang-format off
        QTest::newRow("X11 plain") << "XDG_SESSION_TYPE=x11 DISPLAY=:0" << false
            << S::X11Property << W::Ewmh << B::X11Gamma;
        QTest::newRow("X11 GNOME: the daemon owns the speed") << "XDG_SESSION_TYPE=x11 DISPLAY=:0 XDG_CURRENT_DESKTOP=ubuntu:GNOME" << true
            << S::GnomeSettings << W::Ewmh << B::X11Gamma;
        QTest::newRow("X11 KDE") << "XDG_SESSION_TYPE=x11 DISPLAY=:0 XDG_CURRENT_DESKTOP=KDE" << true
            << S::X11Property << W::Ewmh << B::X11Gamma;
        QTest::newRow("X11 by DISPLAY alone") << "DISPLAY=:1" << false
            << S::X11Property << W::Ewmh << B::X11Gamma;
        QTest::newRow("GNOME Wayland with uinput") << "XDG_SESSION_TYPE=wayland WAYLAND_DISPLAY=wayland-0 DISPLAY=:0 XDG_CURRENT_DESKTOP=GNOME" << true
            << S::GnomeSettings << W::GnomeShortcut << B::MutterGamma;
        QTest::newRow("GNOME Wayland, keys only via XTest") << "XDG_SESSION_TYPE=wayland WAYLAND_DISPLAY=wayland-0 DISPLAY=:0 XDG_CURRENT_DESKTOP=GNOME" << false
            << S::GnomeSettings << W::Unavailable << B::MutterGamma;
        QTest::newRow("KDE Wayland") << "XDG_SESSION_TYPE=wayland WAYLAND_DISPLAY=wayland-0 XDG_CURRENT_DESKTOP=KDE" << false
            << S::KWinDBus << W::KWinScript << B::Unavailable;
        QTest::newRow("KDE Wayland by KDE_FULL_SESSION") << "WAYLAND_DISPLAY=wayland-0 KDE_FULL_SESSION=true" << true
            << S::KWinDBus << W::KWinScript << B::Unavailable;
        QTest::newRow("sway") << "XDG_SESSION_TYPE=wayland WAYLAND_DISPLAY=wayland-1 XDG_CURRENT_DESKTOP=sway SWAYSOCK=/run/sway.sock" << true
            << S::SwayIpc << W::Unavailable << B::WlrGamma;
        QTest::newRow("sway by SWAYSOCK alone") << "WAYLAND_DISPLAY=wayland-1 SWAYSOCK=/run/sway.sock" << true
            << S::SwayIpc << W::Unavailable << B::WlrGamma;
        QTest::newRow("Hyprland: wlroots-like, no sway socket") << "XDG_SESSION_TYPE=wayland WAYLAND_DISPLAY=wayland-1 XDG_CURRENT_DESKTOP=Hyprland" << true
            << S::Unavailable << W::Unavailable << B::WlrGamma;
        QTest::newRow("weston with Xwayland") << "XDG_SESSION_TYPE=wayland WAYLAND_DISPLAY=wayland-0 DISPLAY=:0 XDG_CURRENT_DESKTOP=weston" << true
            << S::Unavailable << W::Unavailable << B::Unavailable;
        QTest::newRow("unknown Wayland") << "WAYLAND_DISPLAY=wayland-0" << true
            << S::Unavailable << W::Unavailable << B::WlrGamma;
        QTest::newRow("console") << "" << true
            << S::Unavailable << W::Unavailable << B::Unavailable;
        // clang-format on
    }

    void routes() {
        QFETCH(QString, environment);
        QFETCH(bool, uinput);
        QProcessEnvironment env;
        for (const QString& pair : environment.split(' ', Qt::SkipEmptyParts))
            env.insert(pair.section('=', 0, 0), pair.section('=', 1));
        const KDesktopSession session = KDesktopSession::detect(env);
        Routes::Facts facts;
        facts.swaySocket = env.contains("SWAYSOCK");
        facts.keysReachCompositor = uinput;
        const Routes routes = Routes::choose(session, facts);
        QTEST(routes.pointerSpeed, "speed");
        QTEST(routes.windows, "windows");
        QTEST(routes.brightness, "brightness");

        // One log line per function, each saying what is not available.
        const QStringList lines = routes.describe(session);
        QCOMPARE(lines.size(), 3);
        QVERIFY(lines.at(0).startsWith("pointer speed: "));
        QVERIFY(lines.at(1).startsWith("maximize/minimize the window in front: "));
        QVERIFY(lines.at(2).startsWith("brightness: "));
        QCOMPARE(lines.at(0).contains("not available"),
                 routes.pointerSpeed == Routes::PointerSpeed::Unavailable);
        QCOMPARE(lines.at(1).contains("not available"),
                 routes.windows == Routes::Windows::Unavailable);
        QCOMPARE(lines.at(2).contains("not available"),
                 routes.brightness == Routes::Brightness::Unavailable);
    }

    void accelerators_data() {
        QTest::addColumn<QString>("accelerator");
        QTest::addColumn<bool>("ok");
        QTest::addColumn<QList<int>>("modifiers");
        QTest::addColumn<int>("key");
        QTest::newRow("GNOME maximize") << "<Super>Up" << true << QList<int>{KVK::LWIN} << 0x26;
        QTest::newRow("GNOME minimize") << "<Super>h" << true << QList<int>{KVK::LWIN} << 0x48;
        QTest::newRow("upper-case letter") << "<Super>H" << true << QList<int>{KVK::LWIN} << 0x48;
        QTest::newRow("two modifiers in order")
            << "<Primary><Alt>F10" << true << QList<int>{KVK::LCONTROL, KVK::LMENU} << 0x79;
        QTest::newRow("control spelled out, shift")
            << "<Shift><Control>Page_Up" << true << QList<int>{KVK::LSHIFT, KVK::LCONTROL} << 0x21;
        QTest::newRow("no modifier") << "F11" << true << QList<int>{} << 0x7A;
        QTest::newRow("mod4 is super") << "<Mod4>Down" << true << QList<int>{KVK::LWIN} << 0x28;
        QTest::newRow("repeated modifier once")
            << "<Super><Super>space" << true << QList<int>{KVK::LWIN} << 0x20;
        QTest::newRow("modifier only") << "<Super>" << false << QList<int>{} << 0;
        QTest::newRow("unknown modifier") << "<Foo>Up" << false << QList<int>{} << 0;
        QTest::newRow("unknown key") << "<Super>NoSuchKey" << false << QList<int>{} << 0;
        QTest::newRow("key without a virtual key")
            << "<Super>Greek_alpha" << false << QList<int>{} << 0;
        QTest::newRow("unclosed") << "<Super Up" << false << QList<int>{} << 0;
        QTest::newRow("disabled") << "disabled" << false << QList<int>{} << 0;
        QTest::newRow("empty") << "" << false << QList<int>{} << 0;
    }

    void accelerators() {
        QFETCH(QString, accelerator);
        QFETCH(bool, ok);
        QList<quint8> modifiers;
        quint8 key = 0;
        QCOMPARE(KGnomeSettings::parseAccelerator(accelerator, &modifiers, &key), ok);
        if (!ok)
            return;
        QList<int> got;
        for (quint8 m : modifiers)
            got << m;
        QTEST(got, "modifiers");
        QTEST(int(key), "key");
    }

    void stringArrays_data() {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QStringList>("items");
        QTest::newRow("one") << "['<Super>Up']" << QStringList{"<Super>Up"};
        QTest::newRow("two") << "['<Super>Up', '<Alt>F10']" << QStringList{"<Super>Up", "<Alt>F10"};
        QTest::newRow("double quotes") << "[\"<Super>h\"]" << QStringList{"<Super>h"};
        QTest::newRow("typed empty") << "@as []" << QStringList{};
        QTest::newRow("empty") << "[]" << QStringList{};
        QTest::newRow("not an array") << "'<Super>Up'" << QStringList{};
        QTest::newRow("nothing") << "" << QStringList{};
    }

    void stringArrays() {
        QFETCH(QString, text);
        QTEST(KGnomeSettings::parseStringArray(text), "items");
    }

    // The own window's title goes into KWin's script as a string literal, whatever it holds.
    void kwinScriptQuotesTitle() {
        const QString title = QStringLiteral("Poin\"tora'\\\n</script>");
        const QString script = KKWinDBus::activeWindowScript(true, title);
        QVERIFY(script.contains("setMaximize(true, true)"));
        QVERIFY(script.contains("workspace.activeWindow"));
        QVERIFY(script.contains("workspace.activeClient"));
        QVERIFY(script.contains(QStringLiteral("indexOf(\"Poin\\\"tora'\\\\\\n</script>\")")));
        QVERIFY(!script.contains("minimized = true"));
        const QString minimize = KKWinDBus::activeWindowScript(false, title);
        QVERIFY(minimize.contains("minimized = true"));
        QVERIFY(!minimize.contains("setMaximize"));
        // Minimizing applies to the own window too: no title test.
        QVERIFY(!minimize.contains("indexOf"));
    }
};

QTEST_GUILESS_MAIN(TestDesktopRoutes)
#include "tst_desktoproutes.moc"
