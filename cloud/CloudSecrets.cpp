#include "CloudSecrets.h"

#include <sodium.h>

#include <cstdio>

namespace cloud {
namespace secrets {

bool init() {
    return sodium_init() >= 0;
}

std::optional<std::string> hashPassword(const std::string& password) {
    char out[crypto_pwhash_STRBYTES];
    if (crypto_pwhash_str_alg(
            out, password.data(), password.size(), crypto_pwhash_OPSLIMIT_INTERACTIVE,
            crypto_pwhash_MEMLIMIT_INTERACTIVE, crypto_pwhash_ALG_ARGON2ID13) != 0)
        return std::nullopt;
    return std::string(out);
}

bool verifyPassword(const std::string& hash, const std::string& password) {
    return crypto_pwhash_str_verify(hash.c_str(), password.data(), password.size()) == 0;
}

namespace {
std::string toHex(const unsigned char* bytes, std::size_t size) {
    std::string hex(size * 2 + 1, '\0');
    sodium_bin2hex(hex.data(), hex.size(), bytes, size);
    hex.pop_back();
    return hex;
}
}  // namespace

std::string newToken() {
    unsigned char bytes[32];
    randombytes_buf(bytes, sizeof bytes);
    return toHex(bytes, sizeof bytes);
}

std::string tokenDigest(const std::string& token) {
    unsigned char digest[crypto_generichash_BYTES];
    crypto_generichash(digest, sizeof digest, reinterpret_cast<const unsigned char*>(token.data()),
                       token.size(), nullptr, 0);
    return toHex(digest, sizeof digest);
}

std::string newCode() {
    char text[8];
    std::snprintf(text, sizeof text, "%04u", static_cast<unsigned>(randombytes_uniform(10000)));
    return text;
}

bool sameSecret(const std::string& a, const std::string& b) {
    return a.size() == b.size() && sodium_memcmp(a.data(), b.data(), a.size()) == 0;
}

}  // namespace secrets

HashGate::HashGate(int slots) : m_slots(slots), m_admitted(static_cast<std::uint64_t>(slots)) {}

void HashGate::acquire(std::chrono::steady_clock::time_point deadline) {
    std::unique_lock<std::mutex> lock(m_mutex);
    const std::uint64_t waiting = m_nextTicket >= m_admitted ? m_nextTicket - m_admitted + 1 : 0;
    const auto expected = std::chrono::duration<double, std::milli>(static_cast<double>(waiting) *
                                                                    m_averageMs / m_slots);
    if (m_closed || std::chrono::steady_clock::now() + expected > deadline)
        throw ServiceBusy();
    const std::uint64_t ticket = m_nextTicket++;
    m_cond.wait(lock, [&] { return ticket < m_admitted || m_closed; });
    if (ticket >= m_admitted) {
        // Closed while waiting: give the place up so the count stays right.
        throw ServiceBusy();
    }
}

void HashGate::release(std::chrono::steady_clock::duration used) {
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        const double ms = std::chrono::duration<double, std::milli>(used).count();
        m_averageMs = 0.8 * m_averageMs + 0.2 * ms;
        ++m_admitted;
    }
    m_cond.notify_all();
}

void HashGate::close() {
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        m_closed = true;
    }
    m_cond.notify_all();
}

}  // namespace cloud
