#include "platform/linux/KLinuxSessionBackend.h"

#include "platform/linux/KDesktopSession.h"
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
    // A launcher is run, as the desktop's menu would, not opened in an editor.
    if (QFileInfo(path).isFile() && path.endsWith(QLatin1String(".desktop"), Qt::CaseInsensitive)) {
        launchDesktopEntry(path);
        return;
    }
    if (!QDesktopServices::openUrl(QUrl::fromLocalFile(path)))
        qWarning().noquote() << "open: no default handler opened" << path;
}

bool KLinuxSessionBackend::desktopEntryLaunch(const QString& path, Launch* launch, QString* why) {
    const QMap<QString, QString> keys = KXdgAutostart::readDesktopEntry(path);
    if (keys.isEmpty()) {
        *why = QStringLiteral("it is not a readable desktop entry");
        return false;
    }
    const QString type = keys.value(QStringLiteral("Type"));
    *launch = Launch();
    if (type == QLatin1String("Link")) {
        launch->url = keys.value(QStringLiteral("URL"));
        if (launch->url.isEmpty()) {
            *why = QStringLiteral("the link has no URL");
            return false;
        }
        return true;
    }
    if (type != QLatin1String("Application")) {
        *why = QStringLiteral("its type is \"%1\", not Application").arg(type);
        return false;
    }
    const QString tryExec = keys.value(QStringLiteral("TryExec"));
    if (!tryExec.isEmpty() && QStandardPaths::findExecutable(tryExec).isEmpty() &&
        !QFileInfo(tryExec).isExecutable()) {
        *why = QStringLiteral("its program %1 is not installed").arg(tryExec);
        return false;
    }
    QStringList arguments = KXdgAutostart::execArguments(keys.value(QStringLiteral("Exec")));
    if (arguments.isEmpty()) {
        *why = QStringLiteral("it has no usable Exec line");
        return false;
    }
    if (keys.value(QStringLiteral("Terminal"))
            .compare(QLatin1String("true"), Qt::CaseInsensitive) == 0) {
        const QString terminal =
            QStandardPaths::findExecutable(QStringLiteral("x-terminal-emulator"));
        if (!terminal.isEmpty())
            arguments = QStringList{terminal, QStringLiteral("-e")} + arguments;
    }
    launch->program = arguments.takeFirst();
    launch->arguments = arguments;
    launch->workingDirectory = keys.value(QStringLiteral("Path"));
    return true;
}

void KLinuxSessionBackend::launchDesktopEntry(const QString& path) {
    Launch launch;
    QString why;
    if (!desktopEntryLaunch(path, &launch, &why)) {
        qWarning().noquote() << "open: cannot launch" << path << ":" << why;
        return;
    }
    if (!launch.url.isEmpty()) {
        if (!QDesktopServices::openUrl(QUrl::fromUserInput(launch.url)))
            qWarning().noquote() << "open: no handler opened" << launch.url;
        return;
    }
    // Started directly, never through a shell: the Exec line is not shell syntax.
    startProgram(launch.program, launch.arguments, launch.workingDirectory, false);
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

bool KLinuxSessionBackend::openMagnifier() {
    const KDesktopSession& session = KDesktopSession::current();
    const QString gsettings = QStandardPaths::findExecutable(QStringLiteral("gsettings"));
    // GNOME and its relatives have the magnifier built into the shell, switched by a setting.
    const bool gnomeLike =
        session.desktop == KDesktopSession::Desktop::Gnome ||
        QRegularExpression(QStringLiteral("Cinnamon")).match(session.desktopName).hasMatch();
    if (gnomeLike && !gsettings.isEmpty()) {
        startProgram(gsettings,
                     {QStringLiteral("set"), QStringLiteral("org.gnome.desktop.a11y.applications"),
                      QStringLiteral("screen-magnifier-enabled"), QStringLiteral("true")},
                     QString(), false);
        return true;
    }
    // KDE's magnifier first on Plasma; the X11 ones only where X11 windows are the screen.
    QStringList names{QStringLiteral("kmag")};
    if (session.isX11())
        names << QStringLiteral("magnus") << QStringLiteral("xzoom") << QStringLiteral("xmag");
    for (const QString& name : names) {
        const QString program = QStandardPaths::findExecutable(name);
        if (!program.isEmpty()) {
            startProgram(program, {}, QString(), false);
            return true;
        }
    }
    qWarning().noquote() << "magnifier: none available in this session (" << session.describe()
                         << "); install kmag (KDE) or use GNOME's";
    return false;
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
