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
    void openMagnifier() override;
    void stopSound() override;
    void playSound(const QString& path) override;
    QString autorunEntry(const QString& name) override;
    void setAutorunEntry(const QString& name, const QString& executable) override;
    void removeAutorunEntry(const QString& name) override;

    // Whether a path is a program to start rather than a document to open: an executable
    // regular file that is a binary (ELF) or a script (#!). Documents on file systems that mark
    // every file executable are opened, not run.
    static bool isProgram(const QString& path);

private:
    void lockWithLoginctl();

    QMediaPlayer* m_player = nullptr;
};
