#pragma once

#include <cstdint>
#include <functional>
#include <mutex>
#include <optional>
#include <stdexcept>
#include <string>
#include <vector>

struct sqlite3;

namespace cloud {

// A storage failure (disk full, database damaged ...). The request that meets it is answered with
// an internal-error envelope; its transaction is rolled back, so nothing is half-written.
class StoreError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

struct User {
    std::int64_t id = 0;
    std::string email;
    std::string nickname;
    std::string passwordHash;
};

enum class CodeCheck {
    Ok,
    NoCode,  // none requested, expired, or already used
    Wrong,   // counted as a failed attempt
    Locked,  // too many failed attempts: a new code must be requested
};

// A cap on events of one kind for one key (an address, a client): at most max within window
// seconds, and at least interval seconds between two. max 0 means no cap on the count.
struct Limit {
    std::string kind;
    std::string key;
    int max = 0;
    std::int64_t window = 3600;
    std::int64_t interval = 0;
};

// The service's data in one SQLite database (WAL journal) in the data folder. One connection,
// used by one request at a time; every change runs inside a transaction.
class CloudStore {
public:
    CloudStore() = default;
    ~CloudStore();
    CloudStore(const CloudStore&) = delete;
    CloudStore& operator=(const CloudStore&) = delete;

    // Opens or creates "cloud.db" in dir. False with a message on failure.
    bool open(const std::string& dir, std::string* error);
    void close();

    std::optional<User> userByEmail(const std::string& email);
    // The user owning a live token (expiry after now).
    std::optional<User> userByToken(const std::string& tokenDigest, std::int64_t now);
    // False when the e-mail address is taken.
    bool addUser(const std::string& email, const std::string& nickname,
                 const std::string& passwordHash, std::int64_t now);

    // Stores a login token, unless the password changed since expectedHash was read (false).
    // Drops expired tokens of every user on the way.
    bool addToken(std::int64_t userId, const std::string& expectedHash,
                  const std::string& tokenDigest, std::int64_t expires, std::int64_t now);
    // Replaces the password hash if it is still expectedHash; ends every other session of the
    // user (keepTokenDigest stays) and drops a pending verification code.
    bool changePassword(std::int64_t userId, const std::string& expectedHash,
                        const std::string& newHash, const std::string& keepTokenDigest);

    // Replaces the user's verification code. deliver() runs inside the transaction; when it
    // returns false nothing is stored and putCode returns false.
    bool putCode(std::int64_t userId, const std::string& code, std::int64_t expires,
                 const std::function<bool()>& deliver);
    // Checks a code; a wrong one counts an attempt, the last allowed wrong one locks the code.
    // *counted (when given) tells whether this check was counted as a wrong attempt.
    CodeCheck checkCode(std::int64_t userId, const std::string& code, std::int64_t now,
                        int maxAttempts, bool* counted = nullptr);
    // Sets a new password if code is still the user's valid code; consumes the code and ends
    // every session of the user. Does not count attempts (checkCode came first).
    CodeCheck resetPassword(std::int64_t userId, const std::string& code, std::int64_t now,
                            int maxAttempts, const std::string& newHash);

    // Records one event under every limit, unless one of them is exhausted: then nothing is
    // recorded and the result is the number of seconds until that limit admits again. 0 when
    // admitted; *ids receives the new events (to be taken back with forget()). Events of these
    // kinds older than keep seconds are dropped on the way.
    std::int64_t admit(const std::vector<Limit>& limits, std::int64_t now,
                       std::vector<std::int64_t>* ids, std::int64_t keep = 24 * 3600);
    void forget(const std::vector<std::int64_t>& ids);
    // The newest event of kind for key: its id, 0 when there is none; *at receives its time.
    std::int64_t lastEvent(const std::string& kind, const std::string& key, std::int64_t* at);
    // How many events of kind for key were recorded after the event afterId.
    int eventsAfter(const std::string& kind, const std::string& key, std::int64_t afterId);

    // Stores a configuration; false (nothing stored) when it is a new type and the user already
    // has maxTypes of them.
    bool saveConfig(std::int64_t userId, const std::string& configType, const std::string& content,
                    const std::string& filePath, std::int64_t now, int maxTypes);
    std::optional<std::string> config(std::int64_t userId, const std::string& configType);

    // Deletes an account with its sessions, code and configurations; false when there is none.
    bool deleteUser(const std::string& email);

    // The schema this build reads and writes (SQLite "user_version").
    static constexpr int kSchemaVersion = 2;

private:
    class Statement;
    class Transaction;
    void exec(const char* sql);
    [[noreturn]] void fail(const char* what);
    std::optional<User> readUser(Statement& statement);
    int userVersion();
    void migrate(int from);
    CodeCheck codeState(std::int64_t userId, const std::string& code, std::int64_t now,
                        int maxAttempts, int* attempts);

    std::mutex m_mutex;
    sqlite3* m_db = nullptr;
};

}  // namespace cloud
