// Wall time of whole pairing attempts with the product's pauses, against the simulated receiver
// firmware through the HID layer: the receiver pairs after N polls. Each poll should cost about
// 350 ms (300 ms before the write, 50 ms before the read), begin and end about 100 ms each.
//   build/bench/bench_pairing [max-polls]

#include "device/MCPairMutiThread.h"
#include "platform/sim/KSimController.h"
#include "platform/sim/KSimDevices.h"
#include "platform/sim/KSimReceiverFirmware.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QEventLoop>

#include <cstdio>

int main(int argc, char* argv[]) {
    QCoreApplication app(argc, argv);
    const int maxPolls = argc > 1 ? QByteArray(argv[1]).toInt() : 4;
    KSimController::Options options;
    options.devices = QStringList{"receiver"};
    KSimController controller(options);
    KSimDevices devices(&controller);
    KSimHidBackend hid(&devices);
    KSimReceiverFirmware firmware;
    firmware.serve(&devices);
    MCPairMutiThread pairing(&hid);

    std::printf("polls  attempt_ms  per_poll_ms (beyond begin+end)\n");
    for (int polls = 1; polls <= maxPolls; ++polls) {
        firmware.setSucceedAfter(polls);
        QEventLoop loop;
        bool ok = false;
        auto connection = QObject::connect(&pairing, &MCPairMutiThread::sigPairResult,
                                           [&](bool status, const QString&) {
                                               ok = status;
                                               loop.quit();
                                           });
        QElapsedTimer timer;
        timer.start();
        pairing.startPair(1);
        loop.exec();
        const double ms = timer.nsecsElapsed() / 1e6;
        QObject::disconnect(connection);
        std::printf("%5d  %10.1f  %11.1f%s\n", polls, ms, (ms - 200.0) / polls,
                    ok ? "" : "  (failed)");
    }
    return 0;
}
