#include "SqliteStore.h"

#include <sqlite3.h>

#include <algorithm>
#include <filesystem>

namespace cloud {

class SqliteStore::Statement {
public:
    Statement(SqliteStore& store, const char* sql) : m_store(store) {
        if (sqlite3_prepare_v2(store.m_db, sql, -1, &m_stmt, nullptr) != SQLITE_OK)
            store.fail("prepare");
    }
    ~Statement() { sqlite3_finalize(m_stmt); }
    Statement(const Statement&) = delete;
    Statement& operator=(const Statement&) = delete;

    Statement& bind(int index, const std::string& text) {
        check(sqlite3_bind_text(m_stmt, index, text.data(), static_cast<int>(text.size()),
                                SQLITE_TRANSIENT));
        return *this;
    }
    Statement& bind(int index, std::int64_t value) {
        check(sqlite3_bind_int64(m_stmt, index, value));
        return *this;
    }
    // True while a row is available.
    bool step() {
        const int rc = sqlite3_step(m_stmt);
        if (rc == SQLITE_ROW)
            return true;
        if (rc == SQLITE_DONE)
            return false;
        m_store.fail("step");
    }
    void run() {
        while (step()) {
        }
    }
    std::string text(int column) {
        const auto* data = reinterpret_cast<const char*>(sqlite3_column_text(m_stmt, column));
        return data ? std::string(data,
                                  static_cast<std::size_t>(sqlite3_column_bytes(m_stmt, column)))
                    : std::string();
    }
    std::int64_t integer(int column) { return sqlite3_column_int64(m_stmt, column); }

private:
    void check(int rc) {
        if (rc != SQLITE_OK)
            m_store.fail("bind");
    }
    SqliteStore& m_store;
    sqlite3_stmt* m_stmt = nullptr;
};

// BEGIN IMMEDIATE ... COMMIT; rolled back when left without commit (an error was thrown, or the
// change was refused half-way).
class SqliteStore::Transaction {
public:
    explicit Transaction(SqliteStore& store) : m_store(store) { m_store.exec("BEGIN IMMEDIATE"); }
    ~Transaction() {
        if (!m_done)
            sqlite3_exec(m_store.m_db, "ROLLBACK", nullptr, nullptr, nullptr);
    }
    void commit() {
        m_store.exec("COMMIT");
        m_done = true;
    }

private:
    SqliteStore& m_store;
    bool m_done = false;
};

SqliteStore::~SqliteStore() {
    close();
}

void SqliteStore::fail(const char* what) {
    throw StoreError(std::string("database ") + what + ": " + sqlite3_errmsg(m_db));
}

void SqliteStore::exec(const char* sql) {
    char* message = nullptr;
    if (sqlite3_exec(m_db, sql, nullptr, nullptr, &message) != SQLITE_OK) {
        const std::string text = message ? message : "unknown error";
        sqlite3_free(message);
        throw StoreError(std::string("database: ") + text);
    }
}

bool SqliteStore::open(const std::string& dir, std::string* error) {
    close();
    std::error_code ec;
    std::filesystem::create_directories(dir, ec);
    if (ec) {
        *error = "cannot create " + dir + ": " + ec.message();
        return false;
    }
    const std::string path = dir + "/cloud.db";
    if (sqlite3_open_v2(path.c_str(), &m_db,
                        SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE | SQLITE_OPEN_FULLMUTEX,
                        nullptr) != SQLITE_OK) {
        *error = "cannot open " + path + ": " + (m_db ? sqlite3_errmsg(m_db) : "out of memory");
        close();
        return false;
    }
    sqlite3_busy_timeout(m_db, 5000);
    try {
        exec("PRAGMA journal_mode=WAL");
        exec("PRAGMA synchronous=FULL");
        exec("PRAGMA foreign_keys=ON");
        int version = 0;
        {
            Transaction transaction(*this);
            version = userVersion();
            if (version <= kSchemaVersion) {
                migrate(version);
                transaction.commit();
            }
        }
        if (version > kSchemaVersion) {
            *error = path + " has schema version " + std::to_string(version) +
                     ", newer than this pointora-cloud understands (" +
                     std::to_string(kSchemaVersion) +
                     "); it was written by a newer pointora-cloud: use that one";
            close();
            return false;
        }
    } catch (const StoreError& e) {
        *error = path + ": " + e.what();
        close();
        return false;
    }
    return true;
}

int SqliteStore::userVersion() {
    Statement s(*this, "PRAGMA user_version");
    return s.step() ? static_cast<int>(s.integer(0)) : 0;
}

// Brings the schema from version `from` to kSchemaVersion, one step at a time, inside the
// caller's transaction. 0 is a new, empty database.
void SqliteStore::migrate(int from) {
    if (from < 1) {
        exec(
            "CREATE TABLE IF NOT EXISTS users("
            " id INTEGER PRIMARY KEY,"
            " email TEXT NOT NULL UNIQUE,"
            " nickname TEXT NOT NULL,"
            " password_hash TEXT NOT NULL,"
            " created INTEGER NOT NULL)");
        exec(
            "CREATE TABLE IF NOT EXISTS tokens("
            " digest TEXT PRIMARY KEY,"
            " user_id INTEGER NOT NULL REFERENCES users(id) ON DELETE CASCADE,"
            " expires INTEGER NOT NULL)");
        exec("CREATE INDEX IF NOT EXISTS tokens_user ON tokens(user_id)");
        exec(
            "CREATE TABLE IF NOT EXISTS codes("
            " user_id INTEGER PRIMARY KEY REFERENCES users(id) ON DELETE CASCADE,"
            " code TEXT NOT NULL,"
            " expires INTEGER NOT NULL,"
            " attempts INTEGER NOT NULL)");
        exec(
            "CREATE TABLE IF NOT EXISTS configs("
            " user_id INTEGER NOT NULL REFERENCES users(id) ON DELETE CASCADE,"
            " config_type TEXT NOT NULL,"
            " content TEXT NOT NULL,"
            " file_path TEXT NOT NULL,"
            " updated INTEGER NOT NULL,"
            " PRIMARY KEY(user_id, config_type))");
    }
    if (from < 2) {
        // Rate-limit bookkeeping: one row per counted request, kept for a day. IF NOT EXISTS:
        // some version-1 databases already have it.
        exec(
            "CREATE TABLE IF NOT EXISTS events("
            " id INTEGER PRIMARY KEY AUTOINCREMENT,"
            " kind TEXT NOT NULL,"
            " key TEXT NOT NULL,"
            " at INTEGER NOT NULL)");
        exec("CREATE INDEX IF NOT EXISTS events_key ON events(kind, key, at)");
    }
    // A later schema adds its step here: if (from < 3) { ... }
    exec(("PRAGMA user_version=" + std::to_string(kSchemaVersion)).c_str());
}

void SqliteStore::close() {
    if (m_db) {
        sqlite3_close_v2(m_db);
        m_db = nullptr;
    }
}

std::optional<User> SqliteStore::readUser(Statement& statement) {
    if (!statement.step())
        return std::nullopt;
    User user;
    user.id = statement.integer(0);
    user.email = statement.text(1);
    user.nickname = statement.text(2);
    user.passwordHash = statement.text(3);
    return user;
}

std::optional<User> SqliteStore::userByEmail(const std::string& email) {
    std::lock_guard<std::mutex> lock(m_mutex);
    Statement s(*this, "SELECT id, email, nickname, password_hash FROM users WHERE email = ?");
    s.bind(1, email);
    return readUser(s);
}

std::optional<User> SqliteStore::userByToken(const std::string& tokenDigest, std::int64_t now) {
    std::lock_guard<std::mutex> lock(m_mutex);
    Statement s(*this,
                "SELECT u.id, u.email, u.nickname, u.password_hash FROM tokens t"
                " JOIN users u ON u.id = t.user_id WHERE t.digest = ? AND t.expires > ?");
    s.bind(1, tokenDigest).bind(2, now);
    return readUser(s);
}

bool SqliteStore::addUser(const std::string& email, const std::string& nickname,
                          const std::string& passwordHash, std::int64_t now) {
    std::lock_guard<std::mutex> lock(m_mutex);
    Transaction transaction(*this);
    {
        Statement exists(*this, "SELECT 1 FROM users WHERE email = ?");
        exists.bind(1, email);
        if (exists.step())
            return false;
    }
    Statement insert(*this,
                     "INSERT INTO users(email, nickname, password_hash, created)"
                     " VALUES(?, ?, ?, ?)");
    insert.bind(1, email).bind(2, nickname).bind(3, passwordHash).bind(4, now).run();
    transaction.commit();
    return true;
}

bool SqliteStore::addToken(std::int64_t userId, const std::string& expectedHash,
                           const std::string& tokenDigest, std::int64_t expires, std::int64_t now) {
    std::lock_guard<std::mutex> lock(m_mutex);
    Transaction transaction(*this);
    {
        Statement current(*this, "SELECT password_hash FROM users WHERE id = ?");
        current.bind(1, userId);
        if (!current.step() || current.text(0) != expectedHash)
            return false;
    }
    Statement(*this, "DELETE FROM tokens WHERE expires <= ?").bind(1, now).run();
    Statement(*this, "INSERT INTO tokens(digest, user_id, expires) VALUES(?, ?, ?)")
        .bind(1, tokenDigest)
        .bind(2, userId)
        .bind(3, expires)
        .run();
    transaction.commit();
    return true;
}

bool SqliteStore::changePassword(std::int64_t userId, const std::string& expectedHash,
                                 const std::string& newHash, const std::string& keepTokenDigest) {
    std::lock_guard<std::mutex> lock(m_mutex);
    Transaction transaction(*this);
    Statement update(*this,
                     "UPDATE users SET password_hash = ? WHERE id = ? AND password_hash = ?");
    update.bind(1, newHash).bind(2, userId).bind(3, expectedHash).run();
    if (sqlite3_changes(m_db) != 1)
        return false;
    Statement(*this, "DELETE FROM tokens WHERE user_id = ? AND digest <> ?")
        .bind(1, userId)
        .bind(2, keepTokenDigest)
        .run();
    Statement(*this, "DELETE FROM codes WHERE user_id = ?").bind(1, userId).run();
    transaction.commit();
    return true;
}

bool SqliteStore::putCode(std::int64_t userId, const std::string& code, std::int64_t expires,
                          const std::function<bool()>& deliver) {
    std::lock_guard<std::mutex> lock(m_mutex);
    Transaction transaction(*this);
    Statement(*this,
              "INSERT INTO codes(user_id, code, expires, attempts) VALUES(?, ?, ?, 0)"
              " ON CONFLICT(user_id) DO UPDATE SET code = excluded.code,"
              " expires = excluded.expires, attempts = 0")
        .bind(1, userId)
        .bind(2, code)
        .bind(3, expires)
        .run();
    if (!deliver())
        return false;
    transaction.commit();
    return true;
}

CodeCheck SqliteStore::codeState(std::int64_t userId, const std::string& code, std::int64_t now,
                                 int maxAttempts, int* attempts) {
    Statement s(*this, "SELECT code, expires, attempts FROM codes WHERE user_id = ?");
    s.bind(1, userId);
    if (!s.step() || s.integer(1) <= now)
        return CodeCheck::NoCode;
    *attempts = static_cast<int>(s.integer(2));
    if (*attempts >= maxAttempts)
        return CodeCheck::Locked;
    return code.size() == 4 && s.text(0) == code ? CodeCheck::Ok : CodeCheck::Wrong;
}

CodeCheck SqliteStore::checkCode(std::int64_t userId, const std::string& code, std::int64_t now,
                                 int maxAttempts, bool* counted) {
    std::lock_guard<std::mutex> lock(m_mutex);
    Transaction transaction(*this);
    int attempts = 0;
    const CodeCheck state = codeState(userId, code, now, maxAttempts, &attempts);
    if (counted)
        *counted = state == CodeCheck::Wrong;
    if (state != CodeCheck::Wrong)
        return state;
    Statement(*this, "UPDATE codes SET attempts = attempts + 1 WHERE user_id = ?")
        .bind(1, userId)
        .run();
    transaction.commit();
    return attempts + 1 >= maxAttempts ? CodeCheck::Locked : CodeCheck::Wrong;
}

CodeCheck SqliteStore::resetPassword(std::int64_t userId, const std::string& code, std::int64_t now,
                                     int maxAttempts, const std::string& newHash) {
    std::lock_guard<std::mutex> lock(m_mutex);
    Transaction transaction(*this);
    int attempts = 0;
    const CodeCheck state = codeState(userId, code, now, maxAttempts, &attempts);
    if (state != CodeCheck::Ok)
        return state == CodeCheck::Wrong ? CodeCheck::NoCode : state;
    Statement(*this, "UPDATE users SET password_hash = ? WHERE id = ?")
        .bind(1, newHash)
        .bind(2, userId)
        .run();
    Statement(*this, "DELETE FROM codes WHERE user_id = ?").bind(1, userId).run();
    Statement(*this, "DELETE FROM tokens WHERE user_id = ?").bind(1, userId).run();
    transaction.commit();
    return CodeCheck::Ok;
}

std::int64_t SqliteStore::admit(const std::vector<Limit>& limits, std::int64_t now,
                                std::vector<std::int64_t>* ids, std::int64_t keep) {
    std::lock_guard<std::mutex> lock(m_mutex);
    Transaction transaction(*this);
    ids->clear();
    std::int64_t wait = 0;
    for (const Limit& limit : limits) {
        if (limit.interval > 0) {
            Statement last(*this, "SELECT MAX(at) FROM events WHERE kind = ? AND key = ?");
            last.bind(1, limit.kind).bind(2, limit.key);
            if (last.step() && !last.text(0).empty())
                wait = std::max(wait, last.integer(0) + limit.interval - now);
        }
        if (limit.max > 0) {
            // The max-th newest event inside the window: the cap is reached when it exists, and
            // lifts when it leaves the window.
            Statement nth(*this,
                          "SELECT at FROM events WHERE kind = ? AND key = ? AND at > ?"
                          " ORDER BY at DESC LIMIT 1 OFFSET ?");
            nth.bind(1, limit.kind)
                .bind(2, limit.key)
                .bind(3, now - limit.window)
                .bind(4, static_cast<std::int64_t>(limit.max - 1));
            if (nth.step())
                wait =
                    std::max(wait, std::max<std::int64_t>(1, nth.integer(0) + limit.window - now));
        }
    }
    if (wait > 0)
        return wait;
    for (const Limit& limit : limits) {
        Statement(*this, "DELETE FROM events WHERE kind = ? AND at <= ?")
            .bind(1, limit.kind)
            .bind(2, now - keep)
            .run();
        Statement(*this, "INSERT INTO events(kind, key, at) VALUES(?, ?, ?)")
            .bind(1, limit.kind)
            .bind(2, limit.key)
            .bind(3, now)
            .run();
        ids->push_back(sqlite3_last_insert_rowid(m_db));
    }
    transaction.commit();
    return 0;
}

void SqliteStore::forget(const std::vector<std::int64_t>& ids) {
    std::lock_guard<std::mutex> lock(m_mutex);
    Transaction transaction(*this);
    for (std::int64_t id : ids)
        Statement(*this, "DELETE FROM events WHERE id = ?").bind(1, id).run();
    transaction.commit();
}

std::int64_t SqliteStore::lastEvent(const std::string& kind, const std::string& key,
                                    std::int64_t* at) {
    std::lock_guard<std::mutex> lock(m_mutex);
    Statement s(*this,
                "SELECT id, at FROM events WHERE kind = ? AND key = ? ORDER BY id DESC LIMIT 1");
    s.bind(1, kind).bind(2, key);
    if (!s.step())
        return 0;
    *at = s.integer(1);
    return s.integer(0);
}

int SqliteStore::eventsAfter(const std::string& kind, const std::string& key,
                             std::int64_t afterId) {
    std::lock_guard<std::mutex> lock(m_mutex);
    Statement s(*this, "SELECT COUNT(*) FROM events WHERE kind = ? AND key = ? AND id > ?");
    s.bind(1, kind).bind(2, key).bind(3, afterId);
    return s.step() ? static_cast<int>(s.integer(0)) : 0;
}

bool SqliteStore::saveConfig(std::int64_t userId, const std::string& configType,
                             const std::string& content, const std::string& filePath,
                             std::int64_t now, int maxTypes) {
    std::lock_guard<std::mutex> lock(m_mutex);
    Transaction transaction(*this);
    {
        Statement count(*this,
                        "SELECT COUNT(*), COALESCE(SUM(config_type = ?), 0) FROM configs"
                        " WHERE user_id = ?");
        count.bind(1, configType).bind(2, userId);
        if (count.step() && count.integer(1) == 0 && count.integer(0) >= maxTypes)
            return false;
    }
    Statement(*this,
              "INSERT INTO configs(user_id, config_type, content, file_path, updated)"
              " VALUES(?, ?, ?, ?, ?) ON CONFLICT(user_id, config_type) DO UPDATE SET"
              " content = excluded.content, file_path = excluded.file_path,"
              " updated = excluded.updated")
        .bind(1, userId)
        .bind(2, configType)
        .bind(3, content)
        .bind(4, filePath)
        .bind(5, now)
        .run();
    transaction.commit();
    return true;
}

std::optional<std::string> SqliteStore::config(std::int64_t userId, const std::string& configType) {
    std::lock_guard<std::mutex> lock(m_mutex);
    Statement s(*this, "SELECT content FROM configs WHERE user_id = ? AND config_type = ?");
    s.bind(1, userId).bind(2, configType);
    if (!s.step())
        return std::nullopt;
    return s.text(0);
}

}  // namespace cloud

namespace cloud {

bool SqliteStore::deleteUser(const std::string& email) {
    std::lock_guard<std::mutex> lock(m_mutex);
    Transaction transaction(*this);
    Statement(*this, "DELETE FROM users WHERE email = ?").bind(1, email).run();
    if (sqlite3_changes(m_db) != 1)
        return false;
    transaction.commit();
    return true;
}

}  // namespace cloud
