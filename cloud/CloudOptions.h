#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace cloud {

// Everything the command line can set.
struct Options {
    std::string host = "127.0.0.1";
    int port = 8732;  // 0: the system picks a free port, printed at start
    std::string dataDir;
    std::string latestVersion;  // answered by the version check; default: this build's version
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
};

// Parses argv (without the program name). Returns false with a message in *error on bad input;
// sets *help when --help was asked for.
bool parseOptions(const std::vector<std::string>& args, Options* options, std::string* error,
                  bool* help);
std::string usageText();

}  // namespace cloud
