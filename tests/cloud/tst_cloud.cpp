// pointora-cloud from the outside: every endpoint's success and refusal paths, bad input, token
// and code expiry, restart, and many clients at once. All traffic stays on 127.0.0.1.

#include "cloud/CloudRunner.h"

#include <httplib.h>

#include <QJsonDocument>
#include <QJsonObject>
#include <QTemporaryDir>
#include <QtTest>

#include <atomic>
#include <thread>
#include <vector>

namespace {

struct Answer {
    int status = 0;  // HTTP status, 0 when the connection failed
    int code = -100;
    QString msg;
    QJsonObject data;
    std::string authorization;
    std::string allow;
};

std::string compact(const QJsonObject& object) {
    return QJsonDocument(object).toJson(QJsonDocument::Compact).toStdString();
}

Answer toAnswer(const httplib::Result& result) {
    Answer answer;
    if (!result)
        return answer;
    answer.status = result->status;
    answer.authorization = result->get_header_value("Authorization");
    answer.allow = result->get_header_value("Allow");
    const QJsonObject envelope =
        QJsonDocument::fromJson(QByteArray::fromStdString(result->body)).object();
    answer.code = envelope.value("code").toInt(-100);
    answer.msg = envelope.value("msg").toString();
    answer.data = envelope.value("data").toObject();
    return answer;
}

class Client {
public:
    explicit Client(int port) : m_client("127.0.0.1", port) {
        m_client.set_read_timeout(10, 0);
        m_client.set_connection_timeout(5, 0);
    }

    Answer raw(const std::string& path, const std::string& body,
               const std::string& token = std::string(), const std::string& lang = "en") {
        httplib::Headers headers{{"lang", lang}};
        if (!token.empty())
            headers.emplace("Authorization", token);
        return toAnswer(m_client.Post(path.c_str(), headers, body, "application/json"));
    }
    Answer post(const std::string& path, const QJsonObject& body,
                const std::string& token = std::string(), const std::string& lang = "en") {
        return raw(path, compact(body), token, lang);
    }

    Answer registerUser(const QString& email, const QString& password,
                        const QString& nickname = "nick") {
        return post("/v1/user/register", {{"nickname", nickname},
                                          {"email", email},
                                          {"password", password},
                                          {"rePassword", password}});
    }
    Answer login(const QString& email, const QString& password) {
        return post("/v1/user/login", {{"email", email}, {"password", password}});
    }
    Answer save(const std::string& token, const QString& type, const QString& content) {
        return post("/v1/driver/config2/save",
                    {{"filePath", ""}, {"configContent", content}, {"configType", type}}, token);
    }
    Answer get(const std::string& token, const QString& type) {
        return post("/v1/driver/config2/get", {{"configType", type}}, token);
    }

    httplib::Client& http() { return m_client; }

private:
    httplib::Client m_client;
};

const char* const kPaths[] = {
    "/v1/user/login",        "/v1/user/register",         "/v1/user/updatePassword",
    "/v1/user/findPassword", "/v1/user/validatePassword", "/v1/user/newPassword",
    "/v1/driver/version",    "/v1/driver/config2/save",   "/v1/driver/config2/get",
};

const QString kPassword = "abc123!";

}  // namespace

class TestCloud : public QObject {
    Q_OBJECT
private:
    QTemporaryDir m_dir;
    CloudRunner m_cloud;  // shared by the tests that need no special options
    QString m_data;

    Client client() { return Client(m_cloud.port()); }

    // A registered account and a live token.
    std::string account(const QString& email, const QString& password = kPassword) {
        Client c = client();
        const Answer registered = c.registerUser(email, password);
        if (registered.code != 0)
            qWarning() << "register" << email << registered.code << registered.msg;
        return c.login(email, password).authorization;
    }

private slots:
    void initTestCase() {
        QVERIFY(m_dir.isValid());
        m_data = m_dir.filePath("shared");
        QVERIFY2(m_cloud.start(m_data), qPrintable(m_cloud.error()));
    }

