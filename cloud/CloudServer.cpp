#include "CloudServer.h"

#include "CloudHttp.h"
#include "CloudTexts.h"

#include <httplib.h>

#include <QByteArray>
#include <QCryptographicHash>
#include <QJsonDocument>
#include <QJsonObject>
#include <QString>

#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <initializer_list>
#include <utility>

namespace cloud {

namespace {

constexpr std::size_t kMaxBody = 64 * 1024;
constexpr std::int64_t kLimitWindow = 3600;

const char* const kPaths[] = {
    "/v1/user/login",        "/v1/user/register",         "/v1/user/updatePassword",
    "/v1/user/findPassword", "/v1/user/validatePassword", "/v1/user/newPassword",
    "/v1/driver/version",    "/v1/driver/config2/save",   "/v1/driver/config2/get",
};

std::int64_t nowSeconds() {
    return std::chrono::duration_cast<std::chrono::seconds>(
               std::chrono::system_clock::now().time_since_epoch())
        .count();
}

bool isKnownPath(const std::string& path) {
    for (const char* known : kPaths) {
        if (path == known)
            return true;
    }
    return false;
}

int httpStatusOf(int code) {
    switch (code) {
        case BadJson:
        case BadMember:
        case BadHttp:
            return 400;
        case BadContentType:
            return 415;
        case BadHost:
            return 403;
        case TooLarge:
            return 413;
        case UnknownPath:
            return 404;
        case WrongMethod:
            return 405;
        case InternalError:
            return 500;
        case ServerBusy:
            return 503;
        default:
            return 200;
    }
}

int codeOfHttpStatus(int status) {
    switch (status) {
        case 404:
            return UnknownPath;
        case 405:
            return WrongMethod;
        case 413:
            return TooLarge;
        case 500:
            return InternalError;
        default:
            return BadHttp;
    }
}

void writeEnvelope(httplib::Response& response, int code, const std::string& msg,
                   const QJsonObject& data = QJsonObject()) {
    const QJsonObject envelope{
        {"code", code}, {"msg", QString::fromStdString(msg)}, {"data", data}};
    response.status = httpStatusOf(code);
    response.set_content(QJsonDocument(envelope).toJson(QJsonDocument::Compact).toStdString(),
                         "application/json; charset=utf-8");
}

std::string asciiLower(std::string text) {
    for (char& c : text)
        c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return text;
}

bool isAlnum(char c) {
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9');
}

// A plain address: letters, digits and the other characters mail allows unquoted (such as the
// apostrophe of o'neil@example.com) before the "@", dot-separated labels of letters, digits, "-"
// and "_" after it, ending in a top-level domain of letters. It also names the outbox file, so it
// must never contain "/" or start with a dot.
bool isValidEmail(const std::string& email) {
    const std::size_t at = email.find('@');
    if (email.size() > 254 || at == std::string::npos || at == 0 || at > 64 ||
        email.find('@', at + 1) != std::string::npos)
        return false;
    const std::string local = email.substr(0, at);
    const std::string domain = email.substr(at + 1);
    if (local.front() == '.' || local.back() == '.' || local.find("..") != std::string::npos)
        return false;
    for (char c : local) {
        if (!isAlnum(c) && std::string(".!#$%&'*+-=?^_`{|}~").find(c) == std::string::npos)
            return false;
    }
    std::size_t labels = 0;
    std::size_t start = 0;
    std::string last;
    while (start <= domain.size()) {
        std::size_t dot = domain.find('.', start);
        if (dot == std::string::npos)
            dot = domain.size();
        const std::string label = domain.substr(start, dot - start);
        if (label.empty() || label.size() > 63 || label.front() == '-' || label.back() == '-')
            return false;
        for (char c : label) {
            if (!isAlnum(c) && c != '-' && c != '_')
                return false;
        }
        ++labels;
        last = label;
        start = dot + 1;
    }
    if (labels < 2 || last.size() < 2)
        return false;
    for (char c : last) {
        if (!std::isalpha(static_cast<unsigned char>(c)))
            return false;
    }
    return true;
}

// Length in characters within [min, max] and no control character.
bool isPlainText(const std::string& utf8, int min, int max) {
    const QVector<uint> chars = QString::fromStdString(utf8).toUcs4();
    if (chars.size() < min || chars.size() > max)
        return false;
    for (uint c : chars) {
        if (c < 0x20 || (c >= 0x7f && c < 0xa0))
            return false;
    }
    return true;
}

bool isValidNickname(const std::string& nickname) {
    return isPlainText(nickname, 1, 32) && !QString::fromStdString(nickname).trimmed().isEmpty();
}

bool isValidPassword(const std::string& password) {
    return isPlainText(password, 6, 64);
}

bool isValidConfigType(const std::string& type) {
    return isPlainText(type, 1, 64);
}

// "application/json", with or without parameters such as a charset.
bool isJsonContentType(const std::string& value) {
    std::string type = asciiLower(value.substr(0, value.find(';')));
    while (!type.empty() && (type.back() == ' ' || type.back() == '\t'))
        type.pop_back();
    return type == "application/json";
}

bool isIpLiteral(const std::string& host) {
    return !host.empty() && (host.find(':') != std::string::npos ||
                             host.find_first_not_of("0123456789.") == std::string::npos);
}

// The file of an address in the outbox. Most addresses name it as they are; one too long for a
// file name keeps a readable prefix and gains a digest of the whole address ("~" never occurs in
// an address, so the two forms cannot meet).
std::string outboxName(const std::string& email) {
    if (email.size() <= 200)
        return email + ".txt";
    const QByteArray digest =
        QCryptographicHash::hash(QByteArray::fromStdString(email), QCryptographicHash::Sha256)
            .toHex()
            .left(16);
    return email.substr(0, 180) + "~" + digest.toStdString() + ".txt";
}

void setMode(const std::string& path, mode_t mode) {
    if (::chmod(path.c_str(), mode) != 0 && errno != ENOENT)
        std::fprintf(stderr, "pointora-cloud: cannot restrict the access to %s: %s\n", path.c_str(),
                     std::strerror(errno));
}

// Takes the token from "Authorization: TOKEN" (the program's form) or "Bearer TOKEN".
std::string tokenOf(const httplib::Request& request) {
    std::string value = request.get_header_value("Authorization");
    if (value.size() > 7 && asciiLower(value.substr(0, 7)) == "bearer ")
        value = value.substr(7);
    return value;
}

}  // namespace

struct Call {
    QJsonObject body;
    Lang lang = Lang::En;
    std::optional<User> user;
    std::string tokenDigest;
    std::string client;  // the client's IP address
    std::int64_t now = 0;
};

struct Reply {
    Reply(int c = Success) : code(c) {}
    int code;
    QJsonObject data;
    std::string member;  // the member a BadMember reply names
    std::string token;   // sent in the "Authorization" response header
};

namespace {

// Reads string members into the given targets; the first one missing or not a string ends in a
// BadMember reply.
std::optional<Reply> readStrings(
    const Call& call, std::initializer_list<std::pair<const char*, std::string*>> members) {
    for (const auto& [name, target] : members) {
        const QJsonValue value = call.body.value(QLatin1String(name));
        if (!value.isString()) {
            Reply reply(BadMember);
            reply.member = name;
            return reply;
        }
        *target = value.toString().toStdString();
    }
    return std::nullopt;
}

// The caps of one kind of request: per address (with the least interval between two) and per
// client.
std::vector<Limit> limitsOf(const std::string& kind, const RateLimit& caps,
                            const std::string& email, const std::string& client,
                            std::int64_t interval = 0) {
    return {Limit{kind, email, caps.perAddress, kLimitWindow, interval},
            Limit{kind + "/client", client, caps.perClient, kLimitWindow, 0}};
}

Reply rateLimited(std::int64_t wait) {
    Reply reply(RateLimited);
    reply.member = std::to_string(wait);
    return reply;
}

}  // namespace

std::string outboxFileName(const std::string& email) {
    return outboxName(email);
}

CloudServer::CloudServer(Options options) : m_options(std::move(options)) {}

CloudServer::~CloudServer() = default;

std::string CloudServer::baseUrl() const {
    const bool v6 = m_options.host.find(':') != std::string::npos;
    return std::string(m_options.tlsCert.empty() ? "http" : "https") + "://" +
           (v6 ? "[" + m_options.host + "]" : m_options.host) + ":" + std::to_string(m_port);
}

bool CloudServer::start(std::string* error) {
    // The data folder holds password hashes and recovery codes: everything the service creates
    // is for its own user only.
    ::umask(077);
    m_store = openStore(m_options.database,
                        std::min(m_options.databaseConnections, m_options.threads), error);
    if (!m_store)
        return false;
    if (!m_options.accessLog.empty() || !m_options.quiet) {
        m_accessLog = std::make_unique<AccessLog>();
        if (!m_accessLog->open(m_options.accessLog, error))
            return false;
    }
    m_outbox = m_options.outboxDir;
    std::error_code ec;
    std::filesystem::create_directories(m_outbox, ec);
    if (ec) {
        *error = "cannot create " + m_outbox + ": " + ec.message();
        return false;
    }
    secureFiles();

    std::function<bool()> widenBacklog;
    if (m_options.tlsCert.empty()) {
        auto server = std::make_unique<GuardedServer>(HttpLimits(), m_options.threads);
        widenBacklog = [s = server.get()] { return s->widenBacklog(); };
        m_server = std::move(server);
    } else {
        auto server = std::make_unique<GuardedTlsServer>(m_options.tlsCert, m_options.tlsKey,
                                                         HttpLimits(), m_options.threads);
        widenBacklog = [s = server.get()] { return s->widenBacklog(); };
        m_server = std::move(server);
    }
    if (!m_server->is_valid()) {
        *error =
            "cannot load the TLS certificate " + m_options.tlsCert + " or key " + m_options.tlsKey;
        return false;
    }
    const int threads = m_options.threads;
    m_server->new_task_queue = [threads] { return new WorkerPool(threads); };
    m_server->set_payload_max_length(kMaxBody);
    // Announced in the Keep-Alive response header; the connection loop enforces it.
    m_server->set_keep_alive_timeout(3);
    m_server->set_keep_alive_max_count(20);
    // SO_REUSEADDR only: the library's default also sets SO_REUSEPORT, which would let a second
    // service (with other data) share the port and silently take half of the requests.
    m_server->set_socket_options([](socket_t sock) {
        int yes = 1;
        setsockopt(sock, SOL_SOCKET, SO_REUSEADDR, &yes, sizeof yes);
    });
    route();

    if (m_options.port == 0) {
        m_port = m_server->bind_to_any_port(m_options.host);
    } else {
        m_port = m_server->bind_to_port(m_options.host, m_options.port) ? m_options.port : -1;
    }
    if (m_port <= 0) {
        *error = "cannot listen on " + m_options.host + ":" + std::to_string(m_options.port);
        return false;
    }
    if (!widenBacklog()) {
        *error = "cannot widen the listen backlog: " + std::string(std::strerror(errno));
        return false;
    }
    return true;
}

bool CloudServer::run() {
    return m_server->listen_after_bind();
}

void CloudServer::stop() {
    m_hashGate.close();
    if (m_server)
        m_server->stop();
}

void CloudServer::route() {
    using Operation = Reply (CloudServer::*)(const Call&);
    const std::pair<Operation, bool> operations[] = {
        {&CloudServer::login, false},
        {&CloudServer::registerUser, false},
        {&CloudServer::updatePassword, true},
        {&CloudServer::findPassword, false},
        {&CloudServer::validatePassword, false},
        {&CloudServer::newPassword, false},
        {&CloudServer::version, false},
        {&CloudServer::saveConfig, true},
        {&CloudServer::getConfig, true},
    };
    for (std::size_t i = 0; i < std::size(kPaths); ++i) {
        const auto [operation, needsToken] = operations[i];
        m_server->Post(kPaths[i],
                       [this, operation = operation, needsToken = needsToken](
                           const httplib::Request& request, httplib::Response& response) {
                           serve(request, response, operation, needsToken);
                       });
    }

    // Everything else: unknown paths, and other methods on the known ones.
    const auto refuse = [](const httplib::Request& request, httplib::Response& response) {
        const Lang lang = langFromHeader(request.get_header_value("lang"));
        if (request.method != "POST" && isKnownPath(request.path)) {
            writeEnvelope(response, WrongMethod, message(WrongMethod, lang));
            response.set_header("Allow", "POST");
        } else {
            writeEnvelope(response, UnknownPath, message(UnknownPath, lang));
        }
    };
    m_server->Post(".*", refuse);
    m_server->Get(".*", refuse);
    m_server->Put(".*", refuse);
    m_server->Patch(".*", refuse);
    m_server->Delete(".*", refuse);
    m_server->Options(".*", refuse);

    // Failures found by the HTTP layer itself (body too large, malformed request): the same
    // envelope, unless a handler already wrote one.
    m_server->set_error_handler(httplib::Server::HandlerWithResponse(
        [](const httplib::Request& request, httplib::Response& response) {
            if (!response.body.empty())
                return httplib::Server::HandlerResponse::Unhandled;
            switch (currentWireFault()) {
                case WireFault::BodyTooLarge:
                    response.status = 413;
                    break;
                case WireFault::HeadersTooLarge:
                    response.status = 431;
                    break;
                case WireFault::None:
                    break;
            }
            const int status = response.status;
            const int code = codeOfHttpStatus(status);
            writeEnvelope(response, code,
                          message(code, langFromHeader(request.get_header_value("lang"))));
            response.status = status;
            return httplib::Server::HandlerResponse::Handled;
        }));
    m_server->set_exception_handler(
        [](const httplib::Request& request, httplib::Response& response, std::exception_ptr) {
            writeEnvelope(response, InternalError,
                          message(InternalError, langFromHeader(request.get_header_value("lang"))));
        });
    if (m_accessLog) {
        m_server->set_logger([this, log = m_accessLog.get()](const httplib::Request& request,
                                                             const httplib::Response& response) {
            log->write(clientOf(request), request.method, request.path, response.status,
                       currentRequestStart());
        });
    }
}

// Data created by an older run may still be readable by others: the folders become 0700, the
// database and the mails 0600.
void CloudServer::secureFiles() {
    if (!m_options.dataDir.empty()) {
        setMode(m_options.dataDir, 0700);
        for (const char* name : {"/cloud.db", "/cloud.db-wal", "/cloud.db-shm"})
            setMode(m_options.dataDir + name, 0600);
    }
    setMode(m_outbox, 0700);
    std::error_code ec;
    for (const auto& entry : std::filesystem::directory_iterator(m_outbox, ec)) {
        if (entry.is_regular_file(ec))
            setMode(entry.path().string(), 0600);
    }
}

// The Host header must name the service as the program addresses it: the listen address (with
// the listening port; "localhost" too when listening on loopback, any IP address when listening
// on all of them) or a name given with --allow-host (any port, for a proxy in front). Anything
// else is a web page that resolved its own name to this machine.
bool CloudServer::hostAllowed(const std::string& header) const {
    const std::string value = asciiLower(header);
    std::string host = value;
    std::string port;
    if (value.empty())
        return false;
    if (value.front() == '[') {
        const std::size_t close = value.find(']');
        if (close == std::string::npos)
            return false;
        host = value.substr(1, close - 1);
        const std::string rest = value.substr(close + 1);
        if (!rest.empty()) {
            if (rest[0] != ':')
                return false;
            port = rest.substr(1);
        }
    } else if (const std::size_t colon = value.find(':'); colon != std::string::npos) {
        if (value.find(':', colon + 1) != std::string::npos)
            return false;
        host = value.substr(0, colon);
        port = value.substr(colon + 1);
    }
    if (port.size() > 5 || port.find_first_not_of("0123456789") != std::string::npos)
        return false;
    for (const std::string& name : m_options.allowedHosts) {
        if (host == name)
            return true;
    }
    const int defaultPort = m_options.tlsCert.empty() ? 80 : 443;
    if ((port.empty() ? defaultPort : std::stoi(port)) != m_port)
        return false;
    const std::string listen = asciiLower(m_options.host);
    if (host == listen)
        return true;
    if (listen == "0.0.0.0" || listen == "::")
        return isIpLiteral(host);
    const bool loopback = listen == "localhost" || listen == "::1" || listen.rfind("127.", 0) == 0;
    return loopback && host == "localhost";
}

// X-Forwarded-For lists the addresses a request passed, each proxy appending the one it received
// it from: read from the right, the first address that is not a trusted proxy is the client.
// Anyone can send the header, so it counts only on a trusted proxy's connection.
std::string CloudServer::clientOf(const httplib::Request& request) const {
    const auto trusted = [this](const std::string& address) {
        return std::find(m_options.trustedProxies.begin(), m_options.trustedProxies.end(),
                         asciiLower(address)) != m_options.trustedProxies.end();
    };
    std::string client = request.remote_addr;
    if (!trusted(client))
        return client;
    const std::string forwarded = request.get_header_value("X-Forwarded-For");
    std::size_t end = forwarded.size();
    while (end > 0) {
        const std::size_t comma = forwarded.rfind(',', end - 1);
        const std::size_t begin = comma == std::string::npos ? 0 : comma + 1;
        std::string hop = forwarded.substr(begin, end - begin);
        hop.erase(0, hop.find_first_not_of(" \t"));
        hop.erase(hop.find_last_not_of(" \t") + 1);
        if (hop.empty() || hop.size() > 45 ||
            hop.find_first_not_of("0123456789abcdefABCDEF.:") != std::string::npos)
            break;  // not an address: keep the last one known
        client = hop;
        if (!trusted(hop))
            break;
        if (comma == std::string::npos)
            break;
        end = comma;
    }
    return client;
}

bool CloudServer::reopenLog(std::string* error) {
    return !m_accessLog || m_accessLog->reopen(error);
}

void CloudServer::serve(const httplib::Request& request, httplib::Response& response,
                        Reply (CloudServer::*operation)(const Call&), bool needsToken) {
    Call call;
    call.lang = langFromHeader(request.get_header_value("lang"));
    call.now = nowSeconds();
    call.client = clientOf(request);
    Reply reply;
    // Requests that a web page could make on its own (a form post or a "simple" cross-origin
    // request, or one through a name resolved to this machine) are refused before anything is
    // read.
    if (!hostAllowed(request.get_header_value("Host"))) {
        writeEnvelope(response, BadHost, message(BadHost, call.lang));
        return;
    }
    if (!isJsonContentType(request.get_header_value("Content-Type"))) {
        writeEnvelope(response, BadContentType, message(BadContentType, call.lang));
        return;
    }
    try {
        // The HTTP layer enforces the limit on bodies with a length; chunked ones are checked here.
        if (request.body.size() > kMaxBody) {
            writeEnvelope(response, TooLarge, message(TooLarge, call.lang));
            return;
        }
        QJsonParseError parseError;
        const QJsonDocument document =
            QJsonDocument::fromJson(QByteArray::fromStdString(request.body), &parseError);
        if (parseError.error != QJsonParseError::NoError || !document.isObject()) {
            reply = Reply(BadJson);
        } else {
            call.body = document.object();
            if (needsToken) {
                const std::string token = tokenOf(request);
                if (!token.empty()) {
                    call.tokenDigest = secrets::tokenDigest(token);
                    call.user = m_store->userByToken(call.tokenDigest, call.now);
                }
            }
            reply = needsToken && !call.user ? Reply(NotLoggedIn) : (this->*operation)(call);
        }
    } catch (const ServiceBusy&) {
        reply = Reply(ServerBusy);
        response.set_header("Retry-After", "5");
    } catch (const std::exception& e) {
        std::fprintf(stderr, "pointora-cloud: %s failed: %s\n", request.path.c_str(), e.what());
        reply = Reply(InternalError);
    }
    writeEnvelope(response, reply.code, message(reply.code, call.lang, reply.member), reply.data);
    if (!reply.token.empty())
        response.set_header("Authorization", reply.token);
}

namespace {

// A password hash must start early enough for the answer to reach the client within its 15 s
// (counted from when its connection was accepted); a request that cannot is answered busy.
std::chrono::steady_clock::time_point hashDeadline() {
    std::chrono::steady_clock::time_point start = currentRequestStart();
    if (start == std::chrono::steady_clock::time_point())
        start = std::chrono::steady_clock::now();
    return start + std::chrono::seconds(12);
}

}  // namespace

std::optional<std::string> CloudServer::hash(const std::string& password) {
    HashGate::Slot slot(m_hashGate, hashDeadline());
    return secrets::hashPassword(password);
}

bool CloudServer::verify(const std::string& hash, const std::string& password) {
    HashGate::Slot slot(m_hashGate, hashDeadline());
    return secrets::verifyPassword(hash, password);
}

const std::string& CloudServer::dummyHash() {
    std::call_once(m_dummyOnce, [this] { m_dummyHash = hash(secrets::newToken()).value_or(""); });
    return m_dummyHash;
}

Reply CloudServer::login(const Call& call) {
    std::string email, password;
    if (auto bad = readStrings(call, {{"email", &email}, {"password", &password}}))
        return *bad;
    email = asciiLower(email);
    // Every attempt is counted first and taken back when it succeeds, so that parallel guesses
    // cannot pass the cap.
    std::vector<std::int64_t> attempt;
    if (const std::int64_t wait = m_store->admit(
            limitsOf("login", m_options.loginFailures, email, call.client), call.now, &attempt))
        return rateLimited(wait);
    const std::optional<User> user = m_store->userByEmail(email);
    bool matches = false;
    try {
        matches = user ? verify(user->passwordHash, password) : verify(dummyHash(), password);
    } catch (const ServiceBusy&) {
        // Not checked at all: a busy service must not count towards the cap.
        m_store->forget(attempt);
        throw;
    }
    if (!user || !matches)
        return WrongLogin;
    m_store->forget(attempt);
    Reply reply;
    reply.token = secrets::newToken();
    if (!m_store->addToken(user->id, user->passwordHash, secrets::tokenDigest(reply.token),
                           call.now + m_options.tokenTtlSeconds, call.now))
        return WrongLogin;  // the password changed while it was checked
    reply.data.insert("nickname", QString::fromStdString(user->nickname));
    return reply;
}

Reply CloudServer::registerUser(const Call& call) {
    std::string nickname, email, password, rePassword;
    if (auto bad = readStrings(call, {{"nickname", &nickname},
                                      {"email", &email},
                                      {"password", &password},
                                      {"rePassword", &rePassword}}))
        return *bad;
    email = asciiLower(email);
    if (!isValidNickname(nickname))
        return BadNickname;
    if (!isValidEmail(email))
        return BadEmail;
    if (!isValidPassword(password))
        return BadPassword;
    if (password != rePassword)
        return PasswordMismatch;
    std::vector<std::int64_t> attempt;
    if (const std::int64_t wait = m_store->admit(
            limitsOf("register", m_options.registrations, email, call.client), call.now, &attempt))
        return rateLimited(wait);
    // A taken address is answered like a new one (the password is hashed all the same), so that
    // registration does not tell who has an account; the owner is told by mail instead.
    std::optional<std::string> passwordHash;
    try {
        passwordHash = hash(password);
    } catch (const ServiceBusy&) {
        m_store->forget(attempt);  // refused as busy: not an attempt
        throw;
    }
    if (!passwordHash)
        return InternalError;
    if (m_store->userByEmail(email) ||
        !m_store->addUser(email, nickname, *passwordHash, call.now)) {
        writeOutbox(email,
                    "Subject: Pointora registration\n\n"
                    "Someone tried to register a Pointora account with this address, which "
                    "already has one. If it was you, log in, or reset your password with "
                    "\"Forget password\".\n"
                    "有人尝试用此邮箱注册 Pointora 账户，但该邮箱已有账户。如果是您本人，请直接"
                    "登录，或通过“忘记密码”重设密码。\n");
    }
    return Success;
}

Reply CloudServer::updatePassword(const Call& call) {
    std::string current, next;
    if (auto bad = readStrings(call, {{"password", &current}, {"rePassword", &next}}))
        return *bad;
    if (!isValidPassword(next))
        return BadPassword;
    if (!verify(call.user->passwordHash, current))
        return WrongCurrentPassword;
    const std::optional<std::string> passwordHash = hash(next);
    if (!passwordHash)
        return InternalError;
    return m_store->changePassword(call.user->id, call.user->passwordHash, *passwordHash,
                                   call.tokenDigest)
               ? Success
               : WrongCurrentPassword;
}

std::optional<Reply> CloudServer::recoveryAccount(std::string* email, std::optional<User>* user) {
    *email = asciiLower(*email);
    if (!isValidEmail(*email))
        return Reply(BadEmail);
    *user = m_store->userByEmail(*email);
    return std::nullopt;
}

Reply CloudServer::findPassword(const Call& call) {
    std::string email;
    std::optional<User> user;
    if (auto bad = readStrings(call, {{"email", &email}}))
        return *bad;
    if (auto refused = recoveryAccount(&email, &user))
        return *refused;
    std::vector<std::int64_t> request;
    if (const std::int64_t wait = m_store->admit(
            limitsOf("code-request", m_options.codeRequests, email, call.client,
                     m_options.codeIntervalSeconds),
            call.now, &request, std::max<std::int64_t>(24 * 3600, m_options.codeTtlSeconds)))
        return rateLimited(wait);
    // An unknown address is answered as a registered one; its mail says that there is no
    // account, and its request is remembered so that checking a code behaves the same too.
    if (!user) {
        writeOutbox(email,
                    "Subject: Pointora password reset\n\n"
                    "Someone asked to reset the password of a Pointora account with this "
                    "address, but there is no such account.\n"
                    "有人请求重设此邮箱的 Pointora 账户密码，但该邮箱没有注册账户。\n");
        return Success;
    }
    const std::string code = secrets::newCode();
    const std::int64_t ttl = m_options.codeTtlSeconds;
    const std::string validity = ttl % 60 == 0 && ttl > 0 ? std::to_string(ttl / 60) + " minutes"
                                                          : std::to_string(ttl) + " seconds";
    const std::string validityZh =
        ttl % 60 == 0 && ttl > 0 ? std::to_string(ttl / 60) + " 分钟" : std::to_string(ttl) + " 秒";
    const std::string text =
        "Subject: Pointora verification code\n\n"
        "Your Pointora verification code is " +
        code + ". It is valid for " + validity +
        ".\n"
        "您的 Pointora 验证码是 " +
        code + "，" + validityZh + "内有效。\n";
    if (m_store->putCode(user->id, code, call.now + ttl, [&] { return writeOutbox(email, text); }))
        return Success;
    m_store->forget(request);
    return InternalError;
}

CodeCheck CloudServer::checkRecoveryCode(const Call& call, const std::string& email,
                                         const std::optional<User>& user,
                                         const std::string& captcha, std::int64_t* wait) {
    // Counted first, taken back unless it was a wrong guess: the cap holds across codes and
    // restarts, and parallel guesses cannot pass it.
    std::vector<std::int64_t> attempt;
    *wait = m_store->admit(limitsOf("code-check", m_options.codeFailures, email, call.client),
                           call.now, &attempt);
    if (*wait > 0)
        return CodeCheck::NoCode;
    bool counted = false;
    CodeCheck check = CodeCheck::NoCode;
    if (user) {
        check = m_store->checkCode(user->id, captcha, call.now, m_options.codeAttempts, &counted);
    } else {
        // No account: as if the last request had made a code that is never the one given.
        std::int64_t at = 0;
        const std::int64_t requested = m_store->lastEvent("code-request", email, &at);
        if (requested != 0 && at + m_options.codeTtlSeconds > call.now) {
            const int earlier = m_store->eventsAfter("code-check", email, requested) - 1;
            counted = earlier < m_options.codeAttempts;
            check = earlier + 1 >= m_options.codeAttempts ? CodeCheck::Locked : CodeCheck::Wrong;
        }
    }
    if (!counted)
        m_store->forget(attempt);
    return check;
}

Reply CloudServer::codeReply(CodeCheck check) {
    switch (check) {
        case CodeCheck::Ok:
            return Success;
        case CodeCheck::NoCode:
            return NoValidCode;
        case CodeCheck::Wrong:
            return WrongCode;
        case CodeCheck::Locked:
            return CodeLocked;
    }
    return InternalError;
}

Reply CloudServer::validatePassword(const Call& call) {
    std::string email, captcha;
    std::optional<User> user;
    if (auto bad = readStrings(call, {{"email", &email}, {"captcha", &captcha}}))
        return *bad;
    if (auto refused = recoveryAccount(&email, &user))
        return *refused;
    std::int64_t wait = 0;
    const CodeCheck check = checkRecoveryCode(call, email, user, captcha, &wait);
    return wait > 0 ? rateLimited(wait) : codeReply(check);
}

Reply CloudServer::newPassword(const Call& call) {
    std::string email, captcha, password;
    if (auto bad =
            readStrings(call, {{"email", &email}, {"captcha", &captcha}, {"password", &password}}))
        return *bad;
    std::optional<User> user;
    if (auto refused = recoveryAccount(&email, &user))
        return *refused;
    if (!isValidPassword(password))
        return BadPassword;
    std::int64_t wait = 0;
    const CodeCheck check = checkRecoveryCode(call, email, user, captcha, &wait);
    if (wait > 0)
        return rateLimited(wait);
    if (check != CodeCheck::Ok)
        return codeReply(check);
    const std::optional<std::string> passwordHash = hash(password);
    if (!passwordHash)
        return InternalError;
    return codeReply(
        m_store->resetPassword(user->id, captcha, call.now, m_options.codeAttempts, *passwordHash));
}

Reply CloudServer::version(const Call& call) {
    std::string versionType;
    if (auto bad = readStrings(call, {{"versionType", &versionType}}))
        return *bad;
    Reply reply;
    reply.data.insert("version", QString::fromStdString(m_options.latestVersion));
    reply.data.insert("downloadUrl", QString::fromStdString(m_options.downloadUrl));
    return reply;
}

Reply CloudServer::saveConfig(const Call& call) {
    std::string filePath, content, type;
    if (auto bad = readStrings(
            call, {{"filePath", &filePath}, {"configContent", &content}, {"configType", &type}}))
        return *bad;
    if (!isValidConfigType(type))
        return BadConfigType;
    if (static_cast<std::int64_t>(content.size() + filePath.size()) > m_options.maxConfigBytes)
        return QuotaExceeded;
    return m_store->saveConfig(call.user->id, type, content, filePath, call.now,
                               m_options.maxConfigTypes)
               ? Success
               : QuotaExceeded;
}

Reply CloudServer::getConfig(const Call& call) {
    std::string type;
    if (auto bad = readStrings(call, {{"configType", &type}}))
        return *bad;
    if (!isValidConfigType(type))
        return BadConfigType;
    Reply reply;
    reply.data.insert("configContent",
                      QString::fromStdString(m_store->config(call.user->id, type).value_or("")));
    return reply;
}

// The "mail" to an address: OUTBOX/<address>.txt (see outboxName), replaced as a whole (written
// to a temporary file of its own, flushed to disk, then renamed over the old one), so that
// concurrent mails to one address, from this instance or another one sharing the outbox, never
// mix. A failure is logged with its reason.
bool CloudServer::writeOutbox(const std::string& email, const std::string& text) {
    const std::string path = m_outbox + "/" + outboxName(email);
    std::string temporary = path + ".tmp.XXXXXX";
    const std::string mail = "To: " + email + "\n" + text;
    const auto failed = [&](const char* step, bool created) {
        std::fprintf(stderr, "pointora-cloud: cannot %s the mail %s: %s\n", step, temporary.c_str(),
                     std::strerror(errno));
        if (created)
            std::remove(temporary.c_str());
        return false;
    };
    const int fd = ::mkstemp(temporary.data());
    if (fd < 0)
        return failed("create", false);
    std::FILE* file = ::fdopen(fd, "wb");
    if (!file) {
        const int openErrno = errno;
        ::close(fd);
        errno = openErrno;
        return failed("create", true);
    }
    const bool written = std::fwrite(mail.data(), 1, mail.size(), file) == mail.size() &&
                         std::fflush(file) == 0 && ::fsync(fileno(file)) == 0;
    const int writeErrno = errno;
    if (std::fclose(file) != 0 || !written) {
        if (!written)
            errno = writeErrno;
        return failed("write", true);
    }
    if (std::rename(temporary.c_str(), path.c_str()) != 0)
        return failed("rename", true);
    return true;
}

}  // namespace cloud
