#pragma once

#include <httplib.h>

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstddef>
#include <cstdio>
#include <deque>
#include <functional>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

namespace cloud {

// One line per request: time (UTC), client address, method, path, status, duration. Never a
// body, a header, a token or a code. Written to a file (reopened on request, for log rotation)
// or to standard error.
class AccessLog {
public:
    ~AccessLog();
    // path empty: standard error. False with a message when the file cannot be opened.
    bool open(const std::string& path, std::string* error);
    // Opens the file again under its name (after it was renamed away); keeps the old one when
    // that fails.
    bool reopen(std::string* error);
    void write(const std::string& client, const std::string& method, const std::string& path,
               int status, std::chrono::steady_clock::time_point start);

private:
    std::mutex m_mutex;
    std::string m_path;
    std::FILE* m_file = nullptr;
};

// Limits the HTTP layer puts on every connection, so that slow or oversized clients cannot hold
// the workers or the memory.
struct HttpLimits {
    std::chrono::milliseconds headerDeadline{5000};    // request line and headers, in total
    std::chrono::milliseconds requestDeadline{15000};  // the whole request, body included
    std::chrono::milliseconds writeDeadline{10000};    // the whole response
    std::chrono::milliseconds keepAliveIdle{3000};     // wait for the next request on a connection
    int keepAliveMax = 20;                             // requests on one connection
    std::size_t headerBytes = 32 * 1024;               // request line and headers together
    int headerLines = 64;
    std::size_t bodyWireBytes = 1024 * 1024;  // body as sent (chunk framing included)
    int backlog = 1024;
};

// What the HTTP layer found wrong with the request being served on this thread; read by the
// error handler to answer 413 or 431 instead of the library's plain 400.
enum class WireFault { None, HeadersTooLarge, BodyTooLarge };
WireFault currentWireFault();
// When the current request began: for the first one on a connection, when the connection was
// accepted (time spent waiting for a worker counts); for later ones, their first byte. The epoch
// when the current thread serves no guarded connection.
std::chrono::steady_clock::time_point currentRequestStart();

// The workers: first come, first served, remembering when each connection was queued.
class WorkerPool : public httplib::TaskQueue {
public:
    explicit WorkerPool(int workers);
    ~WorkerPool() override;
    void enqueue(std::function<void()> fn) override;
    void shutdown() override;

private:
    void work();

    struct Job {
        std::chrono::steady_clock::time_point queued;
        std::function<void()> fn;
    };
    std::mutex m_mutex;
    std::condition_variable m_cond;
    std::deque<Job> m_jobs;
    std::vector<std::thread> m_threads;
    bool m_shutdown = false;
};

// An httplib::Server whose connections are served by its own loop: every read and write is
// bounded by a deadline for the whole request, the header section and the body by a size, a
// connection is kept alive only while workers are free, and stop() ends every connection within
// a fraction of a second (a slow client cannot hold up shutdown).
class GuardedServer : public httplib::Server {
public:
    GuardedServer(HttpLimits limits, int workers);
    // After bind_to_port / bind_to_any_port: widens the listen backlog.
    bool widenBacklog();

private:
    bool process_and_close_socket(socket_t sock) override;

    HttpLimits m_limits;
    int m_workers;
    std::atomic<int> m_connections{0};
};

// The same for https: the handshake and every TLS read and write under the same deadlines.
class GuardedTlsServer : public httplib::SSLServer {
public:
    GuardedTlsServer(const std::string& cert, const std::string& key, HttpLimits limits,
                     int workers);
    bool widenBacklog();

private:
    bool process_and_close_socket(socket_t sock) override;

    HttpLimits m_limits;
    int m_workers;
    std::atomic<int> m_connections{0};
};

}  // namespace cloud
