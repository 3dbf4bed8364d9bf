#include "CloudHttp.h"

#include <arpa/inet.h>
#include <fcntl.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <ctime>

namespace cloud {

namespace {

using Clock = std::chrono::steady_clock;

// How often a waiting read or write looks whether the server is stopping.
constexpr int kSliceMs = 100;

thread_local WireFault t_fault = WireFault::None;
thread_local Clock::time_point t_requestStart;
thread_local Clock::time_point t_queued;  // when the connection being served was accepted

void addressOf(const sockaddr_storage& address, std::string* ip, int* port) {
    char text[INET6_ADDRSTRLEN] = "";
    if (address.ss_family == AF_INET) {
        const auto* v4 = reinterpret_cast<const sockaddr_in*>(&address);
        inet_ntop(AF_INET, &v4->sin_addr, text, sizeof text);
        *port = ntohs(v4->sin_port);
    } else if (address.ss_family == AF_INET6) {
        const auto* v6 = reinterpret_cast<const sockaddr_in6*>(&address);
        inet_ntop(AF_INET6, &v6->sin6_addr, text, sizeof text);
        *port = ntohs(v6->sin6_port);
    }
    *ip = text;
}

// A socket stream that enforces the limits of one request at a time: begin() starts a request;
// reads fail once its deadline passed, once the header section grew too large, or once the body
// went over its size. It watches the bytes it hands out for the blank line that ends the headers.
class GuardedStream : public httplib::Stream {
public:
    // ssl: the connection's TLS session, or null for plain http. The socket is made
    // non-blocking; every wait goes through poll with a deadline.
    GuardedStream(socket_t sock, SSL* ssl, const HttpLimits& limits,
                  const std::atomic<socket_t>& listener)
        : m_sock(sock), m_ssl(ssl), m_limits(limits), m_listener(listener) {
        const int flags = ::fcntl(sock, F_GETFL, 0);
        ::fcntl(sock, F_SETFL, flags | O_NONBLOCK);
    }

    // The TLS handshake, within the header deadline.
    bool handshake() {
        const Clock::time_point deadline = Clock::now() + m_limits.headerDeadline;
        for (;;) {
            const int rc = SSL_accept(m_ssl);
            if (rc == 1)
                return true;
            if (!waitForSsl(SSL_get_error(m_ssl, rc), deadline))
                return false;
        }
    }

    // Waits up to the keep-alive time for the next request; false when none came, the peer left or
    // the server is stopping.
    bool awaitRequest(std::chrono::milliseconds idle) {
        return m_begin < m_end || fill(Clock::now() + idle) > 0;
    }

    void begin(Clock::time_point start) {
        m_start = start;
        m_inHeaders = true;
        m_headerBytes = 0;
        m_headerLines = 0;
        m_lineLength = 0;
        m_bodyBytes = 0;
        t_fault = WireFault::None;
        t_requestStart = m_start;
    }

    bool is_readable() const override { return m_begin < m_end; }
    bool is_writable() const override { return true; }

    ssize_t read(char* ptr, std::size_t size) override {
        if (size == 0)
            return 0;
        if (m_begin == m_end) {
            const Clock::time_point deadline =
                m_start + (m_inHeaders ? m_limits.headerDeadline : m_limits.requestDeadline);
            if (fill(deadline) <= 0)
                return -1;
        }
        std::size_t n = std::min(size, m_end - m_begin);
        if (m_inHeaders) {
            // Hand out the header section up to its blank line, byte by byte through the count.
            std::size_t i = 0;
            while (i < n && m_inHeaders) {
                const char c = m_buffer[m_begin + i++];
                if (++m_headerBytes > m_limits.headerBytes) {
                    t_fault = WireFault::HeadersTooLarge;
                    return -1;
                }
                if (c == '\n') {
                    if (m_lineLength == 0) {
                        m_inHeaders = false;
                    } else if (++m_headerLines > m_limits.headerLines) {
                        t_fault = WireFault::HeadersTooLarge;
                        return -1;
                    }
                    m_lineLength = 0;
                } else if (c != '\r') {
                    ++m_lineLength;
                }
            }
            n = i;
        } else {
            m_bodyBytes += n;
            if (m_bodyBytes > m_limits.bodyWireBytes) {
                t_fault = WireFault::BodyTooLarge;
                return -1;
            }
        }
        std::memcpy(ptr, m_buffer + m_begin, n);
        m_begin += n;
        return static_cast<ssize_t>(n);
    }

    ssize_t write(const char* ptr, std::size_t size) override {
        const Clock::time_point deadline = Clock::now() + m_limits.writeDeadline;
        std::size_t done = 0;
        while (done < size) {
            if (m_ssl) {
                const int chunk = static_cast<int>(std::min<std::size_t>(size - done, 1 << 20));
                const int n = SSL_write(m_ssl, ptr + done, chunk);
                if (n > 0) {
                    done += static_cast<std::size_t>(n);
                } else if (!waitForSsl(SSL_get_error(m_ssl, n), deadline)) {
                    return -1;
                }
                continue;
            }
            const ssize_t n = ::send(m_sock, ptr + done, size - done, MSG_NOSIGNAL);
            if (n < 0 && (errno == EINTR || errno == EAGAIN || errno == EWOULDBLOCK)) {
                if (!waitFor(POLLOUT, deadline))
                    return -1;
                continue;
            }
            if (n <= 0)
                return -1;
            done += static_cast<std::size_t>(n);
        }
        return static_cast<ssize_t>(size);
    }

