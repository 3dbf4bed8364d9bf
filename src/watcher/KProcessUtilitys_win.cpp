#include "watcher/KProcessUtilitys.h"

#include <QCoreApplication>
#include <QDir>
#include <QProcess>
#include <QStringList>

#include <qt_windows.h>
#include <shellapi.h>

namespace {

constexpr int kTaskListTimeoutMs = 30000;

QString& scope() {
    static QString directory;
    return directory;
}

}  // namespace

// The task list filtered on the image name prints the matching processes, or an information line
// without the name when there are none. A tool that does not start prints nothing.
bool KProcessUtilitys::isProcessRunning(QString imageName) {
    if (imageName.isEmpty())
        return false;
    QProcess process;
    process.start(QStringLiteral("tasklist"),
                  {QStringLiteral("/FI"), QStringLiteral("imagename eq ") + imageName},
                  QIODevice::ReadWrite);
    process.waitForFinished(kTaskListTimeoutMs);
    const QString output = QString::fromLocal8Bit(process.readAllStandardOutput());
    return output.contains(imageName, Qt::CaseSensitive);
}

// Ends every process of that image name by force; the tool's exit status is not examined.
void KProcessUtilitys::killProcess(QString imageName) {
    QProcess::execute(QStringLiteral("taskkill"),
                      {QStringLiteral("/im"), imageName, QStringLiteral("/f")});
}

// Opened through the shell with its default verb, shown normally, from the watcher's directory.
void KProcessUtilitys::startProcess(QString path) {
    const QString file = QDir::toNativeSeparators(path);
    const QString directory = QDir::toNativeSeparators(QCoreApplication::applicationDirPath());
    ::ShellExecuteW(nullptr, L"", reinterpret_cast<LPCWSTR>(file.utf16()), nullptr,
                    reinterpret_cast<LPCWSTR>(directory.utf16()), SW_SHOWNORMAL);
}

// The task list cannot filter by directory; the restriction is kept but not applied here.
void KProcessUtilitys::setScopeDirectory(const QString& directory) {
    scope() = directory;
}

QString KProcessUtilitys::scopeDirectory() {
    return scope();
}
