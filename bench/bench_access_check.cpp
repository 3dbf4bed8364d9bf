// How long one access check of the Linux backend takes on this machine (libudev listing of the
// hidraw and event nodes, the opens, the rule folders): it runs on the GUI thread at start, on
// every device change and on "Check again", so it has to stay in the low milliseconds.
//   build/bench/bench_access_check [ROUNDS]

#include "platform/linux/KLinuxAccessCheck.h"

#include <QCoreApplication>
#include <QElapsedTimer>

#include <algorithm>
#include <cstdio>
#include <vector>

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    const int rounds = argc > 1 ? std::max(1, atoi(argv[1])) : 200;
    KLinuxAccessCheck check;
    std::vector<qint64> times;
    times.reserve(size_t(rounds));
    KAccessCheck::Result result;
    for (int i = 0; i < rounds; ++i) {
        QElapsedTimer timer;
        timer.start();
        result = check.check();
        times.push_back(timer.nsecsElapsed());
    }
    std::sort(times.begin(), times.end());
    const auto us = [](qint64 ns) { return double(ns) / 1000.0; };
    std::printf("access check, %d rounds: median %.1f us, 95th %.1f us, max %.1f us\n", rounds,
                us(times[times.size() / 2]), us(times[times.size() * 95 / 100]), us(times.back()));
    std::printf("outcome: %s\n", qPrintable(result.summary()));
    return 0;
}
