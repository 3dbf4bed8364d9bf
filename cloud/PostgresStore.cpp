#include "PostgresStore.h"

#include <libpq-fe.h>

#include <algorithm>
#include <chrono>
#include <cstdlib>
#include <random>
#include <thread>

namespace cloud {

namespace {

// A serialisation failure or a deadlock: the transaction was rolled back and may simply be run
// again.
struct RetryTransaction {};

// The connection broke (server restart, network). committing: it broke during COMMIT, so whether
// the transaction took effect is unknown.
struct ConnectionLost {
    bool committing;
    std::string message;
};

// Both instances starting together take this lock before they look at the schema version.
constexpr int kMigrationLockClass = 0x506f696e;  // "Poin"
constexpr int kMigrationLockId = 1;

constexpr int kAttempts = 5;

// One statement parameter: text, or bytes sent in binary form (for bytea columns, which keep any
// byte, NUL included).
struct Param {
    Param(const std::string& text) : value(text) {}
    Param(const char* text) : value(text) {}
    Param(std::int64_t number) : value(std::to_string(number)) {}
    Param(int number) : value(std::to_string(number)) {}
    static Param bytes(const std::string& data) {
        Param p(data);
        p.binary = true;
        return p;
    }
    std::string value;
    bool binary = false;
};

std::string trimmed(std::string text) {
    while (!text.empty() && (text.back() == '\n' || text.back() == ' '))
        text.pop_back();
    return text;
}

}  // namespace

class Result {
public:
    explicit Result(PGresult* result) : m_result(result) {}
    ~Result() { PQclear(m_result); }
    Result(Result&& other) noexcept : m_result(other.m_result) { other.m_result = nullptr; }
    Result(const Result&) = delete;
    Result& operator=(const Result&) = delete;

    int rows() const { return PQntuples(m_result); }
    bool isNull(int row, int column) const { return PQgetisnull(m_result, row, column) != 0; }
    std::string text(int row, int column) const {
        return std::string(PQgetvalue(m_result, row, column),
                           static_cast<std::size_t>(PQgetlength(m_result, row, column)));
    }
    std::int64_t integer(int row, int column) const {
        return std::strtoll(PQgetvalue(m_result, row, column), nullptr, 10);
    }
    // Rows changed by an INSERT, UPDATE or DELETE.
    int affected() const { return std::atoi(PQcmdTuples(m_result)); }

private:
    PGresult* m_result;
};

class PostgresStore::Session {
public:
    Session(PostgresStore& store, PGconn* connection) : m_store(store), m_connection(connection) {}

    // Runs one statement; binaryResult asks for the columns as raw bytes (bytea).
    Result exec(const char* sql, const std::vector<Param>& params = {}, bool binaryResult = false) {
        std::vector<const char*> values;
        std::vector<int> lengths;
        std::vector<int> formats;
        for (const Param& p : params) {
            values.push_back(p.value.data());
            lengths.push_back(static_cast<int>(p.value.size()));
            formats.push_back(p.binary ? 1 : 0);
        }
        PGresult* raw =
            PQexecParams(m_connection, sql, static_cast<int>(params.size()), nullptr, values.data(),
                         lengths.data(), formats.data(), binaryResult ? 1 : 0);
        Result result(raw);
        const ExecStatusType status = raw ? PQresultStatus(raw) : PGRES_FATAL_ERROR;
        if (status == PGRES_COMMAND_OK || status == PGRES_TUPLES_OK)
            return result;
        const char* field = raw ? PQresultErrorField(raw, PG_DIAG_SQLSTATE) : nullptr;
        const std::string state = field ? field : "";
        const std::string message = m_store.clean(trimmed(raw && *PQresultErrorMessage(raw)
                                                              ? PQresultErrorMessage(raw)
                                                              : PQerrorMessage(m_connection)));
        // Class 08: connection exceptions; 57P01-57P03: the server shuts down or restarts.
        if (PQstatus(m_connection) != CONNECTION_OK || state.rfind("08", 0) == 0 ||
            state == "57P01" || state == "57P02" || state == "57P03")
            throw ConnectionLost{m_committing, message};
        if (state == "40001" || state == "40P01")
            throw RetryTransaction{};
        throw StoreError("database: " + message);
    }

