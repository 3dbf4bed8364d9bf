#include "platform/linux/KGammaControl.h"

#include <QDebug>

#include <X11/Xlib.h>
#include <X11/extensions/Xrandr.h>

// After the Qt headers: Xlib defines macros (Status, Bool) that Qt's would trip over.
#include "platform/linux/KXErrorTrap.h"

namespace {

bool readTable(Display* d, RRCrtc crtc, KGammaTable* table) {
    XRRCrtcGamma* gamma = XRRGetCrtcGamma(d, crtc);
    if (!gamma)
        return false;
    table->red.assign(gamma->red, gamma->red + gamma->size);
    table->green.assign(gamma->green, gamma->green + gamma->size);
    table->blue.assign(gamma->blue, gamma->blue + gamma->size);
    XRRFreeGamma(gamma);
    return table->isValid();
}

void writeTable(Display* d, RRCrtc crtc, const KGammaTable& table) {
    XRRCrtcGamma* gamma = XRRAllocGamma(table.size());
    if (!gamma)
        return;
    std::copy(table.red.begin(), table.red.end(), gamma->red);
    std::copy(table.green.begin(), table.green.end(), gamma->green);
    std::copy(table.blue.begin(), table.blue.end(), gamma->blue);
    XRRSetCrtcGamma(d, crtc, gamma);
    XRRFreeGamma(gamma);
}

// The CRTCs of every screen, with their gamma sizes.
QList<QPair<RRCrtc, int>> crtcs(Display* d) {
    QList<QPair<RRCrtc, int>> found;
    for (int screen = 0; screen < ScreenCount(d); ++screen) {
        XRRScreenResources* resources = XRRGetScreenResourcesCurrent(d, RootWindow(d, screen));
        if (!resources)
            continue;
        for (int c = 0; c < resources->ncrtc; ++c)
            found << qMakePair(resources->crtcs[c], XRRGetCrtcGammaSize(d, resources->crtcs[c]));
        XRRFreeScreenResources(resources);
    }
    return found;
}

}  // namespace

KX11GammaControl::KX11GammaControl(std::function<Display*()> display)
    : m_display(std::move(display)) {}

KX11GammaControl::~KX11GammaControl() {
    restoreOnDestruction();
}

KGammaControl::Result KX11GammaControl::applyCurve(const KDesktopBackend::GammaRamp& curve) {
    Display* d = m_display ? m_display() : nullptr;
    if (!d) {
        setUnavailableReason(QStringLiteral("no X11 display"));
        return Result::Unavailable;
    }
    int eventBase = 0, errorBase = 0, major = 0, minor = 0;
    if (!XRRQueryExtension(d, &eventBase, &errorBase) || !XRRQueryVersion(d, &major, &minor) ||
        (major == 1 && minor < 2)) {
        setUnavailableReason(QStringLiteral("the X server has no XRandR 1.2"));
        return Result::Unavailable;
    }
    KXErrorTrap trap(d);
    int applied = 0;
    for (const auto& [crtc, size] : crtcs(d)) {
        if (size <= 1)
            continue;
        // The CRTC's own table, read the first time it is changed (again when its size
        // changed, as after a driver reset).
        KGammaTable& own = m_own[crtc];
        if (own.size() != size && !readTable(d, crtc, &own)) {
            m_own.remove(crtc);
            continue;
        }
        writeTable(d, crtc, KGamma::compose(curve, own.calibration()));
        if (!m_changedCrtcs.contains(crtc))
            m_changedCrtcs << crtc;
        ++applied;
    }
    if (const int error = trap.error()) {
        qWarning() << "desktop: setting the gamma ramp failed with X error" << error;
        return Result::Failed;
    }
    if (applied == 0) {
        setUnavailableReason(QStringLiteral("no X11 display takes gamma ramps (gamma size 0)"));
        return Result::Unavailable;
    }
    return Result::Applied;
}

void KX11GammaControl::restoreTables() {
    Display* d = m_display ? m_display() : nullptr;
    if (!d)
        return;
    KXErrorTrap trap(d);
    const QList<QPair<RRCrtc, int>> present = crtcs(d);
    for (unsigned long crtc : qAsConst(m_changedCrtcs)) {
        const KGammaTable own = m_own.value(crtc);
        const bool stillThere = std::any_of(present.begin(), present.end(), [&](const auto& p) {
            return p.first == crtc && p.second == own.size();
        });
        if (stillThere && own.isValid())
            writeTable(d, crtc, own);
    }
    m_changedCrtcs.clear();
    if (const int error = trap.error())
        qWarning() << "desktop: restoring the gamma tables failed with X error" << error;
}
