// Login time of pointora-cloud for a registered address and for an unknown one. Both must take
// about as long (one password hash check each), so that timing does not tell who has an account.
//
//   build/bench/bench_cloud_login [BIN_DIR] [ROUNDS]
//
// BIN_DIR holds pointora-cloud (default: the build's bin folder). The service runs on a free
// loopback port with its data in a temporary folder and the login caps lifted.

#include <httplib.h>

#include <QCoreApplication>
#include <QProcess>
#include <QRegularExpression>
#include <QTemporaryDir>

#include <signal.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <string>
#include <vector>

namespace {

double median(std::vector<double> values) {
    std::sort(values.begin(), values.end());
    return values.empty() ? 0 : values[values.size() / 2];
}

}  // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    const QString binDir = argc > 1 ? QString::fromLocal8Bit(argv[1])
                                    : QCoreApplication::applicationDirPath() + "/../bin";
    const int rounds = argc > 2 ? std::max(1, std::atoi(argv[2])) : 25;
    QTemporaryDir data;
    QProcess service;
    service.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    QStringList arguments{"--listen", "127.0.0.1:0", "--data", data.path(), "--quiet"};
    if (qEnvironmentVariableIsEmpty("BENCH_CLOUD_NO_CAP_OPTION"))
        arguments << "--limit-login"
                  << "0,0";
    service.start(binDir + "/pointora-cloud", arguments);
    if (!service.waitForStarted(5000) || !service.waitForReadyRead(10000)) {
        std::fprintf(stderr, "bench_cloud_login: %s/pointora-cloud did not start\n",
                     qPrintable(binDir));
        return 1;
    }
    const QRegularExpressionMatch match =
        QRegularExpression("listening on http://127\\.0\\.0\\.1:(\\d+)")
            .match(QString::fromUtf8(service.readLine()));
    if (!match.hasMatch()) {
        std::fprintf(stderr, "bench_cloud_login: no start-up line\n");
        return 1;
    }
    httplib::Client client("127.0.0.1", match.captured(1).toInt());
    client.set_read_timeout(30, 0);
    const auto post = [&](const std::string& path, const std::string& body) {
        const auto start = std::chrono::steady_clock::now();
        const httplib::Result result = client.Post(path.c_str(), body, "application/json");
        const std::chrono::duration<double, std::milli> took =
            std::chrono::steady_clock::now() - start;
        return result && result->status == 200 ? took.count() : -1.0;
    };
    if (post("/v1/user/register", R"({"nickname":"Bench","email":"bench@example.com",)"
                                  R"("password":"abc123!","rePassword":"abc123!"})") < 0) {
        std::fprintf(stderr, "bench_cloud_login: registration failed\n");
        return 1;
    }
    const std::string known = R"({"email":"bench@example.com","password":"wrong1!"})";
    const std::string unknown = R"({"email":"nobody@example.com","password":"wrong1!"})";
    std::vector<double> knownTimes, unknownTimes;
    for (int i = 0; i < rounds + 2; ++i) {
        const double k = post("/v1/user/login", known);
        const double u = post("/v1/user/login", unknown);
        if (k < 0 || u < 0) {
            std::fprintf(stderr, "bench_cloud_login: a login request failed\n");
            return 1;
        }
        if (i >= 2) {  // the first rounds warm up
            knownTimes.push_back(k);
            unknownTimes.push_back(u);
        }
    }
    std::printf("login, registered address (wrong password): median %.2f ms\n", median(knownTimes));
    std::printf("login, unknown address:                     median %.2f ms\n",
                median(unknownTimes));
    std::printf("rounds: %d\n", rounds);
    ::kill(static_cast<pid_t>(service.processId()), SIGTERM);
    service.waitForFinished(5000);
    return 0;
}
