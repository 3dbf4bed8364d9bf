// The program's request classes against a real pointora-cloud on 127.0.0.1: account life cycle,
// configuration upload and download, password recovery, the update check, and https.

#include "cloud/CloudRunner.h"
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

#include <QNetworkProxy>
#include <QSignalSpy>
#include <QSslConfiguration>
#include <QSslSocket>
#include <QtTest>

namespace {

const QString kEmail = "user@example.com";

// Waits for the request object's result and returns (code, msg).
QVariantList finish(KNetBase& object, const std::function<void()>& call) {
    QSignalSpy finished(&object, &KNetBase::sigRequestFinished);
    call();
    if (finished.isEmpty() && !finished.wait(20000))
        return {"no answer"};
    return finished.at(0);
}

int login(const QString& email, const QString& password) {
    KNetLogin object;
    return finish(object, [&] { object.login(email, password); }).value(0).toInt();
}

}  // namespace

class TestNetService : public QObject {
    Q_OBJECT
private:
    TestEnv m_env;
    CloudRunner m_cloud;
    KConfigCommon* m_config = nullptr;

    QString data() const { return m_env.path("cloud"); }

private slots:
    void initTestCase() {
        QCoreApplication::setOrganizationName("Tolva");
        QCoreApplication::setApplicationName("Pointora");
        m_env.apply();
        QNetworkProxy::setApplicationProxy(QNetworkProxy::NoProxy);
        m_config = KConfigCommon::instance();
        QVERIFY2(m_cloud.start(data(), {"--latest-version", "9.9.9", "--download-url",
                                        "http://127.0.0.1/pointora.deb"}),
                 qPrintable(m_cloud.error()));
        qputenv("POINTORA_SERVICE_URL", m_cloud.baseUrl().toUtf8());
        qunsetenv("POINTORA_ONLINE_HOST");  // the service's host, 127.0.0.1
        KNetCommon::instance()->checkOnline();
        QTRY_VERIFY(KNetCommon::instance()->isOnline());
    }

    void accountAndSync() {
        KNetRegister registration;
        QCOMPARE(finish(registration,
                        [&] { registration.registerUser("Nick", kEmail, "abc123!", "abc123!"); }),
                 QVariantList({0, "操作成功"}));
        QCOMPARE(finish(registration,
                        [&] { registration.registerUser("Nick", kEmail, "xyz789#", "xyz789#"); })
                     .value(0),
                 QVariant(0));  // a taken address is answered like a new one, and kept as it was

        QCOMPARE(login(kEmail, "abc123!"), 0);
        QVERIFY(m_config->isLogin());
        QCOMPARE(m_config->getNickName(), QString("Nick"));
        QCOMPARE(m_config->getToken().size(), 64);

        // Upload, change locally, download: the uploaded assignments come back, announced once.
        m_config->setKeyValueWithKeyType(1, 3, false);
        m_config->setKeyValueWithKeyType(8, 42, false);
        m_config->setKeyValueWithKeyType(27, 7, false);
        const QMap<int, int> uploaded = m_config->getKeyValueMap();
        KNetUploadConfig upload;
        QCOMPARE(finish(upload, [&] { upload.uploadCurrentConfig(); }).value(0), QVariant(0));

        m_config->resetFunctionConfig();
        m_config->setKeyValueWithKeyType(2, 5, false);
        QVERIFY(m_config->getKeyValueMap() != uploaded);
        KNetDownloadConfig download;
        QSignalSpy changes(m_config, &KConfigCommon::sigKeyValueChange);
        QCOMPARE(finish(download, [&] { download.downloadConfig(); }).value(0), QVariant(0));
        QCOMPARE(m_config->getKeyValueMap(), uploaded);
        QCOMPARE(changes.size(), 1);
        QCOMPARE(changes.at(0), QVariantList({-1, 0}));

        // Change the password: only the new one logs in; a refused login logs the user out.
        KNetUpdatePwd update;
        QCOMPARE(finish(update, [&] { update.updatePwd("wrong1!", "new123!"); }),
                 QVariantList({2008, "当前密码错误"}));
        QCOMPARE(finish(update, [&] { update.updatePwd("abc123!", "new123!"); }).value(0),
                 QVariant(0));
        QCOMPARE(login(kEmail, "abc123!"), 2002);
        QVERIFY(!m_config->isLogin());
        QCOMPARE(login(kEmail, "new123!"), 0);
        QVERIFY(m_config->isLogin());

        // Logged out, the download is refused and the assignments stay.
        m_config->clearUserInfo();
        m_config->setKeyValueWithKeyType(2, 5, false);
        KNetDownloadConfig loggedOut;
        QCOMPARE(finish(loggedOut, [&] { loggedOut.downloadConfig(); }).value(0), QVariant(2001));
        QCOMPARE(m_config->getValueByKeyType(2), 5);
    }

