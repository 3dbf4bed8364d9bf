// Three pointora-cloud processes on one PostgreSQL database (a throw-away server) and one shared
// outbox, as behind a load balancer: clients spread over them at random must see one service.
// Sessions, codes, attempt counters, caps and quotas hold across instances, races between
// instances end as they would on one, and killing one instance changes nothing for the others.

#include "cloud/CloudClient.h"
#include "cloud/CloudRunner.h"
#include "cloud/PgTestStore.h"

#include <QTemporaryDir>
#include <QtTest>

#include <atomic>
#include <cstdio>
#include <memory>
#include <mutex>
#include <random>
#include <set>
#include <thread>
#include <vector>

namespace {

const QString kPassword = "abc123!";
constexpr int kInstances = 3;
constexpr int kMaxTypes = 6;

QString otherCode(const QString& code) {
    return QString("%1").arg((code.toInt() + 1) % 10000, 4, 10, QChar('0'));
}

}  // namespace

class TestCloudInstances : public QObject {
    Q_OBJECT
private:
    QTemporaryDir m_dir;
    QString m_data;
    std::vector<std::unique_ptr<CloudRunner>> m_instances;
    std::mt19937 m_random{std::random_device{}()};
    std::mutex m_randomMutex;

    int port(int instance) const { return m_instances[instance]->port(); }
    int randomInstance() {
        std::lock_guard<std::mutex> lock(m_randomMutex);
        return static_cast<int>(m_random() % kInstances);
    }
    Client on(int instance) { return Client(port(instance)); }
    Client anywhere() { return on(randomInstance()); }

    QStringList options() const {
        return {"--code-interval",
                "0",
                "--limit-register",
                "0,0",
                "--limit-code-request",
                "0,0",
                "--max-config-types",
                QString::number(kMaxTypes),
                "--threads",
                "16"};
    }

    // A registered account and a token from a random instance.
    std::string account(const QString& email) {
        if (anywhere().registerUser(email, kPassword).code != 0)
            return std::string();
        return anywhere().login(email, kPassword).authorization;
    }

private slots:
    void initTestCase() {
        QVERIFY(m_dir.isValid());
        m_data = m_dir.filePath("shared");
        // All at once on a new database: one of them creates the schema, the others wait for it.
        for (int i = 0; i < kInstances; ++i) {
            m_instances.push_back(std::make_unique<CloudRunner>());
            QVERIFY2(m_instances.back()->launch(m_data, options()),
                     qPrintable(m_instances.back()->error()));
        }
        for (auto& instance : m_instances)
            QVERIFY2(instance->waitUntilUp(), qPrintable(instance->error()));
        QCOMPARE(testPostgres()->value(testDatabaseName(m_data),
                                       "SELECT string_agg(version::text, ',') FROM schema_version"),
                 QString("2"));
    }

    void spreadOverInstances() {
        // Register on one, log in on another, save on a third, read back everywhere; several
        // clients at once.
        std::atomic<int> failures{0};
        std::vector<std::thread> clients;
        for (int k = 0; k < 6; ++k) {
            clients.emplace_back([&, k] {
                const QString email = QString("spread%1@example.com").arg(k);
                const int first = k % kInstances;
                if (on(first).registerUser(email, kPassword).code != 0)
                    ++failures;
                const std::string token =
                    on((first + 1) % kInstances).login(email, kPassword).authorization;
                for (int round = 0; round < 5; ++round) {
                    const QString content = QString("{\"k\":%1,\"round\":%2}").arg(k).arg(round);
                    if (anywhere().save(token, "TolvaPointora", content).code != 0)
                        ++failures;
                    for (int i = 0; i < kInstances; ++i) {
                        if (on(i).get(token, "TolvaPointora").data.value("configContent") !=
                            content)
                            ++failures;
                    }
                }
            });
        }
        for (std::thread& t : clients)
            t.join();
        QCOMPARE(failures.load(), 0);
    }