    void badRequests_data() {
        QTest::addColumn<QString>("path");
        QTest::addColumn<QByteArray>("body");
        QTest::addColumn<int>("status");
        QTest::addColumn<int>("code");
        for (const char* path : kPaths) {
            QTest::addRow("%s not json", path) << path << QByteArray("{\"email\":") << 400 << 1000;
            QTest::addRow("%s empty", path) << path << QByteArray() << 400 << 1000;
            QTest::addRow("%s array", path) << path << QByteArray("[{}]") << 400 << 1000;
            QTest::addRow("%s trailing", path) << path << QByteArray("{} x") << 400 << 1000;
        }
        // Members missing or of the wrong type, checked before the token is looked at.
        QTest::addRow("login no password")
            << "/v1/user/login" << QByteArray(R"({"email":"a@b.cc"})") << 400 << 1001;
        QTest::addRow("login number")
            << "/v1/user/login" << QByteArray(R"({"email":5,"password":"x"})") << 400 << 1001;
        QTest::addRow("register null") << "/v1/user/register"
                                       << QByteArray(R"({"nickname":null,"email":"a@b.cc",)"
                                                     R"("password":"abc123!","rePassword":"x"})")
                                       << 400 << 1001;
        QTest::addRow("find object")
            << "/v1/user/findPassword" << QByteArray(R"({"email":{}})") << 400 << 1001;
        QTest::addRow("validate no captcha")
            << "/v1/user/validatePassword" << QByteArray(R"({"email":"a@b.cc"})") << 400 << 1001;
        QTest::addRow("new password array")
            << "/v1/user/newPassword"
            << QByteArray(R"({"email":"a@b.cc","captcha":[1],"password":"abc123!"})") << 400
            << 1001;
        QTest::addRow("version bool")
            << "/v1/driver/version" << QByteArray(R"({"versionType":true})") << 400 << 1001;
        // Token-protected operations without a token.
        QTest::addRow("save no token") << "/v1/driver/config2/save"
                                       << QByteArray(R"({"filePath":"","configContent":"{}",)"
                                                     R"("configType":"T"})")
                                       << 200 << 2001;
        QTest::addRow("get no token")
            << "/v1/driver/config2/get" << QByteArray(R"({"configType":"T"})") << 200 << 2001;
        QTest::addRow("update no token") << "/v1/user/updatePassword"
                                         << QByteArray(R"({"password":"abc123!",)"
                                                       R"("rePassword":"abc123?"})")
                                         << 200 << 2001;
        QTest::addRow("unknown path") << "/v1/user/delete" << QByteArray("{}") << 404 << 1003;
        QTest::addRow("root") << "/" << QByteArray("{}") << 404 << 1003;
        QTest::addRow("too large")
            << "/v1/driver/version"
            << QByteArray(R"({"versionType":")") + QByteArray(70000, 'a') + "\"}" << 413 << 1002;
    }

    void badRequests() {
        QFETCH(QString, path);
        QFETCH(QByteArray, body);
        QFETCH(int, status);
        QFETCH(int, code);
        const Answer answer = client().raw(path.toStdString(), body.toStdString());
        QCOMPARE(answer.status, status);
        QCOMPARE(answer.code, code);
        QVERIFY(!answer.msg.isEmpty());
    }

    void wrongMethodsAndMalformedHttp() {
        Client c = client();
        for (const char* path : kPaths) {
            const Answer get = toAnswer(c.http().Get(path));
            QCOMPARE(get.status, 405);
            QCOMPARE(get.code, 1004);
            QCOMPARE(get.allow, std::string("POST"));
            QCOMPARE(toAnswer(c.http().Put(path, "{}", "application/json")).code, 1004);
            QCOMPARE(toAnswer(c.http().Delete(path)).code, 1004);
        }
        QCOMPARE(toAnswer(c.http().Get("/nothing")).status, 404);

        // A method the HTTP layer does not know, and a chunked body over the limit (no length
        // announced up front).
        httplib::Request foo;
        foo.method = "FOO";
        foo.path = "/v1/user/login";
        const Answer unknownMethod = toAnswer(c.http().send(foo));
        QCOMPARE(unknownMethod.status, 400);
        QCOMPARE(unknownMethod.code, 1006);

        const std::string big(70000, 'a');
        const Answer chunked = toAnswer(c.http().Post(
            "/v1/driver/version",
            [&](size_t offset, httplib::DataSink& sink) {
                sink.write(big.data() + offset, std::min<size_t>(4096, big.size() - offset));
                if (offset + 4096 >= big.size())
                    sink.done();
                return true;
            },
            "application/json"));
        QCOMPARE(chunked.status, 413);
        QCOMPARE(chunked.code, 1002);

        // The service is still fine afterwards.
        QCOMPARE(c.post("/v1/driver/version", {{"versionType", "Pointora"}}).code, 0);
    }

