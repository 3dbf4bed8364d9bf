#include "app/KResources.h"
#include "simulation/KFuncCommon.h"

#include <QCoreApplication>
#include <QTranslator>
#include <QtTest>

namespace {

int entryCount(const QVariantMap& map) {
    int count = 0;
    for (const QVariant& group : map)
        count += group.toMap().size();
    return count;
}

}  // namespace

class TestFuncCommon : public QObject {
    Q_OBJECT
private slots:
    void initTestCase() { initPointoraResources(); }

    void englishCatalogue() {
        KFuncCommon catalogue;
        catalogue.buildCatalogue();
        const QVariantMap map = catalogue.getCommonFuncMap();
        QCOMPARE(map.keys(),
                 QStringList({"Advanced Function", "Basic function", "Media function",
                              "Mouse function", "Mouse sensitivity", "Windows function"}));
        QCOMPARE(map.value("Basic function").toMap().size(), 9);
        QCOMPARE(map.value("Media function").toMap().size(), 7);
        QCOMPARE(map.value("Mouse function").toMap().size(), 13);
        QCOMPARE(map.value("Windows function").toMap().size(), 13);  // not Windows 10 here
        QCOMPARE(map.value("Advanced Function").toMap().size(), 4);
        QCOMPARE(map.value("Mouse sensitivity").toMap().size(), 1);
        QCOMPARE(entryCount(map), 47);

        QCOMPARE(catalogue.getNameByKeyValye("0"), QString("None"));
        QCOMPARE(catalogue.getNameByKeyValye("42"), QString("Show desktop"));
        QCOMPARE(catalogue.getNameByKeyValye("101"), QString("Mouse speed adjustment"));
        QCOMPARE(catalogue.getNameByKeyValye("53"), QString());
        // Not offered here, but a stored 53 (made on Windows 10, synchronised) still counts.
        QVERIFY(KFuncCommon::isCatalogueKeyValue(53));
        QVERIFY(KFuncCommon::isCatalogueKeyValue(101));
        QVERIFY(!KFuncCommon::isCatalogueKeyValue(9));
        QVERIFY(!KFuncCommon::isCatalogueKeyValue(-1));
        // Such a key still shows the function's name; values that are no function show none.
        QCOMPARE(catalogue.getFunctionName("53"), QString("Display/hide notification"));
        QCOMPARE(catalogue.getFunctionName("42"), QString("Show desktop"));
        QCOMPARE(catalogue.getFunctionName("9"), QString());
        QCOMPARE(catalogue.getFunctionName("053"), QString());
        QCOMPARE(catalogue.getFunctionName(""), QString());
        QCOMPARE(catalogue.getNameByKeyValye("9"), QString());
        QCOMPARE(catalogue.getNameByKeyValye("07"), QString());
        QCOMPARE(catalogue.getNameByKeyValye(" 7"), QString());
        QCOMPARE(catalogue.getNameByKeyValye(""), QString());
        QCOMPARE(catalogue.getKeyValueByName("Open directory"), QString("63"));
        QCOMPARE(catalogue.getKeyValueByName("open directory"), QString());
        QCOMPARE(catalogue.getKeyValueByName("Nothing like this"), QString());

        QVERIFY(catalogue.getWheelFuncMap().isEmpty());
        QVERIFY(catalogue.getBleFuncMap().isEmpty());
    }

    void everyKeyValueRoundTrips() {
        KFuncCommon catalogue;
        catalogue.buildCatalogue();
        const QVariantMap map = catalogue.getCommonFuncMap();
        for (const QVariant& group : map) {
            const QVariantMap inner = group.toMap();
            for (auto it = inner.cbegin(); it != inner.cend(); ++it) {
                QCOMPARE(catalogue.getNameByKeyValye(it.key()), it.value().toString());
                QCOMPARE(catalogue.getKeyValueByName(it.value().toString()), it.key());
            }
        }
    }

    void chineseCatalogue() {
        QTranslator translator;
        QVERIFY(translator.load(":/language_zh.qm"));
        QCoreApplication::installTranslator(&translator);
        KFuncCommon catalogue;
        catalogue.buildCatalogue();
        QCoreApplication::removeTranslator(&translator);

        const QVariantMap map = catalogue.getCommonFuncMap();
        QCOMPARE(map.size(), 6);
        for (const char* group :
             {"基本功能", "媒体功能", "鼠标功能", "Windows功能", "高级功能", "灵敏度调节"})
            QVERIFY2(map.contains(QString::fromUtf8(group)), group);
        QCOMPARE(entryCount(map), 47);
        QCOMPARE(catalogue.getNameByKeyValye("23"), QString("三击"));
        QCOMPARE(catalogue.getKeyValueByName("三击"), QString("23"));
        QCOMPARE(catalogue.getKeyValueByName("Triple click"), QString());
        QCOMPARE(catalogue.getNameByKeyValye("101"), QString("灵敏度速度调节"));
        QCOMPARE(catalogue.getNameByKeyValye("10"), QString("暂停/播放"));
        // Every name is translated: none of the English source names is left.
        for (const QVariant& group : map)
            for (const QVariant& name : group.toMap())
                QVERIFY2(name.toString().contains(QRegularExpression("[\\x{4e00}-\\x{9fff}]")),
                         qPrintable(name.toString()));
    }

    void englishTranslationFileKeepsSourceTexts() {
        QTranslator translator;
        QVERIFY(translator.load(":/language_en.qm"));
        QCoreApplication::installTranslator(&translator);
        KFuncCommon catalogue;
        catalogue.buildCatalogue();
        QCoreApplication::removeTranslator(&translator);
        QCOMPARE(catalogue.getNameByKeyValye("61"), QString("Launch program"));
        QVERIFY(catalogue.getCommonFuncMap().contains("Advanced Function"));
    }

    void operatingSystemTests() {
        QVERIFY(KFuncCommon::isWindows("windows"));
        QVERIFY(!KFuncCommon::isWindows("Windows"));  // case-sensitive
        QVERIFY(!KFuncCommon::isWindows("debian"));
        QVERIFY(KFuncCommon::isWindows10("windows", "10"));
        QVERIFY(KFuncCommon::isWindows10("windows", "2010"));  // a substring test
        QVERIFY(!KFuncCommon::isWindows10("debian", "10"));
        QVERIFY(!KFuncCommon::isWindows10("windows", "11"));
        QVERIFY(KFuncCommon::isWindows7("windows", "7sp1"));
        QVERIFY(!KFuncCommon::isWindows7("windows", "8.1"));
#ifndef Q_OS_WIN
        QVERIFY(!KFuncCommon::isWindows());
        QVERIFY(!KFuncCommon::isWindows10());
        QVERIFY(!KFuncCommon::isWindows7());
#endif
    }
};

QTEST_GUILESS_MAIN(TestFuncCommon)
#include "tst_funccommon.moc"