    void sessionsEndEverywhere() {
        // A password change on one instance ends the other sessions on every instance.
        const QString email = "sessions@example.com";
        const std::string first = account(email);
        const std::string second = on(1).login(email, kPassword).authorization;
        QVERIFY(!first.empty() && !second.empty());
        QCOMPARE(on(0)
                     .post("/v1/user/updatePassword",
                           {{"password", kPassword}, {"rePassword", "new123!"}}, first)
                     .code,
                 0);
        for (int i = 0; i < kInstances; ++i) {
            QCOMPARE(on(i).get(second, "T").code, 2001);
            QCOMPARE(on(i).get(first, "T").code, 0);
        }
        QCOMPARE(on(2).login(email, kPassword).code, 2002);
        QCOMPARE(on(2).login(email, "new123!").code, 0);
    }

    void recoveryAcrossInstances() {
        // A code requested on one instance, checked on a second and used on the third; used up
        // for all of them.
        const QString email = "recover@example.com";
        QVERIFY(!account(email).empty());
        QCOMPARE(on(0).find(email).code, 0);
        const QString code = outboxCode(m_data, email);
        QCOMPARE(code.size(), 4);
        QCOMPARE(on(1).validate(email, otherCode(code)).code, 2010);
        QCOMPARE(on(1).validate(email, code).code, 0);
        QCOMPARE(on(2).reset(email, code, "new456!").code, 0);
        for (int i = 0; i < kInstances; ++i)
            QCOMPARE(on(i).reset(email, code, "new789!").code, 2011);
        QCOMPARE(on(0).login(email, "new456!").code, 0);
        QCOMPARE(on(1).login(email, kPassword).code, 2002);
    }

    void attemptLimitsAcrossInstances() {
        // Five wrong codes lock a code, wherever they were tried; ten wrong logins per address
        // cap the address on every instance.
        const QString email = "attempts@example.com";
        QVERIFY(!account(email).empty());
        QCOMPARE(on(2).find(email).code, 0);
        const QString code = outboxCode(m_data, email);
        for (int i = 0; i < 4; ++i)
            QCOMPARE(on(i % kInstances).validate(email, otherCode(code)).code, 2010);
        QCOMPARE(on(1).validate(email, otherCode(code)).code, 2012);
        for (int i = 0; i < kInstances; ++i)
            QCOMPARE(on(i).validate(email, code).code, 2012);

        for (int i = 0; i < 10; ++i)
            QCOMPARE(on(i % kInstances).login(email, "wrong1!").code, 2002);
        for (int i = 0; i < kInstances; ++i)
            QCOMPARE(on(i).login(email, kPassword).code, 2014);
    }

    void concurrentGuessesCapped() {
        // Wrong logins for one address sent at once to every instance: exactly ten are checked,
        // the others are refused by the cap.
        const QString email = "guesses@example.com";
        QVERIFY(!account(email).empty());
        std::atomic<int> checked{0}, capped{0}, other{0};
        std::vector<std::thread> guessers;
        for (int k = 0; k < 18; ++k) {
            guessers.emplace_back([&, k] {
                const int code = on(k % kInstances).login(email, "wrong1!").code;
                (code == 2002 ? checked : code == 2014 ? capped : other)++;
            });
        }
        for (std::thread& t : guessers)
            t.join();
        QCOMPARE(other.load(), 0);
        QCOMPARE(checked.load(), 10);
        QCOMPARE(capped.load(), 8);
    }