    void get_remote_ip_and_port(std::string& ip, int& port) const override {
        sockaddr_storage address{};
        socklen_t length = sizeof address;
        if (getpeername(m_sock, reinterpret_cast<sockaddr*>(&address), &length) == 0)
            addressOf(address, &ip, &port);
    }
    void get_local_ip_and_port(std::string& ip, int& port) const override {
        sockaddr_storage address{};
        socklen_t length = sizeof address;
        if (getsockname(m_sock, reinterpret_cast<sockaddr*>(&address), &length) == 0)
            addressOf(address, &ip, &port);
    }
    socket_t socket() const override { return m_sock; }

private:
    // Polls in short slices until the socket is ready, the deadline passes or the server stops.
    bool waitFor(short events, Clock::time_point deadline) {
        for (;;) {
            if (m_listener == INVALID_SOCKET)  // stop() closed the listening socket
                return false;
            const auto left =
                std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now())
                    .count();
            if (left <= 0)
                return false;
            pollfd p{m_sock, events, 0};
            const int rc = ::poll(&p, 1, static_cast<int>(std::min<long long>(left, kSliceMs)));
            if (rc < 0 && errno != EINTR)
                return false;
            if (rc > 0)
                return true;
        }
    }

    // What a TLS call that could not finish needs: wait for the socket, or give up.
    bool waitForSsl(int error, Clock::time_point deadline) {
        if (error == SSL_ERROR_WANT_READ)
            return waitFor(POLLIN, deadline);
        if (error == SSL_ERROR_WANT_WRITE)
            return waitFor(POLLOUT, deadline);
        return false;
    }

    // Reads what is there into the buffer, waiting until the deadline; <= 0 when nothing came.
    ssize_t fill(Clock::time_point deadline) {
        m_begin = 0;
        m_end = 0;
        for (;;) {
            ssize_t n = 0;
            if (m_ssl) {
                const int rc = SSL_read(m_ssl, m_buffer, sizeof m_buffer);
                if (rc <= 0) {
                    if (!waitForSsl(SSL_get_error(m_ssl, rc), deadline))
                        return -1;
                    continue;
                }
                n = rc;
            } else {
                n = ::recv(m_sock, m_buffer, sizeof m_buffer, 0);
                if (n < 0 && (errno == EINTR || errno == EAGAIN || errno == EWOULDBLOCK)) {
                    if (!waitFor(POLLIN, deadline))
                        return -1;
                    continue;
                }
                if (n <= 0)
                    return n;
            }
            m_end = static_cast<std::size_t>(n);
            return n;
        }
    }

    socket_t m_sock;
    SSL* m_ssl;
    const HttpLimits& m_limits;
    const std::atomic<socket_t>& m_listener;
    char m_buffer[4096];
    std::size_t m_begin = 0;
    std::size_t m_end = 0;
    Clock::time_point m_start = Clock::now();
    bool m_inHeaders = true;
    std::size_t m_headerBytes = 0;
    int m_headerLines = 0;
    std::size_t m_lineLength = 0;
    std::size_t m_bodyBytes = 0;
};

}  // namespace

AccessLog::~AccessLog() {
    if (m_file && m_file != stderr)
        std::fclose(m_file);
}

bool AccessLog::open(const std::string& path, std::string* error) {
    std::lock_guard<std::mutex> lock(m_mutex);
    m_path = path;
    if (path.empty()) {
        m_file = stderr;
        return true;
    }
    std::FILE* file = std::fopen(path.c_str(), "a");
    if (!file) {
        *error = "cannot open the access log " + path + ": " + std::strerror(errno);
        return false;
    }
    std::setvbuf(file, nullptr, _IOLBF, 0);
    if (m_file && m_file != stderr)
        std::fclose(m_file);
    m_file = file;
    return true;
}

bool AccessLog::reopen(std::string* error) {
    std::string path;
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        path = m_path;
    }
    return path.empty() || open(path, error);
}

