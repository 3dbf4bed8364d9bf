#include "app/AppManager.h"
#include "app/KConstants.h"
#include "app/KLog.h"
#include "app/KSingleApplication.h"

#include <QFile>
#include <QSocketNotifier>
#include <QStringList>

#ifndef Q_OS_WIN
#include <sys/socket.h>
#include <unistd.h>
#include <csignal>
#endif
#include <cstdio>

namespace {

#ifndef Q_OS_WIN
int g_terminationPipe[2] = {-1, -1};

void onTerminationSignal(int) {
    const char byte = 1;
    [[maybe_unused]] const ssize_t written = ::write(g_terminationPipe[1], &byte, 1);
}

// SIGTERM (the session ending, `kill`) and SIGINT (Ctrl+C) end the program as the tray's
// "Close" does, through the event loop, so that the devices are let go in order.
void quitOnTerminationSignals(QCoreApplication* app) {
    if (::socketpair(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0, g_terminationPipe) != 0)
        return;
    auto* notifier = new QSocketNotifier(g_terminationPipe[0], QSocketNotifier::Read, app);
    QObject::connect(notifier, &QSocketNotifier::activated, app, [] {
        char byte = 0;
        [[maybe_unused]] const ssize_t got = ::read(g_terminationPipe[0], &byte, 1);
        QCoreApplication::exit(0);
    });
    struct sigaction action = {};
    action.sa_handler = onTerminationSignal;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESTART;
    ::sigaction(SIGTERM, &action, nullptr);
    ::sigaction(SIGINT, &action, nullptr);
}
#endif

void reportUnreachableFirstCopy(const KSingleApplication& app) {
    const QString lock = KSingleApplication::lockPath(app.id());
    const qint64 pid = app.holderPid();
    const QString holder =
        pid > 0 ? QStringLiteral("process %1").arg(pid) : QStringLiteral("another process");
    const QString text =
        QStringLiteral(
            "Pointora: another copy seems to be running (the lock file %1 is held by %2), but it "
            "did not answer within 2 seconds, so its window could not be shown. If that copy "
            "hangs, end it; if no copy of Pointora is running, delete %1 and start Pointora "
            "again.")
            .arg(lock, holder);
    std::fprintf(stderr, "%s\n", text.toLocal8Bit().constData());
    if (KLog::isInstalled())
        KLog::write(QtWarningMsg, text);
}

}  // namespace

int main(int argc, char* argv[]) {
    QCoreApplication::setAttribute(Qt::AA_EnableHighDpiScaling, true);

    QStringList arguments;
    for (int i = 0; i < argc; ++i)
        arguments << (argv[i] ? QString::fromLocal8Bit(argv[i]) : QString());
    KLog::installFromArguments(arguments);

    // The settings location and the lock file follow the program's name, not the file's name.
    QCoreApplication::setApplicationName(QStringLiteral(APP_NAME));
    // The toolkit looks at XDG_RUNTIME_DIR while the application object is built and complains
    // about a missing or foreign one; it sees the folder chosen for the instance guard instead
    // (whose choice is reported once), and the environment is put back for programs started
    // later.
    const QString runtime = KSingleApplication::runtimeDirectory();
    const bool sessionSet = qEnvironmentVariableIsSet("XDG_RUNTIME_DIR");
    const QByteArray session = qgetenv("XDG_RUNTIME_DIR");
    if (!runtime.isEmpty())
        qputenv("XDG_RUNTIME_DIR", QFile::encodeName(runtime));
    KSingleApplication app(QStringLiteral(APP_INSTANCE_ID), argc, argv);
    if (sessionSet)
        qputenv("XDG_RUNTIME_DIR", session);
    else
        qunsetenv("XDG_RUNTIME_DIR");
    if (app.isRunning()) {
        // 0: the running copy was told to show its window. 1: the lock is held but nobody
        // answered, so nothing was shown; say why instead of ending silently.
        if (app.sendMessage(QStringLiteral(APP_INSTANCE_ID), 2000))
            return 0;
        reportUnreachableFirstCopy(app);
        return 1;
    }
    // The program lives in the tray: hiding or closing its window does not end it.
    app.setQuitOnLastWindowClosed(false);

    AppManager* manager = AppManager::instance();
    QObject::connect(&app, &KSingleApplication::messageReceived, manager,
                     &AppManager::messageReceived);
    if (!manager->init())
        return 0;
#ifndef Q_OS_WIN
    // Windows ends a session through the toolkit's session messages instead.
    quitOnTerminationSignals(&app);
#endif
    return app.exec();
}