    void concurrentSavesOfOneType() {
        // Many saves of the same type at once on every instance: all succeed, and what is kept
        // is one of the contents sent, whole.
        const std::string token = account("race@example.com");
        QVERIFY(!token.empty());
        std::set<QString> sent;
        std::mutex sentMutex;
        std::atomic<int> failures{0};
        std::vector<std::thread> savers;
        for (int k = 0; k < 12; ++k) {
            savers.emplace_back([&, k] {
                Client c = on(k % kInstances);
                for (int i = 0; i < 8; ++i) {
                    const QString content = QString("{\"k\":%1,\"i\":%2,\"fill\":\"%3\"}")
                                                .arg(k)
                                                .arg(i)
                                                .arg(QString(20000, QChar('a' + (k + i) % 26)));
                    {
                        std::lock_guard<std::mutex> lock(sentMutex);
                        sent.insert(content);
                    }
                    if (c.save(token, "race", content).code != 0)
                        ++failures;
                }
            });
        }
        for (std::thread& t : savers)
            t.join();
        QCOMPARE(failures.load(), 0);
        const QString kept = on(0).get(token, "race").data.value("configContent").toString();
        QVERIFY2(sent.count(kept) == 1, qPrintable(kept.left(80)));
        for (int i = 1; i < kInstances; ++i)
            QCOMPARE(on(i).get(token, "race").data.value("configContent").toString(), kept);
    }

    void quotaHoldsUnderConcurrentSaves() {
        // New types saved at once on every instance: no more than the quota are kept (a few
        // accounts, for the race to show).
        for (int round = 0; round < 4; ++round) {
            const std::string token = account(QString("quota%1@example.com").arg(round));
            QVERIFY(!token.empty());
            std::atomic<int> saved{0}, refused{0}, other{0};
            std::vector<std::thread> savers;
            for (int k = 0; k < 3 * kMaxTypes; ++k) {
                savers.emplace_back([&, k] {
                    const int code =
                        on(k % kInstances).save(token, QString("type%1").arg(k), "x").code;
                    (code == 0 ? saved : code == 2015 ? refused : other)++;
                });
            }
            for (std::thread& t : savers)
                t.join();
            QCOMPARE(other.load(), 0);
            QCOMPARE(saved.load(), kMaxTypes);
            QCOMPARE(refused.load(), 2 * kMaxTypes);
            int kept = 0;
            for (int k = 0; k < 3 * kMaxTypes; ++k)
                kept += !anywhere()
                             .get(token, QString("type%1").arg(k))
                             .data.value("configContent")
                             .toString()
                             .isEmpty();
            QCOMPARE(kept, kMaxTypes);
        }
    }

    void codeUsedOnceConcurrently() {
        // One code sent to every instance at the same moment, with different new passwords:
        // exactly one reset succeeds, and its password is the one in force.
        for (int round = 0; round < 6; ++round) {
            // An address per round: the losers' passwords count as failed logins.
            const QString email = QString("once%1@example.com").arg(round);
            QVERIFY(!account(email).empty());
            QCOMPARE(anywhere().find(email).code, 0);
            const QString code = outboxCode(m_data, email);
            QCOMPARE(code.size(), 4);
            int results[kInstances];
            std::atomic<int> ready{0};
            std::vector<std::thread> resets;
            for (int k = 0; k < kInstances; ++k) {
                resets.emplace_back([&, k] {
                    Client c = on(k);
                    ++ready;
                    while (ready < kInstances) {
                    }
                    results[k] = c.reset(email, code, QString("pass%1-%2").arg(round).arg(k)).code;
                });
            }
            for (std::thread& t : resets)
                t.join();
            int winner = -1;
            for (int k = 0; k < kInstances; ++k) {
                if (results[k] == 0) {
                    QVERIFY2(winner < 0, "a code was used twice");
                    winner = k;
                } else {
                    QCOMPARE(results[k], 2011);
                }
            }
            QVERIFY(winner >= 0);
            for (int k = 0; k < kInstances; ++k)
                QCOMPARE(anywhere().login(email, QString("pass%1-%2").arg(round).arg(k)).code,
                         k == winner ? 0 : 2002);
        }
    }

