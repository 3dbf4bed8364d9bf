#pragma once

#include "CloudStore.h"

#include <mutex>

struct sqlite3;

namespace cloud {

// The embedded back end: one SQLite database "cloud.db" (WAL journal) in the data folder, its
// schema version in "user_version". One connection, used by one request at a time.
class SqliteStore : public Store {
public:
    SqliteStore() = default;
    ~SqliteStore() override;
    SqliteStore(const SqliteStore&) = delete;
    SqliteStore& operator=(const SqliteStore&) = delete;

    // Opens or creates "cloud.db" in dir. False with a message on failure.
    bool open(const std::string& dir, std::string* error);
    void close();

    std::optional<User> userByEmail(const std::string& email) override;
    std::optional<User> userByToken(const std::string& tokenDigest, std::int64_t now) override;
    bool addUser(const std::string& email, const std::string& nickname,
                 const std::string& passwordHash, std::int64_t now) override;
    bool addToken(std::int64_t userId, const std::string& expectedHash,
                  const std::string& tokenDigest, std::int64_t expires, std::int64_t now) override;
    bool changePassword(std::int64_t userId, const std::string& expectedHash,
                        const std::string& newHash, const std::string& keepTokenDigest) override;
    bool putCode(std::int64_t userId, const std::string& code, std::int64_t expires,
                 const std::function<bool()>& deliver) override;
    CodeCheck checkCode(std::int64_t userId, const std::string& code, std::int64_t now,
                        int maxAttempts, bool* counted = nullptr) override;
    CodeCheck resetPassword(std::int64_t userId, const std::string& code, std::int64_t now,
                            int maxAttempts, const std::string& newHash) override;
    std::int64_t admit(const std::vector<Limit>& limits, std::int64_t now,
                       std::vector<std::int64_t>* ids, std::int64_t keep = 24 * 3600) override;
    void forget(const std::vector<std::int64_t>& ids) override;
    std::int64_t lastEvent(const std::string& kind, const std::string& key,
                           std::int64_t* at) override;
    int eventsAfter(const std::string& kind, const std::string& key, std::int64_t afterId) override;
    bool saveConfig(std::int64_t userId, const std::string& configType, const std::string& content,
                    const std::string& filePath, std::int64_t now, int maxTypes) override;
    std::optional<std::string> config(std::int64_t userId, const std::string& configType) override;
    bool deleteUser(const std::string& email) override;

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
