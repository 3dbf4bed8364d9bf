// The request frame and the request classes against a scripted HTTP server on 127.0.0.1:
// request shape (headers, token, compact body), envelope handling, transport failures, the
// offline flag, the time-out, and what login, download and the update check do with an answer.

#include "ScriptedServer.h"
#include "common/TestEnv.h"
#include "config/KConfigCommon.h"
#include "net/KNetCommon.h"
#include "net/KNetDownloadConfig.h"
#include "net/KNetForgotNewPwd.h"
#include "net/KNetForgotSendEmail.h"
#include "net/KNetForgotVerifyCode.h"
#include "net/KNetLogin.h"
#include "net/KNetRegister.h"
#include "net/KNetUpdatePwd.h"
#include "net/KNetUploadConfig.h"
#include "net/KUpdater.h"

#include <QJsonDocument>
#include <QNetworkProxy>
#include <QSignalSpy>
#include <QtTest>

#include <memory>

using Headers = QList<QPair<QByteArray, QByteArray>>;

namespace {

const QByteArray kOk = "{\"code\":0,\"msg\":\"ok\",\"data\":{}}";

// Calls operation number `which` on a new object of the matching class; returns the object.
std::unique_ptr<KNetBase> callOperation(int which) {
    switch (which) {
        case 1: {
            auto o = std::make_unique<KNetLogin>();
            o->login("a@b.cc", "pw 1!");
            return o;
        }
        case 2: {
            auto o = std::make_unique<KNetRegister>();
            o->registerUser("Nick", "a@b.cc", "pw1", "pw2");
            return o;
        }
        case 3: {
            auto o = std::make_unique<KNetUpdatePwd>();
            o->updatePwd("old", "new");
            return o;
        }
        case 4: {
            auto o = std::make_unique<KNetForgotSendEmail>();
            o->sendEmail(" a@b.cc ");
            return o;
        }
        case 5: {
            auto o = std::make_unique<KNetForgotVerifyCode>();
            o->verify("a@b.cc", "0042");
            return o;
        }
        case 6: {
            auto o = std::make_unique<KNetForgotNewPwd>();
            o->setNewPwd("a@b.cc", "0042", "new\"pw");
            return o;
        }
        case 7: {
            auto o = std::make_unique<KUpdater>();
            o->getSoftwareVersion();
            return o;
        }
        case 8: {
            auto o = std::make_unique<KNetUploadConfig>();
            o->uploadCurrentConfig();
            return o;
        }
        default: {
            auto o = std::make_unique<KNetDownloadConfig>();
            o->downloadConfig();
            return o;
        }
    }
}

// A gzip member holding `data` (RFC 1952): qCompress's deflate stream between a gzip header and
// the CRC-32 and length trailer.
QByteArray gzip(const QByteArray& data) {
    const QByteArray zlib = qCompress(data, 9);  // 4-byte length, 2-byte header, ..., Adler-32
    quint32 table[256];
    for (quint32 i = 0; i < 256; ++i) {
        quint32 c = i;
        for (int k = 0; k < 8; ++k)
            c = (c & 1) ? 0xEDB88320u ^ (c >> 1) : c >> 1;
        table[i] = c;
    }
    quint32 crc = 0xFFFFFFFFu;
    for (char byte : data)
        crc = table[(crc ^ static_cast<quint8>(byte)) & 0xFF] ^ (crc >> 8);
    crc ^= 0xFFFFFFFFu;
    auto littleEndian = [](quint32 v) {
        QByteArray bytes;
        for (int i = 0; i < 4; ++i)
            bytes.append(static_cast<char>((v >> (8 * i)) & 0xFF));
        return bytes;
    };
    return QByteArray::fromHex("1f8b0800000000000203") + zlib.mid(6, zlib.size() - 10) +
           littleEndian(crc) + littleEndian(static_cast<quint32>(data.size()));
}

// The process's peak resident memory in KiB (VmHWM), 0 when unknown.
qint64 peakMemoryKiB() {
    QFile status("/proc/self/status");
    if (!status.open(QIODevice::ReadOnly))
        return 0;
    for (const QByteArray& line : status.readAll().split('\n')) {
        if (line.startsWith("VmHWM:"))
            return line.mid(6).trimmed().split(' ').value(0).toLongLong();
    }
    return 0;
}

// Lowers the peak to the current resident size, so that a later peak shows this test's growth.
bool resetPeakMemory() {
    QFile refs("/proc/self/clear_refs");
    return refs.open(QIODevice::WriteOnly) && refs.write("5") == 1;
}

void setOnline(bool online) {
    if (online) {
        KNetCommon::instance()->checkOnline();
        QTRY_VERIFY(KNetCommon::instance()->isOnline());
    } else {
        QHostInfo failed;
        failed.setError(QHostInfo::HostNotFound);
        QMetaObject::invokeMethod(KNetCommon::instance(), "onLookupHost", Qt::DirectConnection,
                                  Q_ARG(QHostInfo, failed));
        QVERIFY(!KNetCommon::instance()->isOnline());
    }
}

}  // namespace