    void sameAddressRegisteredConcurrently() {
        // Registrations of one address on every instance at once: all are answered alike, one
        // account comes of them, with one of the passwords.
        const QString email = "twice@example.com";
        std::atomic<int> answered{0};
        std::vector<std::thread> registering;
        for (int k = 0; k < 6; ++k) {
            registering.emplace_back([&, k] {
                if (on(k % kInstances).registerUser(email, QString("pass-%1").arg(k)).code == 0)
                    ++answered;
            });
        }
        for (std::thread& t : registering)
            t.join();
        QCOMPARE(answered.load(), 6);
        int working = 0;
        for (int k = 0; k < 6; ++k)
            working += anywhere().login(email, QString("pass-%1").arg(k)).code == 0;
        QCOMPARE(working, 1);
        QCOMPARE(testPostgres()->value(testDatabaseName(m_data),
                                       "SELECT COUNT(*) FROM users WHERE email = '" + email + "'"),
                 QString("1"));
    }

    void killedInstanceChangesNothing() {
        // Clients busy on all three; one instance is killed (SIGKILL) in the middle. The clients
        // of the other two see no failure, and what was saved through the killed one (and its
        // sessions) is there on the others.
        std::vector<std::string> tokens;
        for (int k = 0; k < 4; ++k) {
            tokens.push_back(account(QString("busy%1@example.com").arg(k)));
            QVERIFY(!tokens.back().empty());
        }
        const std::string victimToken = on(1).login("busy0@example.com", kPassword).authorization;
        QCOMPARE(on(1).save(victimToken, "victim", "saved-through-1").code, 0);

        std::atomic<bool> stop{false};
        std::atomic<int> failures{0}, requests{0};
        std::vector<std::thread> clients;
        for (int k = 0; k < 4; ++k) {
            clients.emplace_back([&, k] {
                Client c = on(k % 2 == 0 ? 0 : 2);
                for (int i = 0; !stop; ++i) {
                    const QString content = QString("%1-%2").arg(k).arg(i);
                    if (c.save(tokens[k], "busy", content).code != 0 ||
                        c.get(tokens[k], "busy").data.value("configContent") != content)
                        ++failures;
                    ++requests;
                }
            });
        }
        // Clients of the victim, which fail once it is gone.
        std::thread victimClients([&] {
            Client c = on(1);
            while (!stop)
                c.get(victimToken, "victim");
        });
        std::this_thread::sleep_for(std::chrono::milliseconds(700));
        m_instances[1]->kill();
        std::this_thread::sleep_for(std::chrono::milliseconds(1000));
        stop = true;
        for (std::thread& t : clients)
            t.join();
        victimClients.join();
        QCOMPARE(failures.load(), 0);
        QVERIFY(requests.load() > 0);
        for (int i : {0, 2}) {
            QCOMPARE(on(i).get(victimToken, "victim").data.value("configContent").toString(),
                     QString("saved-through-1"));
            QCOMPARE(on(i).login("busy0@example.com", kPassword).code, 0);
        }
        // Started again, it is one of them at once.
        QVERIFY2(m_instances[1]->start(m_data, options()), qPrintable(m_instances[1]->error()));
        QCOMPARE(on(1).get(tokens[0], "busy").code, 0);
    }

    void cleanupTestCase() {
        for (auto& instance : m_instances)
            QCOMPARE(instance->stop(), 0);
    }
};

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    if (PgServer::binDir().isEmpty()) {
        std::fprintf(stderr,
                     "\n*** SKIPPED: the PostgreSQL programs are not installed (Debian package "
                     "postgresql); several instances on one database were NOT tested. ***\n\n");
        return 77;
    }
    PgServer postgres;
    QString error;
    if (!postgres.start(&error)) {
        std::fprintf(stderr, "tst_cloud_instances: cannot start PostgreSQL: %s\n",
                     qPrintable(error));
        return 1;
    }
    setTestPostgres(&postgres);
    TestCloudInstances test;
    const int status = QTest::qExec(&test, argc, argv);
    setTestPostgres(nullptr);
    postgres.stop();
    return status;
}

#include "tst_cloud_instances.moc"
