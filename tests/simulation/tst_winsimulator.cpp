#include "SimLogReader.h"
#include "common/TestEnv.h"
#include "config/KConfigCommon.h"
#include "platform/KPlatform.h"
#include "platform/sim/KSimController.h"
#include "platform/sim/KSimDesktopBackend.h"
#include "simulation/KMouseSensitivity.h"
#include "simulation/KWinSimulator.h"

#include <QCoreApplication>
#include <QSignalSpy>
#include <QtTest>

#include <memory>

using Window = KSimDesktopBackend::Window;

class TestWinSimulator : public QObject {
    Q_OBJECT
private:
    TestEnv m_env;
    std::unique_ptr<SimLogReader> m_log;
    std::unique_ptr<KConfigCommon> m_store;
    std::unique_ptr<KWinSimulator> m_win;
    KSimDesktopBackend* m_desktop = nullptr;
    KSimController* m_controller = nullptr;

    QStringList kinds(const QList<QJsonObject>& lines) {
        QStringList names;
        for (const QJsonObject& line : lines)
            names << line.value("kind").toString() + ":" +
                         (line.contains("action") ? line.value("action").toString()
                                                  : QString::number(line.value("data").toInt()));
        return names;
    }

private slots:
    void initTestCase() {
        m_env.apply();
        QCoreApplication::setApplicationName("Pointora");
        qputenv("POINTORA_SIM_LOG", m_env.path("sim.log").toUtf8());
        KPlatform* platform = KPlatform::instance();
        m_controller = platform->simController();
        m_desktop = static_cast<KSimDesktopBackend*>(platform->desktopBackend());
        m_log = std::make_unique<SimLogReader>(m_env.path("sim.log"));
        m_store = std::make_unique<KConfigCommon>(m_env.path("config/Pointora/config"));
        m_win = std::make_unique<KWinSimulator>(m_store.get(), platform->desktopBackend(),
                                                platform->sessionBackend());
    }
    void init() {
        m_desktop->removeAllWindows();
        m_desktop->setGammaSupported(true);
        m_desktop->setPointerSpeedAvailable(true);
        m_desktop->setWindowControl(KDesktopBackend::WindowControl::PerWindow);
        m_desktop->setPointerSpeedMode(KSimDesktopBackend::SpeedAvailable);
        m_log->takeNew();
    }

    void gammaRamp_data() {
        QTest::addColumn<int>("value");
        QTest::addColumn<int>("slope");
        QTest::addColumn<int>("clippedFrom");  // first entry at 65535, 256 when none
        QTest::newRow("128 is the identity") << 128 << 256 << 256;
        QTest::newRow("255 saturates from 172") << 255 << 383 << 172;
        QTest::newRow("0 halves") << 0 << 128 << 256;
        QTest::newRow("4, the lowest step") << 4 << 132 << 256;
        QTest::newRow("negative taken as unsigned 16 bits") << -1 << 65535 + 128 << 1;
    }
    void gammaRamp() {
        QFETCH(int, value);
        QFETCH(int, slope);
        QFETCH(int, clippedFrom);
        const KWinSimulator::GammaRamp ramp = KWinSimulator::gammaRamp(value);
        for (int i = 0; i < 256; ++i) {
            const int expected = i >= clippedFrom ? 65535 : i * slope;
            QVERIFY2(ramp[i] == expected, qPrintable(QString("entry %1: %2").arg(i).arg(ramp[i])));
        }
    }

    void brightnessSteps_data() {
        QTest::addColumn<int>("start");
        QTest::addColumn<bool>("up");
        QTest::addColumn<int>("stored");
        QTest::addColumn<int>("slope");  // -1: nothing applied
        QTest::newRow("up from 250") << 250 << true << 254 << 382;
        QTest::newRow("up from 251: top reached") << 251 << true << 251 << -1;
        QTest::newRow("up from 128") << 128 << true << 132 << 260;
        QTest::newRow("down from 5") << 5 << false << 1 << 129;
        QTest::newRow("down from 4: bottom reached") << 4 << false << 4 << -1;
        QTest::newRow("down from 0") << 0 << false << 0 << -1;
    }
    void brightnessSteps() {
        QFETCH(int, start);
        QFETCH(bool, up);
        QFETCH(int, stored);
        QFETCH(int, slope);
        m_store->setBrightness(start);
        QVERIFY(up ? m_win->increaseBrightness() : m_win->decreaseBrightness());
        QCOMPARE(m_store->getBrightness(), stored);
        const QList<QJsonObject> lines = m_log->takeNew();
        if (slope < 0) {
            QVERIFY(lines.isEmpty());
        } else {
            QCOMPARE(lines.size(), 1);
            QCOMPARE(lines.first().value("slope").toInt(), slope);
            QCOMPARE(m_controller->state().value("brightnessSlope").toInt(), slope);
        }
    }

