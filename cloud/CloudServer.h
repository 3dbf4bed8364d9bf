#pragma once

#include "CloudOptions.h"
#include "CloudSecrets.h"
#include "CloudStore.h"

#include <memory>
#include <mutex>
#include <string>

namespace httplib {
class Server;
struct Request;
struct Response;
}  // namespace httplib

namespace cloud {

class AccessLog;
struct Call;
struct Reply;

// The outbox file name (without folder) of the mail to an address.
std::string outboxFileName(const std::string& email);

// The HTTP face of the service: nine POST endpoints answering the "code"/"msg"/"data" envelope,
// with the login token in the "Authorization" response header and checked on the other
// operations.
class CloudServer {
public:
    explicit CloudServer(Options options);
    ~CloudServer();
    CloudServer(const CloudServer&) = delete;
    CloudServer& operator=(const CloudServer&) = delete;

    // Opens the database and the outbox and binds the listening socket. False with a message on
    // failure.
    bool start(std::string* error);
    int port() const { return m_port; }
    // "http://HOST:PORT" (or https), for the start-up line.
    std::string baseUrl() const;
    // Serves requests until stop() is called from another thread.
    bool run();
    void stop();
    // Reopens the access log file (SIGHUP). False with a message when that failed.
    bool reopenLog(std::string* error);

private:
    void route();
    void serve(const httplib::Request& request, httplib::Response& response,
               Reply (CloudServer::*operation)(const Call&), bool needsToken);

    Reply login(const Call& call);
    Reply registerUser(const Call& call);
    Reply updatePassword(const Call& call);
    Reply findPassword(const Call& call);
    Reply validatePassword(const Call& call);
    Reply newPassword(const Call& call);
    Reply version(const Call& call);
    Reply saveConfig(const Call& call);
    Reply getConfig(const Call& call);

    // Normalises the address of a recovery request and looks its account up: a BadEmail reply
    // for a malformed address; *user stays empty for an unknown one.
    std::optional<Reply> recoveryAccount(std::string* email, std::optional<User>* user);
    // Checks a recovery code under the caps on wrong codes; unknown addresses are answered as
    // an account whose code is not the one given.
    CodeCheck checkRecoveryCode(const Call& call, const std::string& email,
                                const std::optional<User>& user, const std::string& captcha,
                                std::int64_t* wait);
    Reply codeReply(CodeCheck check);
    std::optional<std::string> hash(const std::string& password);
    bool verify(const std::string& hash, const std::string& password);
    // A hash with the same parameters as the stored ones, checked for unknown addresses so that
    // login takes as long for them as for registered ones.
    const std::string& dummyHash();
    bool hostAllowed(const std::string& header) const;
    // The client's address: the connection's, or for a trusted proxy the one it forwards for.
    std::string clientOf(const httplib::Request& request) const;
    bool writeOutbox(const std::string& email, const std::string& text);
    void secureFiles();

    Options m_options;
    std::unique_ptr<Store> m_store;
    // Two hashes at a time (128 MiB).
    HashGate m_hashGate{2};
    std::unique_ptr<AccessLog> m_accessLog;
    std::unique_ptr<httplib::Server> m_server;
    std::string m_outbox;
    int m_port = 0;
    std::once_flag m_dummyOnce;
    std::string m_dummyHash;
};

}  // namespace cloud
