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
    return desktop()->setPointerSpeed(value);
}
