// The Linux backends' pure parts and the parts that need no display or device node: the key
// table, mouse translation, the injector's fallback when nothing is reachable, the XDG autostart
// entry, gamma resampling and the pointer-speed scale.
#include "common/TestEnv.h"
#include "config/KConfigCommon.h"
#include "platform/KInputCodes.h"
#include "platform/KVirtualDeviceIdentity.h"
#include "platform/linux/KLinuxInputInjector.h"
#include "platform/linux/KLinuxKeyMap.h"
#include "platform/linux/KLinuxSessionBackend.h"
#include "platform/linux/KMouseSteps.h"
#include "platform/linux/KUinputInjector.h"
#include "platform/linux/KX11DesktopBackend.h"
#include "platform/linux/KXdgAutostart.h"
#include "platform/sim/KSimInputInjector.h"
#include "simulation/KDeviceSimulator.h"
#include "simulation/KInputSimulation.h"
#include "simulation/KMouseSimulator.h"
#include "simulation/KWinSimulator.h"

#include <QCoreApplication>
#include <QSet>
#include <QtTest>

#include <linux/input-event-codes.h>

#include <memory>

using Steps = std::vector<KMouseStep>;
Q_DECLARE_METATYPE(Steps)

class TestLinuxActions : public QObject {
    Q_OBJECT
private:
    TestEnv m_env;

private slots:
    void initTestCase() {
        m_env.apply();
        QCoreApplication::setApplicationName("Pointora");
    }

    // Every key the dispatch and the replay send has a Linux key and an X keysym. The keys are
    // collected by running the dispatch against a recorder, so a new row cannot be forgotten.
    void keyTableCoversTheDispatch() {
        KSimInputInjector recorder(nullptr);
        KInputInjector* previous = replaceInputInjector(&recorder);
        KConfigCommon store(m_env.path("config/keys"));
        KDeviceSimulator simulator(&store, nullptr, nullptr);
        const QList<int> keystrokeValues = {1,  2,  3,  4,  5,  6,  7,  8,  10, 11, 12, 15,
                                            16, 26, 40, 42, 43, 44, 46, 47, 50, 51, 52, 53};
        for (int value : keystrokeValues)
            simulator.dispatch(value, QString());
        replaceInputInjector(previous);
        QSet<quint8> keys;
        for (const KSimInputInjector::Event& e : recorder.takeHistory())
            keys.insert(quint8(e.code));
        QVERIFY(keys.size() >= 20);
        for (quint8 vk : keys) {
            QVERIFY2(KLinuxKeyMap::linuxKey(vk) != 0, qPrintable(QString::number(vk, 16)));
            QVERIFY2(KLinuxKeyMap::keysym(vk) != 0, qPrintable(QString::number(vk, 16)));
        }
    }

    void keyTable_data() {
        QTest::addColumn<int>("vk");
        QTest::addColumn<int>("linuxKey");
        QTest::newRow("Windows") << 0x5B << KEY_LEFTMETA;
        QTest::newRow("Apps") << 0x5D << KEY_COMPOSE;
        QTest::newRow("left Alt") << 0xA4 << KEY_LEFTALT;
        QTest::newRow("Alt") << 0x12 << KEY_LEFTALT;
        QTest::newRow("left Control") << 0xA2 << KEY_LEFTCTRL;
        QTest::newRow("left Shift") << 0xA0 << KEY_LEFTSHIFT;
        QTest::newRow("Tab") << 0x09 << KEY_TAB;
        QTest::newRow("F4") << 0x73 << KEY_F4;
        QTest::newRow("F13") << 0x7C << KEY_F13;
        QTest::newRow("OEM plus") << 0xBB << KEY_EQUAL;
        QTest::newRow("OEM minus") << 0xBD << KEY_MINUS;
        QTest::newRow("play/pause") << 0xB3 << KEY_PLAYPAUSE;
        QTest::newRow("stop") << 0xB2 << KEY_STOPCD;
        QTest::newRow("mute") << 0xAD << KEY_MUTE;
        QTest::newRow("volume down") << 0xAE << KEY_VOLUMEDOWN;
        QTest::newRow("volume up") << 0xAF << KEY_VOLUMEUP;
        QTest::newRow("A") << 0x41 << KEY_A;
        QTest::newRow("D") << 0x44 << KEY_D;
        QTest::newRow("Q") << 0x51 << KEY_Q;
        QTest::newRow("Z") << 0x5A << KEY_Z;
        QTest::newRow("0") << 0x30 << KEY_0;
        QTest::newRow("9") << 0x39 << KEY_9;
        QTest::newRow("no key 0xFF") << 0xFF << 0;
    }
    void keyTable() {
        QFETCH(int, vk);
        QFETCH(int, linuxKey);
        QCOMPARE(int(KLinuxKeyMap::linuxKey(quint8(vk))), linuxKey);
    }

