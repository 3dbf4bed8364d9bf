#pragma once

#include "platform/KSessionBackend.h"

#include <QObject>

class QMediaPlayer;

// The Linux desktop session: the screen locker over D-Bus (org.freedesktop.ScreenSaver, then
// "loginctl lock-session"), the desktop's default handlers (QDesktopServices), detached
// processes, the desktop's magnifier, sound through QMediaPlayer and the XDG autostart entry.
class KLinuxSessionBackend : public QObject, public KSessionBackend {
    Q_OBJECT
public:
    explicit KLinuxSessionBackend(QObject* parent = nullptr);
    ~KLinuxSessionBackend() override;

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

    // Whether a path is a program to start rather than a document to open: an executable
    // regular file that is a binary (ELF) or a script (#!). Documents on file systems that mark
    // every file executable are opened, not run.
    static bool isProgram(const QString& path);
    // What launching a desktop entry file runs: its Exec line as program and arguments (field
    // codes dropped), in its Path; for Type=Link its URL. False when the entry cannot be launched
    // (not an application or link, hidden behind a missing TryExec, malformed Exec).
    struct Launch {
        QString program;
        QStringList arguments;
        QString workingDirectory;
        QString url;  // Type=Link
    };
    static bool desktopEntryLaunch(const QString& path, Launch* launch, QString* why);

private:
    void lockWithLoginctl();
    void launchDesktopEntry(const QString& path);

    QMediaPlayer* m_player = nullptr;
};
