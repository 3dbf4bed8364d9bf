// Latency of one device key event inside the program, on the simulated platform: from the
// backend delivering it (the receiver's driver queuing a device key code; the low-level hook and
// raw input of a Bluetooth mouse reporting a press) to the input injector receiving the first
// injected event of the assigned function. The path crosses the hook's worker thread and the
// main thread's event loop, as in the running program. Prints median, 99th percentile and
// maximum in microseconds.
//   bench_device_latency [samples]     (default 5000 per path)
#include "config/KConfigCommon.h"
#include "device/KDeviceHook.h"
#include "device/KDeviceWatcher.h"
#include "platform/KInputInjector.h"
#include "platform/KPlatform.h"
#include "platform/sim/KSimController.h"
#include "platform/sim/KSimDevices.h"
#include "simulation/KDeviceSimulator.h"
#include "simulation/KInputSimulation.h"
#include "simulation/KWinSimulator.h"

#include <QCoreApplication>
#include <QEventLoop>
#include <QTemporaryDir>
#include <QTextStream>
#include <QTimer>

#include <algorithm>
#include <chrono>
#include <functional>
#include <vector>

namespace {

using Clock = std::chrono::steady_clock;

// Notes when the first event of a dispatch arrives and ends the waiting loop.
class StopwatchInjector : public KInputInjector {
public:
    void sendKey(quint8, bool, quintptr) override { arrived(); }
    void sendMouse(quint32, qint32, quintptr) override { arrived(); }
    QString method() const override { return QStringLiteral("stopwatch"); }

    void arm(QEventLoop* loop) {
        m_loop = loop;
        m_armed = true;
    }
    Clock::time_point when() const { return m_when; }

private:
    void arrived() {
        if (!m_armed)
            return;
        m_armed = false;
        m_when = Clock::now();
        m_loop->quit();
    }
    QEventLoop* m_loop = nullptr;
    bool m_armed = false;
    Clock::time_point m_when;
};

struct Result {
    double median, p99, max;
    int lost;
};

// Runs deliver samples times; each time waits (at most a second) for the first injected event.
Result measure(StopwatchInjector& injector, const std::function<void()>& deliver,
               const std::function<void()>& release, int samples) {
    std::vector<double> micros;
    int lost = 0;
    for (int i = 0; i < samples + samples / 10; ++i) {
        QEventLoop loop;
        injector.arm(&loop);
        const Clock::time_point start = Clock::now();
        deliver();
        QTimer::singleShot(1000, &loop, &QEventLoop::quit);
        loop.exec();
        if (injector.when() < start) {
            ++lost;
        } else if (i >= samples / 10) {  // the first tenth warms up
            micros.push_back(
                std::chrono::duration<double, std::micro>(injector.when() - start).count());
        }
        release();
    }
    std::sort(micros.begin(), micros.end());
    if (micros.empty())
        return {0, 0, 0, lost};
    return {micros[micros.size() / 2],
            micros[std::min(micros.size() - 1, micros.size() * 99 / 100)], micros.back(), lost};
}

}  // namespace

int main(int argc, char* argv[]) {
    qputenv("POINTORA_PLATFORM", "sim");
    qputenv("POINTORA_SIM_DEVICES", "receiver");
    qunsetenv("POINTORA_SIM_LOG");
    qunsetenv("POINTORA_SIM_SOCKET");
    QCoreApplication app(argc, argv);
    const int samples = argc > 1 ? std::max(100, atoi(argv[1])) : 5000;
    QTemporaryDir dir;

    KConfigCommon store(dir.path() + "/config");
    store.setKeyValueWithKeyType(8, 2, false);  // ForwardKey: Copy (four key events)
    KPlatform* platform = KPlatform::instance();
    KSimController* sim = platform->simController();
    auto* driver = static_cast<KSimHookDriver*>(platform->hookDriver());
    auto* hooks = static_cast<KSimLowLevelHookBackend*>(platform->lowLevelHookBackend());
    auto* rawInput = static_cast<KSimRawInputBackend*>(platform->rawInputBackend());

    KWinSimulator win(&store, platform->desktopBackend(), platform->sessionBackend());
    KDeviceSimulator simulator(&store, &win, platform->sessionBackend());
    KDeviceWatcher watcher;
    KDeviceHookParts parts;
    parts.config = &store;
    parts.watcher = &watcher;
    KDeviceHook hook(parts);
    QObject::connect(&hook, &KDeviceHook::sigKeyDown, &simulator, &KDeviceSimulator::onKeyDown);
    StopwatchInjector injector;
    replaceInputInjector(&injector);

    QTextStream out(stdout);
    out << "device key event -> hook -> dispatch -> first injected event, " << samples
        << " samples each, microseconds\n";
    out << QString("%1 %2 %3 %4 %5\n")
               .arg("path", -38)
               .arg("median", 9)
               .arg("p99", 9)
               .arg("max", 9)
               .arg("lost", 5);
    auto print = [&](const char* name, const Result& r) {
        out << QString("%1 %2 %3 %4 %5\n")
                   .arg(name, -38)
                   .arg(r.median, 9, 'f', 1)
                   .arg(r.p99, 9, 'f', 1)
                   .arg(r.max, 9, 'f', 1)
                   .arg(r.lost, 5);
        out.flush();
    };

    hook.startHookFromWatcher();  // the receiver: USB hook
    print("receiver driver (forward)", measure(
                                           injector, [&] { driver->deliver(0x10, true); },
                                           [&] { driver->deliver(0x10, false); }, samples));

    sim->detach("receiver");
    sim->attach("ble-mouse");
    hook.startHookFromWatcher();  // only the Bluetooth mouse: Bluetooth hook
    const quintptr bleMouse = [&] {
        QList<KRawInputDevice> list;
        rawInput->deviceList(&list);
        for (const KRawInputDevice& d : list)
            if (KDeviceWatcher::isBluetoothDeviceName(d.name))
                return d.handle;
        return quintptr(0);
    }();
    print("Bluetooth hook + raw input (forward)",
          measure(
              injector,
              [&] {
                  hooks->mouseEvent({KHookValues::WmXButtonDown, KHookValues::XButton2 << 16, 0});
                  rawInput->deliver(bleMouse, KRawMouseFlags::Button5Down);
              },
              [&] {
                  hooks->mouseEvent({KHookValues::WmXButtonUp, KHookValues::XButton2 << 16, 0});
                  rawInput->deliver(bleMouse, KRawMouseFlags::Button5Up);
              },
              samples));
    replaceInputInjector(nullptr);
    return 0;
}