    void begin() { exec("BEGIN"); }
    void commit() {
        m_committing = true;
        exec("COMMIT");
        m_committing = false;
    }
    // Quietly, for a transaction left without commit; a broken connection is dropped anyway.
    void rollback() {
        if (PQstatus(m_connection) == CONNECTION_OK)
            PQclear(PQexec(m_connection, "ROLLBACK"));
    }

private:
    PostgresStore& m_store;
    PGconn* m_connection;
    bool m_committing = false;
};

namespace {

// BEGIN ... COMMIT; rolled back when left without commit.
class Transaction {
public:
    explicit Transaction(PostgresStore::Session& session) : m_session(session) {
        m_session.begin();
    }
    ~Transaction() {
        if (!m_done)
            m_session.rollback();
    }
    Transaction(const Transaction&) = delete;
    Transaction& operator=(const Transaction&) = delete;
    void commit() {
        m_done = true;  // a failed COMMIT ends the transaction as well
        m_session.commit();
    }

private:
    PostgresStore::Session& m_session;
    bool m_done = false;
};

std::optional<User> readUser(const Result& result) {
    if (result.rows() == 0)
        return std::nullopt;
    User user;
    user.id = result.integer(0, 0);
    user.email = result.text(0, 1);
    user.nickname = result.text(0, 2);
    user.passwordHash = result.text(0, 3);
    return user;
}

CodeCheck codeState(PostgresStore::Session& s, std::int64_t userId, const std::string& code,
                    std::int64_t now, int maxAttempts, int* attempts) {
    // Locked until the transaction ends: concurrent checks and resets of one code take turns.
    const Result r =
        s.exec("SELECT code, expires, attempts FROM codes WHERE user_id = $1 FOR UPDATE", {userId});
    if (r.rows() == 0 || r.integer(0, 1) <= now)
        return CodeCheck::NoCode;
    *attempts = static_cast<int>(r.integer(0, 2));
    if (*attempts >= maxAttempts)
        return CodeCheck::Locked;
    return code.size() == 4 && r.text(0, 0) == code ? CodeCheck::Ok : CodeCheck::Wrong;
}

}  // namespace

// A connection taken from the pool for one transaction; given back (or, when broken, closed)
// at the end.
class PostgresStore::Lease {
public:
    explicit Lease(PostgresStore& store)
        : m_store(store), m_connection(store.acquire()), m_session(store, m_connection) {}
    ~Lease() { m_store.release(m_connection, m_broken); }
    Lease(const Lease&) = delete;
    Lease& operator=(const Lease&) = delete;
    Session& session() { return m_session; }
    void broken() { m_broken = true; }

private:
    PostgresStore& m_store;
    PGconn* m_connection;
    Session m_session;
    bool m_broken = false;
};

PostgresStore::PostgresStore(std::string url, int connections)
    : m_url(std::move(url)), m_password(databasePassword(m_url)), m_max(std::max(1, connections)) {}

PostgresStore::~PostgresStore() {
    for (PGconn* connection : m_idle)
        PQfinish(connection);
}

std::string PostgresStore::clean(std::string text) const {
    if (m_password.empty())
        return text;
    for (std::size_t at = text.find(m_password); at != std::string::npos;
         at = text.find(m_password, at + 3))
        text.replace(at, m_password.size(), "***");
    return text;
}

pg_conn* PostgresStore::connect() {
    // Later entries win: the URL may set its own time-out or application name.
    const char* const keys[] = {"connect_timeout", "application_name", "client_encoding", "dbname",
                                nullptr};
    const char* const values[] = {"10", "pointora-cloud", "UTF8", m_url.c_str(), nullptr};
    PGconn* connection = PQconnectdbParams(keys, values, 1);
    if (!connection)
        throw StoreError("cannot connect to the database: out of memory");
    if (PQstatus(connection) != CONNECTION_OK) {
        const std::string message = clean(trimmed(PQerrorMessage(connection)));
        PQfinish(connection);
        throw StoreError("cannot connect to the database " + redactedDatabaseUrl(m_url) + ": " +
                         message);
    }
    // Notices ("relation already exists, skipping") are of no interest.
    PQsetNoticeProcessor(
        connection, [](void*, const char*) {}, nullptr);
    return connection;
}

pg_conn* PostgresStore::acquire() {
    std::unique_lock<std::mutex> lock(m_mutex);
    m_free.wait(lock, [this] { return !m_idle.empty() || m_open < m_max; });
    if (!m_idle.empty()) {
        PGconn* connection = m_idle.back();
        m_idle.pop_back();
        if (PQstatus(connection) == CONNECTION_OK)
            return connection;
        PQfinish(connection);
        --m_open;
    }
    ++m_open;
    lock.unlock();
    try {
        return connect();
    } catch (...) {
        lock.lock();
        --m_open;
        m_free.notify_one();
        throw;
    }
}

void PostgresStore::release(pg_conn* connection, bool broken) {
    std::lock_guard<std::mutex> lock(m_mutex);
    if (broken) {
        PQfinish(connection);
        --m_open;
        // A lost connection usually means a restarted server: the idle ones are gone too.
        for (PGconn* idle : m_idle)
            PQfinish(idle);
        m_open -= static_cast<int>(m_idle.size());
        m_idle.clear();
    } else {
        m_idle.push_back(connection);
    }
    m_free.notify_all();
}

template <typename Work>
auto PostgresStore::run(Work&& work) -> decltype(work(std::declval<Session&>())) {
    bool reconnected = false;
    for (int attempt = 1;; ++attempt) {
        Lease lease(*this);
        try {
            return work(lease.session());
        } catch (const RetryTransaction&) {
            if (attempt >= kAttempts)
                throw StoreError("database: gave up after " + std::to_string(kAttempts) +
                                 " conflicting transactions");
            // A short random pause, so that the rivals do not meet again at once.
            thread_local std::minstd_rand random(std::random_device{}());
            std::this_thread::sleep_for(
                std::chrono::milliseconds(1 + static_cast<int>(random() % (5u * attempt))));
        } catch (const ConnectionLost& lost) {
            lease.broken();
            if (lost.committing)
                throw StoreError("database connection lost during commit: " + lost.message);
            if (reconnected)
                throw StoreError("database connection lost: " + lost.message);
            reconnected = true;
        }
    }
}

bool PostgresStore::open(std::string* error) {
    int found = 0;
    try {
        run([&](Session& s) {
            Transaction transaction(s);
            s.exec("SELECT pg_advisory_xact_lock($1, $2)", {kMigrationLockClass, kMigrationLockId});
            s.exec("CREATE TABLE IF NOT EXISTS schema_version(version INTEGER NOT NULL)");
            const Result r = s.exec("SELECT MAX(version) FROM schema_version");
            found = r.isNull(0, 0) ? 0 : static_cast<int>(r.integer(0, 0));
            if (found > kSchemaVersion)
                return;  // rolled back: left as it is
            migrate(s, found);
            s.exec("DELETE FROM schema_version");
            s.exec("INSERT INTO schema_version(version) VALUES($1)", {kSchemaVersion});
            transaction.commit();
        });
    } catch (const StoreError& e) {
        *error = e.what();
        return false;
    }
    if (found > kSchemaVersion) {
        *error = "the database " + redactedDatabaseUrl(m_url) + " has schema version " +
                 std::to_string(found) + ", newer than this pointora-cloud understands (" +
                 std::to_string(kSchemaVersion) +
                 "); it was written by a newer pointora-cloud: use that one";
        return false;
    }
    return true;
}

// The same steps as the SQLite schema, in PostgreSQL's types; configurations are bytea so that
// they come back byte for byte.
void PostgresStore::migrate(Session& s, int from) {
    if (from < 1) {
        s.exec(
            "CREATE TABLE IF NOT EXISTS users("
            " id BIGINT GENERATED BY DEFAULT AS IDENTITY PRIMARY KEY,"
            " email TEXT NOT NULL UNIQUE,"
            " nickname TEXT NOT NULL,"
            " password_hash TEXT NOT NULL,"
            " created BIGINT NOT NULL)");
        s.exec(
            "CREATE TABLE IF NOT EXISTS tokens("
            " digest TEXT PRIMARY KEY,"
            " user_id BIGINT NOT NULL REFERENCES users(id) ON DELETE CASCADE,"
            " expires BIGINT NOT NULL)");
        s.exec("CREATE INDEX IF NOT EXISTS tokens_user ON tokens(user_id)");
        s.exec(
            "CREATE TABLE IF NOT EXISTS codes("
            " user_id BIGINT PRIMARY KEY REFERENCES users(id) ON DELETE CASCADE,"
            " code TEXT NOT NULL,"
            " expires BIGINT NOT NULL,"
            " attempts INTEGER NOT NULL)");
        s.exec(
            "CREATE TABLE IF NOT EXISTS configs("
            " user_id BIGINT NOT NULL REFERENCES users(id) ON DELETE CASCADE,"
            " config_type TEXT NOT NULL,"
            " content BYTEA NOT NULL,"
            " file_path BYTEA NOT NULL,"
            " updated BIGINT NOT NULL,"
            " PRIMARY KEY(user_id, config_type))");
    }
    if (from < 2) {
        s.exec(
            "CREATE TABLE IF NOT EXISTS events("
            " id BIGINT GENERATED BY DEFAULT AS IDENTITY PRIMARY KEY,"
            " kind TEXT NOT NULL,"
            " key TEXT NOT NULL,"
            " at BIGINT NOT NULL)");
        s.exec("CREATE INDEX IF NOT EXISTS events_key ON events(kind, key, at)");
        // Every login drops the expired tokens and every counted request the old events of its
        // kind: with many users neither may scan them all.
        s.exec("CREATE INDEX IF NOT EXISTS tokens_expires ON tokens(expires)");
        s.exec("CREATE INDEX IF NOT EXISTS events_age ON events(kind, at)");
    }
    // A later schema adds its step here: if (from < 3) { ... }
}

std::optional<User> PostgresStore::userByEmail(const std::string& email) {
    return run([&](Session& s) {
        return readUser(s.exec(
            "SELECT id, email, nickname, password_hash FROM users WHERE email = $1", {email}));
    });
}

std::optional<User> PostgresStore::userByToken(const std::string& tokenDigest, std::int64_t now) {
    return run([&](Session& s) {
        return readUser(
            s.exec("SELECT u.id, u.email, u.nickname, u.password_hash FROM tokens t"
                   " JOIN users u ON u.id = t.user_id WHERE t.digest = $1 AND t.expires > $2",
                   {tokenDigest, now}));
    });
}

bool PostgresStore::addUser(const std::string& email, const std::string& nickname,
                            const std::string& passwordHash, std::int64_t now) {
    return run([&](Session& s) {
        return s.exec(
                    "INSERT INTO users(email, nickname, password_hash, created)"
                    " VALUES($1, $2, $3, $4) ON CONFLICT (email) DO NOTHING",
                    {email, nickname, passwordHash, now})
                   .affected() == 1;
    });
}

bool PostgresStore::addToken(std::int64_t userId, const std::string& expectedHash,
                             const std::string& tokenDigest, std::int64_t expires,
                             std::int64_t now) {
    return run([&](Session& s) {
        Transaction transaction(s);
        // FOR SHARE: a password change waits for this token and then ends it, or comes first
        // and is seen here.
        const Result current =
            s.exec("SELECT password_hash FROM users WHERE id = $1 FOR SHARE", {userId});
        if (current.rows() == 0 || current.text(0, 0) != expectedHash)
            return false;
        s.exec("DELETE FROM tokens WHERE expires <= $1", {now});
        s.exec("INSERT INTO tokens(digest, user_id, expires) VALUES($1, $2, $3)",
               {tokenDigest, userId, expires});
        transaction.commit();
        return true;
    });
}

bool PostgresStore::changePassword(std::int64_t userId, const std::string& expectedHash,
                                   const std::string& newHash, const std::string& keepTokenDigest) {
    return run([&](Session& s) {
        Transaction transaction(s);
        if (s.exec("UPDATE users SET password_hash = $1 WHERE id = $2 AND password_hash = $3",
                   {newHash, userId, expectedHash})
                .affected() != 1)
            return false;
        s.exec("DELETE FROM tokens WHERE user_id = $1 AND digest <> $2", {userId, keepTokenDigest});
        s.exec("DELETE FROM codes WHERE user_id = $1", {userId});
        transaction.commit();
        return true;
    });
}

bool PostgresStore::putCode(std::int64_t userId, const std::string& code, std::int64_t expires,
                            const std::function<bool()>& deliver) {
    return run([&](Session& s) {
        Transaction transaction(s);
        s.exec(
            "INSERT INTO codes(user_id, code, expires, attempts) VALUES($1, $2, $3, 0)"
            " ON CONFLICT (user_id) DO UPDATE SET code = EXCLUDED.code,"
            " expires = EXCLUDED.expires, attempts = 0",
            {userId, code, expires});
        if (!deliver())
            return false;
        transaction.commit();
        return true;
    });
}

CodeCheck PostgresStore::checkCode(std::int64_t userId, const std::string& code, std::int64_t now,
                                   int maxAttempts, bool* counted) {
    return run([&](Session& s) {
        Transaction transaction(s);
        int attempts = 0;
        const CodeCheck state = codeState(s, userId, code, now, maxAttempts, &attempts);
        if (counted)
            *counted = state == CodeCheck::Wrong;
        if (state != CodeCheck::Wrong)
            return state;
        s.exec("UPDATE codes SET attempts = attempts + 1 WHERE user_id = $1", {userId});
        transaction.commit();
        return attempts + 1 >= maxAttempts ? CodeCheck::Locked : CodeCheck::Wrong;
    });
}

CodeCheck PostgresStore::resetPassword(std::int64_t userId, const std::string& code,
                                       std::int64_t now, int maxAttempts,
                                       const std::string& newHash) {
    return run([&](Session& s) {
        Transaction transaction(s);
        int attempts = 0;
        const CodeCheck state = codeState(s, userId, code, now, maxAttempts, &attempts);
        if (state != CodeCheck::Ok)
            return state == CodeCheck::Wrong ? CodeCheck::NoCode : state;
        s.exec("UPDATE users SET password_hash = $1 WHERE id = $2", {newHash, userId});
        s.exec("DELETE FROM codes WHERE user_id = $1", {userId});
        s.exec("DELETE FROM tokens WHERE user_id = $1", {userId});
        transaction.commit();
        return CodeCheck::Ok;
    });
}

std::int64_t PostgresStore::admit(const std::vector<Limit>& limits, std::int64_t now,
                                  std::vector<std::int64_t>* ids, std::int64_t keep) {
    return run([&](Session& s) -> std::int64_t {
        Transaction transaction(s);
        ids->clear();
        // One advisory lock per kind and key, held to the commit: concurrent requests of every
        // instance for the same key are counted one after the other, so none slips past a cap.
        for (const Limit& limit : limits)
            s.exec("SELECT pg_advisory_xact_lock(hashtextextended($1::text, 0))",
                   {limit.kind + '\n' + limit.key});
        std::int64_t wait = 0;
        for (const Limit& limit : limits) {
            if (limit.interval > 0) {
                const Result last =
                    s.exec("SELECT MAX(at) FROM events WHERE kind = $1 AND key = $2",
                           {limit.kind, limit.key});
                if (!last.isNull(0, 0))
                    wait = std::max(wait, last.integer(0, 0) + limit.interval - now);
            }
            if (limit.max > 0) {
                // The max-th newest event inside the window: the cap is reached when it exists,
                // and lifts when it leaves the window.
                const Result nth = s.exec(
                    "SELECT at FROM events WHERE kind = $1 AND key = $2 AND at > $3"
                    " ORDER BY at DESC LIMIT 1 OFFSET $4",
                    {limit.kind, limit.key, now - limit.window,
                     static_cast<std::int64_t>(limit.max - 1)});
                if (nth.rows() > 0)
                    wait = std::max(
                        wait, std::max<std::int64_t>(1, nth.integer(0, 0) + limit.window - now));
            }
        }
        if (wait > 0)
            return wait;
        for (const Limit& limit : limits) {
            s.exec("DELETE FROM events WHERE kind = $1 AND at <= $2", {limit.kind, now - keep});
            const Result inserted =
                s.exec("INSERT INTO events(kind, key, at) VALUES($1, $2, $3) RETURNING id",
                       {limit.kind, limit.key, now});
            ids->push_back(inserted.integer(0, 0));
        }
        transaction.commit();
        return 0;
    });
}

void PostgresStore::forget(const std::vector<std::int64_t>& ids) {
    if (ids.empty())
        return;
    std::string list = "{";
    for (std::int64_t id : ids)
        list += (list.size() > 1 ? "," : "") + std::to_string(id);
    list += "}";
    run([&](Session& s) { s.exec("DELETE FROM events WHERE id = ANY($1::bigint[])", {list}); });
}

std::int64_t PostgresStore::lastEvent(const std::string& kind, const std::string& key,
                                      std::int64_t* at) {
    return run([&](Session& s) -> std::int64_t {
        const Result r = s.exec(
            "SELECT id, at FROM events WHERE kind = $1 AND key = $2 ORDER BY id DESC LIMIT 1",
            {kind, key});
        if (r.rows() == 0)
            return 0;
        *at = r.integer(0, 1);
        return r.integer(0, 0);
    });
}

int PostgresStore::eventsAfter(const std::string& kind, const std::string& key,
                               std::int64_t afterId) {
    return run([&](Session& s) {
        return static_cast<int>(
            s.exec("SELECT COUNT(*) FROM events WHERE kind = $1 AND key = $2 AND id > $3",
                   {kind, key, afterId})
                .integer(0, 0));
    });
}

bool PostgresStore::saveConfig(std::int64_t userId, const std::string& configType,
                               const std::string& content, const std::string& filePath,
                               std::int64_t now, int maxTypes) {
    return run([&](Session& s) {
        Transaction transaction(s);
        // The account's row is the lock of its configurations: saves of one account take turns,
        // so concurrent new types cannot pass the quota together.
        if (s.exec("SELECT 1 FROM users WHERE id = $1 FOR NO KEY UPDATE", {userId}).rows() == 0)
            throw StoreError("database: the account is gone");
        const Result count = s.exec(
            "SELECT COUNT(*), COUNT(*) FILTER (WHERE config_type = $2) FROM configs"
            " WHERE user_id = $1",
            {userId, configType});
        if (count.integer(0, 1) == 0 && count.integer(0, 0) >= maxTypes)
            return false;
        s.exec(
            "INSERT INTO configs(user_id, config_type, content, file_path, updated)"
            " VALUES($1, $2, $3, $4, $5) ON CONFLICT (user_id, config_type) DO UPDATE SET"
            " content = EXCLUDED.content, file_path = EXCLUDED.file_path,"
            " updated = EXCLUDED.updated",
            {userId, configType, Param::bytes(content), Param::bytes(filePath), now});
        transaction.commit();
        return true;
    });
}

std::optional<std::string> PostgresStore::config(std::int64_t userId,
                                                 const std::string& configType) {
    return run([&](Session& s) -> std::optional<std::string> {
        const Result r =
            s.exec("SELECT content FROM configs WHERE user_id = $1 AND config_type = $2",
                   {userId, configType}, true);
        if (r.rows() == 0)
            return std::nullopt;
        return r.text(0, 0);
    });
}

bool PostgresStore::deleteUser(const std::string& email) {
    return run([&](Session& s) {
        return s.exec("DELETE FROM users WHERE email = $1", {email}).affected() == 1;
    });
}

}  // namespace cloud
