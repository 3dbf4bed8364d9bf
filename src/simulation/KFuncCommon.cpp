#include "simulation/KFuncCommon.h"

#include <QSysInfo>

namespace {

struct FuncEntry {
    int keyValue;
    const char* name;
};

struct FuncGroup {
    const char* name;
    std::initializer_list<FuncEntry> entries;
};

// Key value 53 is listed only on Windows 10 (see buildCatalogue).
constexpr int kNotificationKeyValue = 53;

const FuncGroup kGroups[] = {
    {QT_TRANSLATE_NOOP("KFuncCommon", "Basic function"),
     {{0, QT_TRANSLATE_NOOP("KFuncCommon", "None")},
      {1, QT_TRANSLATE_NOOP("KFuncCommon", "Cut")},
      {2, QT_TRANSLATE_NOOP("KFuncCommon", "Copy")},
      {3, QT_TRANSLATE_NOOP("KFuncCommon", "Paste")},
      {4, QT_TRANSLATE_NOOP("KFuncCommon", "Find")},
      {5, QT_TRANSLATE_NOOP("KFuncCommon", "Select All")},
      {6, QT_TRANSLATE_NOOP("KFuncCommon", "New")},
      {7, QT_TRANSLATE_NOOP("KFuncCommon", "Print")},
      {8, QT_TRANSLATE_NOOP("KFuncCommon", "Save")}}},
    {QT_TRANSLATE_NOOP("KFuncCommon", "Media function"),
     {{10, QT_TRANSLATE_NOOP("KFuncCommon", "Pause/Play")},
      {11, QT_TRANSLATE_NOOP("KFuncCommon", "Volume up")},
      {12, QT_TRANSLATE_NOOP("KFuncCommon", "Volume down")},
      {13, QT_TRANSLATE_NOOP("KFuncCommon", "Increase brightness")},
      {14, QT_TRANSLATE_NOOP("KFuncCommon", "Decrease brightness")},
      {15, QT_TRANSLATE_NOOP("KFuncCommon", "Mute")},
      {16, QT_TRANSLATE_NOOP("KFuncCommon", "Stop")}}},
    {QT_TRANSLATE_NOOP("KFuncCommon", "Mouse function"),
     {{21, QT_TRANSLATE_NOOP("KFuncCommon", "Click")},
      {22, QT_TRANSLATE_NOOP("KFuncCommon", "Double click")},
      {23, QT_TRANSLATE_NOOP("KFuncCommon", "Triple click")},
      {24, QT_TRANSLATE_NOOP("KFuncCommon", "Right click")},
      {25, QT_TRANSLATE_NOOP("KFuncCommon", "Right double click")},
      {26, QT_TRANSLATE_NOOP("KFuncCommon", "Menu")},
      {27, QT_TRANSLATE_NOOP("KFuncCommon", "Middle button")},
      {28, QT_TRANSLATE_NOOP("KFuncCommon", "Forward")},
      {29, QT_TRANSLATE_NOOP("KFuncCommon", "Back")},
      {30, QT_TRANSLATE_NOOP("KFuncCommon", "Scroll up")},
      {31, QT_TRANSLATE_NOOP("KFuncCommon", "Scroll down")},
      {32, QT_TRANSLATE_NOOP("KFuncCommon", "Scroll left")},
      {33, QT_TRANSLATE_NOOP("KFuncCommon", "Scroll right")}}},
    {QT_TRANSLATE_NOOP("KFuncCommon", "Windows function"),
     {{40, QT_TRANSLATE_NOOP("KFuncCommon", "Close window")},
      {41, QT_TRANSLATE_NOOP("KFuncCommon", "Lock the computer")},
      {42, QT_TRANSLATE_NOOP("KFuncCommon", "Show desktop")},
      {43, QT_TRANSLATE_NOOP("KFuncCommon", "Start screen")},
      {44, QT_TRANSLATE_NOOP("KFuncCommon", "Run")},
      {45, QT_TRANSLATE_NOOP("KFuncCommon", "Zoom")},
      {46, QT_TRANSLATE_NOOP("KFuncCommon", "Zoom in")},
      {47, QT_TRANSLATE_NOOP("KFuncCommon", "Zoom out")},
      {48, QT_TRANSLATE_NOOP("KFuncCommon", "Maximize")},
      {49, QT_TRANSLATE_NOOP("KFuncCommon", "Minimize")},
      {50, QT_TRANSLATE_NOOP("KFuncCommon", "Previous tab")},
      {51, QT_TRANSLATE_NOOP("KFuncCommon", "Next tab")},
      {52, QT_TRANSLATE_NOOP("KFuncCommon", "Switch applications")},
      {kNotificationKeyValue, QT_TRANSLATE_NOOP("KFuncCommon", "Display/hide notification")}}},
    {QT_TRANSLATE_NOOP("KFuncCommon", "Advanced Function"),
     {{60, QT_TRANSLATE_NOOP("KFuncCommon", "Play sound")},
      {61, QT_TRANSLATE_NOOP("KFuncCommon", "Launch program")},
      {62, QT_TRANSLATE_NOOP("KFuncCommon", "Open file")},
      {63, QT_TRANSLATE_NOOP("KFuncCommon", "Open directory")}}},
    {QT_TRANSLATE_NOOP("KFuncCommon", "Mouse sensitivity"),
     {{101, QT_TRANSLATE_NOOP("KFuncCommon", "Mouse speed adjustment")}}},
};

}  // namespace

