#pragma once

#include "CloudStore.h"

#include <condition_variable>
#include <mutex>
#include <vector>

struct pg_conn;

namespace cloud {

// The back end for several instances of the service: one PostgreSQL database shared by all of
// them. A small pool of connections (opened as needed, up to the cap); a request takes one for a
// transaction and gives it back. Transactions run at READ COMMITTED with explicit row locks (and
// advisory locks for the caps' events), so that concurrent instances never lose a change or use
// a code twice; serialisation failures and deadlocks are retried, a connection lost before the
// commit (a server restart) is replaced and the transaction run once more.
class PostgresStore : public Store {
public:
    PostgresStore(std::string url, int connections);
    ~PostgresStore() override;
    PostgresStore(const PostgresStore&) = delete;
    PostgresStore& operator=(const PostgresStore&) = delete;

    // Connects and creates or migrates the schema (under an advisory lock, so that instances
    // starting together migrate once). False with a message on failure.
    bool open(std::string* error);

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

    class Session;

private:
    class Lease;
    // Runs work(session) on a pooled connection, retried as described above.
    template <typename Work>
    auto run(Work&& work) -> decltype(work(std::declval<Session&>()));
    pg_conn* connect();
    pg_conn* acquire();
    void release(pg_conn* connection, bool broken);
    void migrate(Session& session, int from);
    std::string clean(std::string text) const;

    std::string m_url;
    std::string m_password;
    int m_max;
    std::mutex m_mutex;
    std::condition_variable m_free;
    std::vector<pg_conn*> m_idle;
    int m_open = 0;
};

}  // namespace cloud