    void brightnessLimits() {
        m_store->setBrightness(128);
        for (int i = 0; i < 100; ++i)
            m_win->increaseBrightness();
        QCOMPARE(m_store->getBrightness(), 252);
        for (int i = 0; i < 100; ++i)
            m_win->decreaseBrightness();
        QCOMPARE(m_store->getBrightness(), 4);
        QCOMPARE(m_desktop->lastGammaRamp()[1], quint16(132));
    }

    // A session that lets no program set the gamma: nothing changes on screen, so the stored
    // value stays, and the user is told why, once per press, with the function's key value.
    void brightnessWithoutGamma_data() {
        QTest::addColumn<bool>("up");
        QTest::addColumn<int>("keyValue");
        QTest::newRow("increase") << true << 13;
        QTest::newRow("decrease") << false << 14;
    }
    void brightnessWithoutGamma() {
        QFETCH(bool, up);
        QFETCH(int, keyValue);
        QVERIFY(m_controller->execute("gamma unavailable").ok);
        QCOMPARE(m_controller->state().value("gammaAvailable").toBool(), false);
        QSignalSpy unavailable(m_win.get(), &KWinSimulator::functionUnavailable);
        m_store->setBrightness(128);
        for (int press = 0; press < 3; ++press)
            QVERIFY(!(up ? m_win->increaseBrightness() : m_win->decreaseBrightness()));
        QCOMPARE(m_store->getBrightness(), 128);
        QCOMPARE(unavailable.size(), 3);
        QCOMPARE(unavailable.first().at(0).toInt(), keyValue);
        QCOMPARE(unavailable.first().at(1).toString(), KWinSimulator::brightnessUnavailableTip());
        QVERIFY(!KWinSimulator::brightnessUnavailableTip().isEmpty());
        const QList<QJsonObject> lines = m_log->takeNew();
        QCOMPARE(lines.size(), 3);
        QCOMPARE(lines.first().value("kind").toString(), QString("gamma-unavailable"));
        QCOMPARE(lines.first().value("slope").toInt(), up ? 260 : 252);

        // The session gains gamma: the next press applies and stores, no tip.
        QVERIFY(m_controller->execute("gamma available").ok);
        QVERIFY(up ? m_win->increaseBrightness() : m_win->decreaseBrightness());
        QCOMPARE(m_store->getBrightness(), up ? 132 : 124);
        QCOMPARE(unavailable.size(), 3);
    }

    void gammaCommandUsage() {
        QVERIFY(!m_controller->execute("gamma").ok);
        QVERIFY(!m_controller->execute("gamma maybe").ok);
        QVERIFY(!m_controller->execute("gamma available now").ok);
    }

    // At the end of the range nothing is applied and nothing is said, with or without gamma.
    void brightnessAtTheLimitsSaysNothing() {
        m_desktop->setGammaSupported(false);
        QSignalSpy unavailable(m_win.get(), &KWinSimulator::functionUnavailable);
        m_store->setBrightness(252);
        QVERIFY(m_win->increaseBrightness());
        m_store->setBrightness(4);
        QVERIFY(m_win->decreaseBrightness());
        QCOMPARE(unavailable.size(), 0);
        QVERIFY(m_log->takeNew().isEmpty());
    }

    // The display's own ramp goes back when asked (the program's quit does this), once.
    void gammaRestore() {
        m_store->setBrightness(128);
        QVERIFY(m_win->increaseBrightness());
        m_log->takeNew();
        m_desktop->restoreGamma();
        QCOMPARE(m_controller->state().value("brightnessSlope").toInt(), 256);
        QCOMPARE(m_desktop->lastGammaRamp()[255], quint16(255 * 256));
        m_desktop->restoreGamma();
        const QList<QJsonObject> lines = m_log->takeNew();
        QCOMPARE(lines.size(), 1);
        QCOMPARE(lines.first().value("kind").toString(), QString("gamma-restore"));
    }

