#pragma once

#include <condition_variable>
#include <mutex>
#include <optional>
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

// Bounds how many password hashes run at once: each Argon2id computation takes 64 MiB.
class HashGate {
public:
    explicit HashGate(int slots) : m_free(slots) {}
    void acquire();
    void release();

    class Slot {
    public:
        explicit Slot(HashGate& gate) : m_gate(gate) { m_gate.acquire(); }
        ~Slot() { m_gate.release(); }
        Slot(const Slot&) = delete;
        Slot& operator=(const Slot&) = delete;

    private:
        HashGate& m_gate;
    };

private:
    std::mutex m_mutex;
    std::condition_variable m_cond;
    int m_free;
};

}  // namespace cloud
