#include "platform/linux/KGammaControl.h"

#include "platform/linux/KDesktopSession.h"

#include <QCoreApplication>
#include <QDebug>

#include <algorithm>
#include <cmath>

KGammaTable KGammaTable::identity(int size) {
    KGammaTable table;
    if (size <= 0)
        return table;
    table.red.resize(size_t(size));
    for (int j = 0; j < size; ++j)
        table.red[j] = size == 1 ? 0 : quint16(std::lround(65535.0 * j / (size - 1)));
    table.green = table.blue = table.red;
    return table;
}

KGammaTable KGammaTable::calibration() const {
    const auto flat = [](const std::vector<quint16>& channel) {
        return std::all_of(channel.begin(), channel.end(),
                           [&](quint16 v) { return v == channel.front(); });
    };
    if (isValid() && flat(red) && flat(green) && flat(blue))
        return identity(size());
    return *this;
}

namespace {

std::vector<quint16> throughCurve(const KDesktopBackend::GammaRamp& curve,
                                  const std::vector<quint16>& channel) {
    std::vector<quint16> out(channel.size());
    const int last = int(curve.size()) - 1;
    for (size_t j = 0; j < channel.size(); ++j) {
        const double pos = channel[j] * double(last) / 65535.0;
        const int i = std::min(int(pos), last - 1);
        const double frac = pos - i;
        const double value = curve[i] * (1.0 - frac) + curve[i + 1] * frac;
        out[j] = quint16(std::clamp(std::lround(value), 0L, 65535L));
    }
    return out;
}

}  // namespace

KGammaTable KGamma::compose(const KDesktopBackend::GammaRamp& curve, const KGammaTable& own) {
    KGammaTable result;
    result.red = throughCurve(curve, own.red);
    result.green = throughCurve(curve, own.green);
    result.blue = throughCurve(curve, own.blue);
    return result;
}

KGammaControl::KGammaControl() = default;

KGammaControl::~KGammaControl() {
    QObject::disconnect(m_quitConnection);
}

KGammaControl::Result KGammaControl::apply(const KDesktopBackend::GammaRamp& curve) {
    const Result result = applyCurve(curve);
    m_available = result != Result::Unavailable;
    if (result == Result::Applied) {
        m_unavailableLogged = false;
        if (!m_changed) {
            m_changed = true;
            // The own tables go back when the program ends through its event loop (the tray's
            // "Close", SIGTERM and SIGINT end it that way).
            if (QCoreApplication* app = QCoreApplication::instance())
                m_quitConnection = QObject::connect(app, &QCoreApplication::aboutToQuit, this,
                                                    &KGammaControl::restore);
        }
    } else if (result == Result::Unavailable && !m_unavailableLogged) {
        m_unavailableLogged = true;
        qWarning().noquote() << "desktop: brightness is not available:" << m_reason;
    }
    return result;
}

void KGammaControl::restore() {
    if (!m_changed)
        return;
    m_changed = false;
    QObject::disconnect(m_quitConnection);
    restoreTables();
    qInfo().noquote() << "desktop: the displays' own gamma tables are restored (" + routeName() +
                             ")";
}

void KGammaControl::restoreOnDestruction() {
    restore();
}

KGammaControl::Result KNoGammaControl::applyCurve(const KDesktopBackend::GammaRamp&) {
    setUnavailableReason(m_why);
    return Result::Unavailable;
}

std::unique_ptr<KGammaControl> KGammaControl::create(const KDesktopSession& session,
                                                     std::function<Display*()> x11Display) {
    using Desktop = KDesktopSession::Desktop;
    std::unique_ptr<KGammaControl> control;
    if (session.isX11()) {
        control = std::make_unique<KX11GammaControl>(std::move(x11Display));
    } else if (session.isWayland()) {
        switch (session.desktop) {
            case Desktop::Gnome:
                control = std::make_unique<KMutterGammaControl>();
                break;
            case Desktop::Wlroots:
            case Desktop::Other:
                // Compositors not known by name may still offer the wlroots protocol.
                control = std::make_unique<KWlrGammaControl>();
                break;
            case Desktop::Kde:
                control = std::make_unique<KNoGammaControl>(
                    QStringLiteral("KWin lets no program set the gamma ramp"));
                break;
            case Desktop::Weston:
                control = std::make_unique<KNoGammaControl>(
                    QStringLiteral("weston lets no program set the gamma ramp"));
                break;
        }
    }
    if (!control)
        control = std::make_unique<KNoGammaControl>(QStringLiteral("no graphical session"));
    qInfo().noquote() << "desktop: brightness through" << control->routeName()
                      << "(session: " + session.describe() + ")";
    return control;
}
