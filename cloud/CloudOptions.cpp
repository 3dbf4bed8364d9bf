#include "CloudOptions.h"

#include "CloudStore.h"

#include <cerrno>
#include <cstdlib>

namespace cloud {

namespace {

bool parseInteger(const std::string& text, std::int64_t min, std::int64_t max,
                  std::int64_t* value) {
    if (text.empty() || text.size() > 18)
        return false;
    for (char c : text) {
        if (c < '0' || c > '9')
            return false;
    }
    errno = 0;
    const long long parsed = std::strtoll(text.c_str(), nullptr, 10);
    if (errno != 0 || parsed < min || parsed > max)
        return false;
    *value = parsed;
    return true;
}

// "HOST:PORT", "[IPV6]:PORT".
bool parseListen(const std::string& text, std::string* host, int* port) {
    const std::size_t colon = text.rfind(':');
    if (colon == std::string::npos || colon == 0)
        return false;
    std::string h = text.substr(0, colon);
    if (h.size() >= 2 && h.front() == '[' && h.back() == ']')
        h = h.substr(1, h.size() - 2);
    std::int64_t p = 0;
    if (h.empty() || !parseInteger(text.substr(colon + 1), 0, 65535, &p))
        return false;
    *host = h;
    *port = static_cast<int>(p);
    return true;
}

// "A,C": per-address and per-client caps.
bool parseRateLimit(const std::string& text, RateLimit* limit) {
    const std::size_t comma = text.find(',');
    std::int64_t a = 0, c = 0;
    if (comma == std::string::npos || !parseInteger(text.substr(0, comma), 0, 1000000, &a) ||
        !parseInteger(text.substr(comma + 1), 0, 1000000, &c))
        return false;
    limit->perAddress = static_cast<int>(a);
    limit->perClient = static_cast<int>(c);
    return true;
}

}  // namespace

std::string usageText() {
    return "usage: pointora-cloud --data DIR | --database URL [--outbox DIR] [--listen HOST:PORT]\n"
           "                      [--latest-version V] [--download-url URL]\n"
           "                      [--tls-cert FILE --tls-key FILE]\n"
           "                      [--token-ttl SECONDS] [--code-ttl SECONDS] [--threads N] "
           "[--quiet]\n"
           "                      [--access-log FILE]\n"
           "       pointora-cloud --data DIR | --database URL --delete-account EMAIL\n"
           "  --listen HOST:PORT   address to listen on (default 127.0.0.1:8732; port 0 picks a\n"
           "                       free port, printed on the first line of output)\n"
           "  --data DIR           folder of the database and of the outbox (created if missing)\n"
           "  --database URL       sqlite:DIR (the same as --data DIR) or a PostgreSQL URL\n"
           "                       postgresql://USER@HOST:PORT/DB shared by several instances\n"
           "                       (the password from PGPASSFILE or PGPASSWORD)\n"
           "  --outbox DIR         folder of the recovery mails (default DIR/outbox; required\n"
           "                       with PostgreSQL, and may be shared by the instances)\n"
           "  --database-connections N  PostgreSQL connections at most (default 16)\n"
           "  --latest-version V   version answered by the update check (default " POINTORA_VERSION
           ")\n"
           "  --download-url URL   download address answered by the update check (default "
           "empty)\n"
           "  --tls-cert, --tls-key  PEM certificate and key: serve https instead of http\n"
           "  --token-ttl SECONDS  lifetime of a login token (default 2592000 = 30 days)\n"
           "  --code-ttl SECONDS   lifetime of a verification code (default 600)\n"
           "  --threads N          worker threads (default 64)\n"
           "  --max-config-types N configuration types kept per account (default 16)\n"
           "  --max-config-bytes N bytes of one stored configuration (default 65536)\n"
           "  --quiet              no access log on standard error\n"
           "  --access-log FILE    append the access log to FILE (SIGHUP reopens it)\n"
           "  --delete-account EMAIL  delete that account with everything stored for it, then "
           "exit\n"
           "  --allow-host NAME    also accept requests whose Host header names NAME (repeatable)\n"
           "  --trusted-proxy ADDR a load balancer's address: its connections' client is the one\n"
           "                       named in X-Forwarded-For (repeatable)\n"
           "  --limit-login A,C    failed logins per hour per address, per client (default "
           "10,100)\n"
           "  --limit-register A,C registrations per hour per address, per client (default 5,30)\n"
           "  --limit-code-request A,C  code requests per hour per address, per client (default "
           "5,30)\n"
           "  --limit-code-check A,C    wrong codes per hour per address, per client (default "
           "10,100)\n"
           "  --code-interval SECONDS   least time between two code requests per address "
           "(default 60)\n"
           "                       (a cap of 0 is no cap)\n";
}

bool parseOptions(const std::vector<std::string>& args, Options* options, std::string* error,
                  bool* help) {
    *help = false;
    options->latestVersion = POINTORA_VERSION;
    for (std::size_t i = 0; i < args.size(); ++i) {
        const std::string& name = args[i];
        if (name == "--help" || name == "-h") {
            *help = true;
            return true;
        }
        if (name == "--quiet") {
            options->quiet = true;
            continue;
        }
        if (i + 1 >= args.size()) {
            *error =
                name.rfind("--", 0) == 0 ? name + " needs a value" : "unknown argument " + name;
            return false;
        }
        const std::string& value = args[++i];
        std::int64_t number = 0;
        if (name == "--listen") {
            if (!parseListen(value, &options->host, &options->port)) {
                *error = "--listen wants HOST:PORT, got " + value;
                return false;
            }
        } else if (name == "--data" || name == "--database") {
            if (!options->database.empty()) {
                *error = "give --data or --database once";
                return false;
            }
            const std::string url = name == "--data" ? "sqlite:" + value : value;
            const bool sqlite = url.rfind("sqlite:", 0) == 0;
            if (!(sqlite || url.rfind("postgresql://", 0) == 0 ||
                  url.rfind("postgres://", 0) == 0) ||
                (sqlite && url.size() == 7)) {
                *error = name + " wants sqlite:DIR or a postgresql:// URL, got " +
                         redactedDatabaseUrl(value);
                return false;
            }
            options->database = url;
            options->dataDir = sqlite ? url.substr(7) : std::string();
        } else if (name == "--outbox") {
            if (value.empty()) {
                *error = "--outbox wants a folder";
                return false;
            }
            options->outboxDir = value;
        } else if (name == "--database-connections") {
            if (!parseInteger(value, 1, 256, &number)) {
                *error = "--database-connections wants a number from 1 to 256, got " + value;
                return false;
            }
            options->databaseConnections = static_cast<int>(number);
        } else if (name == "--latest-version") {
            options->latestVersion = value;
        } else if (name == "--download-url") {
            options->downloadUrl = value;
        } else if (name == "--max-config-types") {
            if (!parseInteger(value, 1, 10000, &number)) {
                *error = "--max-config-types wants a number from 1 to 10000, got " + value;
                return false;
            }
            options->maxConfigTypes = static_cast<int>(number);
        } else if (name == "--max-config-bytes") {
            if (!parseInteger(value, 1, 1024 * 1024, &number)) {
                *error = "--max-config-bytes wants a number from 1 to 1048576, got " + value;
                return false;
            }
            options->maxConfigBytes = number;
        } else if (name == "--access-log") {
            options->accessLog = value;
        } else if (name == "--delete-account") {
            options->deleteAccount = value;
        } else if (name == "--tls-cert") {
            options->tlsCert = value;
        } else if (name == "--tls-key") {
            options->tlsKey = value;
        } else if (name == "--token-ttl" || name == "--code-ttl") {
            if (!parseInteger(value, 0, 10LL * 365 * 24 * 3600, &number)) {
                *error = name + " wants a number of seconds, got " + value;
                return false;
            }
            (name == "--token-ttl" ? options->tokenTtlSeconds : options->codeTtlSeconds) = number;
        } else if (name == "--allow-host") {
            if (value.empty() || value.find_first_of(" /:[]") != std::string::npos) {
                *error = "--allow-host wants a host name, got " + value;
                return false;
            }
            std::string lower = value;
            for (char& c : lower)
                c = static_cast<char>(c >= 'A' && c <= 'Z' ? c - 'A' + 'a' : c);
            options->allowedHosts.push_back(lower);
        } else if (name == "--trusted-proxy") {
            if (value.empty() ||
                value.find_first_not_of("0123456789abcdefABCDEF.:") != std::string::npos) {
                *error = "--trusted-proxy wants an IP address, got " + value;
                return false;
            }
            std::string lower = value;
            for (char& c : lower)
                c = static_cast<char>(c >= 'A' && c <= 'Z' ? c - 'A' + 'a' : c);
            options->trustedProxies.push_back(lower);
        } else if (name == "--limit-login" || name == "--limit-register" ||
                   name == "--limit-code-request" || name == "--limit-code-check") {
            RateLimit* limit = name == "--limit-login"          ? &options->loginFailures
                               : name == "--limit-register"     ? &options->registrations
                               : name == "--limit-code-request" ? &options->codeRequests
                                                                : &options->codeFailures;
            if (!parseRateLimit(value, limit)) {
                *error = name + " wants two numbers A,C, got " + value;
                return false;
            }
        } else if (name == "--code-interval") {
            if (!parseInteger(value, 0, 24 * 3600, &number)) {
                *error = "--code-interval wants a number of seconds, got " + value;
                return false;
            }
            options->codeIntervalSeconds = number;
        } else if (name == "--threads") {
            if (!parseInteger(value, 1, 256, &number)) {
                *error = "--threads wants a number from 1 to 256, got " + value;
                return false;
            }
            options->threads = static_cast<int>(number);
        } else {
            *error = "unknown argument " + name;
            return false;
        }
    }
    if (options->database.empty()) {
        *error = "--data DIR or --database URL is required";
        return false;
    }
    if (options->outboxDir.empty()) {
        if (options->dataDir.empty()) {
            *error = "--outbox DIR is required with a PostgreSQL database";
            return false;
        }
        options->outboxDir = options->dataDir + "/outbox";
    }
    if (options->tlsCert.empty() != options->tlsKey.empty()) {
        *error = "--tls-cert and --tls-key go together";
        return false;
    }
    return true;
}

}  // namespace cloud