void AccessLog::write(const std::string& client, const std::string& method, const std::string& path,
                      int status, Clock::time_point start) {
    // The path as sent, shortened, without bytes that could forge or break a line.
    std::string shown = path.substr(0, 200);
    for (char& c : shown) {
        if (static_cast<unsigned char>(c) < 0x21 || static_cast<unsigned char>(c) >= 0x7f)
            c = '?';
    }
    char when[32] = "-";
    const std::time_t now = std::time(nullptr);
    std::tm utc{};
    if (gmtime_r(&now, &utc))
        std::strftime(when, sizeof when, "%Y-%m-%dT%H:%M:%SZ", &utc);
    char duration[32] = "-";
    if (start != Clock::time_point()) {
        std::snprintf(duration, sizeof duration, "%.1fms",
                      std::chrono::duration<double, std::milli>(Clock::now() - start).count());
    }
    std::lock_guard<std::mutex> lock(m_mutex);
    if (m_file) {
        std::fprintf(m_file, "%s %s %s %s %d %s\n", when, client.empty() ? "-" : client.c_str(),
                     method.empty() ? "-" : method.substr(0, 16).c_str(), shown.c_str(), status,
                     duration);
    }
}

WireFault currentWireFault() {
    return t_fault;
}

std::chrono::steady_clock::time_point currentRequestStart() {
    return t_requestStart;
}

WorkerPool::WorkerPool(int workers) {
    for (int i = 0; i < workers; ++i)
        m_threads.emplace_back([this] { work(); });
}

WorkerPool::~WorkerPool() {
    shutdown();
}

void WorkerPool::enqueue(std::function<void()> fn) {
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        m_jobs.push_back(Job{Clock::now(), std::move(fn)});
    }
    m_cond.notify_one();
}

void WorkerPool::shutdown() {
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        m_shutdown = true;
    }
    m_cond.notify_all();
    for (std::thread& thread : m_threads) {
        if (thread.joinable())
            thread.join();
    }
}

void WorkerPool::work() {
    for (;;) {
        Job job;
        {
            std::unique_lock<std::mutex> lock(m_mutex);
            m_cond.wait(lock, [this] { return m_shutdown || !m_jobs.empty(); });
            if (m_jobs.empty())
                return;
            job = std::move(m_jobs.front());
            m_jobs.pop_front();
        }
        t_queued = job.queued;
        job.fn();
        t_queued = Clock::time_point();
        t_requestStart = Clock::time_point();
    }
}

GuardedServer::GuardedServer(HttpLimits limits, int workers)
    : m_limits(limits), m_workers(workers) {}

bool GuardedServer::widenBacklog() {
    // Calling listen() again on a listening socket only changes its backlog.
    return ::listen(svr_sock_, m_limits.backlog) == 0;
}

namespace {

// One connection, request after request, until the client is done, a limit is reached or the
// server stops. process runs the library's request handling on the stream.
void serveConnection(socket_t sock, SSL* ssl, const HttpLimits& limits,
                     const std::atomic<socket_t>& listener, std::atomic<int>& connections,
                     int workers,
                     const std::function<bool(httplib::Stream&, bool, bool&)>& process) {
    ++connections;
    {
        GuardedStream stream(sock, ssl, limits, listener);
        const bool ready = !ssl || stream.handshake();
        for (int served = 0; ready && served < limits.keepAliveMax; ++served) {
            // The first request may take the whole header deadline to arrive; later ones get the
            // keep-alive time. A connection stays open only while other workers are free.
            const auto idle = served == 0 ? limits.headerDeadline : limits.keepAliveIdle;
            if (!stream.awaitRequest(idle))
                break;
            stream.begin(served == 0 ? t_queued : Clock::now());
            const bool last = served + 1 >= limits.keepAliveMax || connections.load() >= workers ||
                              listener == INVALID_SOCKET;
            bool closed = false;
            const bool ok = process(stream, last, closed);
            if (!ok || closed || last || currentWireFault() != WireFault::None)
                break;
        }
        if (ssl && ready)
            SSL_shutdown(ssl);  // one attempt: the socket is non-blocking
    }
    ::shutdown(sock, SHUT_RDWR);
    ::close(sock);
    --connections;
}

}  // namespace

bool GuardedServer::process_and_close_socket(socket_t sock) {
    serveConnection(sock, nullptr, m_limits, svr_sock_, m_connections, m_workers,
                    [this](httplib::Stream& stream, bool last, bool& closed) {
                        return process_request(stream, last, closed, nullptr);
                    });
    return true;
}

GuardedTlsServer::GuardedTlsServer(const std::string& cert, const std::string& key,
                                   HttpLimits limits, int workers)
    : httplib::SSLServer(cert.c_str(), key.c_str()), m_limits(limits), m_workers(workers) {}

bool GuardedTlsServer::widenBacklog() {
    return ::listen(svr_sock_, m_limits.backlog) == 0;
}

bool GuardedTlsServer::process_and_close_socket(socket_t sock) {
    SSL* ssl = SSL_new(ssl_context());
    if (!ssl) {
        ::close(sock);
        return false;
    }
    SSL_set_fd(ssl, sock);
    serveConnection(sock, ssl, m_limits, svr_sock_, m_connections, m_workers,
                    [this, ssl](httplib::Stream& stream, bool last, bool& closed) {
                        return process_request(
                            stream, last, closed,
                            [ssl](httplib::Request& request) { request.ssl = ssl; });
                    });
    SSL_free(ssl);
    return true;
}

}  // namespace cloud