    void registration_data() {
        QTest::addColumn<QString>("nickname");
        QTest::addColumn<QString>("email");
        QTest::addColumn<QString>("password");
        QTest::addColumn<QString>("rePassword");
        QTest::addColumn<int>("code");
        QTest::newRow("ok") << "Ann"
                            << "ann@example.com" << kPassword << kPassword << 0;
        QTest::newRow("taken, other case") << "Ann"
                                           << "ANN@Example.COM" << kPassword << kPassword << 2003;
        QTest::newRow("chinese nickname") << "小明"
                                          << "xm@example.cn" << kPassword << kPassword << 0;
        QTest::newRow("empty nickname") << ""
                                        << "n1@example.com" << kPassword << kPassword << 2005;
        QTest::newRow("blank nickname") << "   "
                                        << "n2@example.com" << kPassword << kPassword << 2005;
        QTest::newRow("long nickname")
            << QString(33, 'n') << "n3@example.com" << kPassword << kPassword << 2005;
        QTest::newRow("no at") << "Bo"
                               << "bo.example.com" << kPassword << kPassword << 2004;
        QTest::newRow("two ats") << "Bo"
                                 << "bo@x@example.com" << kPassword << kPassword << 2004;
        QTest::newRow("no tld") << "Bo"
                                << "bo@example" << kPassword << kPassword << 2004;
        QTest::newRow("slash") << "Bo"
                               << "../bo@example.com" << kPassword << kPassword << 2004;
        QTest::newRow("leading dot") << "Bo"
                                     << ".bo@example.com" << kPassword << kPassword << 2004;
        QTest::newRow("space") << "Bo"
                               << "bo @example.com" << kPassword << kPassword << 2004;
        QTest::newRow("short password") << "Bo"
                                        << "bo@example.com"
                                        << "ab1!"
                                        << "ab1!" << 2006;
        QTest::newRow("control in password") << "Bo"
                                             << "bo@example.com"
                                             << "abc\n123"
                                             << "abc\n123" << 2006;
        QTest::newRow("mismatch") << "Bo"
                                  << "bo@example.com" << kPassword << "abc123?" << 2007;
    }

    void registration() {
        QFETCH(QString, nickname);
        QFETCH(QString, email);
        QFETCH(QString, password);
        QFETCH(QString, rePassword);
        QFETCH(int, code);
        const Answer answer = client().post("/v1/user/register", {{"nickname", nickname},
                                                                  {"email", email},
                                                                  {"password", password},
                                                                  {"rePassword", rePassword}});
        QCOMPARE(answer.status, 200);
        QCOMPARE(answer.code, code);
        QVERIFY(!answer.msg.isEmpty());
    }

    void login() {
        Client c = client();
        QCOMPARE(c.registerUser("lin@example.com", kPassword, "Lin").code, 0);

        const Answer ok = c.login("Lin@Example.com", kPassword);
        QCOMPARE(ok.code, 0);
        QCOMPARE(ok.data.value("nickname").toString(), QString("Lin"));
        QVERIFY(QRegularExpression("^[0-9a-f]{64}$")
                    .match(QString::fromStdString(ok.authorization))
                    .hasMatch());
        const Answer again = c.login("lin@example.com", kPassword);
        QVERIFY(again.authorization != ok.authorization);
        // Both sessions work; "Bearer" in front is accepted too.
        QCOMPARE(c.get(ok.authorization, "T").code, 0);
        QCOMPARE(c.get("Bearer " + again.authorization, "T").code, 0);
        QCOMPARE(c.get(ok.authorization + "0", "T").code, 2001);

        const Answer wrong = c.login("lin@example.com", "abc123?");
        QCOMPARE(wrong.code, 2002);
        QVERIFY(wrong.authorization.empty());
        QCOMPARE(c.login("nobody@example.com", kPassword).code, 2002);

        // The lang header picks the language of the message.
        const Answer zh =
            c.post("/v1/user/login", {{"email", "lin@example.com"}, {"password", "x"}}, "", "zh");
        QCOMPARE(zh.msg, QString("邮箱或密码错误"));
        QCOMPARE(wrong.msg, QString("Wrong e-mail address or password"));
    }