class TestNetFrame : public QObject {
    Q_OBJECT
private:
    TestEnv m_env;
    std::unique_ptr<ScriptedServer> m_server;
    KConfigCommon* m_config = nullptr;

    void useService(const QString& url) { qputenv("POINTORA_SERVICE_URL", url.toUtf8()); }

    // Waits for the one result of a request.
    static QList<QVariant> result(QSignalSpy& spy) {
        if (spy.isEmpty())
            spy.wait(5000);
        return spy.value(0);
    }

private slots:
    void initTestCase() {
        QCoreApplication::setOrganizationName("Tolva");
        QCoreApplication::setApplicationName("Pointora");
        m_env.apply();
        qputenv("POINTORA_ONLINE_HOST", "127.0.0.1");
        QNetworkProxy::setApplicationProxy(QNetworkProxy::NoProxy);
        m_config = KConfigCommon::instance();
#ifdef Q_OS_UNIX
        // Windows takes the configuration location from the user's profile, not the environment.
        QVERIFY(m_config->appConfigPath().startsWith(m_env.path()));
#endif
        setOnline(true);
    }

    void init() {
        m_server = std::make_unique<ScriptedServer>();
        useService(m_server->baseUrl());
        m_config->clearUserInfo();
        // Every setter writes the file, so only what differs is reset.
        for (int keyType : KConfigCommon::keyTypes()) {
            if (m_config->getValueByKeyType(keyType) != 0)
                m_config->setKeyValueWithKeyType(keyType, 0, false);
        }
        if (!KNetCommon::instance()->isOnline())
            setOnline(true);
    }

    void apiUrl_data() {
        QTest::addColumn<int>("apiType");
        QTest::addColumn<QString>("path");
        QTest::newRow("login") << 1 << "/v1/user/login";
        QTest::newRow("register") << 2 << "/v1/user/register";
        QTest::newRow("update") << 3 << "/v1/user/updatePassword";
        QTest::newRow("find") << 4 << "/v1/user/findPassword";
        QTest::newRow("validate") << 5 << "/v1/user/validatePassword";
        QTest::newRow("new") << 6 << "/v1/user/newPassword";
        QTest::newRow("version") << 7 << "/v1/driver/version";
        QTest::newRow("save") << 8 << "/v1/driver/config2/save";
        QTest::newRow("get") << 9 << "/v1/driver/config2/get";
        QTest::newRow("zero") << 0 << "";
        QTest::newRow("ten") << 10 << "";
    }

    void apiUrl() {
        QFETCH(int, apiType);
        QFETCH(QString, path);
        useService("https://cloud.test:9443/base/");
        QCOMPARE(KNetBase::apiUrl(apiType),
                 path.isEmpty() ? QString() : "https://cloud.test:9443/base" + path);
    }

    void requestShape_data() {
        QTest::addColumn<int>("operation");
        QTest::addColumn<QByteArray>("path");
        QTest::addColumn<bool>("carriesToken");
        QTest::addColumn<QByteArray>("body");  // empty: checked separately
        QTest::newRow("login") << 1 << QByteArray("/v1/user/login") << false
                               << QByteArray("{\"email\":\"a@b.cc\",\"password\":\"pw 1!\"}");
        QTest::newRow("register") << 2 << QByteArray("/v1/user/register") << false
                                  << QByteArray(
                                         "{\"email\":\"a@b.cc\",\"nickname\":\"Nick\",\"password\":"
                                         "\"pw1\",\"rePassword\":\"pw2\"}");
        QTest::newRow("update password")
            << 3 << QByteArray("/v1/user/updatePassword") << true
            << QByteArray("{\"password\":\"old\",\"rePassword\":\"new\"}");
        QTest::newRow("send code") << 4 << QByteArray("/v1/user/findPassword") << true
                                   << QByteArray("{\"email\":\" a@b.cc \"}");
        QTest::newRow("verify code") << 5 << QByteArray("/v1/user/validatePassword") << true
                                     << QByteArray("{\"captcha\":\"0042\",\"email\":\"a@b.cc\"}");
        QTest::newRow("new password")
            << 6 << QByteArray("/v1/user/newPassword") << true
            << QByteArray("{\"captcha\":\"0042\",\"email\":\"a@b.cc\",\"password\":\"new\\\"pw\"}");
        QTest::newRow("version") << 7 << QByteArray("/v1/driver/version") << true
                                 << QByteArray("{\"versionType\":\"Pointora\"}");
        QTest::newRow("upload") << 8 << QByteArray("/v1/driver/config2/save") << true
                                << QByteArray();
        QTest::newRow("download") << 9 << QByteArray("/v1/driver/config2/get") << true
                                  << QByteArray("{\"configType\":\"TolvaPointora\"}");
    }