    void foregroundWindow_data() {
        QTest::addColumn<QString>("title");
        QTest::addColumn<int>("state");
        QTest::addColumn<int>("command");
        QTest::addColumn<int>("expectedState");
        const int normal = Window::Normal, maximized = Window::Maximized,
                  minimized = Window::Minimized;
        QTest::newRow("maximize an editor") << "notes - Editor" << normal << 3 << maximized;
        QTest::newRow("maximize: own window stays") << "Pointora" << normal << 3 << normal;
        QTest::newRow("maximize: title containing the name")
            << "About Pointora 1.0" << normal << 3 << normal;
        QTest::newRow("maximize: the name compared case-sensitively")
            << "pointora notes" << normal << 3 << maximized;
        QTest::newRow("maximize: already maximized") << "Editor" << maximized << 3 << maximized;
        QTest::newRow("minimize an editor") << "Editor" << normal << 6 << minimized;
        QTest::newRow("minimize: also the own window") << "Pointora" << normal << 6 << minimized;
        QTest::newRow("minimize a maximized one") << "Editor" << maximized << 6 << minimized;
        QTest::newRow("other command") << "Editor" << normal << 5 << normal;
    }
    void foregroundWindow() {
        QFETCH(QString, title);
        QFETCH(int, state);
        QFETCH(int, command);
        QFETCH(int, expectedState);
        Window w;
        w.id = 7;
        w.title = title;
        w.rect = QRect(0, 0, 800, 600);
        w.state = Window::State(state);
        m_desktop->putWindow(w);
        m_desktop->setForeground(7);
        m_win->showForegroundWindow(command);
        QCOMPARE(int(m_desktop->window(7).state), expectedState);
        const QList<QJsonObject> lines = m_log->takeNew();
        QCOMPARE(lines.size(), expectedState == state ? 0 : 1);
    }

    // A desktop that acts on its own active window (KWin's script) keeps the same rules.
    void foregroundWindowByTheDesktop_data() { foregroundWindow_data(); }
    void foregroundWindowByTheDesktop() {
        m_desktop->setWindowControl(KDesktopBackend::WindowControl::ActiveWindow);
        QSignalSpy tips(m_win.get(), &KWinSimulator::functionUnavailable);
        foregroundWindow();
        QVERIFY(tips.isEmpty());
    }

    // A desktop without any way: a tip per use, nothing done, nothing for other commands.
    void foregroundWindowUnavailable() {
        m_desktop->setWindowControl(KDesktopBackend::WindowControl::Unavailable);
        Window w;
        w.id = 7;
        w.title = "Editor";
        m_desktop->putWindow(w);
        m_desktop->setForeground(7);
        QSignalSpy tips(m_win.get(), &KWinSimulator::functionUnavailable);
        m_win->showForegroundWindow(3);
        m_win->showForegroundWindow(6);
        m_win->showForegroundWindow(5);
        QCOMPARE(tips.size(), 2);
        QCOMPARE(tips.at(0).at(0).toInt(), 48);
        QCOMPARE(tips.at(1).at(0).toInt(), 49);
        QVERIFY(tips.at(0).at(1).toString() != tips.at(1).at(1).toString());
        QCOMPARE(m_win->functionNotice(), tips.at(1).at(1).toString());
        QCOMPARE(int(m_desktop->window(7).state), int(Window::Normal));
        QVERIFY(m_log->takeNew().isEmpty());
        m_win->dismissFunctionNotice();
        QVERIFY(m_win->functionNotice().isEmpty());
    }

