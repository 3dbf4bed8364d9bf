#include "config/KConfigCommon.h"

#include <QCoreApplication>
#include <QDateTime>
#include <QDebug>
#include <QDir>
#include <QEvent>
#include <QFile>
#include <QFileInfo>
#include <QLocale>
#include <QSettings>
#include <QStandardPaths>
#include <QTextCodec>

#include <limits>

#ifdef Q_OS_UNIX
#include <fcntl.h>
#include <sys/statvfs.h>
#include <unistd.h>
#endif

namespace {
const char* const kFilePathGroup = "FilePath";

constexpr QFile::Permissions kPrivate =
    QFile::ReadOwner | QFile::WriteOwner | QFile::ReadUser | QFile::WriteUser;
constexpr QFile::Permissions kShared = QFile::ReadGroup | QFile::WriteGroup | QFile::ExeGroup |
                                       QFile::ReadOther | QFile::WriteOther | QFile::ExeOther;

enum class Content { Empty, NotIni, Ini };

// What a settings file holds. Not INI: any NUL byte, more than 5 % of the bytes invalid UTF-8 or
// control characters (a stray Latin-1 letter is not damage), or not one "key=value" line among
// lines that are not comments or sections. Empty: nothing but blank lines, comments and section
// headers.
Content classify(const QByteArray& data) {
    if (data.contains('\0'))
        return Content::NotIni;
    QTextCodec::ConverterState state;
    QTextCodec::codecForName("UTF-8")->toUnicode(data.constData(), data.size(), &state);
    qint64 bad = state.invalidChars;
    for (char c : data) {
        const uchar u = uchar(c);
        if (u < 0x20 && u != '\t' && u != '\n' && u != '\r' && u != '\f' && u != '\v')
            ++bad;
    }
    if (bad > 0 && bad * 20 > data.size())
        return Content::NotIni;
    int keys = 0;
    int others = 0;
    for (const QByteArray& line : data.split('\n')) {
        const QByteArray text = line.trimmed();
        if (text.isEmpty() || text.startsWith(';') || text.startsWith('#'))
            continue;
        if (text.startsWith('[') && text.contains(']'))
            continue;
        if (text.indexOf('=') > 0)
            ++keys;
        else
            ++others;
    }
    if (keys == 0)
        return others == 0 ? Content::Empty : Content::NotIni;
    return Content::Ini;
}

const char* reasonSource(KConfigCommon::Reason why) {
    switch (why) {
        case KConfigCommon::Reason::NotAFile:
            return QT_TRANSLATE_NOOP(
                "KConfigCommon", "a folder or something else that is not a file is in its place");
        case KConfigCommon::Reason::FolderMissing:
            return QT_TRANSLATE_NOOP("KConfigCommon", "its folder cannot be created");
        case KConfigCommon::Reason::FolderReadOnly:
            return QT_TRANSLATE_NOOP("KConfigCommon", "its folder is read-only");
        case KConfigCommon::Reason::FileReadOnly:
            return QT_TRANSLATE_NOOP("KConfigCommon", "the file is read-only");
        case KConfigCommon::Reason::NotReadable:
            return QT_TRANSLATE_NOOP("KConfigCommon", "the file cannot be read");
        case KConfigCommon::Reason::DiskFull:
            return QT_TRANSLATE_NOOP("KConfigCommon", "the disk is full");
        case KConfigCommon::Reason::Unknown:
            break;
    }
    return QT_TRANSLATE_NOOP("KConfigCommon", "the system refused to write it");
}
}  // namespace

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
    bool appCreated = false;
    appSettings = openFile(m_appConfigPath, &appCreated);
    if (appCreated) {
        appSettings->setValue("/language", languageForLocale(QLocale::system()));
        appSettings->setValue("/brightness", kDefaultBrightness);
        commit(appSettings, m_appConfigPath);
    } else if (QFileInfo(m_appConfigPath).isFile() && QFileInfo(m_appConfigPath).isReadable()) {
        // A file without a usable language (written by hand, or cut short) gets the one the
        // system speaks, as on a first start, rather than showing untranslated texts. A file
        // that cannot be read is left alone (getLanguage answers the system's all the same).
        const QString language = appSettings->value("/language").toString();
        if (language != QLatin1String("zh") && language != QLatin1String("en")) {
            appSettings->setValue("/language", languageForLocale(QLocale::system()));
            commit(appSettings, m_appConfigPath);
        }
    }

    bool functionCreated = false;
    functionSettings = openFile(m_deviceFunctionPath, &functionCreated);
    if (functionCreated) {
        functionSettings->setValue("/MouseKeyNumber", 5);
        for (int keyType : keyTypes()) {
            functionSettings->setValue(keyTypeName(keyType), 0);
            emit sigKeyValueChange(keyType, 0);
        }
        commit(functionSettings, m_deviceFunctionPath);
    }
}