    void requestShape() {
        QFETCH(int, operation);
        QFETCH(QByteArray, path);
        QFETCH(bool, carriesToken);
        QFETCH(QByteArray, body);
        m_config->setToken("tok-1 é");
        m_server->answer(200, kOk);
        std::unique_ptr<KNetBase> object = callOperation(operation);
        QSignalSpy finished(object.get(), &KNetBase::sigRequestFinished);
        QTRY_COMPARE(m_server->requests().size(), 1);
        const RecordedRequest request = m_server->requests().first();
        QCOMPARE(request.method, QByteArray("POST"));
        QCOMPARE(request.path, path);
        QCOMPARE(request.header("Content-Type"), QByteArray("application/json"));
        QCOMPARE(request.header("lang"), QByteArray("zh"));
        QCOMPARE(request.hasHeader("Authorization"), carriesToken);
        if (carriesToken)
            QCOMPARE(request.header("Authorization"), QString("tok-1 é").toUtf8());
        if (!body.isEmpty()) {
            QCOMPARE(request.body, body);
        } else {
            const QJsonObject upload = QJsonDocument::fromJson(request.body).object();
            QCOMPARE(upload.keys(), QStringList({"configContent", "configType", "filePath"}));
            QCOMPARE(upload.value("filePath"), QJsonValue(""));
            QCOMPARE(upload.value("configType"), QJsonValue("TolvaPointora"));
            QVERIFY(!request.body.contains(' ') && !request.body.contains('\n'));
        }
        if (operation == 9)
            QCOMPARE(result(finished).value(0).toInt(), 0);
        else if (operation != 7)
            QCOMPARE(result(finished), QVariantList({0, "ok"}));
    }

    void tokenHeaderOnlyWhenStored() {
        // A fresh object with no stored token sends none.
        m_server->answer(200, kOk);
        m_server->answer(200, kOk);
        m_server->answer(200, kOk);
        KNetUpdatePwd fresh;
        fresh.updatePwd("a", "b");
        QTRY_COMPARE(m_server->requests().size(), 1);
        QVERIFY(!m_server->requests().at(0).hasHeader("Authorization"));

        // Once set on an object, the header stays after the token is cleared (a later request
        // on the same object still carries it), while a new object carries none.
        KNetUpdatePwd used;
        m_config->setToken("tok-A");
        used.updatePwd("a", "b");
        QTRY_COMPARE(m_server->requests().size(), 2);
        QCOMPARE(m_server->requests().at(1).header("Authorization"), QByteArray("tok-A"));
        m_config->clearUserInfo();
        used.updatePwd("a", "b");
        QTRY_COMPARE(m_server->requests().size(), 3);
        QCOMPARE(m_server->requests().at(2).header("Authorization"), QByteArray("tok-A"));
    }

    void envelope_data() {
        QTest::addColumn<int>("status");
        QTest::addColumn<QByteArray>("body");
        QTest::addColumn<int>("code");
        QTest::addColumn<QString>("msg");
        QTest::newRow("success") << 200 << kOk << 0 << "ok";
        QTest::newRow("refusal") << 200
                                 << QByteArray("{\"code\":2009,\"msg\":\"未注册\",\"data\":{}}")
                                 << 2009 << "未注册";
        QTest::newRow("no code") << 200 << QByteArray("{\"msg\":\"m\"}") << 0 << "m";
        QTest::newRow("no msg") << 200 << QByteArray("{\"code\":5}") << 5 << "";
        QTest::newRow("wrong types") << 200 << QByteArray("{\"code\":\"5\",\"msg\":7}") << 0 << "";
        QTest::newRow("not json") << 200 << QByteArray("<html>busy</html>") << -1 << "";
        QTest::newRow("empty body") << 200 << QByteArray() << -1 << "";
        QTest::newRow("array") << 200 << QByteArray("[0]") << -1 << "";
        QTest::newRow("server error with envelope") << 500 << kOk << -1 << "";
        QTest::newRow("not found with envelope") << 404 << kOk << -1 << "";
    }

    void envelope() {
        QFETCH(int, status);
        QFETCH(QByteArray, body);
        QFETCH(int, code);
        QFETCH(QString, msg);
        m_server->answer(status, body);
        KNetForgotSendEmail object;
        QSignalSpy finished(&object, &KNetBase::sigRequestFinished);
        object.sendEmail("a@b.cc");
        QCOMPARE(result(finished), QVariantList({code, msg}));
        QTest::qWait(50);
        QCOMPARE(finished.size(), 1);
    }

    void connectionRefused() {
        int closedPort = 0;
        {
            QTcpServer probe;
            QVERIFY(probe.listen(QHostAddress::LocalHost, 0));
            closedPort = probe.serverPort();
        }
        useService(QString("http://127.0.0.1:%1").arg(closedPort));
        KNetRegister object;
        QSignalSpy finished(&object, &KNetBase::sigRequestFinished);
        object.registerUser("n", "a@b.cc", "p", "p");
        QCOMPARE(result(finished), QVariantList({-1, ""}));
    }

