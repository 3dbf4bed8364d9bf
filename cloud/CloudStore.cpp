#include "CloudStore.h"

#include "PostgresStore.h"
#include "SqliteStore.h"

#include <algorithm>

namespace cloud {

namespace {

bool isPostgresUrl(const std::string& database) {
    return database.rfind("postgresql://", 0) == 0 || database.rfind("postgres://", 0) == 0;
}

// Where the password of a URL's user information sits: [*begin, *end), false when there is none.
// The user information ends at the first "@" before any "/" (as the client library reads it).
bool userPassword(const std::string& url, std::size_t* begin, std::size_t* end) {
    const std::size_t scheme = url.find("://");
    if (scheme == std::string::npos)
        return false;
    const std::size_t start = scheme + 3;
    const std::size_t at = url.find_first_of("@/?", start);
    if (at == std::string::npos || url[at] != '@')
        return false;
    const std::size_t colon = url.find(':', start);
    if (colon == std::string::npos || colon > at)
        return false;
    *begin = colon + 1;
    *end = at;
    return true;
}

// Where the value of a "password=" query parameter sits.
bool parameterPassword(const std::string& url, std::size_t* begin, std::size_t* end) {
    const std::size_t query = url.find('?');
    if (query == std::string::npos)
        return false;
    for (std::size_t p = query + 1; p < url.size();) {
        const std::size_t next = std::min(url.find('&', p), url.size());
        if (url.compare(p, 9, "password=") == 0) {
            *begin = p + 9;
            *end = next;
            return true;
        }
        p = next + 1;
    }
    return false;
}

std::string percentDecoded(const std::string& text) {
    std::string out;
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] == '%' && i + 2 < text.size()) {
            const std::string hex = text.substr(i + 1, 2);
            if (hex.size() == 2 &&
                hex.find_first_not_of("0123456789abcdefABCDEF") == std::string::npos) {
                out += static_cast<char>(std::stoi(hex, nullptr, 16));
                i += 2;
                continue;
            }
        }
        out += text[i];
    }
    return out;
}

}  // namespace

std::string redactedDatabaseUrl(const std::string& database) {
    std::string url = database;
    std::size_t begin = 0, end = 0;
    if (parameterPassword(url, &begin, &end))
        url.replace(begin, end - begin, "***");
    if (userPassword(url, &begin, &end))
        url.replace(begin, end - begin, "***");
    return url;
}

std::string databasePassword(const std::string& database) {
    std::size_t begin = 0, end = 0;
    if (parameterPassword(database, &begin, &end) || userPassword(database, &begin, &end))
        return percentDecoded(database.substr(begin, end - begin));
    return std::string();
}

std::unique_ptr<Store> openStore(const std::string& database, int connections, std::string* error) {
    if (database.rfind("sqlite:", 0) == 0) {
        auto store = std::make_unique<SqliteStore>();
        if (!store->open(database.substr(7), error))
            return nullptr;
        return store;
    }
    if (isPostgresUrl(database)) {
        auto store = std::make_unique<PostgresStore>(database, connections);
        if (!store->open(error))
            return nullptr;
        return store;
    }
    *error = "unknown database " + redactedDatabaseUrl(database) +
             ": expected sqlite:DIR or a postgresql:// URL";
    return nullptr;
}

}  // namespace cloud
