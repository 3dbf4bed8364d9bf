// pointora-cloud: the reference cloud service. See README.md, "Cloud service".

#include "CloudOptions.h"
#include "CloudSecrets.h"
#include "CloudServer.h"

#include <pthread.h>
#include <signal.h>

#include <atomic>
#include <cstdio>
#include <ctime>
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

    // SIGINT and SIGTERM end the service cleanly; they are taken by a waiting thread, so they
    // must be blocked in every thread, including the HTTP workers created later.
    sigset_t stopSignals;
    sigemptyset(&stopSignals);
    sigaddset(&stopSignals, SIGINT);
    sigaddset(&stopSignals, SIGTERM);
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
            if (sigtimedwait(&stopSignals, nullptr, &pause) > 0) {
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