    void offline() {
        setOnline(false);
        KNetForgotSendEmail object;
        QSignalSpy finished(&object, &KNetBase::sigRequestFinished);
        object.sendEmail("a@b.cc");
        // Reported before the call returns, nothing sent, and a new look-up started.
        QCOMPARE(finished.size(), 1);
        QCOMPARE(finished.at(0), QVariantList({-1, "Not connected to the network"}));
        QTRY_VERIFY(KNetCommon::instance()->isOnline());
        QTest::qWait(50);
        QVERIFY(m_server->requests().isEmpty());

        // The next attempt goes out.
        m_server->answer(200, kOk);
        object.sendEmail("a@b.cc");
        QTRY_COMPARE(finished.size(), 2);
        QCOMPARE(finished.at(1), QVariantList({0, "ok"}));
    }

    void timeout() {
        QCOMPARE(KNetLogin().timeoutMs(), 15000);
        m_server->hang();
        m_config->setNickName("keep");
        m_config->setToken("keep-token");
        KNetLogin object;
        object.setTimeoutMs(200);
        QSignalSpy finished(&object, &KNetBase::sigRequestFinished);
        object.login("a@b.cc", "pw");
        QVERIFY(finished.wait(5000));
        QCOMPARE(finished.at(0), QVariantList({-1, "The server did not answer in time"}));
        QTest::qWait(300);
        QCOMPARE(finished.size(), 1);
        // A request that timed out changes nothing.
        QCOMPARE(m_config->getToken(), QString("keep-token"));
        QCOMPARE(m_config->getNickName(), QString("keep"));

        m_server->hang();
        KUpdater updater;
        updater.setTimeoutMs(200);
        QSignalSpy version(&updater, &KUpdater::sigReturnVersion);
        QSignalSpy failed(&updater, &KNetBase::sigRequestFinished);
        updater.getSoftwareVersion();
        QVERIFY(failed.wait(5000));
        QCOMPARE(failed.at(0), QVariantList({-1, "The server did not answer in time"}));
        QVERIFY(version.isEmpty());
    }

    void twoRequestsInFlight() {
        m_server->answer(200, "{\"code\":1}");
        m_server->answer(200, "{\"code\":2}");
        KNetForgotVerifyCode object;
        QSignalSpy finished(&object, &KNetBase::sigRequestFinished);
        object.verify("a@b.cc", "1111");
        object.verify("a@b.cc", "2222");
        QTRY_COMPARE(finished.size(), 2);
        QCOMPARE(finished.at(0).at(0).toInt() + finished.at(1).at(0).toInt(), 3);
    }

    // busy is true from the request until its result, and already false when the result is
    // reported, whatever the ending: an answer, a time-out, a refused answer, two in flight.
    void busyUntilTheResult_data() {
        QTest::addColumn<QString>("ending");
        QTest::newRow("answered") << "answered";
        QTest::newRow("timed out") << "timeout";
        QTest::newRow("too large") << "large";
        QTest::newRow("two in flight") << "two";
    }
    void busyUntilTheResult() {
        QFETCH(QString, ending);
        if (ending == "timeout")
            m_server->hang();
        else if (ending == "large")
            m_server->answer(200, QByteArray(64 * 1024, ' '));
        else
            m_server->answer(200, kOk);
        if (ending == "two")
            m_server->answer(200, kOk);
        KNetLogin object;
        object.setTimeoutMs(300);
        object.setMaxReplyBytes(1024);
        QSignalSpy changes(&object, &KBaseApi::busyChanged);
        QList<bool> busyAtResult;
        connect(&object, &KNetBase::sigRequestFinished, this,
                [&] { busyAtResult.append(object.busy()); });
        QVERIFY(!object.busy());
        object.login("a@b.cc", "pw");
        QVERIFY(object.busy());
        if (ending == "two") {
            object.login("a@b.cc", "pw");
            QCOMPARE(changes.size(), 1);
        }
        const int expected = ending == "two" ? 2 : 1;
        QTRY_COMPARE_WITH_TIMEOUT(busyAtResult.size(), expected, 5000);
        QCOMPARE(busyAtResult.last(), false);
        if (ending == "two")
            QCOMPARE(busyAtResult.first(), true);  // the other one still waits
        QVERIFY(!object.busy());
        QCOMPARE(changes.size(), 2);
    }

    void notBusyWhenOffline() {
        setOnline(false);
        KNetRegister object;
        QSignalSpy changes(&object, &KBaseApi::busyChanged);
        object.registerUser("n", "a@b.cc", "p", "p");
        QVERIFY(!object.busy());
        QVERIFY(changes.isEmpty());
        QTRY_VERIFY(KNetCommon::instance()->isOnline());
    }

