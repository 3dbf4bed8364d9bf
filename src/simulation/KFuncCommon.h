#pragma once

#include <QObject>
#include <QVariantMap>

// The catalogue of assignable functions: key value -> translated name, grouped by translated
// group name. Built once at start-up, after the translator is installed.
class KFuncCommon : public QObject {
    Q_OBJECT
public:
    explicit KFuncCommon(QObject* parent = nullptr);

    // Fills the catalogue in the current language; calling it again rebuilds it.
    void buildCatalogue();

    Q_INVOKABLE QVariantMap getCommonFuncMap();
    Q_INVOKABLE QVariantMap getWheelFuncMap();
    Q_INVOKABLE QVariantMap getBleFuncMap();
    Q_INVOKABLE QString getKeyValueByName(QString funcName);
    Q_INVOKABLE QString getNameByKeyValye(QString keyValue);
    // The name to show for a key's function: as getNameByKeyValye, and for a function of the
    // table that this system does not list (53 off Windows 10, kept from another computer through
    // the account) its translated name all the same; "" for a value that is no function.
    Q_INVOKABLE QString getFunctionName(QString keyValue);

    // Whether keyValue is a function of the catalogue on this system (0 "None" included); the
    // configuration store takes no other stored value over.
    static bool isCatalogueKeyValue(int keyValue);

    static bool isWindows();
    static bool isWindows10();
    static bool isWindows7();
    // The same tests on given system strings, so that they can be checked on any system.
    static bool isWindows(const QString& productType);
    static bool isWindows10(const QString& productType, const QString& productVersion);
    static bool isWindows7(const QString& productType, const QString& productVersion);

private:
    QVariantMap commonFuncMap;
    QVariantMap wheelFuncMap;
    QVariantMap bleFuncMap;
};