    void configurations() {
        Client c = client();
        const std::string a = account("cfg-a@example.com");
        const std::string b = account("cfg-b@example.com");
        QVERIFY(!a.empty() && !b.empty());

        // Nothing saved yet: success with empty content.
        const Answer none = c.get(a, "TolvaPointora");
        QCOMPARE(none.code, 0);
        QCOMPARE(none.data.value("configContent").toString(), QString(""));

        const QString unicode = "{\"名\":\"値 \\u0000\",\n \"x\": [1,2]}  ";
        const QString large(60000, 'z');
        QCOMPARE(c.save(a, "TolvaPointora", "{\"1\":3}").code, 0);
        QCOMPARE(c.save(a, "Other type", unicode).code, 0);
        QCOMPARE(c.save(b, "TolvaPointora", large).code, 0);
        QCOMPARE(c.get(a, "TolvaPointora").data.value("configContent").toString(),
                 QString("{\"1\":3}"));
        QCOMPARE(c.get(a, "Other type").data.value("configContent").toString(), unicode);
        QCOMPARE(c.get(b, "TolvaPointora").data.value("configContent").toString(), large);
        QCOMPARE(c.get(b, "Other type").data.value("configContent").toString(), QString(""));

        // Saving again replaces the copy.
        QCOMPARE(c.save(a, "TolvaPointora", "").code, 0);
        QCOMPARE(c.get(a, "TolvaPointora").data.value("configContent").toString(), QString(""));

        QCOMPARE(c.save(a, "", "{}").code, 2013);
        QCOMPARE(c.get(a, QString(65, 't')).code, 2013);
        QCOMPARE(
            c.post("/v1/driver/config2/save", {{"configContent", "{}"}, {"configType", "T"}}, a)
                .code,
            1001);
    }

    void updatePassword() {
        Client c = client();
        const std::string first = account("upd@example.com");
        const std::string second = c.login("upd@example.com", kPassword).authorization;
        QVERIFY(!first.empty() && !second.empty());
        const auto update = [&](const std::string& token, const QString& current,
                                const QString& next) {
            return c.post("/v1/user/updatePassword", {{"password", current}, {"rePassword", next}},
                          token);
        };
        QCOMPARE(update(first, "wrong1!", "new123!").code, 2008);
        QCOMPARE(update(first, kPassword, "short").code, 2006);
        QCOMPARE(update(first, kPassword, "new123!").code, 0);

        // The session that changed it stays, the other one ends; only the new password logs in.
        QCOMPARE(c.get(first, "T").code, 0);
        QCOMPARE(c.get(second, "T").code, 2001);
        QCOMPARE(c.login("upd@example.com", kPassword).code, 2002);
        QCOMPARE(c.login("upd@example.com", "new123!").code, 0);
    }

