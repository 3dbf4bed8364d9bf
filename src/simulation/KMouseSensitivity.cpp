#include "simulation/KMouseSensitivity.h"

#include "platform/KDesktopBackend.h"
#include "platform/KPlatform.h"

KMouseSensitivity::KMouseSensitivity(KDesktopBackend* desktop, QObject* parent)
    : QObject(parent), m_desktop(desktop) {}

KDesktopBackend* KMouseSensitivity::desktop() {
    // Resolved on first use, so that constructing the object starts nothing.
    if (!m_desktop)
        m_desktop = KPlatform::instance()->desktopBackend();
    return m_desktop;
}

int KMouseSensitivity::getSensitivity() {
    int speed = 10;
    if (!desktop()->pointerSpeed(&speed))
        return 10;
    return speed;
}

bool KMouseSensitivity::setSensitivity(int value) {
    if (value < 1 || value > 20)
        return false;
    if (desktop()->setPointerSpeed(value)) {
        setNotice(QString());
        return true;
    }
    setNotice(desktop()->pointerSpeedAvailable()
                  ? tr("The desktop did not take the new pointer speed (no mouse found, or its "
                       "settings service did not answer); the log says why.")
                  : notice());
    return false;
}

QString KMouseSensitivity::notice() {
    if (!desktop()->pointerSpeedAvailable())
        return tr(
            "The pointer speed cannot be set from here: this desktop keeps it to itself. "
            "Change it in the desktop's own mouse settings.");
    return m_notice;
}

void KMouseSensitivity::setNotice(const QString& text) {
    if (text == m_notice)
        return;
    m_notice = text;
    emit sigSensitivityNotice(text);
}
