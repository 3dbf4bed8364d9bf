// Requests per second and 99th-percentile latency of pointora-cloud for login and save: one
// instance on SQLite against one, two and three instances on one PostgreSQL database (a
// throw-away server from /usr/lib/postgresql), all on this machine, clients spread evenly over
// the instances. Printed side by side.
//
//   build/bench/bench_cloud_instances [BIN_DIR] [SECONDS] [CLIENTS]
//
// BIN_DIR holds pointora-cloud (default: the build's bin folder); each phase runs SECONDS
// (default 5) with CLIENTS keep-alive clients (default 16). The caps are lifted. Login is mostly
// a password hash (Argon2id, two at a time per instance), save mostly the database.

#include "cloud/PgServer.h"

#include <httplib.h>

#include <QCoreApplication>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QRegularExpression>
#include <QTemporaryDir>

#include <signal.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdio>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

namespace {

struct Phase {
    double perSecond = 0;
    double p99 = 0;  // ms
    int failures = 0;
};

struct Row {
    std::string backend;
    int instances = 0;
    Phase login;
    Phase save;
};

std::string body(const QJsonObject& object) {
    return QJsonDocument(object).toJson(QJsonDocument::Compact).toStdString();
}

int codeOf(const httplib::Result& result) {
    if (!result || result->status != 200)
        return -1;
    return QJsonDocument::fromJson(QByteArray::fromStdString(result->body))
        .object()
        .value("code")
        .toInt(-1);
}

class Service {
public:
    ~Service() {
        if (m_process.state() != QProcess::NotRunning) {
            ::kill(static_cast<pid_t>(m_process.processId()), SIGTERM);
            m_process.waitForFinished(5000);
        }
    }
    bool start(const QString& program, const QStringList& storage) {
        m_process.setProcessChannelMode(QProcess::ForwardedErrorChannel);
        m_process.start(program, QStringList{"--listen", "127.0.0.1:0", "--quiet", "--limit-login",
                                             "0,0", "--limit-register", "0,0"} +
                                     storage);
        if (!m_process.waitForStarted(5000) || !m_process.waitForReadyRead(20000))
            return false;
        const QRegularExpressionMatch match =
            QRegularExpression("listening on http://127\\.0\\.0\\.1:(\\d+)")
                .match(QString::fromUtf8(m_process.readLine()));
        m_port = match.hasMatch() ? match.captured(1).toInt() : 0;
        return m_port > 0;
    }
    int port() const { return m_port; }

private:
    QProcess m_process;
    int m_port = 0;
};

// Runs clients for seconds, each sending request(client index, http client) in a loop; the
// request returns whether it succeeded.
template <typename Request>
Phase measure(const std::vector<int>& ports, int clients, int seconds, Request request) {
    std::mutex mutex;
    std::vector<double> latencies;
    std::atomic<int> failures{0};
    const auto end = std::chrono::steady_clock::now() + std::chrono::seconds(seconds);
    std::vector<std::thread> threads;
    for (int k = 0; k < clients; ++k) {
        threads.emplace_back([&, k] {
            httplib::Client client("127.0.0.1", ports[k % ports.size()]);
            client.set_read_timeout(30, 0);
            std::vector<double> mine;
            while (std::chrono::steady_clock::now() < end) {
                const auto start = std::chrono::steady_clock::now();
                const bool ok = request(k, client);
                const std::chrono::duration<double, std::milli> took =
                    std::chrono::steady_clock::now() - start;
                if (ok)
                    mine.push_back(took.count());
                else
                    ++failures;
            }
            std::lock_guard<std::mutex> lock(mutex);
            latencies.insert(latencies.end(), mine.begin(), mine.end());
        });
    }
    for (std::thread& t : threads)
        t.join();
    Phase phase;
    phase.failures = failures;
    phase.perSecond = static_cast<double>(latencies.size()) / seconds;
    if (!latencies.empty()) {
        std::sort(latencies.begin(), latencies.end());
        phase.p99 = latencies[std::min(latencies.size() - 1, latencies.size() * 99 / 100)];
    }
    return phase;
}

bool runRow(const QString& program, const QStringList& storage, int instances, int clients,
            int seconds, Row* row) {
    std::vector<std::unique_ptr<Service>> services;
    std::vector<int> ports;
    for (int i = 0; i < instances; ++i) {
        services.push_back(std::make_unique<Service>());
        if (!services.back()->start(program, storage))
            return false;
        ports.push_back(services.back()->port());
    }
    const auto email = [](int k) { return QString("bench%1@example.com").arg(k); };
    for (int k = 0; k < clients; ++k) {
        httplib::Client client("127.0.0.1", ports[k % ports.size()]);
        client.set_read_timeout(30, 0);
        if (codeOf(client.Post("/v1/user/register",
                               body({{"nickname", "Bench"},
                                     {"email", email(k)},
                                     {"password", "abc123!"},
                                     {"rePassword", "abc123!"}}),
                               "application/json")) != 0)
            return false;
    }
    std::vector<std::string> logins;
    for (int k = 0; k < clients; ++k)
        logins.push_back(body({{"email", email(k)}, {"password", "abc123!"}}));
    row->login = measure(ports, clients, seconds, [&](int k, httplib::Client& client) {
        return codeOf(client.Post("/v1/user/login", logins[k], "application/json")) == 0;
    });

    std::vector<std::string> tokens;
    for (int k = 0; k < clients; ++k) {
        httplib::Client client("127.0.0.1", ports[k % ports.size()]);
        const httplib::Result result = client.Post("/v1/user/login", logins[k], "application/json");
        if (codeOf(result) != 0)
            return false;
        tokens.push_back(result->get_header_value("Authorization"));
    }
    const QString content(2000, 'c');
    std::vector<int> counters(clients, 0);
    row->save = measure(ports, clients, seconds, [&](int k, httplib::Client& client) {
        const std::string save = body({{"filePath", ""},
                                       {"configContent", QString::number(counters[k]++) + content},
                                       {"configType", "TolvaPointora"}});
        return codeOf(client.Post("/v1/driver/config2/save", {{"Authorization", tokens[k]}}, save,
                                  "application/json")) == 0;
    });
    row->instances = instances;
    return true;
}

}  // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    const QString binDir = argc > 1 ? QString::fromLocal8Bit(argv[1])
                                    : QCoreApplication::applicationDirPath() + "/../bin";
    const int seconds = argc > 2 ? std::max(1, std::atoi(argv[2])) : 5;
    const int clients = argc > 3 ? std::max(1, std::atoi(argv[3])) : 16;
    const QString program = binDir + "/pointora-cloud";
    signal(SIGPIPE, SIG_IGN);

    std::vector<Row> rows;
    QTemporaryDir sqliteData;
    Row sqlite;
    sqlite.backend = "SQLite";
    if (!runRow(program, {"--data", sqliteData.path()}, 1, clients, seconds, &sqlite)) {
        std::fprintf(stderr, "bench_cloud_instances: the SQLite run failed\n");
        return 1;
    }
    rows.push_back(sqlite);

    PgServer postgres;
    QString error;
    if (PgServer::binDir().isEmpty() || !postgres.start(&error)) {
        std::fprintf(stderr, "bench_cloud_instances: no PostgreSQL server (%s): SQLite only\n",
                     qPrintable(error.isEmpty() ? "postgresql is not installed" : error));
    } else {
        QTemporaryDir outbox;
        for (int instances = 1; instances <= 3; ++instances) {
            const QString database = QString("bench%1").arg(instances);
            if (!postgres.createDatabase(database, &error)) {
                std::fprintf(stderr, "bench_cloud_instances: %s\n", qPrintable(error));
                return 1;
            }
            Row row;
            row.backend = "PostgreSQL";
            if (!runRow(
                    program,
                    {"--database", postgres.url(database), "--outbox", outbox.filePath(database)},
                    instances, clients, seconds, &row)) {
                std::fprintf(stderr, "bench_cloud_instances: the PostgreSQL run with %d failed\n",
                             instances);
                return 1;
            }
            rows.push_back(row);
        }
    }

    std::printf("pointora-cloud, %d clients, %d s per phase, %u cores\n", clients, seconds,
                std::thread::hardware_concurrency());
    std::printf("%-11s %9s | %10s %10s %6s | %10s %10s %6s\n", "back end", "instances", "login/s",
                "login p99", "failed", "save/s", "save p99", "failed");
    for (const Row& row : rows) {
        std::printf("%-11s %9d | %10.1f %8.1fms %6d | %10.1f %8.1fms %6d\n", row.backend.c_str(),
                    row.instances, row.login.perSecond, row.login.p99, row.login.failures,
                    row.save.perSecond, row.save.p99, row.save.failures);
    }
    return 0;
}
