#pragma once

#include <QDateTime>
#include <QString>
#include <QStringList>
#include <QtGlobal>

#include <functional>

// The optional hourly file log of the main program ("-d"). One file per local clock hour, named
// "yyyy_MM_dd_hh.txt", in "Log" under the application directory when that directory is the
// program's build tree or a portable copy the user can write; for an installed program (a
// system folder) and whenever the application directory cannot take the file, in
// "Pointora/Log" under the user's data location. Warnings and worse also go to stderr when it
// is a terminal.
namespace KLog {

using Clock = std::function<QDateTime()>;

// Replaces the clock (tests); an empty function restores the system clock.
void setClock(Clock clock);
// Replaces the directory chosen from the application directory (tests); empty restores it.
void setDirectoryOverride(const QString& directory);

// The text written after "<time>: " for a message of the given type.
QString lineText(QtMsgType type, const QString& message);
// "yyyy_MM_dd_hh.txt" for the hour of the given time.
QString fileName(const QDateTime& time);
// Whether path (absolute) lies in a folder of the installed system: /usr, /opt, /bin, /sbin,
// /lib*, /etc, /var, /snap, /app, /nix/store, /gnu/store.
bool isSystemFolder(const QString& path);
// Whether the log belongs in "Log" beside the executable in directory: it is a build tree (a
// CMakeCache.txt in it or its parent), or it is writable by the user and not a system folder.
bool logsBesideExecutable(const QString& directory);
// The preferred log directory and the per-user fallback.
QString primaryDirectory();
QString fallbackDirectory();

// Writes one line for one message; returns false when it could not be written anywhere.
bool write(QtMsgType type, const QString& message);

void messageHandler(QtMsgType type, const QMessageLogContext& context, const QString& message);

// Walks the arguments in order and installs the handler at the first exact "-d".
// Returns whether it was installed.
bool installFromArguments(const QStringList& arguments);
// Whether the file log is on.
bool isInstalled();

}  // namespace KLog