KFuncCommon::KFuncCommon(QObject* parent) : QObject(parent) {}

void KFuncCommon::buildCatalogue() {
    const bool withNotification = isWindows10();
    for (const FuncGroup& group : kGroups) {
        QVariantMap inner;
        for (const FuncEntry& entry : group.entries) {
            if (entry.keyValue == kNotificationKeyValue && !withNotification)
                continue;
            inner.insert(QString::number(entry.keyValue), tr(entry.name));
        }
        commonFuncMap.insert(tr(group.name), inner);
    }
}

bool KFuncCommon::isCatalogueKeyValue(int keyValue) {
    // Every function of the table counts, including the one listed only on Windows 10: an
    // assignment made there and synchronised through the account still works here.
    for (const FuncGroup& group : kGroups)
        for (const FuncEntry& entry : group.entries)
            if (entry.keyValue == keyValue)
                return true;
    return false;
}

QVariantMap KFuncCommon::getCommonFuncMap() {
    return commonFuncMap;
}
QVariantMap KFuncCommon::getWheelFuncMap() {
    return wheelFuncMap;
}
QVariantMap KFuncCommon::getBleFuncMap() {
    return bleFuncMap;
}

QString KFuncCommon::getKeyValueByName(QString funcName) {
    for (auto group = commonFuncMap.cbegin(); group != commonFuncMap.cend(); ++group) {
        const QVariantMap inner = group.value().toMap();
        for (auto entry = inner.cbegin(); entry != inner.cend(); ++entry) {
            if (entry.value().toString() == funcName)
                return entry.key();
        }
    }
    return QString();
}

QString KFuncCommon::getNameByKeyValye(QString keyValue) {
    for (auto group = commonFuncMap.cbegin(); group != commonFuncMap.cend(); ++group) {
        const QVariantMap inner = group.value().toMap();
        const auto found = inner.constFind(keyValue);
        if (found != inner.cend())
            return found.value().toString();
    }
    return QString();
}

QString KFuncCommon::getFunctionName(QString keyValue) {
    const QString listed = getNameByKeyValye(keyValue);
    if (!listed.isEmpty())
        return listed;
    for (const FuncGroup& group : kGroups)
        for (const FuncEntry& entry : group.entries)
            if (QString::number(entry.keyValue) == keyValue)
                return tr(entry.name);
    return QString();
}

bool KFuncCommon::isWindows(const QString& productType) {
    return productType.contains(QLatin1String("windows"));
}

bool KFuncCommon::isWindows10(const QString& productType, const QString& productVersion) {
    return isWindows(productType) && productVersion.contains(QLatin1String("10"));
}

bool KFuncCommon::isWindows7(const QString& productType, const QString& productVersion) {
    return isWindows(productType) && productVersion.contains(QLatin1String("7"));
}

bool KFuncCommon::isWindows() {
    return isWindows(QSysInfo::productType());
}

bool KFuncCommon::isWindows10() {
    return isWindows10(QSysInfo::productType(), QSysInfo::productVersion());
}

bool KFuncCommon::isWindows7() {
    return isWindows7(QSysInfo::productType(), QSysInfo::productVersion());
}