KConfigCommon::FileState KConfigCommon::inspect(const QString& path, Reason* why) {
    const QFileInfo info(path);
    if (!info.exists())
        return FileState::Missing;
    if (!info.isFile()) {
        *why = Reason::NotAFile;
        return FileState::Unreadable;
    }
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        *why = Reason::NotReadable;
        return FileState::Unreadable;
    }
    switch (classify(file.readAll())) {
        case Content::Empty:
            return FileState::Empty;
        case Content::NotIni:
            return FileState::NotIni;
        case Content::Ini:
            break;
    }
    return FileState::Fine;
}

QSettings* KConfigCommon::openFile(const QString& path, bool* created) {
    Reason why = Reason::Unknown;
    FileState state = inspect(path, &why);
    const QString name = QFileInfo(path).fileName();
    if (state == FileState::NotIni) {
        // Kept before anything is written over it: nothing the user had is lost.
        const QString kept = keepAside(path, true);
        if (kept.isEmpty()) {
            qCritical().noquote() << "settings:" << path
                                  << "is not a settings file and could not be kept aside; it is "
                                     "left as it is and read as far as possible";
            state = FileState::Fine;
        } else {
            setNotice(NoticeKind::KeptAside, path, Reason::Unknown, kept);
            qWarning().noquote() << "settings:" << noticeText(false);
            state = FileState::Missing;
        }
    }
    if (state == FileState::Unreadable)
        reportReadFailure(path, why);
    if (state == FileState::Empty)
        QFile::resize(path, 0);  // blank lines and comments only: nothing to keep
    if (state == FileState::Missing)
        createPrivate(path);
    else if (state != FileState::Unreadable)
        makePrivate(path);

    QSettings* settings = newHandle(path);
    settings->allKeys();  // parses every section, so that a format error shows now
    if (settings->status() == QSettings::FormatError && state == FileState::Fine) {
        // INI with lines that are not: a copy as it was, then the file rewritten with every value
        // that could be read.
        const QString kept = keepAside(path, false);
        if (!kept.isEmpty()) {
            setNotice(NoticeKind::Repaired, path, Reason::Unknown, kept);
            qWarning().noquote() << "settings:" << noticeText(false);
            reopen(settings, path, snapshot(settings));
            commit(settings, path);
        } else {
            qWarning().noquote() << "settings:" << name
                                 << "has lines that are not settings; no copy could be kept, the "
                                    "file is left as it is";
            reopen(settings, path, snapshot(settings));
        }
    } else if (settings->status() != QSettings::NoError && state != FileState::Unreadable) {
        reportReadFailure(path, Reason::NotReadable);
    }
    *created = state == FileState::Missing || state == FileState::Empty;
    return settings;
}

QString KConfigCommon::keepAside(const QString& path, bool move) {
    QString target = path + ".broken";
    for (int n = 1; QFileInfo::exists(target) || QFileInfo(target).isSymLink(); ++n) {
        target = n <= 99
                     ? QStringLiteral("%1.broken.%2").arg(path).arg(n)
                     : QStringLiteral("%1.broken.%2")
                           .arg(path, QDateTime::currentDateTime().toString("yyyyMMdd-hhmmss-zzz"));
        if (n > 200)
            return QString();
    }
    bool kept = move && QFile::rename(path, target);
    if (!kept && QFile::copy(path, target)) {
        kept = true;
        if (move && !QFile::resize(path, 0)) {
            QFile::remove(target);
            return QString();
        }
    }
    if (!kept)
        return QString();
    makePrivate(target);  // it may hold the login token
    return target;
}

