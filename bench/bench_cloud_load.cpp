// Many new users at once against the real pointora-cloud: each client registers and then logs in,
// all starting together. For each crowd size it reports the latencies (p50, p99, worst), the
// refusals ("busy" answers) and the failures (reset, no answer within the client's 15 s), and at
// the end the largest crowd served completely with p99 under 15 s.
//
//   build/bench/bench_cloud_load [SIZE...]      (default 25 50 100 200 300 400)
//
// The service is build/bin/pointora-cloud (or POINTORA_BIN_DIR/pointora-cloud), started on a free
// loopback port with its data in a temporary folder.

#include <httplib.h>

#include <QCoreApplication>
#include <QDir>
#include <QProcess>
#include <QRegularExpression>
#include <QTemporaryDir>

#include <signal.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstdio>
#include <mutex>
#include <thread>
#include <vector>

namespace {

using Clock = std::chrono::steady_clock;
constexpr double kClientTimeoutMs = 15000;

struct Outcome {
    std::vector<double> latenciesMs;  // failed requests count as the client's time-out
    int busy = 0;
    int failed = 0;
    int servedClients = 0;
};

int startService(QProcess* process, const QString& dataDir) {
    QString dir = qEnvironmentVariable("POINTORA_BIN_DIR");
    if (dir.isEmpty())
        dir = QCoreApplication::applicationDirPath() + "/../bin";
    process->setProgram(dir + "/pointora-cloud");
    // Every simulated user comes from 127.0.0.1: the caps per client would otherwise refuse all
    // but the first few dozen registrations and logins.
    process->setArguments({"--listen", "127.0.0.1:0", "--data", dataDir, "--quiet",
                           "--limit-register", "0,0", "--limit-login", "0,0"});
    process->setProcessChannelMode(QProcess::ForwardedErrorChannel);
    process->start();
    if (!process->waitForStarted(5000))
        return -1;
    while (!process->canReadLine() && process->state() == QProcess::Running)
        process->waitForReadyRead(100);
    const QRegularExpressionMatch match =
        QRegularExpression(":(\\d+)$").match(QString::fromUtf8(process->readLine()).trimmed());
    return match.hasMatch() ? match.captured(1).toInt() : -1;
}

Outcome crowd(int port, int clients) {
    Outcome outcome;
    std::mutex mutex;
    std::condition_variable go;
    bool started = false;
    std::vector<std::thread> threads;
    for (int i = 0; i < clients; ++i) {
        threads.emplace_back([&, i] {
            httplib::Client client("127.0.0.1", port);
            client.set_connection_timeout(15, 0);
            client.set_read_timeout(15, 0);
            const std::string email = "user" + std::to_string(i) + "@example.com";
            const std::string bodies[] = {
                R"({"nickname":"n","email":")" + email +
                    R"(","password":"abc123!","rePassword":"abc123!"})",
                R"({"email":")" + email + R"(","password":"abc123!"})",
            };
            const char* paths[] = {"/v1/user/register", "/v1/user/login"};
            {
                std::unique_lock<std::mutex> lock(mutex);
                go.wait(lock, [&] { return started; });
            }
            bool served = true;
            for (int k = 0; k < 2; ++k) {
                const Clock::time_point begin = Clock::now();
                const httplib::Result result = client.Post(paths[k], bodies[k], "application/json");
                double ms = std::chrono::duration<double, std::milli>(Clock::now() - begin).count();
                const bool ok = result && result->status == 200 &&
                                result->body.find("\"code\":0") != std::string::npos;
                const bool busy = result && result->status == 503;
                if (!ok && !busy)
                    ms = std::max(ms, kClientTimeoutMs);
                std::lock_guard<std::mutex> lock(mutex);
                outcome.latenciesMs.push_back(ms);
                outcome.busy += busy;
                outcome.failed += !ok && !busy;
                if (!ok || ms >= kClientTimeoutMs) {
                    served = false;
                    break;
                }
            }
            std::lock_guard<std::mutex> lock(mutex);
            outcome.servedClients += served;
        });
    }
    {
        std::lock_guard<std::mutex> lock(mutex);
        started = true;
    }
    go.notify_all();
    for (std::thread& t : threads)
        t.join();
    return outcome;
}

double percentile(std::vector<double> values, double p) {
    if (values.empty())
        return 0;
    std::sort(values.begin(), values.end());
    const std::size_t index = std::min(
        values.size() - 1, static_cast<std::size_t>(p * static_cast<double>(values.size())));
    return values[index];
}

}  // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    std::vector<int> sizes;
    for (int i = 1; i < argc; ++i)
        sizes.push_back(std::atoi(argv[i]));
    if (sizes.empty())
        sizes = {25, 50, 100, 200, 300, 400};

    int best = 0;
    std::printf("%8s %10s %10s %10s %6s %7s %7s\n", "clients", "p50 ms", "p99 ms", "max ms", "busy",
                "failed", "served");
    for (int size : sizes) {
        QTemporaryDir dir;
        QProcess service;
        const int port = startService(&service, dir.path());
        if (port <= 0) {
            std::fprintf(stderr, "bench_cloud_load: pointora-cloud did not start\n");
            return 1;
        }
        const Outcome outcome = crowd(port, size);
        ::kill(static_cast<pid_t>(service.processId()), SIGTERM);
        service.waitForFinished(10000);
        const double p99 = percentile(outcome.latenciesMs, 0.99);
        std::printf("%8d %10.0f %10.0f %10.0f %6d %7d %7d\n", size,
                    percentile(outcome.latenciesMs, 0.5), p99, percentile(outcome.latenciesMs, 1.0),
                    outcome.busy, outcome.failed, outcome.servedClients);
        std::fflush(stdout);
        if (outcome.servedClients == size && p99 < kClientTimeoutMs)
            best = std::max(best, size);
    }
    std::printf("largest crowd served completely with p99 under 15 s: %d clients\n", best);
    return 0;
}