    void desktopCommands_data() {
        QTest::addColumn<QString>("command");
        QTest::addColumn<QString>("reply");
        QTest::addColumn<QString>("windows");
        QTest::addColumn<QString>("speed");
        QTest::newRow("wayland") << "desktop wayland"
                                 << "ok"
                                 << "unavailable"
                                 << "unavailable";
        QTest::newRow("x11") << "desktop x11"
                             << "ok"
                             << "per-window"
                             << "available";
        QTest::newRow("active window") << "windows active-window"
                                       << "ok"
                                       << "active-window"
                                       << "available";
        QTest::newRow("windows unavailable") << "windows unavailable"
                                             << "ok"
                                             << "unavailable"
                                             << "available";
        QTest::newRow("speed refused") << "pointer-speed refused"
                                       << "ok"
                                       << "per-window"
                                       << "refused";
        QTest::newRow("speed unavailable") << "pointer-speed unavailable"
                                           << "ok"
                                           << "per-window"
                                           << "unavailable";
        QTest::newRow("bad desktop") << "desktop mir"
                                     << "error: usage: desktop x11|wayland"
                                     << "per-window"
                                     << "available";
        QTest::newRow("bad windows") << "windows"
                                     << "error: usage: windows "
                                        "per-window|active-window|unavailable"
                                     << "per-window"
                                     << "available";
    }
    void desktopCommands() {
        QFETCH(QString, command);
        QFETCH(QString, reply);
        QCOMPARE(m_controller->execute(command).line(), reply);
        const QJsonObject desktop = m_controller->state().value("desktop").toObject();
        QTEST(desktop.value("windows").toString(), "windows");
        QTEST(desktop.value("pointerSpeed").toString(), "speed");
    }

    void noForegroundWindow() {
        m_win->showForegroundWindow(3);
        m_win->showForegroundWindow(6);
        QVERIFY(m_log->takeNew().isEmpty());
    }

    // A spreadsheet grid with a scroll bar below it; the cursor lies in the grid.
    void spreadsheetScroll_data() {
        QTest::addColumn<QString>("gridClass");
        QTest::addColumn<QString>("barClass");
        QTest::addColumn<QRect>("barRect");
        QTest::addColumn<int>("direction");
        QTest::addColumn<QStringList>("expected");
        const QRect inside(100, 580, 600, 20);
        QTest::newRow("not a spreadsheet: wheel only")
            << "Edit"
            << "ScrollBar" << inside << 1 << QStringList{"mouse:-120"};
        QTest::newRow("class compared case-sensitively")
            << "excel7"
            << "ScrollBar" << inside << 1 << QStringList{"mouse:-120"};
        QTest::newRow("left: line step, then wheel")
            << "EXCEL7"
            << "ScrollBar" << inside << 1 << QStringList{"window:hscroll", "mouse:-120"};
        QTest::newRow("right: line step, then wheel")
            << "EXCEL7"
            << "NUIScrollbar" << inside << 2 << QStringList{"window:hscroll", "mouse:120"};
        QTest::newRow("bar within the 25 pixel slack")
            << "EXCEL7"
            << "ScrollBar" << QRect(75, 580, 650, 20) << 1
            << QStringList{"window:hscroll", "mouse:-120"};
        QTest::newRow("bar beyond the slack on the left")
            << "EXCEL7"
            << "ScrollBar" << QRect(74, 580, 600, 20) << 1 << QStringList{"mouse:-120"};
        QTest::newRow("bar beyond the slack on the right")
            << "EXCEL7"
            << "ScrollBar" << QRect(100, 580, 626, 20) << 1 << QStringList{"mouse:-120"};
        QTest::newRow("no scroll bar class") << "EXCEL7"
                                             << "Static" << inside << 2 << QStringList{"mouse:120"};
        QTest::newRow("other direction: nothing") << "EXCEL7"
                                                  << "ScrollBar" << inside << 3 << QStringList{};
    }
    void spreadsheetScroll() {
        QFETCH(QString, gridClass);
        QFETCH(QString, barClass);
        QFETCH(QRect, barRect);
        QFETCH(int, direction);
        QFETCH(QStringList, expected);
        Window grid;
        grid.id = 10;
        grid.className = gridClass;
        grid.rect = QRect(100, 100, 600, 500);
        Window bar;
        bar.id = 11;
        bar.parent = 10;
        bar.className = barClass;
        bar.rect = barRect;
        m_desktop->putWindow(grid);
        m_desktop->putWindow(bar);
        m_desktop->setCursorPos(QPoint(300, 300));
        m_win->scrollHorizontal(direction);
        const QList<QJsonObject> lines = m_log->takeNew();
        QCOMPARE(kinds(lines), expected);
        if (expected.value(0) == "window:hscroll") {
            QCOMPARE(lines.first().value("window").toInt(), 10);
            QCOMPARE(lines.first().value("scrollBar").toInt(), 11);
            QCOMPARE(lines.first().value("direction").toString(),
                     QString(direction == 1 ? "left" : "right"));
        }
    }

