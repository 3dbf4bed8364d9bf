// Cost the click pacing adds to an injected event when nothing is held (the common case): the
// same events sent straight to an injector that drops them and through KPacedInjector in front
// of it. Batches of events are timed; the median per event over the batches is printed.
//   bench_paced_injector [batches]        (default 200 batches of 1000 events)
#include "platform/KInputCodes.h"
#include "platform/KPacedInjector.h"

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <functional>
#include <vector>

namespace {

class NullInjector : public KInputInjector {
public:
    void sendKey(quint8 vk, bool up, quintptr) override { sink += vk + up; }
    void sendMouse(quint32 flags, qint32 data, quintptr) override { sink += flags + data; }
    QString method() const override { return QStringLiteral("null"); }
    volatile long sink = 0;
};

constexpr int kBatch = 1000;

double medianNsPerEvent(int batches, const std::function<void(int)>& send) {
    std::vector<double> perEvent;
    perEvent.reserve(batches);
    for (int b = 0; b < batches; ++b) {
        const auto start = std::chrono::steady_clock::now();
        for (int i = 0; i < kBatch; ++i)
            send(i);
        const auto end = std::chrono::steady_clock::now();
        perEvent.push_back(std::chrono::duration<double, std::nano>(end - start).count() / kBatch);
    }
    std::sort(perEvent.begin(), perEvent.end());
    return perEvent[perEvent.size() / 2];
}

}  // namespace

int main(int argc, char** argv) {
    const int batches = argc > 1 ? std::max(1, std::atoi(argv[1])) : 200;
    NullInjector null;
    KPacedInjector paced(&null);
    using namespace KMouseFlag;
    struct Case {
        const char* name;
        std::function<void(KInputInjector*, int)> send;
    };
    // Events the pacing never holds. A click of a button that was clicked less than 40 ms
    // before is held on purpose; the cost of a first click is measured below, one click per
    // fresh wrapper.
    const Case cases[] = {
        {"key down/up", [](KInputInjector* j, int i) { j->sendKey(quint8(i), i & 1, 9591); }},
        {"wheel", [](KInputInjector* j, int i) { j->sendMouse(WHEEL, i & 1 ? 120 : -120, 9591); }},
        {"button up only", [](KInputInjector* j, int) { j->sendMouse(LEFTUP, 0, 9591); }},
    };
    std::printf("%-16s %12s %12s %12s\n", "event", "direct ns", "paced ns", "added ns");
    for (const Case& c : cases) {
        const double direct = medianNsPerEvent(batches, [&](int i) { c.send(&null, i); });
        const double viaPaced = medianNsPerEvent(batches, [&](int i) { c.send(&paced, i); });
        std::printf("%-16s %12.1f %12.1f %12.1f\n", c.name, direct, viaPaced, viaPaced - direct);
    }
    // A first click (not held): one click per fresh wrapper.
    {
        std::vector<double> direct, viaPaced;
        for (int b = 0; b < batches * 10; ++b) {
            auto t0 = std::chrono::steady_clock::now();
            null.sendMouse(LEFTCLICK, 0, 9591);
            auto t1 = std::chrono::steady_clock::now();
            KPacedInjector fresh(&null);
            auto t2 = std::chrono::steady_clock::now();
            fresh.sendMouse(LEFTCLICK, 0, 9591);
            auto t3 = std::chrono::steady_clock::now();
            direct.push_back(std::chrono::duration<double, std::nano>(t1 - t0).count());
            viaPaced.push_back(std::chrono::duration<double, std::nano>(t3 - t2).count());
        }
        std::sort(direct.begin(), direct.end());
        std::sort(viaPaced.begin(), viaPaced.end());
        const double d = direct[direct.size() / 2], p = viaPaced[viaPaced.size() / 2];
        std::printf("%-16s %12.1f %12.1f %12.1f\n", "first click", d, p, p - d);
    }
    return 0;
}
