#include "CloudServer.h"

#include "CloudHttp.h"
#include "CloudTexts.h"

#include <httplib.h>

#include <QByteArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QString>

#include <unistd.h>

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

// A plain address: letters, digits and ._%+-| before the "@", dot-separated labels of letters,
// digits, "-" and "_" after it, ending in a top-level domain of letters. It also names the
// outbox file, so it must never contain "/" or start with a dot.
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
        if (!isAlnum(c) && std::string("._%+-|").find(c) == std::string::npos)
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

}  // namespace

CloudServer::CloudServer(Options options) : m_options(std::move(options)) {}

CloudServer::~CloudServer() = default;

std::string CloudServer::baseUrl() const {
    const bool v6 = m_options.host.find(':') != std::string::npos;
    return std::string(m_options.tlsCert.empty() ? "http" : "https") + "://" +
           (v6 ? "[" + m_options.host + "]" : m_options.host) + ":" + std::to_string(m_port);
}

bool CloudServer::start(std::string* error) {
    if (!m_store.open(m_options.dataDir, error))
        return false;
    if (!m_options.accessLog.empty() || !m_options.quiet) {
        m_accessLog = std::make_unique<AccessLog>();
        if (!m_accessLog->open(m_options.accessLog, error))
            return false;
    }
    m_outbox = m_options.dataDir + "/outbox";
    std::error_code ec;
    std::filesystem::create_directories(m_outbox, ec);
    if (ec) {
        *error = "cannot create " + m_outbox + ": " + ec.message();
        return false;
    }

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
        m_server->set_logger([log = m_accessLog.get()](const httplib::Request& request,
                                                       const httplib::Response& response) {
            log->write(request.remote_addr, request.method, request.path, response.status,
                       currentRequestStart());
        });
    }
}

bool CloudServer::reopenLog(std::string* error) {
    return !m_accessLog || m_accessLog->reopen(error);
}

void CloudServer::serve(const httplib::Request& request, httplib::Response& response,
                        Reply (CloudServer::*operation)(const Call&), bool needsToken) {
    Call call;
    call.lang = langFromHeader(request.get_header_value("lang"));
    call.now = nowSeconds();
    Reply reply;
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
                    call.user = m_store.userByToken(call.tokenDigest, call.now);
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

Reply CloudServer::login(const Call& call) {
    std::string email, password;
    if (auto bad = readStrings(call, {{"email", &email}, {"password", &password}}))
        return *bad;
    const std::optional<User> user = m_store.userByEmail(asciiLower(email));
    if (!user || !verify(user->passwordHash, password))
        return WrongLogin;
    Reply reply;
    reply.token = secrets::newToken();
    if (!m_store.addToken(user->id, user->passwordHash, secrets::tokenDigest(reply.token),
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
    if (m_store.userByEmail(email))
        return EmailTaken;
    const std::optional<std::string> passwordHash = hash(password);
    if (!passwordHash)
        return InternalError;
    return m_store.addUser(email, nickname, *passwordHash, call.now) ? Success : EmailTaken;
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
    return m_store.changePassword(call.user->id, call.user->passwordHash, *passwordHash,
                                  call.tokenDigest)
               ? Success
               : WrongCurrentPassword;
}

std::optional<Reply> CloudServer::recoveryAccount(std::string* email, std::optional<User>* user) {
    *email = asciiLower(*email);
    if (!isValidEmail(*email))
        return Reply(BadEmail);
    *user = m_store.userByEmail(*email);
    if (!*user)
        return Reply(EmailUnknown);
    return std::nullopt;
}

Reply CloudServer::findPassword(const Call& call) {
    std::string email;
    std::optional<User> user;
    if (auto bad = readStrings(call, {{"email", &email}}))
        return *bad;
    if (auto refused = recoveryAccount(&email, &user))
        return *refused;
    const std::string code = secrets::newCode();
    return m_store.putCode(user->id, code, call.now + m_options.codeTtlSeconds,
                           [&] { return writeOutbox(email, code); })
               ? Success
               : InternalError;
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
    return codeReply(m_store.checkCode(user->id, captcha, call.now, m_options.codeAttempts));
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
    const CodeCheck check = m_store.checkCode(user->id, captcha, call.now, m_options.codeAttempts);
    if (check != CodeCheck::Ok)
        return codeReply(check);
    const std::optional<std::string> passwordHash = hash(password);
    if (!passwordHash)
        return InternalError;
    return codeReply(
        m_store.resetPassword(user->id, captcha, call.now, m_options.codeAttempts, *passwordHash));
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
    return m_store.saveConfig(call.user->id, type, content, filePath, call.now,
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
                      QString::fromStdString(m_store.config(call.user->id, type).value_or("")));
    return reply;
}

// The verification "mail": DIR/outbox/<address>.txt, replaced as a whole (written to a temporary
// file, flushed to disk, then renamed over the old one).
bool CloudServer::writeOutbox(const std::string& email, const std::string& code) {
    const std::string path = m_outbox + "/" + email + ".txt";
    const std::string temporary = path + ".tmp";
    const std::int64_t ttl = m_options.codeTtlSeconds;
    const std::string validity = ttl % 60 == 0 && ttl > 0 ? std::to_string(ttl / 60) + " minutes"
                                                          : std::to_string(ttl) + " seconds";
    const std::string validityZh =
        ttl % 60 == 0 && ttl > 0 ? std::to_string(ttl / 60) + " 分钟" : std::to_string(ttl) + " 秒";
    const std::string text = "To: " + email +
                             "\nSubject: Pointora verification code\n\n"
                             "Your Pointora verification code is " +
                             code + ". It is valid for " + validity +
                             ".\n"
                             "您的 Pointora 验证码是 " +
                             code + "，" + validityZh + "内有效。\n";
    std::FILE* file = std::fopen(temporary.c_str(), "wb");
    if (!file)
        return false;
    bool ok = std::fwrite(text.data(), 1, text.size(), file) == text.size();
    ok = std::fflush(file) == 0 && ok;
    ok = ::fsync(fileno(file)) == 0 && ok;
    ok = std::fclose(file) == 0 && ok;
    if (ok && std::rename(temporary.c_str(), path.c_str()) == 0)
        return true;
    std::remove(temporary.c_str());
    return false;
}

}  // namespace cloud
