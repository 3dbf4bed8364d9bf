#pragma once

#include <QString>
#include <QStringList>

// What the window and system actions need of the user's session: the screen locker, opening
// paths and starting programs, the magnifier, sound, and the autorun entry. Main thread only.
// Failures are logged by the backend; the callers do not examine them.
class KSessionBackend {
public:
    virtual ~KSessionBackend() = default;

    virtual void lockSession() = 0;
    // A program is started, an application launcher (.desktop) is launched; a document or
    // folder opens with the desktop's default handler.
    virtual void openPath(const QString& path) = 0;
    // Starts a program detached from this one. elevated asks for administrator rights where the
    // system has such a prompt.
    virtual bool startProgram(const QString& program, const QStringList& arguments,
                              const QString& workingDirectory, bool elevated) = 0;
    // Starts the desktop's screen magnifier. False when this desktop has none.
    virtual bool openMagnifier() = 0;

    virtual void stopSound() = 0;
    // Starts playing a sound file (asynchronously).
    virtual void playSound(const QString& path) = 0;

    // The autorun entry of the application called name: the program it starts, or "" when the
    // entry is absent or disabled.
    virtual QString autorunEntry(const QString& name) = 0;
    virtual void setAutorunEntry(const QString& name, const QString& executable) = 0;
    virtual void removeAutorunEntry(const QString& name) = 0;
};
