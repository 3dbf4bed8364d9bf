#pragma once

#include "platform/KDesktopBackend.h"

#include <QList>
#include <QMap>
#include <QObject>
#include <QString>

#include <functional>
#include <memory>
#include <vector>

struct KDesktopSession;
typedef struct _XDisplay Display;
class QDBusConnection;
class QSocketNotifier;

// One output's gamma table: red, green and blue ramps of the same size (0..65535 each).
struct KGammaTable {
    std::vector<quint16> red, green, blue;

    int size() const { return int(red.size()); }
    bool isValid() const {
        return red.size() > 1 && green.size() == red.size() && blue.size() == red.size();
    }
    bool operator==(const KGammaTable& o) const {
        return red == o.red && green == o.green && blue == o.blue;
    }
    bool operator!=(const KGammaTable& o) const { return !(*this == o); }
    // The straight line from 0 to 65535 in size entries.
    static KGammaTable identity(int size);
    // What the curve goes on top of: the table itself, or the identity when every channel is
    // flat (a server that keeps no real table, as Xvfb answering zeros, would else turn the
    // screen black).
    KGammaTable calibration() const;
};

namespace KGamma {
// The brightness curve (256 entries over the whole input range) put on top of an output's own
// table: every entry of every channel of own goes through the curve, read with linear
// interpolation between its entries. A calibrated output thus keeps its shape, scaled; an
// identity table gives the curve resampled to the table's size.
KGammaTable compose(const KDesktopBackend::GammaRamp& curve, const KGammaTable& own);
}  // namespace KGamma

// Sets the screen's gamma for the brightness function on the route the session offers, on top
// of each output's own table, and puts every output's own table back when the program ends
// (application quit, SIGTERM through the event loop, destruction) or restore() is called.
// Main thread only.
class KGammaControl : public QObject {
    Q_OBJECT
public:
    enum class Result {
        Applied,      // at least one output shows the curve
        Unavailable,  // this session lets no program set the gamma, or no output has a table
        Failed,       // the route exists but this attempt failed (error, time-out)
    };

    ~KGammaControl() override;

    Result apply(const KDesktopBackend::GammaRamp& curve);
    // Puts the own table of every output changed so far back. Nothing when none was changed.
    void restore();
    // False when the last attempt found the route unavailable.
    bool available() const { return m_available; }
    // "XRandR", "Mutter DisplayConfig", "wlr-gamma-control", "none".
    virtual QString routeName() const = 0;

    // The route for session: XRandR on X11 (through x11Display, the caller's connection), Mutter's
    // display configuration service on GNOME Wayland, the wlr gamma-control protocol on wlroots
    // and unknown Wayland compositors, none on KDE Wayland, weston and consoles.
    static std::unique_ptr<KGammaControl> create(const KDesktopSession& session,
                                                 std::function<Display*()> x11Display);

protected:
    KGammaControl();
    virtual Result applyCurve(const KDesktopBackend::GammaRamp& curve) = 0;
    virtual void restoreTables() = 0;
    // Subclasses call this in their destructor, while they can still reach the outputs.
    void restoreOnDestruction();
    // Why the last attempt was Unavailable, for the log.
    void setUnavailableReason(const QString& reason) { m_reason = reason; }

private:
    QString m_reason;
    bool m_changed = false;
    bool m_available = true;
    bool m_unavailableLogged = false;
    QMetaObject::Connection m_quitConnection;
};

// No route: every attempt is Unavailable.
class KNoGammaControl : public KGammaControl {
public:
    explicit KNoGammaControl(const QString& why) : m_why(why) {}
    QString routeName() const override { return QStringLiteral("none"); }

protected:
    Result applyCurve(const KDesktopBackend::GammaRamp&) override;
    void restoreTables() override {}

private:
    QString m_why;
};

// XRandR: every CRTC with a gamma table, its own table read at first use.
class KX11GammaControl : public KGammaControl {
public:
    explicit KX11GammaControl(std::function<Display*()> display);
    ~KX11GammaControl() override;
    QString routeName() const override { return QStringLiteral("XRandR"); }

protected:
    Result applyCurve(const KDesktopBackend::GammaRamp& curve) override;
    void restoreTables() override;

private:
    std::function<Display*()> m_display;
    QMap<unsigned long, KGammaTable> m_own;  // by CRTC
    QList<unsigned long> m_changedCrtcs;
};

// GNOME (Mutter) on Wayland: org.gnome.Mutter.DisplayConfig on the session bus, GetResources
// for the CRTCs, GetCrtcGamma for their own tables, SetCrtcGamma. Every call is bounded by a
// short time-out.
class KMutterGammaControl : public KGammaControl {
public:
    // On the session bus.
    KMutterGammaControl();
    KMutterGammaControl(const QDBusConnection& bus, int timeoutMs);
    ~KMutterGammaControl() override;
    QString routeName() const override { return QStringLiteral("Mutter DisplayConfig"); }

protected:
    Result applyCurve(const KDesktopBackend::GammaRamp& curve) override;
    void restoreTables() override;

private:
    struct Crtc {
        quint32 id;
        bool active;
    };
    // GetResources: false with *unavailable set when the service or method is missing.
    bool resources(quint32* serial, QList<Crtc>* crtcs, bool* unavailable);
    bool crtcGamma(quint32 serial, quint32 crtc, KGammaTable* table, bool* unavailable);
    bool setCrtcGamma(quint32 serial, quint32 crtc, const KGammaTable& table, bool* unavailable,
                      bool* stale);

    std::unique_ptr<QDBusConnection> m_bus;
    int m_timeoutMs;
    QMap<quint32, KGammaTable> m_own;  // by CRTC
    QList<quint32> m_changedCrtcs;
};

struct wl_display;
struct wl_registry;
struct wl_output;
struct zwlr_gamma_control_manager_v1;
struct zwlr_gamma_control_v1;

// wlroots compositors: zwlr_gamma_control_manager_v1, one control per wl_output. The protocol
// does not reveal an output's own table, so the curve is put on the identity; the compositor
// keeps our table only while the control lives and puts its own back when the control is
// destroyed or the connection ends. The connection is read by a socket notifier; the start-up
// and the check after each set are round trips bounded by a short time-out.
class KWlrGammaControl : public KGammaControl {
public:
    // socketName: as for wl_display_connect (empty: $WAYLAND_DISPLAY).
    explicit KWlrGammaControl(const QString& socketName = QString(), int timeoutMs = 1000);
    ~KWlrGammaControl() override;
    QString routeName() const override { return QStringLiteral("wlr-gamma-control"); }

    struct Output {
        quint32 name = 0;
        wl_output* output = nullptr;
        zwlr_gamma_control_v1* control = nullptr;
        int gammaSize = -1;  // -1: not told yet
        bool failed = false;
        KWlrGammaControl* owner = nullptr;
    };
    // Registry and control events (called by the listeners).
    void onGlobal(wl_registry* registry, quint32 name, const char* interface, quint32 version);
    void onGlobalRemove(quint32 name);

protected:
    Result applyCurve(const KDesktopBackend::GammaRamp& curve) override;
    void restoreTables() override;

private:
    bool connectDisplay();
    void disconnectDisplay();
    bool roundtrip();
    void dispatchIncoming();
    void destroyControl(Output* output);

    QString m_socketName;
    int m_timeoutMs;
    wl_display* m_display = nullptr;
    wl_registry* m_registry = nullptr;
    zwlr_gamma_control_manager_v1* m_manager = nullptr;
    QSocketNotifier* m_notifier = nullptr;
    QList<Output*> m_outputs;
    bool m_connectFailed = false;
};
