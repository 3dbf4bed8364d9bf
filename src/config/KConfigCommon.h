#pragma once

#include <QHash>
#include <QMap>
#include <QObject>
#include <QSet>
#include <QString>
#include <QVariant>

#include <functional>

class QLocale;
class QSettings;

// The program's persistent settings: "AppConfig.ini" (application and account values) and
// "DeviceFunction.ini" (which function is assigned to which button, and the paths some functions
// need). Every setter writes through to disk at once, so that an assignment survives the forced
// end of the process when the program restarts itself.
//
// Nothing the user chose is lost or silently left unsaved: both files are private to the user
// (mode 0600); a file that is not INI at all is kept aside as "<name>.broken" before defaults
// replace it; a write that fails keeps every value in memory, logs the file and the reason and
// raises one notice per distinct failure (sigSaveFailed), cleared by the next successful write.
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
    // The interface language for a system locale, used until the user chooses one: "zh" for
    // any Chinese locale, "en" for every other.
    static QString languageForLocale(const QLocale& locale);

    QString appConfigPath() const { return m_appConfigPath; }
    QString deviceFunctionPath() const { return m_deviceFunctionPath; }

    // Which key values read from DeviceFunction.ini are functions; any other stored value reads
    // as 0 (the key keeps its own behaviour). Without one, every value from 0 up is accepted.
    using KeyValueValidator = std::function<bool(int)>;
    void setKeyValueValidator(KeyValueValidator validator);

    // The brightness in force when none is stored: the screen's own gamma.
    static constexpr int kDefaultBrightness = 128;

    // The translated notice about the settings files (a write or read that failed, a damaged file
    // kept aside); "" when none or closed. The main page shows it.
    Q_INVOKABLE QString saveNotice() const;
    Q_INVOKABLE void dismissSaveNotice();
    // Where the last damaged file was kept ("" when none this run).
    QString keptAsidePath() const { return m_keptAside; }

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
    // The update the user put off ("later"): it is not offered again at start, a newer one is.
    Q_INVOKABLE QString getDeclinedVersion();
    Q_INVOKABLE bool setDeclinedVersion(QString version);
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
    // A settings file could not be written (or read): message is the translated notice. Emitted
    // once per distinct failure, not on every write.
    void sigSaveFailed(QString message);
    // The failing file was written again: the notice is gone.
    void sigSaveNoticeCleared();

public:
    // Why a file could not be written or read.
    enum class Reason {
        NotAFile,
        FolderMissing,
        FolderReadOnly,
        FileReadOnly,
        NotReadable,
        DiskFull,
        Unknown
    };
    enum class NoticeKind { None, WriteFailed, ReadFailed, KeptAside, Repaired };

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    enum class FileState { Missing, Unreadable, Empty, NotIni, Fine };

    QString appString(const char* key);
    void writeApp(const QString& key, const QVariant& value);
    void writeFunction(const QString& key, const QVariant& value);
    static QString pathKey(int keyType, int fileType);

    QSettings* openFile(const QString& path, bool* created);
    static FileState inspect(const QString& path, Reason* why);
    QString keepAside(const QString& path, bool move);
    // Forces the write; on failure a fresh handle keeps the values for the next attempt.
    bool commit(QSettings*& settings, const QString& path);
    void reportWriteFailure(const QString& path, Reason why);
    void reportReadFailure(const QString& path, Reason why);
    void setNotice(NoticeKind kind, const QString& path, Reason why, const QString& detail);
    QString noticeText(bool translated) const;
    static Reason diagnoseWrite(const QString& path);
    static void makePrivate(const QString& path);
    static void createPrivate(const QString& path);
    QSettings* newHandle(const QString& path);
    static QMap<QString, QVariant> snapshot(QSettings* settings);
    static bool restoreMissing(QSettings* settings, const QMap<QString, QVariant>& values);
    void reopen(QSettings*& settings, const QString& path, const QMap<QString, QVariant>& values);
    void reportBadValue(const QString& key, const QString& value);

    QSettings* appSettings = nullptr;
    QSettings* functionSettings = nullptr;
    QString m_appConfigPath;
    QString m_deviceFunctionPath;
    int currentKeyType = 0;

    KeyValueValidator m_validKeyValue;
    QSet<QString> m_reportedValues;  // "key=value" already logged as out of range
    QString m_keptAside;
    // The notice on screen and the failure it is about ("" when the last write went through).
    NoticeKind m_noticeKind = NoticeKind::None;
    QString m_noticePath;
    Reason m_noticeReason = Reason::Unknown;
    QString m_noticeDetail;
    bool m_noticeDismissed = false;
    struct Failure {
        NoticeKind kind;
        Reason why;
        bool operator==(const Failure& other) const {
            return kind == other.kind && why == other.why;
        }
    };
    QHash<QString, Failure> m_failures;  // file -> how it fails now; none once written again
};