void KConfigCommon::createPrivate(const QString& path) {
    // The file exists with mode 0600 before the settings facility first writes it, which keeps
    // the mode of an existing file when it replaces it.
    QDir().mkpath(QFileInfo(path).absolutePath());
#ifdef Q_OS_UNIX
    const int fd = ::open(QFile::encodeName(path).constData(),
                          O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC | O_NOFOLLOW, 0600);
    if (fd >= 0)
        ::close(fd);
#else
    QFile file(path);
    if (file.open(QIODevice::WriteOnly | QIODevice::NewOnly))
        file.setPermissions(kPrivate);
#endif
}

void KConfigCommon::makePrivate(const QString& path) {
#ifndef Q_OS_UNIX
    // Windows keeps the file private through the access rights of the user's profile; the mode
    // bits the toolkit reports there are not the file's and cannot be tightened.
    Q_UNUSED(path);
#else
    const QFileInfo info(path);
    if (!info.isFile() || !(info.permissions() & kShared))
        return;
    if (QFile::setPermissions(path, kPrivate) && !(QFileInfo(path).permissions() & kShared))
        qInfo().noquote() << "[Info] settings:" << path
                          << "was open to other users; it is private now (0600)";
    else
        qWarning().noquote() << "settings:" << path << "could not be made private (0600)";
#endif
}

QSettings* KConfigCommon::newHandle(const QString& path) {
    auto* settings = new QSettings(path, QSettings::IniFormat, this);
    // Every change is written by commit(); the facility's own deferred write would re-read a file
    // that has become unreadable and drop the values read from it.
    settings->installEventFilter(this);
    return settings;
}

bool KConfigCommon::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() == QEvent::UpdateRequest && qobject_cast<QSettings*>(watched))
        return true;
    return QObject::eventFilter(watched, event);
}

QMap<QString, QVariant> KConfigCommon::snapshot(QSettings* settings) {
    QMap<QString, QVariant> values;
    for (const QString& key : settings->allKeys())
        values.insert(key, settings->value(key));
    return values;
}

void KConfigCommon::reopen(QSettings*& settings, const QString& path,
                           const QMap<QString, QVariant>& values) {
    // The handle's status stays at its first error; a fresh handle on the same file, holding
    // every value in memory as a change still to be written, tells whether a write goes through.
    QSettings* fresh = newHandle(path);
    for (const QString& key : fresh->allKeys())
        if (!values.contains(key))
            fresh->remove(key);
    for (auto it = values.cbegin(); it != values.cend(); ++it)
        fresh->setValue(it.key(), it.value());
    delete settings;
    settings = fresh;
}

bool KConfigCommon::restoreMissing(QSettings* settings, const QMap<QString, QVariant>& values) {
    bool restored = false;
    for (auto it = values.cbegin(); it != values.cend(); ++it) {
        if (!settings->contains(it.key()) ||
            settings->value(it.key()).toString() != it.value().toString()) {
            settings->setValue(it.key(), it.value());
            restored = true;
        }
    }
    return restored;
}

bool KConfigCommon::commit(QSettings*& settings, const QString& path) {
    // What the user has now; a failed write, which may drop what was read from the file, must
    // not lose it.
    const QMap<QString, QVariant> values = snapshot(settings);
    // A file gone meanwhile is made again private and empty first: the facility keeps the mode
    // of the file it replaces, and would otherwise create it open to others for a moment.
    if (!QFileInfo::exists(path) && !QFileInfo(path).isSymLink())
        createPrivate(path);
    settings->sync();
    if (settings->status() != QSettings::NoError) {
        // Either this write failed or an earlier error stuck to the handle: try once more on a
        // fresh one.
        reopen(settings, path, values);
        settings->sync();
    } else if (restoreMissing(settings, values)) {
        // The file had changed under the program (deleted, replaced): the facility re-read it
        // and dropped what it no longer holds; what the user has is written again.
        qWarning().noquote() << "settings:" << path
                             << "had changed on disk; the settings in force are written again";
        settings->sync();
    }
    if (settings->status() != QSettings::NoError) {
        reportWriteFailure(path, diagnoseWrite(path));
        return false;
    }
    makePrivate(path);
    if (m_failures.remove(path) > 0) {
        qInfo().noquote() << "[Info] settings:" << path << "is written again";
        if ((m_noticeKind == NoticeKind::WriteFailed || m_noticeKind == NoticeKind::ReadFailed) &&
            m_noticePath == path) {
            m_noticeKind = NoticeKind::None;
            emit sigSaveNoticeCleared();
            // The other file still failing is what the notice says now.
            if (!m_failures.isEmpty()) {
                const auto other = m_failures.cbegin();
                setNotice(other.value().kind, other.key(), other.value().why, QString());
                emit sigSaveFailed(noticeText(true));
            }
        }
    }
    return true;
}