    // The area is the grid's child at the cursor (which may be a hidden child that the window
    // look-up skipped): only a bar fitting that child counts, the first one in system order.
    void spreadsheetScrollUsesChildAtCursor() {
        Window grid;
        grid.id = 20;
        grid.className = "EXCEL7";
        grid.rect = QRect(0, 0, 1000, 800);
        Window pane;
        pane.id = 21;
        pane.parent = 20;
        pane.className = "Pane";
        pane.rect = QRect(0, 0, 300, 800);
        pane.state = Window::Minimized;  // not visible: the pointer look-up passes through it
        Window wideBar;
        wideBar.id = 22;
        wideBar.parent = 20;
        wideBar.className = "ScrollBar";
        wideBar.rect = QRect(0, 780, 1000, 20);
        Window paneBar = wideBar;
        paneBar.id = 23;
        paneBar.rect = QRect(0, 780, 310, 20);
        Window secondPaneBar = paneBar;
        secondPaneBar.id = 24;
        for (const Window& w : {grid, pane, wideBar, paneBar, secondPaneBar})
            m_desktop->putWindow(w);
        m_desktop->setCursorPos(QPoint(100, 100));
        QCOMPARE(m_desktop->windowFromPoint(QPoint(100, 100)), KWindowId(20));
        m_win->scrollHorizontal(1);
        const QList<QJsonObject> lines = m_log->takeNew();
        QCOMPARE(kinds(lines), (QStringList{"window:hscroll", "mouse:-120"}));
        QCOMPARE(lines.first().value("scrollBar").toInt(), 23);
    }

    void windowCommands_data() {
        QTest::addColumn<QString>("line");
        QTest::addColumn<bool>("ok");
        QTest::newRow("full") << "window 5 class=EXCEL7 parent=0 rect=10,20,300,200 "
                                 "state=maximized title=Book 1 - Sheet"
                              << true;
        QTest::newRow("hex id") << "window 0x10 title=x" << true;
        QTest::newRow("no id") << "window" << false;
        QTest::newRow("id 0") << "window 0 title=x" << false;
        QTest::newRow("bad rect") << "window 5 rect=1,2,3" << false;
        QTest::newRow("bad state") << "window 5 state=huge" << false;
        QTest::newRow("unknown field") << "window 5 colour=red" << false;
        QTest::newRow("word without =") << "window 5 maximized" << false;
        QTest::newRow("foreground unknown window") << "foreground 99" << false;
        QTest::newRow("foreground none") << "foreground 0" << true;
        QTest::newRow("cursor") << "cursor 15 -3" << true;
        QTest::newRow("cursor missing y") << "cursor 15" << false;
    }
    void windowCommands() {
        QFETCH(QString, line);
        QFETCH(bool, ok);
        QCOMPARE(m_controller->execute(line).ok, ok);
    }

    void windowCommandsDriveTheDesktop() {
        QVERIFY(m_controller->execute("window 5 class=EXCEL7 rect=10,20,300,200 title=Book 1").ok);
        QVERIFY(m_controller->execute("window 6 parent=5 class=ScrollBar rect=10,200,300,20").ok);
        QVERIFY(m_controller->execute("foreground 5").ok);
        QVERIFY(m_controller->execute("cursor 50 50").ok);
        const QJsonObject foreground = m_controller->state().value("foreground").toObject();
        QCOMPARE(foreground.value("title").toString(), QString("Book 1"));
        QCOMPARE(foreground.value("state").toString(), QString("normal"));
        QCOMPARE(m_desktop->window(6).parent, KWindowId(5));
        m_win->showForegroundWindow(3);
        QCOMPARE(m_controller->state().value("foreground").toObject().value("state").toString(),
                 QString("maximized"));
        m_log->takeNew();
        m_win->scrollHorizontal(2);
        QCOMPARE(kinds(m_log->takeNew()), (QStringList{"window:hscroll", "mouse:120"}));
    }

    void restartWithoutWatcher() {
        QVERIFY(
            !QFile::exists(m_win->applicationDirectory() + "/" + KWinSimulator::watcherFileName()));
        QVERIFY(!m_win->restartApplication());
        QVERIFY(m_log->takeNew().isEmpty());
    }

