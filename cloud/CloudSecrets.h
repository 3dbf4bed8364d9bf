#pragma once

#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <mutex>
#include <optional>
#include <stdexcept>
#include <string>

namespace cloud {

// Passwords, tokens and verification codes, all through libsodium.
namespace secrets {

// Must succeed once before anything else here is used.
bool init();

// Salted Argon2id hash in libsodium's self-describing text form; nullopt when memory ran out.
std::optional<std::string> hashPassword(const std::string& password);
bool verifyPassword(const std::string& hash, const std::string& password);

// 32 random bytes as 64 hex digits: what the client sends back in "Authorization".
std::string newToken();
// What the database keeps of a token: a keyless BLAKE2b digest in hex, so that a copy of the
// database does not hand out live sessions.
std::string tokenDigest(const std::string& token);

// Four random decimal digits, "0000" to "9999".
std::string newCode();
bool sameSecret(const std::string& a, const std::string& b);

}  // namespace secrets

// Thrown when a password hash cannot be started in reasonable time (or the service stops); the
// request is answered "busy" instead of waiting beyond what a client would.
class ServiceBusy : public std::runtime_error {
public:
    ServiceBusy() : std::runtime_error("password hashing is saturated") {}
};

// Bounds how many password hashes run at once (each Argon2id computation takes 64 MiB). Waiting
// requests are admitted first come, first served; one that could not start before its deadline
// (judged from the queue ahead of it and the average hash time) is refused right away.
class HashGate {
public:
    explicit HashGate(int slots);
    // Waits for a slot; throws ServiceBusy when it would not start before deadline, or after
    // close().
    void acquire(std::chrono::steady_clock::time_point deadline);
    void release(std::chrono::steady_clock::duration used);
    // Refuses every waiting and later request (shutdown).
    void close();

    class Slot {
    public:
        Slot(HashGate& gate, std::chrono::steady_clock::time_point deadline) : m_gate(gate) {
            m_gate.acquire(deadline);
            m_start = std::chrono::steady_clock::now();
        }
        ~Slot() { m_gate.release(std::chrono::steady_clock::now() - m_start); }
        Slot(const Slot&) = delete;
        Slot& operator=(const Slot&) = delete;

    private:
        HashGate& m_gate;
        std::chrono::steady_clock::time_point m_start;
    };

private:
    std::mutex m_mutex;
    std::condition_variable m_cond;
    const int m_slots;
    std::uint64_t m_nextTicket = 0;
    std::uint64_t m_admitted;  // tickets below this may run
    double m_averageMs = 100.0;
    bool m_closed = false;
};

}  // namespace cloud
