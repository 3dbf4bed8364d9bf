// pointora-cloud: the reference cloud service. See README.md, "Cloud service".

#include "CloudOptions.h"
#include "CloudSecrets.h"
#include "CloudServer.h"
#include "CloudStore.h"

#include <pthread.h>
#include <signal.h>
#include <sys/stat.h>

#include <atomic>
#include <cctype>
#include <cstdio>
#include <cstring>
#include <ctime>
#include <memory>
#include <thread>

int main(int argc, char** argv) {
    cloud::Options options;
    std::string error;
    bool help = false;
    if (!cloud::parseOptions(std::vector<std::string>(argv + 1, argv + argc), &options, &error,
                             &help)) {
        std::fprintf(stderr, "pointora-cloud: %s\n%s", error.c_str(), cloud::usageText().c_str());
        return 2;
    }
    if (help) {
        std::fputs(cloud::usageText().c_str(), stdout);
        return 0;
    }
    // A password in a database URL is not left readable in the process's command line (ps,
    // /proc/PID/cmdline): it is overwritten in place once the options are read.
    for (int i = 1; i < argc; ++i) {
        const std::size_t length = std::strlen(argv[i]);
        const std::string shown = cloud::redactedDatabaseUrl(argv[i]);
        if (shown != argv[i] && shown.size() <= length) {
            std::memset(argv[i], 0, length);
            std::memcpy(argv[i], shown.data(), shown.size());
        }
    }

    if (!options.deleteAccount.empty()) {
        // Operator action: remove one account (sessions, code, configurations, outbox mail).
        // A database created here is for the service's user only, as in the service itself.
        ::umask(077);
        const std::unique_ptr<cloud::Store> store = cloud::openStore(options.database, 1, &error);
        if (!store) {
            std::fprintf(stderr, "pointora-cloud: %s\n", error.c_str());
            return 1;
        }
        std::string email = options.deleteAccount;
        for (char& c : email)
            c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
        bool deleted = false;
        try {
            deleted = store->deleteUser(email);
        } catch (const cloud::StoreError& e) {
            std::fprintf(stderr, "pointora-cloud: %s\n", e.what());
            return 1;
        }
        if (!deleted) {
            std::fprintf(stderr, "pointora-cloud: no account %s\n", email.c_str());
            return 1;
        }
        if (email.find('/') == std::string::npos && email.front() != '.')
            std::remove((options.outboxDir + "/" + cloud::outboxFileName(email)).c_str());
        std::printf("pointora-cloud: deleted the account %s\n", email.c_str());
        return 0;
    }

    // SIGINT and SIGTERM end the service cleanly, SIGHUP reopens the access log; they are taken
    // by a waiting thread, so they must be blocked in every thread, including the HTTP workers
    // created later.
    sigset_t stopSignals;
    sigemptyset(&stopSignals);
    sigaddset(&stopSignals, SIGINT);
    sigaddset(&stopSignals, SIGTERM);
    sigaddset(&stopSignals, SIGHUP);
    pthread_sigmask(SIG_BLOCK, &stopSignals, nullptr);
    signal(SIGPIPE, SIG_IGN);

    if (!cloud::secrets::init()) {
        std::fprintf(stderr, "pointora-cloud: libsodium could not be initialised\n");
        return 1;
    }
    cloud::CloudServer server(options);
    if (!server.start(&error)) {
        std::fprintf(stderr, "pointora-cloud: %s\n", error.c_str());
        return 1;
    }
    std::printf("pointora-cloud listening on %s\n", server.baseUrl().c_str());
    std::fflush(stdout);

    std::atomic<bool> running{true};
    std::thread waiter([&] {
        const timespec pause{0, 200 * 1000 * 1000};
        while (running) {
            const int signal = sigtimedwait(&stopSignals, nullptr, &pause);
            if (signal == SIGHUP) {
                std::string reopenError;
                if (!server.reopenLog(&reopenError))
                    std::fprintf(stderr, "pointora-cloud: %s\n", reopenError.c_str());
            } else if (signal > 0) {
                server.stop();
                return;
            }
        }
    });
    const bool served = server.run();
    running = false;
    waiter.join();
    if (!served) {
        std::fprintf(stderr, "pointora-cloud: the listening socket failed\n");
        return 1;
    }
    return 0;
}
