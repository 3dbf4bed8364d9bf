#include "device/KAccessStatus.h"
#include "platform/linux/KLinuxAccessCheck.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QtTest>

#include <fcntl.h>

#include <cerrno>

// The Linux access check against a made-up system: the device nodes udev would list, an open()
// that refuses what the case says, and rule folders in a temporary directory. No real /dev node
// is ever opened: the probe fails the test for any path it was not told about.
class TestAccessCheck : public QObject {
    Q_OBJECT

    using What = KAccessCheck::What;
    using Node = KLinuxAccessCheck::Node;

    static QList<Node> receiverAndBle() {
        return {{"/dev/hidraw0", What::Receiver, false},
                {"/dev/hidraw1", What::Receiver, false},
                {"/dev/input/event4", What::Receiver, true},
                {"/dev/input/event5", What::Receiver, true},
                {"/dev/hidraw3", What::BleMouse, false},
                {"/dev/input/event9", What::BleMouse, true},
                {"/dev/hidraw4", What::BleKeyboard, false},
                {"/dev/input/event10", What::BleKeyboard, true}};
    }

private slots:
    void identities_data() {
        QTest::addColumn<int>("bus");
        QTest::addColumn<int>("vendor");
        QTest::addColumn<int>("product");
        QTest::addColumn<QString>("expected");  // "" = not one of ours
        QTest::newRow("receiver 2013") << 0x03 << 0x24AE << 0x2013 << "receiver";
        QTest::newRow("any receiver product") << 0x03 << 0x24AE << 0x7777 << "receiver";
        QTest::newRow("vendor on bluetooth") << 0x05 << 0x24AE << 0x2013 << "";
        QTest::newRow("ble mouse 8266") << 0x05 << 0x248A << 0x8266 << "ble-mouse";
        QTest::newRow("ble mouse aa22") << 0x05 << 0x1235 << 0xAA22 << "ble-mouse";
        QTest::newRow("ble keyboard") << 0x05 << 0x000E << 0x3412 << "ble-keyboard";
        QTest::newRow("ble ids on usb") << 0x03 << 0x248A << 0x8266 << "";
        QTest::newRow("foreign mouse") << 0x03 << 0x046D << 0xC077 << "";
    }
    void identities() {
        QFETCH(int, bus);
        QFETCH(int, vendor);
        QFETCH(int, product);
        QFETCH(QString, expected);
        What what = What::Rule;
        const bool ours =
            KLinuxAccessCheck::classify(quint16(bus), quint16(vendor), quint16(product), &what);
        QCOMPARE(ours ? KAccessCheck::nameOf(what) : QString(), expected);
    }