    void login_data() {
        QTest::addColumn<int>("status");
        QTest::addColumn<QByteArray>("body");
        QTest::addColumn<Headers>("headers");
        QTest::addColumn<int>("code");
        QTest::addColumn<QString>("nickname");
        QTest::addColumn<QString>("token");
        const QByteArray welcome = "{\"code\":0,\"msg\":\"\",\"data\":{\"nickname\":\"Nick\"}}";
        QTest::newRow("success") << 200 << welcome << Headers{{"Authorization", "tok-9"}} << 0
                                 << "Nick"
                                 << "tok-9";
        QTest::newRow("token in body is ignored")
            << 200 << QByteArray("{\"code\":0,\"data\":{\"nickname\":\"N\",\"token\":\"t\"}}")
            << Headers{} << 0 << "N"
            << "";
        QTest::newRow("lower-case header")
            << 200 << welcome << Headers{{"authorization", "tok-9"}} << 0 << "Nick"
            << "";
        QTest::newRow("refused") << 200 << QByteArray("{\"code\":2002,\"msg\":\"wrong\"}")
                                 << Headers{} << 2002 << ""
                                 << "";
        QTest::newRow("no nickname")
            << 200 << QByteArray("{\"code\":0}") << Headers{{"Authorization", "t2"}} << 0 << ""
            << "t2";
        QTest::newRow("network error")
            << 500 << welcome << Headers{{"Authorization", "tok-9"}} << -1 << "old-nick"
            << "old-token";
        QTest::newRow("not json") << 200 << QByteArray("oops")
                                  << Headers{{"Authorization", "tok-9"}} << -1 << "old-nick"
                                  << "old-token";
    }

    void login() {
        QFETCH(int, status);
        QFETCH(QByteArray, body);
        QFETCH(Headers, headers);
        QFETCH(int, code);
        QFETCH(QString, nickname);
        QFETCH(QString, token);
        m_config->setNickName("old-nick");
        m_config->setToken("old-token");
        m_server->answer(status, body, headers);
        KNetLogin object;
        QSignalSpy finished(&object, &KNetBase::sigRequestFinished);
        object.login("a@b.cc", "pw");
        QCOMPARE(result(finished).value(0).toInt(), code);
        QCOMPARE(m_config->getNickName(), nickname);
        QCOMPARE(m_config->getToken(), token);
        QCOMPARE(m_config->getEmail(), QString());
    }

    void upload() {
        m_config->setKeyValueWithKeyType(1, 3, false);
        m_config->setKeyValueWithKeyType(8, 42, false);
        m_config->setKeyValueWithKeyType(27, 7, false);
        m_server->answer(200, kOk);
        KNetUploadConfig object;
        QSignalSpy finished(&object, &KNetBase::sigRequestFinished);
        object.uploadCurrentConfig();
        QCOMPARE(result(finished), QVariantList({0, "ok"}));
        const QString text = QJsonDocument::fromJson(m_server->requests().at(0).body)
                                 .object()
                                 .value("configContent")
                                 .toString();
        QVERIFY(!text.contains(' '));
        const QJsonObject content = QJsonDocument::fromJson(text.toUtf8()).object();
        QCOMPARE(content.size(), 21);
        for (int keyType : KConfigCommon::keyTypes()) {
            const QJsonValue value = content.value(QString::number(keyType));
            QVERIFY(value.isDouble());
            QCOMPARE(value.toInt(), keyType == 1 ? 3 : keyType == 8 ? 42 : keyType == 27 ? 7 : 0);
        }
    }

    void download_data() {
        QTest::addColumn<int>("status");
        QTest::addColumn<QByteArray>("body");
        QTest::addColumn<bool>("sync");
        QTest::addColumn<int>("code");
        QTest::addColumn<bool>("applied");
        QTest::addColumn<QString>("msg");
        const QByteArray full =
            "{\"code\":0,\"msg\":\"\",\"data\":{\"configContent\":\"{\\\"1\\\":3,\\\"8\\\":42,"
            "\\\"16\\\":5,\\\"27\\\":7}\"}}";
        const QString nothing = "There is no configuration in the cloud yet: nothing to download";
        QTest::newRow("applied") << 200 << full << true << 0 << true << "";
        QTest::newRow("sync false") << 200 << full << false << 0 << false << "";
        QTest::newRow("error code, content still applied")
            << 200
            << QByteArray(
                   "{\"code\":3,\"msg\":\"m\",\"data\":{\"configContent\":\"{\\\"1\\\":3,\\\"8\\\":"
                   "42,\\\"16\\\":5,\\\"27\\\":7,\\\"x\\\":1}\"}}")
            << true << 3 << true << "m";
        // The service answers an account that never uploaded with an empty copy.
        QTest::newRow("empty content")
            << 200 << QByteArray("{\"code\":0,\"data\":{\"configContent\":\"\"}}") << true << 0
            << false << nothing;
        QTest::newRow("no content")
            << 200 << QByteArray("{\"code\":0,\"data\":{}}") << true << 0 << false << nothing;
        QTest::newRow("not logged in")
            << 200 << QByteArray("{\"code\":2001,\"msg\":\"login\"}") << true << 2001 << false
            << "Your session has ended: please sign in again";
        QTest::newRow("content is an array")
            << 200 << QByteArray("{\"code\":0,\"data\":{\"configContent\":\"[1,2]\"}}") << true
            << -1 << false << "The configuration in the cloud could not be read";
        QTest::newRow("network error") << 500 << full << true << -1 << false << "";
    }