    void keyTableHasEachKeyOnce() {
        QSet<int> seen;
        for (const KVirtualKeyMapping& m : KLinuxKeyMap::table()) {
            QVERIFY2(!seen.contains(m.vk), qPrintable(QString::number(m.vk, 16)));
            seen.insert(m.vk);
            QVERIFY(m.linuxKey != 0 && m.keysym != 0);
        }
    }

    void mouseSteps_data() {
        QTest::addColumn<quint32>("flags");
        QTest::addColumn<qint32>("data");
        QTest::addColumn<Steps>("expected");
        using S = KMouseStep;
        QTest::newRow("left click: down then up")
            << quint32(0x6) << 0 << Steps{{S::Press, S::Left, 0}, {S::Release, S::Left, 0}};
        QTest::newRow("right click")
            << quint32(0x18) << 0 << Steps{{S::Press, S::Right, 0}, {S::Release, S::Right, 0}};
        QTest::newRow("middle click")
            << quint32(0x60) << 0 << Steps{{S::Press, S::Middle, 0}, {S::Release, S::Middle, 0}};
        QTest::newRow("forward (XBUTTON2)")
            << quint32(0x180) << 2 << Steps{{S::Press, S::Forward, 0}, {S::Release, S::Forward, 0}};
        QTest::newRow("back (XBUTTON1)")
            << quint32(0x180) << 1 << Steps{{S::Press, S::Back, 0}, {S::Release, S::Back, 0}};
        QTest::newRow("wheel up") << quint32(0x800) << 120 << Steps{{S::Wheel, S::Left, 120}};
        QTest::newRow("wheel down") << quint32(0x800) << -120 << Steps{{S::Wheel, S::Left, -120}};
        QTest::newRow("horizontal left")
            << quint32(0x1000) << -120 << Steps{{S::HorizontalWheel, S::Left, -120}};
        QTest::newRow("zero wheel: nothing") << quint32(0x800) << 0 << Steps{};
        QTest::newRow("press only") << quint32(0x2) << 0 << Steps{{S::Press, S::Left, 0}};
        QTest::newRow("movement flag alone: nothing") << quint32(0x1) << 0 << Steps{};
        QTest::newRow("left and right: left first") << quint32(0x1E) << 0
                                                    << Steps{{S::Press, S::Left, 0},
                                                             {S::Release, S::Left, 0},
                                                             {S::Press, S::Right, 0},
                                                             {S::Release, S::Right, 0}};
    }
    void mouseSteps() {
        QFETCH(quint32, flags);
        QFETCH(qint32, data);
        QFETCH(Steps, expected);
        QVERIFY(::mouseSteps(flags, data) == expected);
    }

    void wheelNotches_data() {
        QTest::addColumn<int>("delta");
        QTest::addColumn<int>("notches");
        QTest::newRow("one up") << 120 << 1;
        QTest::newRow("one down") << -120 << -1;
        QTest::newRow("three") << 360 << 3;
        QTest::newRow("fine delta still moves") << 30 << 1;
        QTest::newRow("fine delta down") << -1 << -1;
        QTest::newRow("zero") << 0 << 0;
    }
    void wheelNotches() {
        QFETCH(int, delta);
        QFETCH(int, notches);
        QCOMPARE(::wheelNotches(delta), notches);
    }

    // No uinput node and no X server: the injector says so and swallows events.
    void injectorWithNothingReachable() {
        KLinuxInputInjector::Options options;
        options.uinputPath = m_env.path("no-such-uinput");
        options.displayName = QStringLiteral(":65000");
        QTest::ignoreMessage(QtWarningMsg, QRegularExpression("input injection unavailable.*"));
        KLinuxInputInjector injector(options);
        QCOMPARE(injector.method(), QStringLiteral("none"));
        injector.sendKey(0x41, false, 9591);
        injector.sendMouse(0x6, 0, 9591);
    }

