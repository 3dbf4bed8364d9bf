#pragma once

#include <QObject>
#include <QString>

class KAccessCheck;
class KDesktopBackend;
class KDeviceMonitor;
class KHidBackend;
class KHookDriver;
class KInputInjector;
class KLowLevelHookBackend;
class KRawInputBackend;
class KSessionBackend;
class KSimController;

// The operating-system layer below the program's logic. One backend is chosen once per process:
// POINTORA_PLATFORM=sim selects the simulated system, anything else (or nothing) the real one of
// the platform the program was built for (Linux or Windows). Subsystems ask the platform for the
// services they need; the logic above never tests which backend runs.
class KPlatform : public QObject {
    Q_OBJECT
public:
    enum class Kind { Linux, Sim, Windows };

    // The process-wide backend, created on first use. Call from the main thread first.
    static KPlatform* instance();
    // Which backend the environment asks for; unknown names, and the name of a system this build
    // is not for, fall back to the native one.
    static Kind kindFromEnvironment();
    static Kind nativeKind();

    ~KPlatform() override;

    virtual Kind kind() const = 0;
    virtual QString name() const = 0;
    // The simulated system's control face, or null on a real backend.
    virtual KSimController* simController() { return nullptr; }

    // Injects keyboard and mouse events; created on first use, from any thread.
    virtual KInputInjector* inputInjector() = 0;
    // The display server (gamma, windows, pointer speed) and the user's session (locker, opening
    // paths, sound, autorun); created on first use, main thread only.
    virtual KDesktopBackend* desktopBackend() = 0;
    virtual KSessionBackend* sessionBackend() = 0;

    // Device access, each created on first use and owned by the platform. The HID backend may
    // be used from any thread; the others belong to the main thread.
    virtual KHidBackend* hidBackend() = 0;
    virtual KDeviceMonitor* deviceMonitor() = 0;
    virtual KRawInputBackend* rawInputBackend() = 0;
    virtual KHookDriver* hookDriver() = 0;
    virtual KLowLevelHookBackend* lowLevelHookBackend() = 0;
    // What the program lacks to use the devices (node permissions, the device rule); created on
    // first use, main thread only.
    virtual KAccessCheck* accessCheck() = 0;

protected:
    explicit KPlatform(QObject* parent = nullptr);
};

// Creates a backend of the given kind (tests use this to get a fresh one).
KPlatform* createPlatform(KPlatform::Kind kind, QObject* parent = nullptr);