KConfigCommon::Reason KConfigCommon::diagnoseWrite(const QString& path) {
    const QFileInfo info(path);
    if (info.exists() && !info.isFile())
        return Reason::NotAFile;
    const QString folder = info.absolutePath();
    if (!QFileInfo(folder).isDir())
        return Reason::FolderMissing;
#ifdef Q_OS_UNIX
    const QByteArray folderName = QFile::encodeName(folder);
    if (::access(folderName.constData(), W_OK) != 0)
        return Reason::FolderReadOnly;
    if (info.exists() && ::access(QFile::encodeName(path).constData(), W_OK) != 0)
        return Reason::FileReadOnly;
    struct statvfs space {};
    if (::statvfs(folderName.constData(), &space) == 0 && space.f_bavail == 0)
        return Reason::DiskFull;
#else
    if (!QFileInfo(folder).isWritable())
        return Reason::FolderReadOnly;
    if (info.exists() && !info.isWritable())
        return Reason::FileReadOnly;
#endif
    return Reason::Unknown;
}

void KConfigCommon::setNotice(NoticeKind kind, const QString& path, Reason why,
                              const QString& detail) {
    m_noticeKind = kind;
    m_noticePath = path;
    m_noticeReason = why;
    m_noticeDetail = detail;
    m_noticeDismissed = false;
    if (kind == NoticeKind::KeptAside || kind == NoticeKind::Repaired)
        m_keptAside = detail;
}

void KConfigCommon::reportWriteFailure(const QString& path, Reason why) {
    const Failure failure{NoticeKind::WriteFailed, why};
    if (m_failures.contains(path) && m_failures.value(path) == failure)
        return;  // the same failure again: already said
    m_failures.insert(path, failure);
    setNotice(NoticeKind::WriteFailed, path, why, QString());
    qWarning().noquote() << "settings:" << noticeText(false);
    emit sigSaveFailed(noticeText(true));
}

void KConfigCommon::reportReadFailure(const QString& path, Reason why) {
    const Failure failure{NoticeKind::ReadFailed, why};
    if (m_failures.contains(path) && m_failures.value(path) == failure)
        return;
    m_failures.insert(path, failure);
    setNotice(NoticeKind::ReadFailed, path, why, QString());
    qWarning().noquote() << "settings:" << noticeText(false);
    emit sigSaveFailed(noticeText(true));
}

QString KConfigCommon::noticeText(bool translated) const {
    const auto text = [translated](const char* source) {
        return translated ? tr(source) : QString::fromLatin1(source);
    };
    const QString file = QDir::toNativeSeparators(m_noticePath);
    const QString kept = QDir::toNativeSeparators(m_noticeDetail);
    switch (m_noticeKind) {
        case NoticeKind::None:
            break;
        case NoticeKind::WriteFailed:
            return text(QT_TR_NOOP("Your settings could not be saved to %1: %2. What you chose "
                                   "stays in effect until the program ends."))
                .arg(file, text(reasonSource(m_noticeReason)));
        case NoticeKind::ReadFailed:
            return text(QT_TR_NOOP("Your settings could not be read from %1: %2. The program "
                                   "uses its defaults for now."))
                .arg(file, text(reasonSource(m_noticeReason)));
        case NoticeKind::KeptAside:
            return text(QT_TR_NOOP("%1 was damaged and is kept as %2; the default settings are "
                                   "in force."))
                .arg(file, kept);
        case NoticeKind::Repaired:
            return text(QT_TR_NOOP("%1 had lines that could not be read; a copy is kept as %2 "
                                   "and the rest of your settings are in force."))
                .arg(file, kept);
    }
    return QString();
}