    // In English the service answers in English; a new account has nothing to download; a
    // session ended elsewhere (a password change on another login) signs the user out here.
    void languageEmptyCopyAndEndedSession() {
        const QString saved = m_config->getLanguage();
        m_config->setLanguage("en");
        KNetRegister registration;
        QCOMPARE(finish(registration,
                        [&] {
                            registration.registerUser("Other", "other@example.com", "abc123!",
                                                      "abc123!");
                        }),
                 QVariantList({0, "Success"}));
        QCOMPARE(login("other@example.com", "abc123!"), 0);
        const QString first = m_config->getToken();

        m_config->setKeyValueWithKeyType(4, 12, false);
        KNetDownloadConfig download;
        QCOMPARE(
            finish(download, [&] { download.downloadConfig(); }),
            QVariantList({0, "There is no configuration in the cloud yet: nothing to download"}));
        QCOMPARE(m_config->getValueByKeyType(4), 12);

        QCOMPARE(login("other@example.com", "abc123!"), 0);
        KNetUpdatePwd update;
        QCOMPARE(finish(update, [&] { update.updatePwd("abc123!", "new123!"); }).value(0),
                 QVariant(0));
        // Back on the first session, which the change ended.
        m_config->setToken(first);
        QVERIFY(m_config->isLogin());
        KNetUploadConfig upload;
        QCOMPARE(finish(upload, [&] { upload.uploadCurrentConfig(); }),
                 QVariantList({2001, "Your session has ended: please sign in again"}));
        QVERIFY(!m_config->isLogin());
        QCOMPARE(m_config->getToken(), QString());
        m_config->setLanguage(saved);
    }

    void passwordRecovery() {
        KNetRegister registration;
        QCOMPARE(
            finish(
                registration,
                [&] { registration.registerUser("Rec", "rec@example.com", "abc123!", "abc123!"); })
                .value(0),
            QVariant(0));

        KNetForgotSendEmail send;
        // An unknown address is answered like a registered one, but gets no code.
        QCOMPARE(finish(send, [&] { send.sendEmail("nobody@example.com"); }).value(0), QVariant(0));
        QCOMPARE(outboxCode(data(), "nobody@example.com"), QString());
        QCOMPARE(finish(send, [&] { send.sendEmail("rec@example.com"); }).value(0), QVariant(0));
        const QString code = outboxCode(data(), "rec@example.com");
        QCOMPARE(code.size(), 4);
        const QString wrong = QString("%1").arg((code.toInt() + 1) % 10000, 4, 10, QChar('0'));

        KNetForgotVerifyCode verify;
        QCOMPARE(finish(verify, [&] { verify.verify("rec@example.com", wrong); }),
                 QVariantList({2010, "验证码错误"}));
        QCOMPARE(finish(verify, [&] { verify.verify("rec@example.com", code); }).value(0),
                 QVariant(0));

        KNetForgotNewPwd reset;
        QCOMPARE(
            finish(reset, [&] { reset.setNewPwd("rec@example.com", code, "fresh1!"); }).value(0),
            QVariant(0));
        QCOMPARE(login("rec@example.com", "abc123!"), 2002);
        QCOMPARE(login("rec@example.com", "fresh1!"), 0);
    }

    void updateCheck() {
        KUpdater updater;
        QSignalSpy versions(&updater, &KUpdater::sigReturnVersion);
        QSignalSpy failed(&updater, &KNetBase::sigRequestFinished);
        updater.getSoftwareVersion();
        QVERIFY(versions.wait(10000));
        QCOMPARE(versions.at(0), QVariantList({"9.9.9", "http://127.0.0.1/pointora.deb"}));
        QCOMPARE(failed.size(), 0);
    }

    void https() {
        QVERIFY(QSslSocket::supportsSsl());
        QString cert, key;
        QVERIFY(makeCertificate(m_env.path(), &cert, &key));
        CloudRunner secure;
        QVERIFY2(secure.start(m_env.path("cloud-tls"), {"--tls-cert", cert, "--tls-key", key}),
                 qPrintable(secure.error()));
        QVERIFY(secure.baseUrl().startsWith("https://"));
        qputenv("POINTORA_SERVICE_URL", secure.baseUrl().toUtf8());

        // A certificate nobody vouches for is refused.
        {
            KNetRegister registration;
            QCOMPARE(finish(registration,
                            [&] {
                                registration.registerUser("Tls", "tls@example.com", "abc123!",
                                                          "abc123!");
                            }),
                     QVariantList({-1, ""}));
        }

        // Once trusted, the account operations and the sync run over TLS.
        QSslConfiguration configuration = QSslConfiguration::defaultConfiguration();
        QVERIFY(configuration.addCaCertificates(cert));
        QSslConfiguration::setDefaultConfiguration(configuration);
        KNetRegister registration;
        QCOMPARE(
            finish(
                registration,
                [&] { registration.registerUser("Tls", "tls@example.com", "abc123!", "abc123!"); })
                .value(0),
            QVariant(0));
        QCOMPARE(login("tls@example.com", "abc123!"), 0);
        m_config->setKeyValueWithKeyType(9, 13, false);
        KNetUploadConfig upload;
        QCOMPARE(finish(upload, [&] { upload.uploadCurrentConfig(); }).value(0), QVariant(0));
        m_config->setKeyValueWithKeyType(9, 0, false);
        KNetDownloadConfig download;
        QCOMPARE(finish(download, [&] { download.downloadConfig(); }).value(0), QVariant(0));
        QCOMPARE(m_config->getValueByKeyType(9), 13);

        qputenv("POINTORA_SERVICE_URL", m_cloud.baseUrl().toUtf8());
    }

    void cleanupTestCase() { QCOMPARE(m_cloud.stop(), 0); }
};

QTEST_GUILESS_MAIN(TestNetService)
#include "tst_netservice.moc"