    void download() {
        QFETCH(int, status);
        QFETCH(QByteArray, body);
        QFETCH(bool, sync);
        QFETCH(int, code);
        QFETCH(bool, applied);
        QFETCH(QString, msg);
        // Local state: key 5 assigned (missing from the cloud copy), a path on key 8.
        m_config->setKeyValueWithKeyType(5, 9, false);
        m_config->setKeyValueWithKeyType(2, 11, false);
        m_config->setPathByKeyType(8, 2, "/usr/bin/true", false);
        m_server->answer(status, body);
        KNetDownloadConfig object;
        QSignalSpy changes(m_config, &KConfigCommon::sigKeyValueChange);
        QSignalSpy finished(&object, &KNetBase::sigRequestFinished);
        object.downloadConfig(sync);
        QCOMPARE(result(finished), QVariantList({code, msg}));

        QMap<int, int> expected;
        for (int keyType : KConfigCommon::keyTypes())
            expected[keyType] = 0;
        if (applied) {
            expected[1] = 3;
            expected[8] = 42;
            expected[16] = 5;
            expected[27] = 7;
            QCOMPARE(changes.size(), 1);
            QCOMPARE(changes.at(0), QVariantList({-1, 0}));
        } else {
            expected[5] = 9;
            expected[2] = 11;
            QCOMPARE(changes.size(), 0);
        }
        QCOMPARE(m_config->getKeyValueMap(), expected);
        QCOMPARE(m_config->getPathByKeyType(8, 2), QString("/usr/bin/true"));
    }

    void downloadDefaultsToSync() {
        // Called from QML without an argument, the download writes.
        m_server->answer(200, "{\"code\":0,\"data\":{\"configContent\":\"{\\\"3\\\":12}\"}}");
        KNetDownloadConfig object;
        QSignalSpy finished(&object, &KNetBase::sigRequestFinished);
        QVERIFY(QMetaObject::invokeMethod(&object, "downloadConfig"));
        QCOMPARE(result(finished), QVariantList({0, ""}));
        QCOMPARE(m_config->getValueByKeyType(3), 12);
    }

    // Replies a hostile or broken server could send to the update check, which runs by itself at
    // every start: each ends in one failure with a message, none in an answer, and none makes
    // the process hold the reply in memory.
    void hostileReply_data() {
        QTest::addColumn<int>("kind");
        QTest::addColumn<QString>("msg");
        QTest::newRow("1 GiB announced") << 0 << "The server's answer is too large";
        QTest::newRow("endless, no length") << 1 << "The server's answer is too large";
        QTest::newRow("endless, chunked") << 2 << "The server's answer is too large";
        QTest::newRow("gzip bomb") << 3 << "The server's answer could not be read";
        QTest::newRow("redirect with an answer")
            << 4 << "The server redirected the request elsewhere";
    }

    void hostileReply() {
        QFETCH(int, kind);
        QFETCH(QString, msg);
        // Valid JSON however long it grows: white space may follow the envelope.
        const QByteArray answer =
            "{\"code\":0,\"msg\":\"\",\"data\":{\"version\":\"9.9\",\"downloadUrl\":\"http://a/"
            "b\"}}";
        const QByteArray spaces(64 * 1024, ' ');
        const qint64 streamLimit = 256ll * 1024 * 1024;
        // The server shares this thread with the client: a tick between its writes (64 MiB/s at
        // the most) lets the client's reads run, as a remote server's pace would.
        switch (kind) {
            case 0:
                m_server->stream(
                    "HTTP/1.1 200 OK\r\nContent-Type: application/json\r\n"
                    "Content-Length: 1073741824\r\n\r\n" +
                        answer,
                    spaces, 1, streamLimit);
                break;
            case 1:
                m_server->stream(
                    "HTTP/1.1 200 OK\r\nContent-Type: application/json\r\n"
                    "Connection: close\r\n\r\n" +
                        answer,
                    spaces, 1, streamLimit);
                break;
            case 2:
                m_server->stream(
                    "HTTP/1.1 200 OK\r\nContent-Type: application/json\r\n"
                    "Transfer-Encoding: chunked\r\n\r\n" +
                        QByteArray::number(answer.size(), 16) + "\r\n" + answer + "\r\n",
                    QByteArray::number(spaces.size(), 16) + "\r\n" + spaces + "\r\n", 1,
                    streamLimit);
                break;
            case 3:
                // 10 MiB once inflated, a few KiB on the wire.
                m_server->answer(200, gzip(answer + QByteArray(10 * 1024 * 1024, ' ')),
                                 {{"Content-Encoding", "gzip"}});
                break;
            default:
                m_server->answer(302, answer, {{"Location", "http://127.0.0.1:1/elsewhere"}});
                break;
        }
        const bool measured = resetPeakMemory();
        const qint64 before = peakMemoryKiB();
        KUpdater object;
        QSignalSpy versions(&object, &KUpdater::sigReturnVersion);
        QSignalSpy finished(&object, &KNetBase::sigRequestFinished);
        object.getSoftwareVersion();
        QVERIFY(finished.wait(20000));
        QCOMPARE(finished.at(0), QVariantList({-1, msg}));
        QTest::qWait(50);
        QCOMPARE(finished.size(), 1);
        QVERIFY(versions.isEmpty());
        if (!measured)
            qWarning("cannot reset the peak memory; its growth is measured from the earlier peak");
        const qint64 growth = peakMemoryKiB() - before;
        QVERIFY2(growth < 48 * 1024, qPrintable(QString("peak grew by %1 KiB, %2 bytes sent")
                                                    .arg(growth)
                                                    .arg(m_server->streamedBytes())));
        // The reply was given up early, not read to the end.
        QVERIFY2(m_server->streamedBytes() < 64ll * 1024 * 1024,
                 qPrintable(QString::number(m_server->streamedBytes())));
    }

