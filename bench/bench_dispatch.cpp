// Cost of one device key event from KDeviceSimulator::onKeyDown through the dispatch to the
// input injector, on the simulated platform. Each call is timed on its own; the median and the
// 99th percentile are printed per scenario.
//   bench_dispatch [samples]            (default 20000 per scenario)
//   POINTORA_SIM_LOG=/path bench_dispatch   includes writing the simulation log
//   xvfb-run -a bench_dispatch [samples] --xtest   adds the Linux injector through XTest (it
//                                        sends real keys: use a throw-away X server)
#include "config/KConfigCommon.h"
#include "platform/KInputInjector.h"
#include "platform/KPlatform.h"
#include "platform/linux/KLinuxInputInjector.h"
#include "simulation/KDeviceKeyCode.h"
#include "simulation/KDeviceSimulator.h"
#include "simulation/KInputSimulation.h"
#include "simulation/KWinSimulator.h"

#include <QCoreApplication>
#include <QTemporaryDir>
#include <QTextStream>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdio>
#include <memory>
#include <vector>

namespace {

// Takes the events and does nothing with them: what remains is the program's own cost.
class CountingInjector : public KInputInjector {
public:
    void sendKey(quint8, bool, quintptr) override { ++events; }
    void sendMouse(quint32, qint32, quintptr) override { ++events; }
    QString method() const override { return QStringLiteral("count"); }
    std::atomic<long> events{0};
};

struct Result {
    double median, p99, max;
};

Result measure(KDeviceSimulator& simulator, quint32 code, int samples) {
    using Clock = std::chrono::steady_clock;
    for (int i = 0; i < samples / 10 + 100; ++i)  // warm-up
        simulator.onKeyDown(code);
    std::vector<double> micros(static_cast<size_t>(samples));
    for (int i = 0; i < samples; ++i) {
        const auto start = Clock::now();
        simulator.onKeyDown(code);
        micros[size_t(i)] = std::chrono::duration<double, std::micro>(Clock::now() - start).count();
    }
    std::sort(micros.begin(), micros.end());
    return {micros[micros.size() / 2],
            micros[std::min(micros.size() - 1, micros.size() * 99 / 100)], micros.back()};
}

}  // namespace

int main(int argc, char* argv[]) {
    qputenv("POINTORA_PLATFORM", "sim");
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QCoreApplication app(argc, argv);
    QTemporaryDir dir;
    const QStringList arguments = app.arguments();
    const bool xtest = arguments.contains(QStringLiteral("--xtest"));
    const int samples = argc > 1 && arguments.at(1) != QLatin1String("--xtest")
                            ? std::max(100, atoi(argv[1]))
                            : 20000;
    std::unique_ptr<KLinuxInputInjector> linuxInjector;
    if (xtest) {
        KLinuxInputInjector::Options options;
        options.uinputPath = dir.path() + "/no-uinput";  // never a real device
        linuxInjector = std::make_unique<KLinuxInputInjector>(options);
    }

    KConfigCommon store(dir.path() + "/config");
    KPlatform* platform = KPlatform::instance();
    KWinSimulator win(&store, platform->desktopBackend(), platform->sessionBackend());
    KDeviceSimulator simulator(&store, &win, platform->sessionBackend());

    struct Scenario {
        const char* name;
        int keyValue;
    };
    const Scenario scenarios[] = {
        {"None (look-up and path read only)", 0},
        {"Copy (4 key events)", 2},
        {"Click (1 mouse event)", 21},
        {"Previous tab (6 key events)", 50},
    };

    CountingInjector counting;
    QTextStream out(stdout);
    out << "onKeyDown(RightKey) -> dispatch -> injector, " << samples << " samples each,"
        << " microseconds\n";
    out << QString("%1 %2 %3 %4 %5\n")
               .arg("injector", -10)
               .arg("scenario", -38)
               .arg("median", 9)
               .arg("p99", 9)
               .arg("max", 9);
    struct Injector {
        const char* name;
        KInputInjector* injector;  // null: the platform's recorder
    };
    std::vector<Injector> injectors = {{"counting", &counting}, {"sim", nullptr}};
    if (linuxInjector)
        injectors.push_back({"xtest", linuxInjector.get()});
    for (const Injector& injector : injectors) {
        replaceInputInjector(injector.injector);
        for (const Scenario& s : scenarios) {
            store.setKeyValueWithKeyType(2, s.keyValue, false);
            simulator.onConfigChange(2, s.keyValue);
            const Result r = measure(simulator, KDeviceKeyCode::MOUSE_RIGHT, samples);
            out << QString("%1 %2 %3 %4 %5\n")
                       .arg(injector.name, -10)
                       .arg(s.name, -38)
                       .arg(r.median, 9, 'f', 2)
                       .arg(r.p99, 9, 'f', 2)
                       .arg(r.max, 9, 'f', 2);
            out.flush();
        }
    }
    replaceInputInjector(nullptr);
    return 0;
}
