#include "simulation/KWinSimulator.h"

#include "config/KConfigCommon.h"
#include "platform/KInputInjector.h"
#include "platform/KPlatform.h"
#include "platform/KSessionBackend.h"
#include "simulation/KInputSimulation.h"

#include <QCoreApplication>
#include <QDebug>
#include <QDir>
#include <QFileInfo>

#include <algorithm>

namespace {
constexpr int kBrightnessStep = 4;
// How far outside the grid a scroll bar may reach and still count as the grid's.
constexpr int kScrollBarSlack = 25;
constexpr int kKeyMaximize = 48;
constexpr int kKeyMinimize = 49;
}  // namespace

KWinSimulator* KWinSimulator::instance() {
    static KWinSimulator* simulator =
        new KWinSimulator(KConfigCommon::instance(), KPlatform::instance()->desktopBackend(),
                          KPlatform::instance()->sessionBackend());
    return simulator;
}

KWinSimulator::KWinSimulator(KConfigCommon* store, KDesktopBackend* desktop,
                             KSessionBackend* session, QObject* parent)
    : QObject(parent), m_store(store), m_desktop(desktop), m_session(session) {
    // Whoever emits the tip, the main page can still read it once it is built.
    connect(this, &KWinSimulator::functionUnavailable, this,
            [this](int, const QString& tip) { m_notice = tip; });
}

KWinSimulator::GammaRamp KWinSimulator::gammaRamp(int value) {
    const quint32 slope = quint32(quint16(value)) + 128;
    GammaRamp ramp{};
    for (quint32 i = 0; i < ramp.size(); ++i)
        ramp[i] = quint16(std::min<quint32>(i * slope, 65535));
    return ramp;
}

bool KWinSimulator::setGamma(int value) {
    return m_desktop->setGammaRamp(gammaRamp(value));
}

bool KWinSimulator::increaseBrightness() {
    const int brightness = m_store->getBrightness();
    if (brightness < 255 - kBrightnessStep)
        return stepBrightness(brightness + kBrightnessStep, 13);
    return true;
}

bool KWinSimulator::decreaseBrightness() {
    const int brightness = m_store->getBrightness();
    if (brightness > kBrightnessStep)
        return stepBrightness(brightness - kBrightnessStep, 14);
    return true;
}

QString KWinSimulator::brightnessUnavailableTip() {
    return tr(
        "Screen brightness cannot be changed in this session: the display server lets no "
        "program set the gamma ramp.");
}

bool KWinSimulator::stepBrightness(int brightness, int keyValue) {
    // The stored value follows the screen: it changes only when the screen did.
    if (setGamma(brightness)) {
        m_store->setBrightness(brightness);
        return true;
    }
    if (!m_desktop->gammaAvailable()) {
        const QString tip = brightnessUnavailableTip();
        if (!m_brightnessTipLogged)
            qWarning().noquote() << "brightness:" << tip;
        m_brightnessTipLogged = true;
        emit functionUnavailable(keyValue, tip);
    } else {
        qWarning() << "brightness: the gamma ramp was not applied; the stored value stays"
                   << m_store->getBrightness();
    }
    return false;
}

void KWinSimulator::scrollHorizontal(int direction) {
    if (direction == 1) {
        scrollSpreadsheet(true);
        sendMouse(KMouseFlag::HWHEEL, -KMouseFlag::WHEEL_DELTA);
    } else if (direction == 2) {
        scrollSpreadsheet(false);
        sendMouse(KMouseFlag::HWHEEL, KMouseFlag::WHEEL_DELTA);
    }
}

void KWinSimulator::scrollSpreadsheet(bool left) {
    // Spreadsheet grids ignore the horizontal wheel; they scroll a line through their own
    // horizontal scroll bar.
    const QPoint cursor = m_desktop->cursorPos();
    const KWindowId target = m_desktop->windowFromPoint(cursor);
    if (!target || m_desktop->windowClassName(target) != QLatin1String("EXCEL7"))
        return;
    const KWindowId child = m_desktop->childWindowAt(target, cursor);
    const QRect area = m_desktop->windowRect(child ? child : target);
    for (KWindowId window : m_desktop->childWindows(target)) {
        const QString className = m_desktop->windowClassName(window);
        if (className != QLatin1String("ScrollBar") && className != QLatin1String("NUIScrollbar"))
            continue;
        const QRect bar = m_desktop->windowRect(window);
        if (bar.left() >= area.left() - kScrollBarSlack &&
            bar.right() <= area.right() + kScrollBarSlack) {
            m_desktop->postHorizontalScroll(target, left, window);
            return;
        }
    }
}