    // A server that sends a byte now and then never finishes: the time-out covers the whole
    // exchange, not the silence between bytes.
    void dribblingServerTimesOut() {
        m_server->stream(
            "HTTP/1.1 200 OK\r\nContent-Type: application/json\r\n"
            "Content-Length: 100000\r\n\r\n{\"code\":0",
            " ", 20, 1000000);
        KNetForgotSendEmail object;
        object.setTimeoutMs(400);
        QSignalSpy finished(&object, &KNetBase::sigRequestFinished);
        QElapsedTimer clock;
        clock.start();
        object.sendEmail("a@b.cc");
        QVERIFY(finished.wait(10000));
        QCOMPARE(finished.at(0), QVariantList({-1, "The server did not answer in time"}));
        QVERIFY2(clock.elapsed() < 5000, qPrintable(QString::number(clock.elapsed())));
        QTest::qWait(100);
        QCOMPARE(finished.size(), 1);
    }

    // Entries of a downloaded copy that name no key type or no function of the catalogue are
    // not stored (the key keeps its assignment) and are counted in the message.
    void downloadSkipsUnknownEntries_data() {
        QTest::addColumn<QByteArray>("content");
        QTest::addColumn<int>("key1");
        QTest::addColumn<int>("key2");
        QTest::addColumn<int>("key4");
        QTest::addColumn<int>("skipped");
        QTest::newRow("value outside the catalogue")
            << QByteArray("{\"1\":9999}") << 3 << 0 << 0 << 1;
        QTest::newRow("negative value") << QByteArray("{\"1\":-1,\"2\":11}") << 3 << 11 << 0 << 1;
        QTest::newRow("mixed")
            << QByteArray(
                   "{\"1\":9,\"2\":\"5\",\"4\":42,\"12\":1,\"x\":2,\"01\":4,\"3\":4.5,\"5\":1e300}")
            << 3 << 11 << 42 << 7;
        QTest::newRow("all known")
            << QByteArray("{\"1\":0,\"2\":101,\"4\":63}") << 0 << 101 << 63 << 0;
    }

    void downloadSkipsUnknownEntries() {
        QFETCH(QByteArray, content);
        QFETCH(int, key1);
        QFETCH(int, key2);
        QFETCH(int, key4);
        QFETCH(int, skipped);
        m_config->setKeyValueWithKeyType(1, 3, false);
        m_config->setKeyValueWithKeyType(2, 11, false);
        QJsonObject data;
        data.insert("configContent", QString::fromUtf8(content));
        QJsonObject envelope;
        envelope.insert("code", 0);
        envelope.insert("msg", "ok");
        envelope.insert("data", data);
        m_server->answer(200, QJsonDocument(envelope).toJson(QJsonDocument::Compact));
        KNetDownloadConfig object;
        QSignalSpy changes(m_config, &KConfigCommon::sigKeyValueChange);
        QSignalSpy finished(&object, &KNetBase::sigRequestFinished);
        object.downloadConfig();
        const QString msg =
            skipped == 0
                ? QString("ok")
                : QString("Configuration downloaded; entries skipped as unknown: %1").arg(skipped);
        QCOMPARE(result(finished), QVariantList({0, msg}));
        QCOMPARE(m_config->getValueByKeyType(1), key1);
        QCOMPARE(m_config->getValueByKeyType(2), key2);
        QCOMPARE(m_config->getValueByKeyType(4), key4);
        QCOMPARE(changes.size(), 1);
    }

    // The service's "not logged in" ends the stored session, whatever operation met it.
    void notLoggedInEndsTheSession_data() {
        QTest::addColumn<int>("operation");
        QTest::addColumn<int>("code");
        QTest::addColumn<bool>("signedOut");
        QTest::newRow("change password") << 3 << 2001 << true;
        QTest::newRow("upload") << 8 << 2001 << true;
        QTest::newRow("download") << 9 << 2001 << true;
        QTest::newRow("wrong password keeps the session") << 3 << 2008 << false;
    }

