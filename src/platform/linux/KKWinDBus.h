#pragma once

#include <QString>

// KWin on the session bus: the pointer acceleration of its input devices
// (/org/kde/KWin/InputDevice, org.kde.KWin.InputDeviceManager devicesSysNames; one
// org.kde.KWin.InputDevice object per device with pointer, pointerAcceleration) and one-shot
// scripts (org.kde.kwin.Scripting loadScript, then run on the script's object). Every call waits
// at most the given time. Main thread only.
class KKWinDBus {
public:
    explicit KKWinDBus(int timeoutMs = 2000);

    // The acceleration (-1..1) of the first pointer device; false when KWin has none or does
    // not answer.
    bool pointerAcceleration(double* accel, QString* error) const;
    // Sets the acceleration of every pointer device that has one; false when there is none or a
    // device refused it.
    bool setPointerAcceleration(double accel, QString* error) const;

    // Loads the JavaScript source as a KWin script under pluginName, runs it and unloads it.
    bool runScript(const QString& source, const QString& pluginName, QString* error) const;

    // The script that maximizes (not a window whose caption contains ownTitle, not one already
    // maximized) or minimizes KWin's active window; for KWin 5 (activeClient) and 6
    // (activeWindow).
    static QString activeWindowScript(bool maximize, const QString& ownTitle);

private:
    QStringList pointerDevices(QString* error) const;

    int m_timeoutMs;
};
