#include "config/KConfigCommon.h"

#include <QCoreApplication>
#include <QFileInfo>
#include <QSettings>
#include <QStandardPaths>

namespace {
const char* const kFilePathGroup = "FilePath";
}

KConfigCommon* KConfigCommon::instance() {
    // Thread-safe one-time construction; lives until process end.
    static KConfigCommon* store = new KConfigCommon(defaultConfigDir());
    return store;
}

QString KConfigCommon::defaultConfigDir() {
    return QStandardPaths::writableLocation(QStandardPaths::AppConfigLocation) + "/config";
}

KConfigCommon::KConfigCommon(const QString& configDir, QObject* parent)
    : QObject(parent),
      m_appConfigPath(configDir + "/AppConfig.ini"),
      m_deviceFunctionPath(configDir + "/DeviceFunction.ini") {
    const bool appExisted = QFileInfo::exists(m_appConfigPath);
    appSettings = new QSettings(m_appConfigPath, QSettings::IniFormat, this);
    if (!appExisted) {
        appSettings->setValue("/language", "zh");
        appSettings->setValue("/brightness", 128);
        appSettings->sync();
    }

    const bool functionExisted = QFileInfo::exists(m_deviceFunctionPath);
    functionSettings = new QSettings(m_deviceFunctionPath, QSettings::IniFormat, this);
    if (!functionExisted) {
        functionSettings->setValue("/MouseKeyNumber", 5);
        for (int keyType : keyTypes()) {
            functionSettings->setValue(keyTypeName(keyType), 0);
            emit sigKeyValueChange(keyType, 0);
        }
        functionSettings->sync();
    }
}

KConfigCommon::~KConfigCommon() = default;

const QList<int>& KConfigCommon::keyTypes() {
    static const QList<int> types = {1,  2,  3,  4,  5,  6,  7,  8,  9,  16, 17,
                                     18, 19, 20, 21, 22, 23, 24, 25, 26, 27};
    return types;
}

QString KConfigCommon::keyTypeName(int keyType) {
    switch (keyType) {
        case 1:
            return QStringLiteral("LeftKey");
        case 2:
            return QStringLiteral("RightKey");
        case 3:
            return QStringLiteral("MiddleKey");
        case 4:
            return QStringLiteral("WheelUpKey");
        case 5:
            return QStringLiteral("WheelDownKey");
        case 6:
            return QStringLiteral("SideWheelUpKey");
        case 7:
            return QStringLiteral("SideWheelDownKey");
        case 8:
            return QStringLiteral("ForwardKey");
        case 9:
            return QStringLiteral("BackKey");
        case 16:
            return QStringLiteral("Key_Back");
        case 17:
            return QStringLiteral("Key_Forward");
        case 18:
            return QStringLiteral("Key_Home");
        case 19:
            return QStringLiteral("Key_Mail");
        case 20:
            return QStringLiteral("Key_Music");
        case 21:
            return QStringLiteral("Key_PlayPause");
        case 22:
            return QStringLiteral("KeyStop");
        case 23:
            return QStringLiteral("Key_PrevTrack");
        case 24:
            return QStringLiteral("Key_NextTrack");
        case 25:
            return QStringLiteral("Key_VolumeDown");
        case 26:
            return QStringLiteral("Key_VolumeUp");
        case 27:
            return QStringLiteral("Key_Mute");
        default:
            return QString();
    }
}

QString KConfigCommon::fileTypeName(int fileType) {
    switch (fileType) {
        case 1:
            return QStringLiteral("Sound");
        case 2:
            return QStringLiteral("Program");
        case 3:
            return QStringLiteral("File");
        case 4:
            return QStringLiteral("Folder");
        default:
            return QString();
    }
}

QString KConfigCommon::pathKey(int keyType, int fileType) {
    return keyTypeName(keyType) + "_" + fileTypeName(fileType);
}

QString KConfigCommon::appString(const char* key) {
    return appSettings->value(QLatin1String(key)).toString();
}

void KConfigCommon::writeApp(const QString& key, const QVariant& value) {
    appSettings->setValue(key, value);
    appSettings->sync();
}

void KConfigCommon::writeFunction(const QString& key, const QVariant& value) {
    // An empty key (a key type without a name) is refused by the settings facility: nothing stored.
    if (key.isEmpty())
        return;
    functionSettings->setValue(key, value);
    functionSettings->sync();
}

