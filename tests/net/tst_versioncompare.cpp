// The update offer's version rule: only a well-formed dotted version newer than the program's own
// is offered.

#include "net/KUpdater.h"

#include <QtTest>

class TestVersionCompare : public QObject {
    Q_OBJECT
private slots:
    void isNewerVersion_data() {
        QTest::addColumn<QString>("offered");
        QTest::addColumn<QString>("own");
        QTest::addColumn<bool>("newer");
        QTest::newRow("newer patch") << "1.0.3"
                                     << "1.0.2" << true;
        QTest::newRow("newer minor") << "1.1"
                                     << "1.0.2" << true;
        QTest::newRow("newer major") << "2.0.0"
                                     << "1.9.9" << true;
        QTest::newRow("numeric, not textual") << "1.0.10"
                                              << "1.0.9" << true;
        QTest::newRow("extra component") << "1.0.2.1"
                                         << "1.0.2" << true;
        QTest::newRow("leading zeros") << "1.0.03"
                                       << "1.0.2" << true;
        QTest::newRow("longer than any integer") << "1.0.99999999999999999999999"
                                                 << "1.0.2" << true;
        QTest::newRow("equal") << "1.0.2"
                               << "1.0.2" << false;
        QTest::newRow("equal with trailing zero") << "1.0.2.0"
                                                  << "1.0.2" << false;
        QTest::newRow("equal with leading zeros") << "01.00.002"
                                                  << "1.0.2" << false;
        QTest::newRow("older") << "1.0.1"
                               << "1.0.2" << false;
        QTest::newRow("older, textually larger") << "1.0.10"
                                                 << "1.0.11" << false;
        QTest::newRow("older major") << "0.9"
                                     << "1.0.2" << false;
        QTest::newRow("empty") << ""
                               << "1.0.2" << false;
        QTest::newRow("spaces") << " 1.0.3"
                                << "1.0.2" << false;
        QTest::newRow("trailing line feed") << "1.0.3\n"
                                            << "1.0.2" << false;
        QTest::newRow("prefix letter") << "v1.0.3"
                                       << "1.0.2" << false;
        QTest::newRow("suffix") << "1.0.3-beta"
                                << "1.0.2" << false;
        QTest::newRow("empty component") << "1..3"
                                         << "1.0.2" << false;
        QTest::newRow("trailing dot") << "1.0.3."
                                      << "1.0.2" << false;
        QTest::newRow("non-ASCII digits") << QString::fromUtf8("١.٠.٣") << "1.0.2" << false;
        QTest::newRow("own version malformed") << "1.0.3"
                                               << "" << false;
    }

    void isNewerVersion() {
        QFETCH(QString, offered);
        QFETCH(QString, own);
        QFETCH(bool, newer);
        KUpdater updater;
        QCOMPARE(updater.isNewerVersion(offered, own), newer);
    }
};

QTEST_GUILESS_MAIN(TestVersionCompare)
#include "tst_versioncompare.moc"
