// One pairing attempt with the receiver through the product's own pairing classes on the real
// Linux platform (hidraw), for the real-kernel scenarios:
//
//   pair_probe [--type 1|2] [--pause-scale F] [--timeout SECONDS]
//
// Prints "result 1 <message>" or "result 0 <message>" (the attempt's result flag and message)
// and the attempt's duration, and exits 0 on success, 1 on failure, 3 when no result came
// within the time-out. The protocol's pauses are shortened by --pause-scale (default 0.1)
// through MouseCommunity::setSleeper, the injection point the product provides for that; the
// kernel's own time-outs stay as they are.

#include "device/MCPairMutiThread.h"
#include "device/MouseCommunity.h"

#include <QCommandLineParser>
#include <QCoreApplication>
#include <QElapsedTimer>
#include <QThread>
#include <QTimer>

#include <cstdio>
#include <cstdlib>

int main(int argc, char* argv[]) {
    QCoreApplication app(argc, argv);
    QCommandLineParser parser;
    parser.addOption({"type", "1 mouse, 2 keyboard", "type", "1"});
    parser.addOption({"pause-scale", "factor for the protocol's pauses", "factor", "0.1"});
    parser.addOption({"timeout", "seconds to wait for the result", "seconds", "120"});
    parser.process(app);
    const int type = parser.value("type").toInt();
    const double scale = parser.value("pause-scale").toDouble();
    const int timeout = parser.value("timeout").toInt();

    MouseCommunity::setSleeper(
        [scale](int milliseconds) { QThread::msleep(ulong(milliseconds * scale + 0.5)); });

    QElapsedTimer clock;
    clock.start();
    MCPairMutiThread pairing;
    QObject::connect(
        &pairing, &MCPairMutiThread::sigPairResult, &app, [&](bool status, const QString& message) {
            std::printf("result %d %s\nelapsed_ms %lld\n", status ? 1 : 0,
                        message.toUtf8().constData(), static_cast<long long>(clock.elapsed()));
            std::fflush(stdout);
            app.exit(status ? 0 : 1);
        });
    QTimer::singleShot(0, &app, [&] { pairing.startPair(type); });
    QTimer::singleShot(timeout * 1000, &app, [&] {
        std::printf("no result after %d s\n", timeout);
        std::fflush(stdout);
        // The attempt still runs in its thread: leave without waiting for it.
        std::_Exit(3);
    });
    return app.exec();
}