    void passwordRecovery() {
        Client c = client();
        const std::string token = account("rec@example.com");
        const auto find = [&](const QString& email) {
            return c.post("/v1/user/findPassword", {{"email", email}});
        };
        const auto validate = [&](const QString& code) {
            return c.post("/v1/user/validatePassword",
                          {{"email", "rec@example.com"}, {"captcha", code}});
        };
        const auto reset = [&](const QString& code, const QString& password) {
            return c.post(
                "/v1/user/newPassword",
                {{"email", "rec@example.com"}, {"captcha", code}, {"password", password}});
        };

        QCOMPARE(find("nobody@example.com").code, 2009);
        QCOMPARE(find("not an address").code, 2004);
        QVERIFY(!QFile::exists(m_data + "/outbox/nobody@example.com.txt"));
        QCOMPARE(validate("1234").code, 2011);  // nothing requested yet

        QCOMPARE(find("REC@example.com").code, 0);
        const QString code = outboxCode(m_data, "rec@example.com");
        QVERIFY(QRegularExpression("^\\d{4}$").match(code).hasMatch());
        const QString wrongCode = QString("%1").arg((code.toInt() + 1) % 10000, 4, 10, QChar('0'));

        QCOMPARE(validate(wrongCode).code, 2010);
        QCOMPARE(validate(code).code, 0);
        QCOMPARE(validate(code).code, 0);  // checking does not use the code up
        QCOMPARE(reset(code, "abc").code, 2006);
        QCOMPARE(reset(wrongCode, "new456!").code, 2010);
        QCOMPARE(reset(code, "new456!").code, 0);

        // The code is used up, every session ended, and the new password is in force.
        QCOMPARE(reset(code, "new789!").code, 2011);
        QCOMPARE(c.get(token, "T").code, 2001);
        QCOMPARE(c.login("rec@example.com", kPassword).code, 2002);
        QCOMPARE(c.login("rec@example.com", "new456!").code, 0);

        // Five wrong attempts lock the code, even for the right one; a new code unlocks.
        QCOMPARE(find("rec@example.com").code, 0);
        const QString second = outboxCode(m_data, "rec@example.com");
        const QString wrong2 = QString("%1").arg((second.toInt() + 1) % 10000, 4, 10, QChar('0'));
        for (int i = 0; i < 4; ++i)
            QCOMPARE(validate(wrong2).code, 2010);
        QCOMPARE(validate(wrong2).code, 2012);
        QCOMPARE(validate(second).code, 2012);
        QCOMPARE(reset(second, "new000!").code, 2012);
        QCOMPARE(find("rec@example.com").code, 0);
        QCOMPARE(validate(outboxCode(m_data, "rec@example.com")).code, 0);
    }

    void version() {
        Client c = client();
        const Answer answer = c.post("/v1/driver/version", {{"versionType", "Pointora"}});
        QCOMPARE(answer.code, 0);
        QCOMPARE(answer.data.value("version").toString(), QString(POINTORA_VERSION));
        QCOMPARE(answer.data.value("downloadUrl").toString(), QString(""));

        CloudRunner other;
        QVERIFY2(other.start(m_dir.filePath("version"), {"--latest-version", "2.0.0",
                                                         "--download-url", "https://x.test/p.deb"}),
                 qPrintable(other.error()));
        const Answer configured =
            Client(other.port()).post("/v1/driver/version", {{"versionType", "Pointora"}});
        QCOMPARE(configured.data.value("version").toString(), QString("2.0.0"));
        QCOMPARE(configured.data.value("downloadUrl").toString(), QString("https://x.test/p.deb"));
    }

    void expiry() {
        // Lifetimes of 0 s: every token and code has expired by the time it is used.
        CloudRunner cloud;
        const QString data = m_dir.filePath("expiry");
        QVERIFY2(cloud.start(data, {"--token-ttl", "0", "--code-ttl", "0"}),
                 qPrintable(cloud.error()));
        Client c(cloud.port());
        QCOMPARE(c.registerUser("exp@example.com", kPassword).code, 0);
        const Answer login = c.login("exp@example.com", kPassword);
        QCOMPARE(login.code, 0);
        QVERIFY(!login.authorization.empty());
        QCOMPARE(c.get(login.authorization, "T").code, 2001);

        QCOMPARE(c.post("/v1/user/findPassword", {{"email", "exp@example.com"}}).code, 0);
        const QString code = outboxCode(data, "exp@example.com");
        QVERIFY(!code.isEmpty());
        QCOMPARE(
            c.post("/v1/user/validatePassword", {{"email", "exp@example.com"}, {"captcha", code}})
                .code,
            2011);
    }

    void restartKeepsData() {
        const QString data = m_dir.filePath("restart");
        CloudRunner cloud;
        QVERIFY2(cloud.start(data), qPrintable(cloud.error()));
        {
            Client c(cloud.port());
            QCOMPARE(c.registerUser("keep@example.com", kPassword).code, 0);
            const std::string token = c.login("keep@example.com", kPassword).authorization;
            QCOMPARE(c.save(token, "TolvaPointora", "{\"8\":42}").code, 0);
        }
        QCOMPARE(cloud.stop(), 0);

        QVERIFY2(cloud.start(data), qPrintable(cloud.error()));
        Client c(cloud.port());
        const std::string token = c.login("keep@example.com", kPassword).authorization;
        QVERIFY(!token.empty());
        QCOMPARE(c.get(token, "TolvaPointora").data.value("configContent").toString(),
                 QString("{\"8\":42}"));
        QCOMPARE(c.registerUser("keep@example.com", kPassword).code, 2003);
    }