QString KConfigCommon::saveNotice() const {
    return m_noticeDismissed ? QString() : noticeText(true);
}

void KConfigCommon::dismissSaveNotice() {
    m_noticeDismissed = true;
}

void KConfigCommon::setKeyValueValidator(KeyValueValidator validator) {
    m_validKeyValue = std::move(validator);
}

void KConfigCommon::reportBadValue(const QString& key, const QString& value) {
    const QString entry = key + '=' + value;
    if (m_reportedValues.contains(entry))
        return;
    m_reportedValues.insert(entry);
    qWarning().noquote() << "settings:" << key << "has the value" << ('"' + value + '"')
                         << "which is no function; the key keeps its own behaviour";
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
    commit(appSettings, m_appConfigPath);
}

void KConfigCommon::writeFunction(const QString& key, const QVariant& value) {
    // An empty key (a key type without a name) is refused by the settings facility: nothing stored.
    if (key.isEmpty())
        return;
    functionSettings->setValue(key, value);
    commit(functionSettings, m_deviceFunctionPath);
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
    commit(appSettings, m_appConfigPath);
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
    const QString language = appString("/language");
    if (language == QLatin1String("zh") || language == QLatin1String("en"))
        return language;
    return languageForLocale(QLocale::system());
}

QString KConfigCommon::languageForLocale(const QLocale& locale) {
    // The first language the user asked for (LANGUAGE may list several), else the locale's own.
    const QStringList languages = locale.uiLanguages();
    const QString first = languages.isEmpty() ? locale.name() : languages.first();
    return first.startsWith(QLatin1String("zh"), Qt::CaseInsensitive) ? QStringLiteral("zh")
                                                                      : QStringLiteral("en");
}

QString KConfigCommon::getDeclinedVersion() {
    return appString("/declinedVersion");
}

bool KConfigCommon::setDeclinedVersion(QString version) {
    writeApp("/declinedVersion", version);
    return true;
}

bool KConfigCommon::getAutoRun() {
    return appSettings->value("/autorun", false).toBool();
}

int KConfigCommon::getBrightness() {
    // Missing or unusable: the screen's own gamma, so that the first step moves from there.
    const QVariant raw = appSettings->value("/brightness");
    if (!raw.isValid())
        return kDefaultBrightness;
    bool ok = false;
    const qlonglong value = raw.toString().trimmed().toLongLong(&ok);
    if (!ok || value < 0 || value > 255) {
        const QString entry = "brightness=" + raw.toString();
        if (!m_reportedValues.contains(entry)) {
            m_reportedValues.insert(entry);
            qWarning().noquote() << "settings: brightness has the value"
                                 << ('"' + raw.toString() + '"') << "outside 0 to 255; using"
                                 << kDefaultBrightness;
        }
        return kDefaultBrightness;
    }
    return int(value);
}

bool KConfigCommon::resetFunctionConfig() {
    functionSettings->setValue("/MouseKeyNumber", 5);
    for (int keyType : keyTypes())
        functionSettings->setValue(keyTypeName(keyType), 0);
    functionSettings->beginGroup(kFilePathGroup);
    functionSettings->remove(QString());  // every key of the current group
    functionSettings->endGroup();
    commit(functionSettings, m_deviceFunctionPath);
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
        commit(functionSettings, m_deviceFunctionPath);
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
    const QVariant raw = functionSettings->value(name);
    if (!raw.isValid())
        return 0;
    // Parsed wide, so that a number beyond int is refused rather than wrapped onto a function.
    bool ok = false;
    const qlonglong value = raw.toString().trimmed().toLongLong(&ok);
    const bool valid = ok && value >= 0 && value <= std::numeric_limits<int>::max() &&
                       (!m_validKeyValue || m_validKeyValue(int(value)));
    if (!valid) {
        reportBadValue(name, raw.toString());
        return 0;
    }
    return int(value);
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