    void restartWithWatcher() {
        QTemporaryDir dir;
        QFile watcher(dir.filePath(KWinSimulator::watcherFileName()));
        QVERIFY(watcher.open(QIODevice::WriteOnly));
        watcher.close();
        m_win->setApplicationDirectory(dir.path());
        const bool restarted = m_win->restartApplication();
        m_win->setApplicationDirectory(QString());
        QVERIFY(restarted);
        const QList<QJsonObject> lines = m_log->takeNew();
        QCOMPARE(lines.size(), 1);
        QCOMPARE(lines.first().value("kind").toString(), QString("start"));
        QCOMPARE(lines.first().value("program").toString(), watcher.fileName());
        QCOMPARE(lines.first().value("directory").toString(), dir.path());
        QVERIFY(lines.first().value("elevated").toBool());
    }

    void autorunRoundTrip() {
        QVERIFY(!m_win->isAutoRun());
        QVERIFY(m_win->setAutoRun(true));
        QVERIFY(m_win->isAutoRun());
        QCOMPARE(m_controller->state().value("autorun").toBool(), true);
        const QJsonObject line = m_log->takeNew().value(0);
        QCOMPARE(line.value("name").toString(), QString("Pointora"));
        QCOMPARE(line.value("path").toString(),
                 QDir::toNativeSeparators(QCoreApplication::applicationFilePath()));
        QVERIFY(m_win->setAutoRun(false));
        QVERIFY(!m_win->isAutoRun());
        QCOMPARE(m_controller->state().value("autorun").toBool(), false);
        QVERIFY(m_win->setAutoRun(false));  // removing an absent entry is fine
        QVERIFY(!m_win->isAutoRun());
    }

    void sensitivity_data() {
        QTest::addColumn<int>("value");
        QTest::addColumn<bool>("accepted");
        QTest::newRow("0 refused") << 0 << false;
        QTest::newRow("21 refused") << 21 << false;
        QTest::newRow("-5 refused") << -5 << false;
        QTest::newRow("1 slowest") << 1 << true;
        QTest::newRow("20 fastest") << 20 << true;
        QTest::newRow("15") << 15 << true;
    }
    void sensitivity() {
        QFETCH(int, value);
        QFETCH(bool, accepted);
        KMouseSensitivity sensitivity(m_desktop);
        QVERIFY(sensitivity.setSensitivity(12));
        m_log->takeNew();
        QCOMPARE(sensitivity.setSensitivity(value), accepted);
        QCOMPARE(sensitivity.getSensitivity(), accepted ? value : 12);
        QCOMPARE(m_controller->state().value("pointerSpeed").toInt(), accepted ? value : 12);
        QCOMPARE(m_log->takeNew().size(), accepted ? 1 : 0);
    }

    void sensitivityUnavailable() {
        KMouseSensitivity sensitivity(m_desktop);
        QVERIFY(sensitivity.setSensitivity(3));
        m_desktop->setPointerSpeedAvailable(false);
        QCOMPARE(sensitivity.getSensitivity(), 10);
        QVERIFY(!sensitivity.setSensitivity(5));
    }

    // The slider is told why: the desktop keeps the speed, or it did not take the value.
    void sensitivityNotice() {
        KMouseSensitivity sensitivity(m_desktop);
        QSignalSpy notices(&sensitivity, &KMouseSensitivity::sigSensitivityNotice);
        QVERIFY(sensitivity.notice().isEmpty());
        const int before = m_controller->state().value("pointerSpeed").toInt();
        m_desktop->setPointerSpeedMode(KSimDesktopBackend::SpeedRefused);
        QVERIFY(!sensitivity.setSensitivity(5));
        QCOMPARE(notices.size(), 1);
        const QString refused = sensitivity.notice();
        QVERIFY(!refused.isEmpty());
        QCOMPARE(m_controller->state().value("pointerSpeed").toInt(), before);
        m_desktop->setPointerSpeedMode(KSimDesktopBackend::SpeedUnavailable);
        const QString unavailable = sensitivity.notice();
        QVERIFY(!unavailable.isEmpty());
        QVERIFY(unavailable != refused);
        m_desktop->setPointerSpeedMode(KSimDesktopBackend::SpeedAvailable);
        QVERIFY(sensitivity.setSensitivity(5));
        QVERIFY(sensitivity.notice().isEmpty());
        QCOMPARE(notices.last().first().toString(), QString());
    }
};

QTEST_GUILESS_MAIN(TestWinSimulator)
#include "tst_winsimulator.moc"
