#pragma once

#include "platform/KDesktopBackend.h"

#include <QObject>
#include <QString>

class KConfigCommon;
class KInputInjector;
class KSessionBackend;

// The functions that are more than a keystroke or a mouse event: brightness through the gamma
// ramp, horizontal scrolling (with a line step for spreadsheet grids), maximizing and minimizing
// the foreground window, sound, opening paths and the magnifier; for the interface, the autorun
// entry and restarting the program through its watcher. Main thread only.
class KWinSimulator : public QObject {
    Q_OBJECT
public:
    using GammaRamp = KDesktopBackend::GammaRamp;

    // The process-wide object on the platform's display and session, created on first call.
    static KWinSimulator* instance();

    KWinSimulator(KConfigCommon* store, KDesktopBackend* desktop, KSessionBackend* session,
                  QObject* parent = nullptr);

    Q_INVOKABLE bool isAutoRun();
    // Writes (true) or removes (false) the autorun entry; true whatever the system did.
    Q_INVOKABLE bool setAutoRun(bool flag);
    // Starts the watcher program, which ends this program and starts it again. False when the
    // watcher is not next to the executable.
    Q_INVOKABLE bool restartApplication();
    // The last tip of functionUnavailable, "" when none or closed; the main page shows it.
    Q_INVOKABLE QString functionNotice() const { return m_notice; }
    Q_INVOKABLE void dismissFunctionNotice() { m_notice.clear(); }

    // Says once, at start, what injection cannot reach in this session (keys that only X11
    // programs receive, or none at all), with how to give the program /dev/uinput; a tip with
    // key value 0. Nothing when every program receives the injected input.
    void reportInjectionReach(KInputInjector* injector);

    // Brightness one step (4) up or down within 4..252: applied, and stored only when the
    // screen changed. True when applied or at the end of the range; false when nothing changed
    // on screen, with functionUnavailable(13 or 14, tip) when the session lets no program set
    // the gamma.
    bool increaseBrightness();
    bool decreaseBrightness();
    // The translated sentence shown when brightness cannot work in this session.
    static QString brightnessUnavailableTip();
    // direction 1: left, 2: right; anything else does nothing.
    void scrollHorizontal(int direction);
    // 3: maximize (not the program's own window, not an already maximized one), 6: minimize.
    // Where this session offers no way to do it, or the desktop refused, functionUnavailable
    // says so (key value 48 or 49).
    void showForegroundWindow(int showCommand);
    // Stops the sound playing, then plays path when it is a file.
    void playSound(const QString& path);
    void openPath(const QString& path);
    void openMagnifier();

    // The ramp for a brightness value (taken as unsigned 16 bits): entry i = i * (value + 128),
    // clipped to 65535. 128 gives the identity.
    static GammaRamp gammaRamp(int value);
    bool setGamma(int value);
    void scrollSpreadsheet(bool left);

    // Where the watcher is looked for: the executable's directory unless set otherwise.
    QString applicationDirectory() const;
    void setApplicationDirectory(const QString& directory) { m_applicationDir = directory; }
    static QString watcherFileName();

signals:
    // A function the user called cannot work in this session (for example brightness where
    // the compositor lets no program set the gamma ramp): keyValue is the function's key value,
    // tip a translated sentence saying why and what to do. The main page shows it.
    void functionUnavailable(int keyValue, const QString& tip);

private:
    void runElevated(const QString& path);
    void reportUnavailable(int keyValue, const QString& tip);
    bool stepBrightness(int brightness, int keyValue);

    KConfigCommon* m_store;
    KDesktopBackend* m_desktop;
    KSessionBackend* m_session;
    QString m_applicationDir;
    QString m_notice;
    bool m_brightnessTipLogged = false;
};