void KWinSimulator::reportUnavailable(int keyValue, const QString& tip) {
    qInfo().noquote() << "[Info] function" << keyValue << "cannot work here:" << tip;
    emit functionUnavailable(keyValue, tip);
}

void KWinSimulator::reportInjectionReach(KInputInjector* injector) {
    const QString fix =
        tr("Install the udev rule 70-pointora.rules (sudo cp packaging/udev/70-pointora.rules "
           "/etc/udev/rules.d/, then sudo udevadm control --reload-rules && sudo udevadm "
           "trigger) and sign in again.");
    switch (injector->reach()) {
        case KInputInjector::Reach::Everyone:
            return;
        case KInputInjector::Reach::X11Programs:
            reportUnavailable(0, tr("Only X11 programs receive the keys and mouse events the "
                                    "functions send, because /dev/uinput cannot be opened.") +
                                     QLatin1Char(' ') + fix);
            return;
        case KInputInjector::Reach::Nobody:
            reportUnavailable(0, tr("No program receives the keys and mouse events the functions "
                                    "send, because /dev/uinput cannot be opened.") +
                                     QLatin1Char(' ') + fix);
            return;
    }
}

void KWinSimulator::showForegroundWindow(int showCommand) {
    if (showCommand != 3 && showCommand != 6)
        return;
    const bool maximize = showCommand == 3;
    const int keyValue = maximize ? kKeyMaximize : kKeyMinimize;
    switch (m_desktop->windowControl()) {
        case KDesktopBackend::WindowControl::Unavailable:
            reportUnavailable(keyValue,
                              maximize ? tr("The window in front cannot be maximized here: this "
                                            "desktop lets no program change other programs' "
                                            "windows.")
                                       : tr("The window in front cannot be minimized here: this "
                                            "desktop lets no program change other programs' "
                                            "windows."));
            return;
        case KDesktopBackend::WindowControl::ActiveWindow:
            if (!m_desktop->changeActiveWindow(maximize, QCoreApplication::applicationName()))
                reportUnavailable(keyValue, maximize
                                                ? tr("The desktop did not maximize the window in "
                                                     "front; the log says why.")
                                                : tr("The desktop did not minimize the window in "
                                                     "front; the log says why."));
            return;
        case KDesktopBackend::WindowControl::PerWindow:
            break;
    }
    const KWindowId window = m_desktop->foregroundWindow();
    if (!window)
        return;
    if (showCommand == 3) {
        const QString title = m_desktop->windowTitle(window);
        if (title.contains(QCoreApplication::applicationName()) ||
            m_desktop->isWindowMaximized(window))
            return;
        m_desktop->maximizeWindow(window);
    } else if (showCommand == 6) {
        m_desktop->minimizeWindow(window);
    }
}

void KWinSimulator::playSound(const QString& path) {
    m_session->stopSound();
    if (!path.isEmpty() && QFileInfo(path).isFile())
        m_session->playSound(path);
}

void KWinSimulator::openPath(const QString& path) {
    m_session->openPath(path);
}

void KWinSimulator::openMagnifier() {
    if (!m_session->openMagnifier())
        emit functionUnavailable(
            45, tr("No screen magnifier is available on this desktop. Install KDE's magnifier "
                   "(kmag), or use GNOME, whose magnifier is built in."));
}

bool KWinSimulator::isAutoRun() {
    return !m_session->autorunEntry(QCoreApplication::applicationName()).isEmpty();
}

bool KWinSimulator::setAutoRun(bool flag) {
    const QString name = QCoreApplication::applicationName();
    if (flag)
        m_session->setAutorunEntry(
            name, QDir::toNativeSeparators(QCoreApplication::applicationFilePath()));
    else
        m_session->removeAutorunEntry(name);
    return true;
}

QString KWinSimulator::watcherFileName() {
#ifdef Q_OS_WIN
    return QStringLiteral("PointoraWatcher.exe");
#else
    return QStringLiteral("PointoraWatcher");
#endif
}

QString KWinSimulator::applicationDirectory() const {
    return m_applicationDir.isEmpty() ? QCoreApplication::applicationDirPath() : m_applicationDir;
}

bool KWinSimulator::restartApplication() {
    const QString path = applicationDirectory() + '/' + watcherFileName();
    if (!QFileInfo(path).isFile())
        return false;
    runElevated(path);
    return true;
}

void KWinSimulator::runElevated(const QString& path) {
    m_session->startProgram(path, {}, applicationDirectory(), true);
}
