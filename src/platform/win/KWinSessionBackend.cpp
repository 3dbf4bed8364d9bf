#include "platform/win/KWinSessionBackend.h"

#include "platform/win/KWinHeaders.h"

#include <QDebug>
#include <QDir>
#include <QFileInfo>
#include <QProcess>
#include <QRegularExpression>
#include <QSettings>

#include <mmsystem.h>
#include <shellapi.h>

namespace {

const wchar_t* wide(const QString& text) {
    return reinterpret_cast<const wchar_t*>(text.utf16());
}

// The alias of the one sound the program plays at a time.
constexpr wchar_t kSoundAlias[] = L"pointora_sound";

}  // namespace

KWinSessionBackend::~KWinSessionBackend() {
    stopSound();
}

void KWinSessionBackend::lockSession() {
    if (!LockWorkStation())
        qWarning().noquote() << "[Warn] LockWorkStation failed:" << GetLastError();
}

void KWinSessionBackend::openPath(const QString& path) {
    const QString file = QDir::toNativeSeparators(path);
    ::ShellExecuteW(nullptr, L"open", wide(file), nullptr, nullptr, SW_SHOW);
}

QString KWinSessionBackend::commandLine(const QStringList& arguments) {
    QStringList quoted;
    for (const QString& argument : arguments) {
        if (!argument.isEmpty() &&
            !argument.contains(QRegularExpression(QStringLiteral("[\\s\"]")))) {
            quoted << argument;
            continue;
        }
        // Backslashes are literal except before a quote: double those, escape the quote, and
        // double the ones that end the argument before the closing quote.
        QString out = QStringLiteral("\"");
        int backslashes = 0;
        for (const QChar c : argument) {
            if (c == QLatin1Char('\\')) {
                ++backslashes;
                continue;
            }
            if (c == QLatin1Char('"'))
                out += QString(backslashes * 2 + 1, QLatin1Char('\\'));
            else
                out += QString(backslashes, QLatin1Char('\\'));
            backslashes = 0;
            out += c;
        }
        out += QString(backslashes * 2, QLatin1Char('\\'));
        out += QLatin1Char('"');
        quoted << out;
    }
    return quoted.join(QLatin1Char(' '));
}

// "runas" shows the elevation prompt; a declined prompt fails like any other start.
bool KWinSessionBackend::startProgram(const QString& program, const QStringList& arguments,
                                      const QString& workingDirectory, bool elevated) {
    const QString file = QDir::toNativeSeparators(program);
    const QString parameters = commandLine(arguments);
    const QString directory = QDir::toNativeSeparators(workingDirectory);
    const HINSTANCE result =
        ::ShellExecuteW(nullptr, elevated ? L"runas" : L"open", wide(file),
                        parameters.isEmpty() ? nullptr : wide(parameters),
                        directory.isEmpty() ? nullptr : wide(directory), SW_SHOWNORMAL);
    // Values up to 32 are errors.
    const bool ok = reinterpret_cast<quintptr>(result) > 32;
    if (!ok)
        qWarning().noquote() << "[Warn] cannot start" << file << "error"
                             << reinterpret_cast<quintptr>(result);
    return ok;
}

bool KWinSessionBackend::openMagnifier() {
    return QProcess::startDetached(QStringLiteral("cmd"),
                                   {QStringLiteral("/c"), QStringLiteral("magnify")});
}

void KWinSessionBackend::stopSound() {
    if (!m_soundOpen)
        return;
    mciSendStringW(L"close pointora_sound", nullptr, 0, nullptr);
    m_soundOpen = false;
}

// The media control interface plays what the system has a codec for (WAV, MP3, WMA) without a
// window; "play" returns at once.
void KWinSessionBackend::playSound(const QString& path) {
    stopSound();
    if (path.isEmpty() || !QFileInfo(path).isFile())
        return;
    const QString open =
        QStringLiteral("open \"%1\" type mpegvideo alias %2")
            .arg(QDir::toNativeSeparators(path), QString::fromWCharArray(kSoundAlias));
    if (mciSendStringW(wide(open), nullptr, 0, nullptr) != 0) {
        qWarning().noquote() << "[Warn] cannot play" << path;
        return;
    }
    m_soundOpen = true;
    mciSendStringW(L"play pointora_sound", nullptr, 0, nullptr);
}

QString KWinSessionBackend::runKey() {
    return QStringLiteral("HKEY_CURRENT_USER\\SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Run");
}

QString KWinSessionBackend::autorunEntry(const QString& name) {
    QSettings run(runKey(), QSettings::NativeFormat);
    return run.value(name).toString();
}

void KWinSessionBackend::setAutorunEntry(const QString& name, const QString& executable) {
    QSettings run(runKey(), QSettings::NativeFormat);
    run.setValue(name, QDir::toNativeSeparators(executable));
}

void KWinSessionBackend::removeAutorunEntry(const QString& name) {
    QSettings run(runKey(), QSettings::NativeFormat);
    run.remove(name);
}
