#include "platform/linux/KXdgAutostart.h"

#include <QDebug>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QMap>
#include <QRegularExpression>
#include <QSaveFile>
#include <QStandardPaths>
#include <QTextStream>

namespace {

QString relativePath(const QString& name) {
    return QStringLiteral("autostart/") + name + QStringLiteral(".desktop");
}

}  // namespace

// The keys of the [Desktop Entry] group, values as written (escapes kept).
QMap<QString, QString> KXdgAutostart::readDesktopEntry(const QString& path) {
    QMap<QString, QString> keys;
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly | QIODevice::Text))
        return keys;
    bool inGroup = false;
    while (!file.atEnd()) {
        const QString line = QString::fromUtf8(file.readLine()).trimmed();
        if (line.isEmpty() || line.startsWith('#'))
            continue;
        if (line.startsWith('[')) {
            inGroup = line == QLatin1String("[Desktop Entry]");
            continue;
        }
        const int eq = line.indexOf('=');
        if (inGroup && eq > 0 && !keys.contains(line.left(eq).trimmed()))
            keys.insert(line.left(eq).trimmed(), line.mid(eq + 1).trimmed());
    }
    return keys;
}

namespace {

bool isHidden(const QMap<QString, QString>& keys) {
    return keys.value("Hidden").compare("true", Qt::CaseInsensitive) == 0 ||
           keys.value("X-GNOME-Autostart-enabled").compare("false", Qt::CaseInsensitive) == 0;
}

bool writeFile(const QString& path, const QString& text) {
    QDir().mkpath(QFileInfo(path).absolutePath());
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Text)) {
        qWarning().noquote() << "autorun: cannot write" << path << ":" << file.errorString();
        return false;
    }
    file.write(text.toUtf8());
    if (!file.commit()) {
        qWarning().noquote() << "autorun: cannot write" << path << ":" << file.errorString();
        return false;
    }
    return true;
}

}  // namespace

QString KXdgAutostart::userEntryPath(const QString& name) {
    return QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation) + '/' +
           relativePath(name);
}

QString KXdgAutostart::entryProgram(const QString& name) {
    // The user's entry, when present, overrides the system ones; locateAll lists it first.
    const QStringList found =
        QStandardPaths::locateAll(QStandardPaths::GenericConfigLocation, relativePath(name));
    if (found.isEmpty())
        return QString();
    const QMap<QString, QString> keys = readDesktopEntry(found.first());
    if (isHidden(keys))
        return QString();
    const QString program = programFromExecValue(keys.value("Exec"));
    // An entry without a readable program still starts something: it counts as on.
    return program.isEmpty() ? found.first() : program;
}

bool KXdgAutostart::writeEntry(const QString& name, const QString& executable) {
    QString text;
    QTextStream out(&text);
    out << "[Desktop Entry]\n"
        << "Type=Application\n"
        << "Name=" << name << "\n"
        << "Exec=" << execValueFor(executable) << "\n"
        << "Icon=pointora\n"
        << "Terminal=false\n"
        << "X-GNOME-Autostart-enabled=true\n";
    out.flush();
    return writeFile(userEntryPath(name), text);
}

bool KXdgAutostart::removeEntry(const QString& name) {
    const QString user = userEntryPath(name);
    if (QFile::exists(user) && !QFile::remove(user)) {
        qWarning().noquote() << "autorun: cannot remove" << user;
        return false;
    }
    if (entryProgram(name).isEmpty())
        return true;
    // A system entry remains: hide it for this user.
    return writeFile(
        user,
        QStringLiteral("[Desktop Entry]\nType=Application\nName=%1\nHidden=true\n").arg(name));
}

QString KXdgAutostart::execValueFor(const QString& program) {
    // Argument quoting: inside double quotes, ", `, $ and \ take a backslash. A literal % is
    // written %%, but launchers built on GLib look the program word up before undoing %%, so a
    // program whose path holds a % is started through env, whose own path has none.
    QString quoted = program.contains('%') ? QStringLiteral("env \"") : QStringLiteral("\"");
    for (const QChar c : program) {
        if (c == '"' || c == '`' || c == '$' || c == '\\')
            quoted += '\\';
        quoted += c;
    }
    quoted += '"';
    quoted.replace('%', QLatin1String("%%"));
    // String escapes of the key file format.
    QString value;
    for (const QChar c : quoted) {
        if (c == '\\')
            value += QLatin1String("\\\\");
        else if (c == '\n')
            value += QLatin1String("\\n");
        else if (c == '\t')
            value += QLatin1String("\\t");
        else if (c == '\r')
            value += QLatin1String("\\r");
        else
            value += c;
    }
    return value;
}

QStringList KXdgAutostart::execArguments(const QString& value) {
    // Undo the string escapes of the key file format.
    QString exec;
    for (int i = 0; i < value.size(); ++i) {
        const QChar c = value.at(i);
        if (c != '\\' || i + 1 == value.size()) {
            exec += c;
            continue;
        }
        const QChar next = value.at(++i);
        exec += next == 's'   ? QChar(' ')
                : next == 'n' ? QChar('\n')
                : next == 't' ? QChar('\t')
                : next == 'r' ? QChar('\r')
                              : next;
    }
    // Split into arguments: blanks separate; double quotes group, with a backslash before
    // the quote, backtick, dollar and backslash inside; field codes (%f, %U, ...) outside quotes
    // are dropped; %% is a literal %.
    QStringList arguments;
    QString current;
    bool inArgument = false;
    for (int i = 0; i < exec.size(); ++i) {
        const QChar c = exec.at(i);
        if (c == '"') {
            inArgument = true;
            int j = i + 1;
            for (; j < exec.size() && exec.at(j) != '"'; ++j) {
                if ((exec.at(j) == '\\' || exec.mid(j, 2) == QLatin1String("%%")) &&
                    j + 1 < exec.size())
                    ++j;
                current += exec.at(j);
            }
            if (j >= exec.size())
                return {};  // unterminated quote: the whole line is unusable
            i = j;
        } else if (c == ' ' || c == '\t' || c == '\n') {
            if (inArgument)
                arguments << current;
            current.clear();
            inArgument = false;
        } else if (c == '%' && i + 1 < exec.size()) {
            const QChar code = exec.at(++i);
            if (code == '%') {
                current += '%';
                inArgument = true;
            }
        } else {
            current += c;
            inArgument = true;
        }
    }
    if (inArgument)
        arguments << current;
    return arguments;
}

QString KXdgAutostart::programFromExecValue(const QString& value) {
    QStringList arguments = execArguments(value);
    // "env PROGRAM" as written for programs whose path holds a %.
    if (arguments.size() >= 2 && arguments.first() == QLatin1String("env") &&
        !arguments.at(1).contains('='))
        arguments.removeFirst();
    return arguments.value(0);
}
