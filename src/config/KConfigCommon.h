#pragma once

#include <QMap>
#include <QObject>
#include <QString>

class QSettings;

// The program's persistent settings: "AppConfig.ini" (application and account values) and
// "DeviceFunction.ini" (which function is assigned to which button, and the paths some functions
// need). Every setter writes through to disk at once, so that an assignment survives the forced
// end of the process when the program restarts itself.
class KConfigCommon : public QObject {
    Q_OBJECT
public:
    static KConfigCommon* instance();

    // Opens (creating with defaults) the two files under configDir. The process-wide store uses
    // the per-user application configuration location; tests pass their own directory.
    explicit KConfigCommon(const QString& configDir, QObject* parent = nullptr);
    ~KConfigCommon() override;

    static QString keyTypeName(int keyType);
    static QString fileTypeName(int fileType);
    // The key types that have a name: 1 to 9 (mouse), then 16 to 27 (keyboard).
    static const QList<int>& keyTypes();
    static QString defaultConfigDir();

    QString appConfigPath() const { return m_appConfigPath; }
    QString deviceFunctionPath() const { return m_deviceFunctionPath; }

    Q_INVOKABLE QString getAppVersion();
    Q_INVOKABLE bool setCurentKeyType(int keyType);
    Q_INVOKABLE int getCurentKeyType();
    Q_INVOKABLE bool isLogin();
    Q_INVOKABLE bool clearUserInfo();
    Q_INVOKABLE bool setLanguage(QString language);
    Q_INVOKABLE bool setAutoRun(bool flag);
    Q_INVOKABLE bool setBrightness(int brightness = 128);
    Q_INVOKABLE QString getGACid();
    Q_INVOKABLE QString getGAUid();
    Q_INVOKABLE QString getToken();
    Q_INVOKABLE QString getEmail();
    Q_INVOKABLE QString getNickName();
    Q_INVOKABLE QString getLanguage();
    Q_INVOKABLE bool getAutoRun();
    Q_INVOKABLE int getBrightness();
    Q_INVOKABLE bool resetFunctionConfig();
    Q_INVOKABLE bool setMouseKeyNumber(int number);
    Q_INVOKABLE bool setKeyValueWithKeyType(int keyType, int value, bool broadcast = true);
    Q_INVOKABLE bool setPathByKeyType(int keyType, int fileType, QString path,
                                      bool broadcast = true);
    Q_INVOKABLE int getMouseKeyNumber();
    Q_INVOKABLE int getValueByKeyType(int keyType);
    Q_INVOKABLE QString getPathByKeyType(int keyType, int fileType);

    // Key type -> key value for all 21 named key types (0 where missing or not a number).
    QMap<int, int> getKeyValueMap();
    bool setNickName(const QString& nickName);
    bool setToken(const QString& token);

signals:
    void sigKeyValueChange(int keyType, int value);
    void sigPathValueChange(int keyType, int fileType, QString path);

private:
    QString appString(const char* key);
    void writeApp(const QString& key, const QVariant& value);
    void writeFunction(const QString& key, const QVariant& value);
    static QString pathKey(int keyType, int fileType);

    QSettings* appSettings = nullptr;
    QSettings* functionSettings = nullptr;
    QString m_appConfigPath;
    QString m_deviceFunctionPath;
    int currentKeyType = 0;
};
