#include "app/KLog.h"

#include "app/KConstants.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QStandardPaths>

#include <unistd.h>
#include <cstdio>

namespace KLog {
namespace {

Clock& clockFunction() {
    static Clock clock;
    return clock;
}

QString& directoryOverride() {
    static QString directory;
    return directory;
}

bool& installed() {
    static bool on = false;
    return on;
}

QDateTime now() {
    const Clock& clock = clockFunction();
    return clock ? clock() : QDateTime::currentDateTime();
}

QString applicationDirectory() {
    if (QCoreApplication::instance())
        return QCoreApplication::applicationDirPath();
        // Before the application object exists (the handler is installed first) or after it is
        // gone: the directory of the running executable, found without the application object.
#ifdef Q_OS_LINUX
    return QFileInfo(QFile::symLinkTarget(QStringLiteral("/proc/self/exe"))).absolutePath();
#else
    return QDir::currentPath();
#endif
}

QByteArray encode(const QString& text) {
#ifdef Q_OS_WIN
    return text.toLocal8Bit();  // the system's 8-bit code page
#else
    return text.toUtf8();
#endif
}

bool appendTo(const QString& directory, const QString& name, const QByteArray& line) {
    const QString path = directory + QLatin1Char('/') + name;
    if (!QFileInfo::exists(path) && !QDir().mkpath(directory))
        return false;
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Append | QIODevice::Unbuffered))
        return false;
    // One write per line, so lines from several threads do not interleave.
    const bool written = file.write(line) == line.size();
    file.close();
    return written;
}

}  // namespace

void setClock(Clock clock) {
    clockFunction() = std::move(clock);
}

void setDirectoryOverride(const QString& directory) {
    directoryOverride() = directory;
}

QString lineText(QtMsgType type, const QString& message) {
    switch (type) {
        case QtDebugMsg:
        case QtInfoMsg:
            return message;
        case QtWarningMsg:
            return QStringLiteral("Warning: ") + message;
        case QtCriticalMsg:
            return QStringLiteral("Critical: ") + message;
        case QtFatalMsg:
            return QStringLiteral("Fatal: ") + message;
    }
    return message;
}

QString fileName(const QDateTime& time) {
    return time.toString(QStringLiteral("yyyy_MM_dd_hh")) + QStringLiteral(".txt");
}

bool isSystemFolder(const QString& path) {
    static const char* const prefixes[] = {"/usr",   "/opt",   "/bin",       "/sbin",     "/lib",
                                           "/lib32", "/lib64", "/libx32",    "/etc",      "/var",
                                           "/snap",  "/app",   "/nix/store", "/gnu/store"};
    const QString clean = QDir::cleanPath(path);
    for (const char* prefix : prefixes) {
        const QLatin1String p(prefix);
        if (clean == p || clean.startsWith(p + QLatin1Char('/')))
            return true;
    }
    return false;
}

bool logsBesideExecutable(const QString& directory) {
    const QFileInfo info(directory);
    const QString canonical =
        info.canonicalFilePath().isEmpty() ? info.absoluteFilePath() : info.canonicalFilePath();
    const QDir dir(canonical);
    if (dir.exists(QStringLiteral("CMakeCache.txt")) ||
        dir.exists(QStringLiteral("../CMakeCache.txt")))
        return true;
    return ::access(QFile::encodeName(canonical).constData(), W_OK) == 0 &&
           !isSystemFolder(canonical);
}

QString primaryDirectory() {
    if (!directoryOverride().isEmpty())
        return directoryOverride();
    const QString directory = applicationDirectory();
    if (!logsBesideExecutable(directory))
        return fallbackDirectory();
    return directory + QStringLiteral("/Log");
}

QString fallbackDirectory() {
    return QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation) +
           QStringLiteral("/" APP_NAME "/Log");
}

bool write(QtMsgType type, const QString& message) {
    // The same moment names the file and stamps the line, so a line never lands in the file of
    // the neighbouring hour.
    const QDateTime time = now();
    const QByteArray line =
        encode(time.toString(QStringLiteral("yyyy-MM-dd hh:mm:ss")) + QStringLiteral(": ") +
               lineText(type, message) + QLatin1Char('\n'));
    const QString name = fileName(time);
    if (appendTo(primaryDirectory(), name, line))
        return true;
    return appendTo(fallbackDirectory(), name, line);
}

void messageHandler(QtMsgType type, const QMessageLogContext& context, const QString& message) {
    Q_UNUSED(context);
    // Anything the file code itself reports must not come back here.
    static thread_local bool busy = false;
    if (busy)
        return;
    busy = true;
    write(type, message);  // a message that cannot be written is dropped
    // Someone watching a terminal sees the problems at once, log or not.
    if (type != QtDebugMsg && type != QtInfoMsg && ::isatty(STDERR_FILENO)) {
        const QByteArray text = lineText(type, message).toLocal8Bit() + '\n';
        std::fwrite(text.constData(), 1, size_t(text.size()), stderr);
        std::fflush(stderr);
    }
    busy = false;
}

bool installFromArguments(const QStringList& arguments) {
    for (const QString& argument : arguments) {
        if (argument == QLatin1String("-d")) {
            qInstallMessageHandler(messageHandler);
            installed() = true;
            return true;
        }
    }
    return false;
}

bool isInstalled() {
    return installed();
}

}  // namespace KLog
