#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace cloud {

// Caps per hour for one kind of request: per e-mail address and per client (IP address); 0 lifts
// a cap.
struct RateLimit {
    int perAddress;
    int perClient;
};

// Everything the command line can set.
struct Options {
    std::string host = "127.0.0.1";
    int port = 8732;               // 0: the system picks a free port, printed at start
    std::string dataDir;           // SQLite: the data folder (cloud.db); empty with PostgreSQL
    std::string database;          // "sqlite:DIR" or a postgresql:// URL (--data DIR: "sqlite:DIR")
    std::string outboxDir;         // the recovery mails; default DIR/outbox with SQLite
    int databaseConnections = 16;  // PostgreSQL connections at most (never more than threads)
    std::string latestVersion;     // answered by the version check; default: this build's version
    std::string downloadUrl;
    std::int64_t tokenTtlSeconds = 30 * 24 * 3600;
    std::int64_t codeTtlSeconds = 10 * 60;
    int codeAttempts = 5;
    std::string tlsCert;  // both set: serve https
    std::string tlsKey;
    int threads = 64;
    int maxConfigTypes = 16;                  // configuration types kept per account
    std::int64_t maxConfigBytes = 64 * 1024;  // bytes of one stored copy (content and file path)
    bool quiet = false;
    std::string accessLog;      // access log file (SIGHUP reopens it); empty: standard error
    std::string deleteAccount;  // operator action: delete this account and exit
    // Host names (besides the listen address) accepted in the Host header.
    std::vector<std::string> allowedHosts;
    // Addresses of load balancers or proxies in front: for their connections the client is the
    // address they name in X-Forwarded-For (the caps per client count it).
    std::vector<std::string> trustedProxies;
    RateLimit loginFailures{10, 100};       // failed logins
    RateLimit registrations{5, 30};         // registration attempts
    RateLimit codeRequests{5, 30};          // verification code requests
    RateLimit codeFailures{10, 100};        // wrong verification codes, across codes
    std::int64_t codeIntervalSeconds = 60;  // least time between two code requests per address
};

// Parses argv (without the program name). Returns false with a message in *error on bad input;
// sets *help when --help was asked for.
bool parseOptions(const std::vector<std::string>& args, Options* options, std::string* error,
                  bool* help);
std::string usageText();

}  // namespace cloud
