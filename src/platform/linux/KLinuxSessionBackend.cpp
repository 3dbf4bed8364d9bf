#include "platform/linux/KLinuxSessionBackend.h"

#include "platform/linux/KXdgAutostart.h"

#include <QDBusConnection>
#include <QDBusMessage>
#include <QDBusPendingCallWatcher>
#include <QDBusPendingReply>
#include <QDebug>
#include <QDesktopServices>
#include <QFile>
#include <QFileInfo>
#include <QMediaPlayer>
#include <QProcess>
#include <QRegularExpression>
#include <QStandardPaths>
#include <QUrl>

KLinuxSessionBackend::KLinuxSessionBackend(QObject* parent) : QObject(parent) {}

KLinuxSessionBackend::~KLinuxSessionBackend() = default;

void KLinuxSessionBackend::lockSession() {
    QDBusConnection bus = QDBusConnection::sessionBus();
    if (!bus.isConnected()) {
        lockWithLoginctl();
        return;
    }
    const QDBusMessage call = QDBusMessage::createMethodCall(
        QStringLiteral("org.freedesktop.ScreenSaver"),
        QStringLiteral("/org/freedesktop/ScreenSaver"),
        QStringLiteral("org.freedesktop.ScreenSaver"), QStringLiteral("Lock"));
    auto* watcher = new QDBusPendingCallWatcher(bus.asyncCall(call), this);
    connect(watcher, &QDBusPendingCallWatcher::finished, this,
            [this](QDBusPendingCallWatcher* finished) {
                finished->deleteLater();
                if (!finished->isError())
                    return;
                qInfo().noquote() << "[Info] screen locker over D-Bus unavailable ("
                                  << finished->error().message() << "); trying loginctl";
                lockWithLoginctl();
            });
}

void KLinuxSessionBackend::lockWithLoginctl() {
    QStringList arguments{QStringLiteral("lock-session")};
    const QString session = qEnvironmentVariable("XDG_SESSION_ID");
    if (!session.isEmpty())
        arguments << session;
    auto* process = new QProcess(this);
    connect(process, QOverload<int, QProcess::ExitStatus>::of(&QProcess::finished), process,
            [process](int code, QProcess::ExitStatus status) {
                if (status != QProcess::NormalExit || code != 0)
                    qWarning().noquote() << "lock: loginctl lock-session failed:"
                                         << process->readAllStandardError().trimmed();
                process->deleteLater();
            });
    connect(process, &QProcess::errorOccurred, process, [process](QProcess::ProcessError error) {
        if (error == QProcess::FailedToStart) {
            qWarning() << "lock: no screen locker reachable (loginctl cannot be started)";
            process->deleteLater();
        }
    });
    process->start(QStringLiteral("loginctl"), arguments);
}

bool KLinuxSessionBackend::isProgram(const QString& path) {
    const QFileInfo info(path);
    if (!info.isFile() || !info.isExecutable())
        return false;
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return false;
    const QByteArray head = file.read(4);
    return head == QByteArray(
                       "\x7f"
                       "ELF",
                       4) ||
           head.startsWith("#!");
}

void KLinuxSessionBackend::openPath(const QString& path) {
    if (path.isEmpty()) {
        qInfo() << "[Info] open: no path assigned";
        return;
    }
    if (isProgram(path)) {
        startProgram(path, {}, QFileInfo(path).absolutePath(), false);
        return;
    }
    if (!QFileInfo::exists(path)) {
        qWarning().noquote() << "open:" << path << "does not exist";
        return;
    }
    if (!QDesktopServices::openUrl(QUrl::fromLocalFile(path)))
        qWarning().noquote() << "open: no default handler opened" << path;
}

bool KLinuxSessionBackend::startProgram(const QString& program, const QStringList& arguments,
                                        const QString& workingDirectory, bool elevated) {
    // There is no elevation prompt to go through on Linux: the program starts with the
    // user's rights, which is all the program and its watcher need.
    Q_UNUSED(elevated);
    if (!QProcess::startDetached(program, arguments, workingDirectory)) {
        qWarning().noquote() << "start: cannot start" << program;
        return false;
    }
    return true;
}

void KLinuxSessionBackend::openMagnifier() {
    const QString desktop = qEnvironmentVariable("XDG_CURRENT_DESKTOP");
    const QString gsettings = QStandardPaths::findExecutable(QStringLiteral("gsettings"));
    // GNOME and its relatives have the magnifier built into the shell.
    if (!gsettings.isEmpty() &&
        QRegularExpression(QStringLiteral("GNOME|Unity|Budgie|Cinnamon|Pantheon"))
            .match(desktop)
            .hasMatch()) {
        startProgram(gsettings,
                     {QStringLiteral("set"), QStringLiteral("org.gnome.desktop.a11y.applications"),
                      QStringLiteral("screen-magnifier-enabled"), QStringLiteral("true")},
                     QString(), false);
        return;
    }
    for (const char* name : {"kmag", "magnus", "xzoom", "xmag"}) {
        const QString program = QStandardPaths::findExecutable(QString::fromLatin1(name));
        if (!program.isEmpty()) {
            startProgram(program, {}, QString(), false);
            return;
        }
    }
    qWarning() << "magnifier: none installed (for example kmag, magnus or xzoom)";
}

void KLinuxSessionBackend::stopSound() {
    if (m_player)
        m_player->stop();
}

void KLinuxSessionBackend::playSound(const QString& path) {
    if (!m_player) {
        m_player = new QMediaPlayer(this);
        connect(m_player, QOverload<QMediaPlayer::Error>::of(&QMediaPlayer::error), this,
                [this](QMediaPlayer::Error) {
                    qWarning().noquote() << "sound:" << m_player->errorString();
                });
    }
    m_player->setMedia(QUrl::fromLocalFile(path));
    m_player->play();
}

QString KLinuxSessionBackend::autorunEntry(const QString& name) {
    return KXdgAutostart::entryProgram(name);
}

void KLinuxSessionBackend::setAutorunEntry(const QString& name, const QString& executable) {
    KXdgAutostart::writeEntry(name, executable);
}

void KLinuxSessionBackend::removeAutorunEntry(const QString& name) {
    KXdgAutostart::removeEntry(name);
}
