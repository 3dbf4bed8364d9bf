#include "net/KServiceConfig.h"

#include <QtTest>

class TestServiceConfig : public QObject {
    Q_OBJECT
private slots:
    void cleanup() {
        qunsetenv("POINTORA_SERVICE_URL");
        qunsetenv("POINTORA_ONLINE_HOST");
    }

    void defaults() {
        QCOMPARE(KServiceConfig::serviceUrl(), QUrl("http://127.0.0.1:8732"));
        QCOMPARE(KServiceConfig::onlineHost(), QString("127.0.0.1"));
        QCOMPARE(KServiceConfig::endpoint("/api/user/login"),
                 QUrl("http://127.0.0.1:8732/api/user/login"));
    }

    void fromEnvironment() {
        qputenv("POINTORA_SERVICE_URL", "https://cloud.example.test/base/");
        QCOMPARE(KServiceConfig::onlineHost(), QString("cloud.example.test"));
        QCOMPARE(KServiceConfig::endpoint("api/x"), QUrl("https://cloud.example.test/base/api/x"));
        qputenv("POINTORA_ONLINE_HOST", "probe.example.test");
        QCOMPARE(KServiceConfig::onlineHost(), QString("probe.example.test"));
    }

    void badAddressFallsBack() {
        for (const char* bad : {"ftp://host/", "not a url", "http://"}) {
            qputenv("POINTORA_SERVICE_URL", bad);
            QTest::ignoreMessage(QtWarningMsg, QRegularExpression(".*POINTORA_SERVICE_URL.*"));
            QCOMPARE(KServiceConfig::serviceUrl(), QUrl("http://127.0.0.1:8732"));
        }
    }
};

QTEST_APPLESS_MAIN(TestServiceConfig)
#include "tst_serviceconfig.moc"