    // Which nodes are refused, which rule folder holds the rule: what is reported missing and
    // which fix is offered.
    void cases_data() {
        QTest::addColumn<QStringList>("refused");  // paths whose open fails with EACCES
        QTest::addColumn<QString>("ruleIn");       // folder (of etc, run, usr, lib, prefix) or ""
        QTest::addColumn<QStringList>("missing");
        QTest::addColumn<QStringList>("missingNodes");  // of every item but the rule, in order
        QTest::addColumn<QString>("fixHas");
        QTest::addColumn<QString>("fixLacks");

        const QString install = "sudo cp packaging/udev/70-pointora.rules /etc/udev/rules.d/";
        QTest::newRow("all fine, rule in /etc")
            << QStringList() << "etc" << QStringList() << QStringList() << ""
            << "";
        QTest::newRow("all fine, rule in /run")
            << QStringList() << "run" << QStringList() << QStringList() << ""
            << "";
        QTest::newRow("all fine, rule in /usr/lib")
            << QStringList() << "usr" << QStringList() << QStringList() << ""
            << "";
        QTest::newRow("all fine, rule in /lib")
            << QStringList() << "lib" << QStringList() << QStringList() << ""
            << "";
        QTest::newRow("all fine, rule under the prefix")
            << QStringList() << "prefix" << QStringList() << QStringList() << ""
            << "";
        QTest::newRow("no rule, nodes open (a group grants them)")
            << QStringList() << "" << QStringList{"rule"} << QStringList() << install << "getfacl";
        QTest::newRow("no rule, everything refused")
            << QStringList{"/dev/uinput",       "/dev/hidraw0",      "/dev/hidraw1",
                           "/dev/input/event4", "/dev/input/event5", "/dev/hidraw3",
                           "/dev/input/event9", "/dev/hidraw4",      "/dev/input/event10"}
            << "" << QStringList{"uinput", "receiver", "ble-mouse", "ble-keyboard", "rule"}
            << QStringList{"/dev/uinput",       "/dev/hidraw0",      "/dev/hidraw1",
                           "/dev/input/event4", "/dev/input/event5", "/dev/hidraw3",
                           "/dev/input/event9", "/dev/hidraw4",      "/dev/input/event10"}
            << install << "getfacl";
        QTest::newRow("rule installed, uinput refused")
            << QStringList{"/dev/uinput"} << "etc" << QStringList{"uinput"}
            << QStringList{"/dev/uinput"} << "Log out and in again"
            << "sudo cp";
        QTest::newRow("rule installed, receiver's hidraw refused")
            << QStringList{"/dev/hidraw1"} << "usr" << QStringList{"receiver"}
            << QStringList{"/dev/hidraw1"} << "getfacl /dev/hidraw1"
            << "Log out";
        QTest::newRow("rule installed, receiver's event node refused")
            << QStringList{"/dev/input/event5"} << "lib" << QStringList{"receiver"}
            << QStringList{"/dev/input/event5"} << "Unplug the receiver"
            << "sudo cp";
        QTest::newRow("rule installed, Bluetooth keyboard refused")
            << QStringList{"/dev/input/event10"} << "etc" << QStringList{"ble-keyboard"}
            << QStringList{"/dev/input/event10"} << "getfacl /dev/input/event10"
            << "uinput";
        QTest::newRow("rule installed, Bluetooth mouse and uinput refused")
            << QStringList{"/dev/uinput", "/dev/hidraw3"} << "run"
            << QStringList{"uinput", "ble-mouse"} << QStringList{"/dev/uinput", "/dev/hidraw3"}
            << "getfacl /dev/uinput /dev/hidraw3"
            << "sudo cp";
    }
    void cases() {
        QFETCH(QStringList, refused);
        QFETCH(QString, ruleIn);
        QFETCH(QStringList, missing);
        QFETCH(QStringList, missingNodes);
        QFETCH(QString, fixHas);
        QFETCH(QString, fixLacks);

        QTemporaryDir root;
        QVERIFY(root.isValid());
        const QMap<QString, QString> dirs = {{"etc", root.filePath("etc/udev/rules.d")},
                                             {"run", root.filePath("run/udev/rules.d")},
                                             {"usr", root.filePath("usr/lib/udev/rules.d")},
                                             {"lib", root.filePath("lib/udev/rules.d")},
                                             {"prefix", root.filePath("opt/p/lib/udev/rules.d")}};
        for (const QString& dir : dirs) {
            QVERIFY(QDir().mkpath(dir));
            // Other rules, and a folder of the rule's name, do not count.
            QFile other(dir + "/60-other.rules");
            QVERIFY(other.open(QIODevice::WriteOnly));
        }
        if (ruleIn != "run")
            QVERIFY(QDir().mkpath(dirs["run"] + "/70-pointora.rules"));
        if (!ruleIn.isEmpty()) {
            QFile rule(dirs[ruleIn] + "/70-pointora.rules");
            QVERIFY(rule.open(QIODevice::WriteOnly));
        }

        QStringList probed;
        QList<int> flagsSeen;
        KLinuxAccessCheck::Options options;
        options.nodes = &receiverAndBle;
        options.ruleDirs = dirs.values();
        options.probe = [&](const QByteArray& path, int flags) {
            probed << QString::fromUtf8(path);
            flagsSeen << flags;
            return refused.contains(QString::fromUtf8(path)) ? EACCES : 0;
        };
        KLinuxAccessCheck check(options);
        const KAccessCheck::Result result = check.check();

        // Every node is probed, with the access the program needs: uinput and hidraw read and
        // write, event nodes read.
        QCOMPARE(probed.size(), 1 + receiverAndBle().size());
        QCOMPARE(probed.first(), QString("/dev/uinput"));
        for (int i = 0; i < probed.size(); ++i) {
            const bool event = probed[i].startsWith("/dev/input/");
            QCOMPARE(flagsSeen[i] & O_ACCMODE, event ? O_RDONLY : O_RDWR);
        }

        QCOMPARE(result.names(), missing);
        QStringList nodes;
        for (const KAccessCheck::Item& item : result.items)
            if (item.what != What::Rule)
                nodes << item.nodes;
        QCOMPARE(nodes, missingNodes);

        const QString notice = KAccessStatus::noticeTextFor(result);
        const QString fix = KAccessStatus::fixTextFor(result);
        QCOMPARE(notice.isEmpty(), missing.isEmpty());
        QCOMPARE(fix.isEmpty(), missing.isEmpty());
        QCOMPARE(notice.isEmpty() ? 0 : notice.count('\n') + 1, missing.size());
        if (!missing.contains("rule"))
            for (const QString& node : missingNodes)
                QVERIFY2(fix.contains(node), qPrintable(fix));
        if (missing.contains("uinput"))
            QVERIFY2(notice.contains("/dev/uinput"), qPrintable(notice));
        if (missing.contains("rule"))
            QVERIFY2(notice.contains("70-pointora.rules"), qPrintable(notice));
        if (!fixHas.isEmpty())
            QVERIFY2(fix.contains(fixHas), qPrintable(fix));
        if (!fixLacks.isEmpty())
            QVERIFY2(!fix.contains(fixLacks), qPrintable(fix));
        if (missing.contains("rule"))
            QVERIFY2(fix.contains("sudo udevadm control --reload-rules && sudo udevadm trigger") &&
                         fix.contains("Debian"),
                     qPrintable(fix));
    }