    // A node that is not the uinput device: creation fails cleanly with the reason.
    void uinputOnOrdinaryFile() {
        QFile file(m_env.path("not-uinput"));
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.close();
        QString error;
        QVERIFY(!KUinputInjector::create(file.fileName(), &error));
        QVERIFY2(error.contains("not-uinput"), qPrintable(error));
        QVERIFY(!KUinputInjector::create(m_env.path("missing"), &error));
        QVERIFY2(error.contains("No such file"), qPrintable(error));
    }

    void virtualDeviceIdentity_data() {
        QTest::addColumn<QString>("name");
        QTest::addColumn<int>("bus");
        QTest::addColumn<int>("vendor");
        QTest::addColumn<bool>("own");
        QTest::newRow("injector keyboard")
            << KVirtualDeviceIdentity::deviceName("keyboard") << 0x06 << 0x2577 << true;
        QTest::newRow("other vendor") << "Pointora virtual pointer" << 0x06 << 0x24AE << false;
        QTest::newRow("USB bus") << "Pointora virtual pointer" << 0x03 << 0x2577 << false;
        QTest::newRow("other name") << "Virtual keyboard" << 0x06 << 0x2577 << false;
    }
    void virtualDeviceIdentity() {
        QFETCH(QString, name);
        QFETCH(int, bus);
        QFETCH(int, vendor);
        QFETCH(bool, own);
        QCOMPARE(KVirtualDeviceIdentity::isOwnDevice(name, quint16(bus), quint16(vendor)), own);
    }

    void execQuoting_data() {
        QTest::addColumn<QString>("program");
        QTest::newRow("plain") << "/usr/bin/Pointora";
        QTest::newRow("spaces") << "/home/u/My Apps/Pointora";
        QTest::newRow("quote, backtick, dollar") << "/opt/a\"b`c$d/Pointora";
        QTest::newRow("backslash") << "/opt/a\\b/Pointora";
        QTest::newRow("percent") << "/opt/100%/Pointora";
        QTest::newRow("non-ASCII") << "/home/用户/Pointora";
    }
    void execQuoting() {
        QFETCH(QString, program);
        const QString value = KXdgAutostart::execValueFor(program);
        QVERIFY(!value.contains('\n'));
        QCOMPARE(KXdgAutostart::programFromExecValue(value), program);
    }

    void execValuesWrittenByOthers_data() {
        QTest::addColumn<QString>("value");
        QTest::addColumn<QString>("program");
        QTest::newRow("unquoted with arguments") << "/usr/bin/pointora --tray %U"
                                                 << "/usr/bin/pointora";
        QTest::newRow("quoted with arguments") << "\"/opt/My App/run\" -x"
                                               << "/opt/My App/run";
        QTest::newRow("string escape inside quotes") << "\"/opt/My\\sApp\" -x"
                                                     << "/opt/My App";
        QTest::newRow("string escape unquoted separates") << "/opt/My\\sApp"
                                                          << "/opt/My";
        QTest::newRow("unterminated quote") << "\"/opt/x"
                                            << "";
        QTest::newRow("empty") << ""
                               << "";
    }
    void execValuesWrittenByOthers() {
        QFETCH(QString, value);
        QFETCH(QString, program);
        QCOMPARE(KXdgAutostart::programFromExecValue(value), program);
    }

    // The autorun switch through the Linux session backend, in a private home.
    void autorunRoundTrip() {
        KLinuxSessionBackend session;
        KWinSimulator win(nullptr, nullptr, &session);
        const QString entry = m_env.path("config/autostart/Pointora.desktop");
        QCOMPARE(KXdgAutostart::userEntryPath("Pointora"), entry);
        QVERIFY(!win.isAutoRun());
        QVERIFY(win.setAutoRun(true));
        QVERIFY(QFile::exists(entry));
        QVERIFY(win.isAutoRun());
        QCOMPARE(session.autorunEntry("Pointora"), QCoreApplication::applicationFilePath());
        QFile file(entry);
        QVERIFY(file.open(QIODevice::ReadOnly));
        const QString text = QString::fromUtf8(file.readAll());
        QVERIFY(text.startsWith("[Desktop Entry]\n"));
        QVERIFY(text.contains("\nType=Application\n"));
        QVERIFY(text.contains("\nName=Pointora\n"));
        file.close();
        QVERIFY(win.setAutoRun(false));
        QVERIFY(!QFile::exists(entry));
        QVERIFY(!win.isAutoRun());
    }