    void notLoggedInEndsTheSession() {
        QFETCH(int, operation);
        QFETCH(int, code);
        QFETCH(bool, signedOut);
        m_config->setNickName("Ann");
        m_config->setToken("expired-token");
        QVERIFY(m_config->isLogin());
        m_server->answer(200, "{\"code\":" + QByteArray::number(code) + ",\"msg\":\"service\"}");
        std::unique_ptr<KNetBase> object = callOperation(operation);
        QSignalSpy finished(object.get(), &KNetBase::sigRequestFinished);
        const QString msg =
            signedOut ? QString("Your session has ended: please sign in again") : "service";
        QCOMPARE(result(finished), QVariantList({code, msg}));
        QCOMPARE(m_config->isLogin(), !signedOut);
        QCOMPARE(m_config->getToken(), signedOut ? QString() : QString("expired-token"));
    }

    // The service answers in the language of the interface.
    void langFollowsTheLanguage_data() {
        QTest::addColumn<QString>("language");
        QTest::newRow("english") << "en";
        QTest::newRow("chinese") << "zh";
    }

    void langFollowsTheLanguage() {
        QFETCH(QString, language);
        const QString saved = m_config->getLanguage();
        m_config->setLanguage(language);
        m_server->answer(200, kOk);
        m_server->answer(200, kOk);
        KNetForgotSendEmail object;
        QSignalSpy finished(&object, &KNetBase::sigRequestFinished);
        object.sendEmail("a@b.cc");
        QTRY_COMPARE(finished.size(), 1);
        // A language switched while the object lives applies to its next request.
        m_config->setLanguage(language == "en" ? "zh" : "en");
        object.sendEmail("a@b.cc");
        QTRY_COMPARE(finished.size(), 2);
        m_config->setLanguage(saved);
        QCOMPARE(m_server->requests().at(0).header("lang"), language.toUtf8());
        QCOMPARE(m_server->requests().at(1).header("lang"),
                 QByteArray(language == "en" ? "zh" : "en"));
    }

    void updater_data() {
        QTest::addColumn<int>("status");
        QTest::addColumn<QByteArray>("body");
        QTest::addColumn<bool>("answered");
        QTest::addColumn<QString>("version");
        QTest::addColumn<QString>("url");
        QTest::newRow("newer") << 200
                               << QByteArray(
                                      "{\"code\":0,\"data\":{\"version\":\"2.0.1\","
                                      "\"downloadUrl\":\"http://127.0.0.1/p.deb\"}}")
                               << true << "2.0.1"
                               << "http://127.0.0.1/p.deb";
        QTest::newRow("no url") << 200
                                << QByteArray("{\"code\":0,\"data\":{\"version\":\"2.0.1\"}}")
                                << true << "2.0.1"
                                << "";
        QTest::newRow("error code") << 200 << QByteArray("{\"code\":9,\"msg\":\"x\"}") << true << ""
                                    << "";
        QTest::newRow("network error") << 503 << QByteArray("{\"code\":0}") << false << ""
                                       << "";
        QTest::newRow("not json") << 200 << QByteArray("nope") << false << ""
                                  << "";
        // Only web addresses are passed on to be opened.
        const QByteArray offer =
            "{\"code\":0,\"data\":{\"version\":\"9.0\",\"downloadUrl\":\"%1\"}}";
        const QList<QPair<const char*, const char*>> addresses = {
            {"https address", "https://tolva.example/p.deb"},
            {"file address", "file:///etc/passwd"},
            {"javascript address", "javascript:alert(1)"},
            {"smb address", "smb://host/share/p.exe"},
            {"no host", "http:///p.deb"},
        };
        for (const auto& address : addresses) {
            const bool web = QByteArray(address.second).startsWith("https://tolva");
            QTest::newRow(address.first)
                << 200 << QString(offer).arg(address.second).toUtf8() << true << "9.0"
                << (web ? QString(address.second) : QString());
        }
    }

    void updater() {
        QFETCH(int, status);
        QFETCH(QByteArray, body);
        QFETCH(bool, answered);
        QFETCH(QString, version);
        QFETCH(QString, url);
        m_server->answer(status, body);
        KUpdater object;
        QSignalSpy versions(&object, &KUpdater::sigReturnVersion);
        QSignalSpy finished(&object, &KNetBase::sigRequestFinished);
        object.getSoftwareVersion();
        QTRY_COMPARE(versions.size() + finished.size(), 1);
        QTest::qWait(50);
        if (answered) {
            QCOMPARE(versions.size(), 1);
            QCOMPARE(versions.at(0), QVariantList({version, url}));
            QCOMPARE(finished.size(), 0);
        } else {
            QCOMPARE(versions.size(), 0);
            QCOMPARE(finished.size(), 1);
            QCOMPARE(finished.at(0), QVariantList({-1, ""}));
        }
    }
};

QTEST_GUILESS_MAIN(TestNetFrame)
#include "tst_netframe.moc"