    // Without the uinput module there is no node: the fix says to load it.
    void uinputModuleMissing() {
        QTemporaryDir root;
        QDir().mkpath(root.filePath("rules"));
        QFile rule(root.filePath("rules/70-pointora.rules"));
        QVERIFY(rule.open(QIODevice::WriteOnly));
        KLinuxAccessCheck::Options options;
        options.nodes = [] { return QList<Node>{{"/dev/hidraw0", What::Receiver, false}}; };
        options.ruleDirs = QStringList{root.filePath("rules")};
        options.probe = [](const QByteArray& path, int) {
            return path == "/dev/uinput" ? ENOENT : 0;
        };
        const KAccessCheck::Result result = KLinuxAccessCheck(options).check();
        QCOMPARE(result.names(), QStringList{"uinput"});
        QVERIFY(KAccessStatus::fixTextFor(result).contains("sudo modprobe uinput"));
    }

    // A node that vanished between the listing and the open is not reported.
    void vanishedNodeIsNotMissing() {
        QTemporaryDir root;
        QDir().mkpath(root.filePath("rules"));
        QFile rule(root.filePath("rules/70-pointora.rules"));
        QVERIFY(rule.open(QIODevice::WriteOnly));
        KLinuxAccessCheck::Options options;
        options.nodes = [] { return QList<Node>{{"/dev/hidraw0", What::Receiver, false}}; };
        options.ruleDirs = QStringList{root.filePath("rules")};
        options.probe = [](const QByteArray& path, int) {
            return path == "/dev/hidraw0" ? ENOENT : 0;
        };
        QVERIFY(KLinuxAccessCheck(options).check().ok());
    }

    // The standard folders are searched, and the install prefix's when it is another one.
    void standardFolders() {
        const QStringList dirs = KLinuxAccessCheck::standardRuleDirs();
        for (const char* dir : {"/etc/udev/rules.d", "/run/udev/rules.d", "/usr/lib/udev/rules.d",
                                "/lib/udev/rules.d"})
            QVERIFY2(dirs.contains(dir), dir);
        QVERIFY(dirs.contains(QDir::cleanPath(POINTORA_TEST_RULES_DIR)));
    }
};

QTEST_MAIN(TestAccessCheck)
#include "tst_accesscheck.moc"