    void autorunEntryStates_data() {
        QTest::addColumn<QString>("contents");
        QTest::addColumn<bool>("on");
        QTest::newRow("plain") << "[Desktop Entry]\nType=Application\nExec=/x/Pointora\n" << true;
        QTest::newRow("Hidden=true") << "[Desktop Entry]\nExec=/x/Pointora\nHidden=true\n" << false;
        QTest::newRow("Hidden=false") << "[Desktop Entry]\nExec=/x/Pointora\nHidden=false\n"
                                      << true;
        QTest::newRow("disabled in GNOME")
            << "[Desktop Entry]\nExec=/x/Pointora\nX-GNOME-Autostart-enabled=false\n"
            << false;
        QTest::newRow("Hidden in another group")
            << "[Desktop Entry]\nExec=/x/Pointora\n[Desktop Action a]\nHidden=true\n"
            << true;
        QTest::newRow("no Exec still starts something") << "[Desktop Entry]\nType=Application\n"
                                                        << true;
    }
    void autorunEntryStates() {
        QFETCH(QString, contents);
        QFETCH(bool, on);
        const QString entry = KXdgAutostart::userEntryPath("Pointora");
        QDir().mkpath(QFileInfo(entry).absolutePath());
        QFile file(entry);
        QVERIFY(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
        file.write(contents.toUtf8());
        file.close();
        QCOMPARE(!KXdgAutostart::entryProgram("Pointora").isEmpty(), on);
        QFile::remove(entry);
    }

    // An entry installed for all users is turned off for this user by a hidden entry of his own.
    void autorunOverSystemEntry() {
        const QString systemDir = m_env.path("xdg-system");
        QDir().mkpath(systemDir + "/autostart");
        QFile system(systemDir + "/autostart/Pointora.desktop");
        QVERIFY(system.open(QIODevice::WriteOnly));
        system.write("[Desktop Entry]\nType=Application\nExec=/usr/bin/Pointora\n");
        system.close();
        const QByteArray previous = qgetenv("XDG_CONFIG_DIRS");
        qputenv("XDG_CONFIG_DIRS", systemDir.toUtf8());
        QCOMPARE(KXdgAutostart::entryProgram("Pointora"), QString("/usr/bin/Pointora"));
        QVERIFY(KXdgAutostart::removeEntry("Pointora"));
        QVERIFY(KXdgAutostart::entryProgram("Pointora").isEmpty());
        QVERIFY(QFile::exists(KXdgAutostart::userEntryPath("Pointora")));
        QVERIFY(KXdgAutostart::writeEntry("Pointora", "/home/u/Pointora"));
        QCOMPARE(KXdgAutostart::entryProgram("Pointora"), QString("/home/u/Pointora"));
        QVERIFY(KXdgAutostart::removeEntry("Pointora"));
        QVERIFY(KXdgAutostart::entryProgram("Pointora").isEmpty());
        qputenv("XDG_CONFIG_DIRS", previous);
        QFile::remove(KXdgAutostart::userEntryPath("Pointora"));
    }

    void isProgram_data() {
        QTest::addColumn<QByteArray>("contents");
        QTest::addColumn<bool>("executable");
        QTest::addColumn<bool>("program");
        QTest::newRow("ELF binary") << QByteArray(
                                           "\x7f"
                                           "ELF\x02\x01",
                                           6)
                                    << true << true;
        QTest::newRow("script") << QByteArray("#!/bin/sh\necho\n") << true << true;
        QTest::newRow("document marked executable") << QByteArray("%PDF-1.7") << true << false;
        QTest::newRow("script not executable") << QByteArray("#!/bin/sh\n") << false << false;
        QTest::newRow("empty executable") << QByteArray() << true << false;
    }
    void isProgram() {
        QFETCH(QByteArray, contents);
        QFETCH(bool, executable);
        QFETCH(bool, program);
        const QString path = m_env.path("candidate");
        QFile file(path);
        QVERIFY(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
        file.write(contents);
        file.close();
        QFile::Permissions permissions = QFile::ReadOwner | QFile::WriteOwner;
        if (executable)
            permissions |= QFile::ExeOwner;
        QVERIFY(QFile::setPermissions(path, permissions));
        QCOMPARE(KLinuxSessionBackend::isProgram(path), program);
        QVERIFY(!KLinuxSessionBackend::isProgram(m_env.path()));  // a directory is not one
    }

    void gammaScaling_data() {
        QTest::addColumn<int>("value");
        QTest::addColumn<int>("size");
        for (int size : {256, 1024, 2048, 16, 2})
            QTest::addRow("identity to %d", size) << 128 << size;
        QTest::newRow("saturating ramp to 1024") << 255 << 1024;
        QTest::newRow("dark ramp to 4096") << 4 << 4096;
    }
    void gammaScaling() {
        QFETCH(int, value);
        QFETCH(int, size);
        const KWinSimulator::GammaRamp ramp = KWinSimulator::gammaRamp(value);
        const std::vector<quint16> scaled = KX11DesktopBackend::scaleGammaRamp(ramp, size);
        QCOMPARE(int(scaled.size()), size);
        QCOMPARE(scaled.front(), ramp.front());
        QCOMPARE(scaled.back(), ramp.back());
        for (int j = 1; j < size; ++j)
            QVERIFY(scaled[j] >= scaled[j - 1]);
        if (size == 256)
            QVERIFY(std::equal(scaled.begin(), scaled.end(), ramp.begin()));
        // Each entry lies at its relative position on the original curve.
        const int mid = size / 2;
        const double pos = double(mid) * 255 / (size - 1);
        QVERIFY(scaled[mid] >= ramp[int(pos)] && scaled[mid] <= ramp[std::min(255, int(pos) + 1)]);
    }

    void gammaScalingDegenerate() {
        const KWinSimulator::GammaRamp ramp = KWinSimulator::gammaRamp(128);
        QVERIFY(KX11DesktopBackend::scaleGammaRamp(ramp, 0).empty());
        QCOMPARE(KX11DesktopBackend::scaleGammaRamp(ramp, 1).size(), size_t(1));
    }

    void speedScale_data() {
        QTest::addColumn<int>("speed");
        QTest::addColumn<double>("accel");
        QTest::newRow("1 slowest") << 1 << -1.0;
        QTest::newRow("4") << 4 << -6.0 / 9;
        QTest::newRow("10 default") << 10 << 0.0;
        QTest::newRow("15") << 15 << 0.5;
        QTest::newRow("20 fastest") << 20 << 1.0;
    }
    void speedScale() {
        QFETCH(int, speed);
        QFETCH(double, accel);
        QVERIFY(qAbs(KX11DesktopBackend::accelFromSpeed(speed) - accel) < 1e-9);
        QCOMPARE(KX11DesktopBackend::speedFromAccel(accel), speed);
    }

    void speedScaleRoundTrip() {
        for (int speed = 1; speed <= 20; ++speed) {
            // The property is a 32-bit float.
            const float stored = float(KX11DesktopBackend::accelFromSpeed(speed));
            QCOMPARE(KX11DesktopBackend::speedFromAccel(stored), speed);
        }
    }

    void speedFromForeignAccel_data() {
        QTest::addColumn<double>("accel");
        QTest::addColumn<int>("speed");
        QTest::newRow("-0.3 rounds to 7") << -0.3 << 7;
        QTest::newRow("0.04 rounds to 10") << 0.04 << 10;
        QTest::newRow("0.06 rounds to 11") << 0.06 << 11;
        QTest::newRow("beyond 1 clamps") << 2.5 << 20;
        QTest::newRow("beyond -1 clamps") << -7.0 << 1;
        QTest::newRow("not a number") << qQNaN() << 10;
    }
    void speedFromForeignAccel() {
        QFETCH(double, accel);
        QFETCH(int, speed);
        QCOMPARE(KX11DesktopBackend::speedFromAccel(accel), speed);
    }
};

QTEST_GUILESS_MAIN(TestLinuxActions)
#include "tst_linuxactions.moc"
