#pragma once

#include "platform/KSessionBackend.h"

// The Windows session: LockWorkStation, the shell (ShellExecuteW, "runas" for an elevated
// start), the magnifier through the command interpreter, sound through the media control
// interface (winmm) and the autorun value under the current user's Run key.
class KWinSessionBackend : public KSessionBackend {
public:
    ~KWinSessionBackend() override;

    void lockSession() override;
    void openPath(const QString& path) override;
    bool startProgram(const QString& program, const QStringList& arguments,
                      const QString& workingDirectory, bool elevated) override;
    bool openMagnifier() override;
    void stopSound() override;
    void playSound(const QString& path) override;
    QString autorunEntry(const QString& name) override;
    void setAutorunEntry(const QString& name, const QString& executable) override;
    void removeAutorunEntry(const QString& name) override;

    // The registry key of the autorun values, as Qt's native settings name it.
    static QString runKey();
    // One command line from arguments, quoted so that the started program's C runtime splits
    // it back into the same arguments.
    static QString commandLine(const QStringList& arguments);

private:
    bool m_soundOpen = false;
};