QString KConfigCommon::getAppVersion() {
    return QCoreApplication::applicationVersion();
}

bool KConfigCommon::setCurentKeyType(int keyType) {
    currentKeyType = keyType;
    return true;
}

int KConfigCommon::getCurentKeyType() {
    return currentKeyType;
}

bool KConfigCommon::isLogin() {
    if (appString("/nickname").isEmpty())
        return false;
    return !appString("/token").isEmpty();
}

bool KConfigCommon::clearUserInfo() {
    appSettings->remove("/nickname");
    appSettings->remove("/email");
    appSettings->remove("/token");
    appSettings->sync();
    return true;
}

bool KConfigCommon::setLanguage(QString language) {
    writeApp("/language", language);
    return true;
}

bool KConfigCommon::setAutoRun(bool flag) {
    writeApp("/autorun", flag);
    return true;
}

bool KConfigCommon::setBrightness(int brightness) {
    writeApp("/brightness", brightness);
    return true;
}

QString KConfigCommon::getGACid() {
    return appString("/gacid");
}
QString KConfigCommon::getGAUid() {
    return appString("/gauid");
}
QString KConfigCommon::getToken() {
    return appString("/token");
}
QString KConfigCommon::getEmail() {
    return appString("/email");
}
QString KConfigCommon::getNickName() {
    return appString("/nickname");
}
QString KConfigCommon::getLanguage() {
    return appString("/language");
}

bool KConfigCommon::getAutoRun() {
    return appSettings->value("/autorun", false).toBool();
}

int KConfigCommon::getBrightness() {
    return appSettings->value("/brightness", 0).toInt();
}

bool KConfigCommon::resetFunctionConfig() {
    functionSettings->setValue("/MouseKeyNumber", 5);
    for (int keyType : keyTypes())
        functionSettings->setValue(keyTypeName(keyType), 0);
    functionSettings->beginGroup(kFilePathGroup);
    functionSettings->remove(QString());  // every key of the current group
    functionSettings->endGroup();
    functionSettings->sync();
    emit sigKeyValueChange(-1, 0);
    return true;
}

bool KConfigCommon::setMouseKeyNumber(int number) {
    writeFunction("/MouseKeyNumber", number);
    return true;
}

bool KConfigCommon::setKeyValueWithKeyType(int keyType, int value, bool broadcast) {
    writeFunction(keyTypeName(keyType), value);
    if (broadcast)
        emit sigKeyValueChange(keyType, value);
    return true;
}

bool KConfigCommon::setPathByKeyType(int keyType, int fileType, QString path, bool broadcast) {
    const QString key = pathKey(keyType, fileType);
    // A key type without a name would give a key starting with "_" that nothing ever reads.
    if (!keyTypeName(keyType).isEmpty()) {
        functionSettings->beginGroup(kFilePathGroup);
        functionSettings->setValue(key, path);
        functionSettings->endGroup();
        functionSettings->sync();
    }
    if (broadcast)
        emit sigPathValueChange(keyType, fileType, path);
    return true;
}

int KConfigCommon::getMouseKeyNumber() {
    return functionSettings->value("/MouseKeyNumber", 0).toInt();
}

int KConfigCommon::getValueByKeyType(int keyType) {
    const QString name = keyTypeName(keyType);
    if (name.isEmpty())
        return 0;
    return functionSettings->value(name, 0).toInt();  // toInt gives 0 for a non-number
}

QString KConfigCommon::getPathByKeyType(int keyType, int fileType) {
    functionSettings->beginGroup(kFilePathGroup);
    const QString key = pathKey(keyType, fileType);
    const QString path =
        functionSettings->contains(key) ? functionSettings->value(key).toString() : QString();
    functionSettings->endGroup();
    return path;
}

QMap<int, int> KConfigCommon::getKeyValueMap() {
    QMap<int, int> map;
    for (int keyType : keyTypes())
        map.insert(keyType, getValueByKeyType(keyType));
    return map;
}

bool KConfigCommon::setNickName(const QString& nickName) {
    writeApp("/nickname", nickName);
    return true;
}

bool KConfigCommon::setToken(const QString& token) {
    writeApp("/token", token);
    return true;
}
