#pragma once

#include <QMap>
#include <QString>
#include <QStringList>

// The XDG autostart entry of an application: "<name>.desktop" in the user's autostart directory
// ($XDG_CONFIG_HOME/autostart), overriding an entry of the same name in the system directories
// ($XDG_CONFIG_DIRS/autostart). An entry is on when it exists and is not hidden (Hidden=true, or
// X-GNOME-Autostart-enabled=false as written by GNOME's settings).
namespace KXdgAutostart {

QString userEntryPath(const QString& name);
// The program the effective entry starts (first word of Exec, unquoted), "" when it is off.
QString entryProgram(const QString& name);
// Writes the user's entry starting executable. False when the file cannot be written.
bool writeEntry(const QString& name, const QString& executable);
// Turns the entry off: deletes the user's entry, or writes a hidden one when a system entry of
// that name would otherwise stay in force.
bool removeEntry(const QString& name);

// Exec value quoting of the desktop entry format (string escapes, argument quoting, %%).
QString execValueFor(const QString& program);
QString programFromExecValue(const QString& value);
// The arguments of an Exec value: string escapes undone, quoting applied, field codes dropped.
// Empty when the value is malformed (an unterminated quote).
QStringList execArguments(const QString& value);
// The keys of a desktop entry file's [Desktop Entry] group, values as written.
QMap<QString, QString> readDesktopEntry(const QString& path);

}  // namespace KXdgAutostart
