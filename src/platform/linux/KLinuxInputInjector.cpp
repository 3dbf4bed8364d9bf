#include "platform/linux/KLinuxInputInjector.h"

#include "platform/linux/KDesktopSession.h"
#include "platform/linux/KUinputInjector.h"
#include "platform/linux/KXTestInjector.h"

#include <QDebug>
#include <QMutexLocker>

namespace {
constexpr char kUinputFix[] =
    "Give the user write access to /dev/uinput with the udev rule 70-pointora.rules (installed"
    " into lib/udev/rules.d by the install rules; by hand: sudo cp packaging/udev/70-pointora.rules"
    " /etc/udev/rules.d/ && sudo udevadm control --reload-rules && sudo udevadm trigger) and sign"
    " in again.";
}  // namespace

KLinuxInputInjector::Options KLinuxInputInjector::defaultOptions() {
    Options options;
    options.waylandSession = KDesktopSession::current().isWayland();
    return options;
}

KLinuxInputInjector::KLinuxInputInjector() : KLinuxInputInjector(defaultOptions()) {}

KLinuxInputInjector::KLinuxInputInjector(const Options& options) {
    QString uinputError;
    m_active = KUinputInjector::create(options.uinputPath, &uinputError, options.layout);
    if (m_active) {
        m_reach = Reach::Everyone;
        qInfo().noquote() << "[Info] input injection through uinput" << options.uinputPath
                          << "- every program and the desktop receive the keys";
        return;
    }
    QString x11Error;
    m_active = KXTestInjector::create(options.displayName, &x11Error);
    if (m_active && options.waylandSession) {
        m_reach = Reach::X11Programs;
        qWarning().noquote() << "input injection through XTest on Xwayland (uinput unavailable:"
                             << uinputError +
                                    ") - only X11 programs receive the keys and mouse"
                                    " events, Wayland programs and the desktop do not."
                             << kUinputFix;
        return;
    }
    if (m_active) {
        m_reach = Reach::Everyone;
        qInfo().noquote() << "[Info] input injection through XTest (uinput unavailable:"
                          << uinputError + ") - every X11 program receives the keys";
        return;
    }
    qWarning().noquote() << "input injection unavailable: uinput:" << uinputError
                         << "- XTest:" << x11Error
                         << "- functions that send keys or mouse events will do nothing."
                         << kUinputFix;
}

KLinuxInputInjector::~KLinuxInputInjector() = default;

QString KLinuxInputInjector::method() const {
    return m_active ? m_active->method() : QStringLiteral("none");
}

void KLinuxInputInjector::sendKey(quint8 vk, bool up, quintptr extraInfo) {
    if (!m_active)
        return;
    QMutexLocker lock(&m_mutex);
    m_active->sendKey(vk, up, extraInfo);
}

void KLinuxInputInjector::sendMouse(quint32 flags, qint32 data, quintptr extraInfo) {
    if (!m_active)
        return;
    QMutexLocker lock(&m_mutex);
    m_active->sendMouse(flags, data, extraInfo);
}