    void concurrentClients() {
        // Several accounts, each with several clients saving their own configuration types at
        // once; every save must succeed and the last one of each type must be what comes back.
        constexpr int kAccounts = 4;
        constexpr int kClientsPerAccount = 3;
        constexpr int kSaves = 15;
        std::vector<std::string> tokens(kAccounts);
        {
            std::vector<std::thread> registering;
            for (int a = 0; a < kAccounts; ++a) {
                registering.emplace_back(
                    [&, a] { tokens[a] = account(QString("many%1@example.com").arg(a)); });
            }
            for (std::thread& t : registering)
                t.join();
        }
        for (const std::string& token : tokens)
            QVERIFY(!token.empty());

        std::atomic<int> failures{0};
        std::vector<std::thread> clients;
        for (int a = 0; a < kAccounts; ++a) {
            for (int k = 0; k < kClientsPerAccount; ++k) {
                clients.emplace_back([&, a, k] {
                    Client c = client();
                    for (int i = 0; i < kSaves; ++i) {
                        const QString content =
                            QString("{\"a\":%1,\"k\":%2,\"i\":%3}").arg(a).arg(k).arg(i);
                        if (c.save(tokens[a], QString("type%1").arg(k), content).code != 0)
                            ++failures;
                        if (c.get(tokens[a], QString("type%1").arg(k))
                                .data.value("configContent") != content)
                            ++failures;
                    }
                });
            }
        }
        for (std::thread& t : clients)
            t.join();
        QCOMPARE(failures.load(), 0);

        Client c = client();
        for (int a = 0; a < kAccounts; ++a) {
            for (int k = 0; k < kClientsPerAccount; ++k) {
                QCOMPARE(c.get(tokens[a], QString("type%1").arg(k))
                             .data.value("configContent")
                             .toString(),
                         QString("{\"a\":%1,\"k\":%2,\"i\":%3}").arg(a).arg(k).arg(kSaves - 1));
            }
        }
    }

    void commandLine_data() {
        QTest::addColumn<QStringList>("arguments");
        QTest::addColumn<int>("exitCode");
        QTest::newRow("no data") << QStringList{"--listen", "127.0.0.1:0"} << 2;
        QTest::newRow("bad listen") << QStringList{"--data", "D", "--listen", "127.0.0.1"} << 2;
        QTest::newRow("bad port") << QStringList{"--data", "D", "--listen", "127.0.0.1:70000"} << 2;
        QTest::newRow("unknown") << QStringList{"--data", "D", "--frobnicate", "1"} << 2;
        QTest::newRow("cert alone") << QStringList{"--data", "D", "--tls-cert", "c.pem"} << 2;
        QTest::newRow("missing cert")
            << QStringList{"--data",     "D",        "--listen",  "127.0.0.1:0",
                           "--tls-cert", "none.pem", "--tls-key", "none.pem"}
            << 1;
        QTest::newRow("help") << QStringList{"--help"} << 0;
    }

    void commandLine() {
        QFETCH(QStringList, arguments);
        QFETCH(int, exitCode);
        QProcess process;
        process.setWorkingDirectory(m_dir.path());
        process.start(CloudRunner::program(), arguments);
        QVERIFY(process.waitForFinished(10000));
        QCOMPARE(process.exitCode(), exitCode);
    }

    void portInUse() {
        QProcess process;
        process.start(CloudRunner::program(), {"--data", m_dir.filePath("busy"), "--listen",
                                               QString("127.0.0.1:%1").arg(m_cloud.port())});
        QVERIFY(process.waitForFinished(10000));
        QCOMPARE(process.exitCode(), 1);
        QVERIFY(process.readAllStandardError().contains("cannot listen"));
    }

    void cleanupTestCase() { QCOMPARE(m_cloud.stop(), 0); }
};

QTEST_GUILESS_MAIN(TestCloud)
#include "tst_cloud.moc"
