#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <stdexcept>
#include <string>
#include <vector>

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

// The service's data: accounts, sessions, verification codes, the caps' events and the stored
// configurations. Everything another instance of the service needs lives here, so several
// instances may share one PostgreSQL database. Every change runs inside a transaction; the
// methods may be called from many threads at once.
class Store {
public:
    virtual ~Store() = default;

    virtual std::optional<User> userByEmail(const std::string& email) = 0;
    // The user owning a live token (expiry after now).
    virtual std::optional<User> userByToken(const std::string& tokenDigest, std::int64_t now) = 0;
    // False when the e-mail address is taken.
    virtual bool addUser(const std::string& email, const std::string& nickname,
                         const std::string& passwordHash, std::int64_t now) = 0;

    // Stores a login token, unless the password changed since expectedHash was read (false).
    // Drops expired tokens of every user on the way.
    virtual bool addToken(std::int64_t userId, const std::string& expectedHash,
                          const std::string& tokenDigest, std::int64_t expires,
                          std::int64_t now) = 0;
    // Replaces the password hash if it is still expectedHash; ends every other session of the
    // user (keepTokenDigest stays) and drops a pending verification code.
    virtual bool changePassword(std::int64_t userId, const std::string& expectedHash,
                                const std::string& newHash, const std::string& keepTokenDigest) = 0;

    // Replaces the user's verification code. deliver() runs inside the transaction; when it
    // returns false nothing is stored and putCode returns false.
    virtual bool putCode(std::int64_t userId, const std::string& code, std::int64_t expires,
                         const std::function<bool()>& deliver) = 0;
    // Checks a code; a wrong one counts an attempt, the last allowed wrong one locks the code.
    // *counted (when given) tells whether this check was counted as a wrong attempt.
    virtual CodeCheck checkCode(std::int64_t userId, const std::string& code, std::int64_t now,
                                int maxAttempts, bool* counted = nullptr) = 0;
    // Sets a new password if code is still the user's valid code; consumes the code and ends
    // every session of the user. Does not count attempts (checkCode came first). Of several
    // concurrent resets with the same code exactly one succeeds.
    virtual CodeCheck resetPassword(std::int64_t userId, const std::string& code, std::int64_t now,
                                    int maxAttempts, const std::string& newHash) = 0;

    // Records one event under every limit, unless one of them is exhausted: then nothing is
    // recorded and the result is the number of seconds until that limit admits again. 0 when
    // admitted; *ids receives the new events (to be taken back with forget()). Events of these
    // kinds older than keep seconds are dropped on the way.
    virtual std::int64_t admit(const std::vector<Limit>& limits, std::int64_t now,
                               std::vector<std::int64_t>* ids, std::int64_t keep = 24 * 3600) = 0;
    virtual void forget(const std::vector<std::int64_t>& ids) = 0;
    // The newest event of kind for key: its id, 0 when there is none; *at receives its time.
    virtual std::int64_t lastEvent(const std::string& kind, const std::string& key,
                                   std::int64_t* at) = 0;
    // How many events of kind for key were recorded after the event afterId.
    virtual int eventsAfter(const std::string& kind, const std::string& key,
                            std::int64_t afterId) = 0;

    // Stores a configuration; false (nothing stored) when it is a new type and the user already
    // has maxTypes of them.
    virtual bool saveConfig(std::int64_t userId, const std::string& configType,
                            const std::string& content, const std::string& filePath,
                            std::int64_t now, int maxTypes) = 0;
    virtual std::optional<std::string> config(std::int64_t userId,
                                              const std::string& configType) = 0;

    // Deletes an account with its sessions, code and configurations; false when there is none.
    virtual bool deleteUser(const std::string& email) = 0;

    // The schema this build reads and writes, the same for every back end.
    static constexpr int kSchemaVersion = 2;
};

// Opens the store a --database value names: "sqlite:DIR" (the file "cloud.db" in DIR, created
// if missing) or a "postgresql://" / "postgres://" connection URL, with at most connections
// connections. The schema is created or brought up to date. Null with a message on failure.
std::unique_ptr<Store> openStore(const std::string& database, int connections, std::string* error);

// The database URL as it may be shown: a password in it (user information or a "password"
// parameter) replaced by "***".
std::string redactedDatabaseUrl(const std::string& database);
// The password a database URL carries (percent-decoded), empty when there is none: texts from
// the database client library are cleaned of it before they are shown.
std::string databasePassword(const std::string& database);

}  // namespace cloud
