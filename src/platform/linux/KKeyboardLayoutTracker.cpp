#include "platform/linux/KKeyboardLayoutTracker.h"

#include "platform/linux/KXkbX11Keymap.h"

#include <QDBusConnection>
#include <QDBusMessage>
#include <QDBusPendingCallWatcher>
#include <QDBusPendingReply>
#include <QDBusVariant>
#include <QDebug>
#include <QDir>
#include <QFile>
#include <QFileSystemWatcher>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QRegularExpression>
#include <QSettings>
#include <QSocketNotifier>
#include <QTimer>
#include <QXmlStreamReader>

namespace {

const QString LOCALED_SERVICE = QStringLiteral("org.freedesktop.locale1");
const QString LOCALED_PATH = QStringLiteral("/org/freedesktop/locale1");
const QString PROPERTIES = QStringLiteral("org.freedesktop.DBus.Properties");

// "fr+azerty" -> ("fr", "azerty")
QPair<QString, QString> splitSourceId(const QString& id) {
    const int plus = id.indexOf(QLatin1Char('+'));
    if (plus < 0)
        return {id, QString()};
    return {id.left(plus), id.mid(plus + 1)};
}

// The ('xkb', 'id') pairs of a GVariant a(ss) as gsettings prints it.
QStringList xkbSources(const QString& value) {
    static const QRegularExpression pair(
        QStringLiteral("\\(\\s*'([^']*)'\\s*,\\s*'([^']*)'\\s*\\)"));
    QStringList ids;
    for (auto it = pair.globalMatch(value); it.hasNext();) {
        const QRegularExpressionMatch m = it.next();
        if (m.captured(1) == QLatin1String("xkb"))
            ids << m.captured(2);
    }
    return ids;
}

// The strings of a GVariant "as" as gsettings prints it: ['a', 'b'] or @as [].
QStringList stringList(const QString& value) {
    static const QRegularExpression item(QStringLiteral("'([^']*)'"));
    QStringList items;
    for (auto it = item.globalMatch(value); it.hasNext();)
        items << it.next().captured(1);
    return items;
}

QString shellValue(const QString& text, const QString& key) {
    const QRegularExpression line(QStringLiteral("^\\s*%1\\s*=\\s*(.*)$").arg(key),
                                  QRegularExpression::MultilineOption);
    QString v = line.match(text).captured(1).trimmed();
    if (v.size() >= 2 && (v.startsWith(QLatin1Char('"')) || v.startsWith(QLatin1Char('\''))) &&
        v.endsWith(v.front()))
        v = v.mid(1, v.size() - 2);
    return v;
}

}  // namespace

QString KLayoutNames::describe() const {
    const QStringList layouts = layout.split(QLatin1Char(','));
    const QStringList variants = variant.split(QLatin1Char(','));
    QStringList shown;
    for (int i = 0; i < layouts.size(); ++i) {
        const QString v = variants.value(i).trimmed();
        shown << layouts[i].trimmed() + (v.isEmpty() ? QString() : QStringLiteral("(%1)").arg(v));
    }
    QString text = shown.value(int(group), shown.value(0));
    if (shown.size() > 1)
        text += QStringLiteral(", group %1 of %2").arg(group + 1).arg(shown.join(QLatin1Char(',')));
    return text;
}

KLayoutNames KLayoutConfig::fromGnomeSettings(const QString& listing) {
    QString sources, mru, options;
    for (const QString& line : listing.split(QLatin1Char('\n'))) {
        const QStringList f = line.split(QLatin1Char(' '), Qt::SkipEmptyParts);
        if (f.size() < 3)
            continue;
        const QString value = line.section(QLatin1Char(' '), 2).trimmed();
        if (f[1] == QLatin1String("sources"))
            sources = value;
        else if (f[1] == QLatin1String("mru-sources"))
            mru = value;
        else if (f[1] == QLatin1String("xkb-options"))
            options = value;
    }
    QStringList ids = xkbSources(sources);
    KLayoutNames names;
    if (ids.isEmpty())
        return names;
    // The keymap holds at most four groups: the first four sources, or the current one in the
    // last place when it is further down.
    QString current = ids.front();
    for (const QString& id : xkbSources(mru)) {
        if (ids.contains(id)) {
            current = id;
            break;
        }
    }
    if (ids.size() > 4) {
        ids = ids.mid(0, 4);
        if (!ids.contains(current))
            ids[3] = current;
    }
    QStringList layouts, variants;
    for (const QString& id : ids) {
        const auto lv = splitSourceId(id);
        layouts << lv.first;
        variants << lv.second;
    }
    names.layout = layouts.join(QLatin1Char(','));
    names.variant = variants.join(QLatin1Char(','));
    names.options = stringList(options).join(QLatin1Char(','));
    names.group = quint32(ids.indexOf(current));
    return names;
}

KLayoutNames KLayoutConfig::fromKxkbrc(const QString& path) {
    KLayoutNames names;
    if (!QFile::exists(path))
        return names;
    QSettings kxkbrc(path, QSettings::IniFormat);
    kxkbrc.beginGroup(QStringLiteral("Layout"));
    if (!kxkbrc.value(QStringLiteral("Use"), true).toBool())
        return names;
    // QSettings splits comma lists into string lists.
    auto joined = [&](const char* key) {
        const QVariant v = kxkbrc.value(QLatin1String(key));
        return v.type() == QVariant::StringList ? v.toStringList().join(QLatin1Char(','))
                                                : v.toString();
    };
    names.layout = joined("LayoutList");
    names.variant = joined("VariantList");
    names.model = joined("Model");
    names.options = kxkbrc.value(QStringLiteral("ResetOldOptions"), false).toBool()
                        ? joined("Options")
                        : QString();
    return names;
}

KLayoutNames KLayoutConfig::fromDefaultKeyboard(const QString& text) {
    KLayoutNames names;
    names.layout = shellValue(text, QStringLiteral("XKBLAYOUT"));
    names.variant = shellValue(text, QStringLiteral("XKBVARIANT"));
    names.model = shellValue(text, QStringLiteral("XKBMODEL"));
    names.options = shellValue(text, QStringLiteral("XKBOPTIONS"));
    return names;
}

KLayoutNames KLayoutConfig::fromSwayInputs(const QByteArray& json, const QString& evdevXmlPath) {
    KLayoutNames names;
    QJsonObject keyboard;
    for (const QJsonValue& v : QJsonDocument::fromJson(json).array()) {
        if (v.toObject().value(QStringLiteral("type")).toString() == QLatin1String("keyboard")) {
            keyboard = v.toObject();
            break;
        }
    }
    if (keyboard.isEmpty())
        return names;
    QStringList descriptions;
    for (const QJsonValue& v : keyboard.value(QStringLiteral("xkb_layout_names")).toArray())
        descriptions << v.toString();
    const QString active = keyboard.value(QStringLiteral("xkb_active_layout_name")).toString();
    if (descriptions.isEmpty() && !active.isEmpty())
        descriptions << active;
    if (descriptions.isEmpty())
        return names;
    // description -> (layout, variant) from the rules' registry
    QHash<QString, QPair<QString, QString>> byDescription;
    QFile file(evdevXmlPath);
    if (!file.open(QIODevice::ReadOnly))
        return names;
    QXmlStreamReader xml(&file);
    QString layout, name;
    bool inVariant = false;
    while (!xml.atEnd()) {
        xml.readNext();
        if (xml.isStartElement()) {
            if (xml.name() == QLatin1String("layout")) {
                layout.clear();
                inVariant = false;
            } else if (xml.name() == QLatin1String("variant")) {
                inVariant = true;
            } else if (xml.name() == QLatin1String("name")) {
                name = xml.readElementText();
                if (!inVariant)
                    layout = name;
            } else if (xml.name() == QLatin1String("description")) {
                const QString d = xml.readElementText();
                if (!layout.isEmpty() && !byDescription.contains(d))
                    byDescription.insert(d, {layout, inVariant ? name : QString()});
            }
        } else if (xml.isEndElement() && xml.name() == QLatin1String("variant")) {
            inVariant = false;
        }
    }
    QStringList layouts, variants;
    for (const QString& d : descriptions) {
        const auto it = byDescription.constFind(d);
        if (it == byDescription.constEnd())
            return KLayoutNames();  // a layout we cannot name: no guess
        layouts << it->first;
        variants << it->second;
    }
    names.layout = layouts.join(QLatin1Char(','));
    names.variant = variants.join(QLatin1Char(','));
    const int index = keyboard.value(QStringLiteral("xkb_active_layout_index")).toInt(-1);
    names.group = index >= 0 && index < layouts.size()
                      ? quint32(index)
                      : quint32(qMax(0, descriptions.indexOf(active)));
    return names;
}

KKeyboardLayoutTracker::KKeyboardLayoutTracker(const KDesktopSession& session, QObject* parent)
    : KKeyboardLayoutTracker(session, Options(), parent) {}

KKeyboardLayoutTracker::KKeyboardLayoutTracker(const KDesktopSession& session,
                                               const Options& options, QObject* parent)
    : QObject(parent), m_session(session), m_options(options) {
    if (m_options.slot)
        m_slot = m_options.slot;
    if (m_options.homeConfigDir.isEmpty())
        m_options.homeConfigDir = QDir::homePath() + QStringLiteral("/.config");
    m_sourceNames[Localed] = QStringLiteral("systemd-localed");
    m_sourceNames[DefaultKeyboard] = m_options.defaultKeyboardPath;
    m_sourceNames[Environment] = QStringLiteral("XKB_DEFAULT_LAYOUT");
    if (m_session.isX11() && m_session.hasX11Display)
        startX11();
    if (!m_x11)
        startConfigured();
}

KKeyboardLayoutTracker::~KKeyboardLayoutTracker() {
    if (m_swayEvents && m_swayEvents->state() != QProcess::NotRunning) {
        m_swayEvents->kill();
        m_swayEvents->waitForFinished(500);
    }
}

void KKeyboardLayoutTracker::startX11() {
    QString error;
    m_x11 = KXkbX11Keymap::connect(QByteArray(), &error);
    if (!m_x11 || !m_x11->layout()) {
        qWarning().noquote() << "keyboard layout: the X server's keymap cannot be read (" + error +
                                    "); using the configured layout";
        m_x11.reset();
        return;
    }
    publish(m_x11->layout(), QStringLiteral("the X server"));
    m_notifier = new QSocketNotifier(m_x11->fileDescriptor(), QSocketNotifier::Read, this);
    auto follow = [this] {
        if (m_x11->update() && m_x11->layout())
            publish(m_x11->layout(), QStringLiteral("the X server"));
    };
    connect(m_notifier, &QSocketNotifier::activated, this, follow);
    follow();  // notifications queued while the keymap was read
}

void KKeyboardLayoutTracker::startConfigured() {
    m_watcher = new QFileSystemWatcher(this);
    m_reread = new QTimer(this);
    m_reread->setSingleShot(true);
    m_reread->setInterval(200);  // dconf and editors write in several steps
    connect(m_reread, &QTimer::timeout, this, [this] {
        readFiles();
        if (m_session.desktop == KDesktopSession::Desktop::Gnome)
            readGnome();
        else if (m_session.desktop == KDesktopSession::Desktop::Kde)
            readKde();
        else if (m_session.desktop == KDesktopSession::Desktop::Wlroots)
            readSway();
        choose();
    });
    connect(m_watcher, &QFileSystemWatcher::fileChanged, this, [this](const QString& path) {
        // A file replaced by renaming drops out of the watch: watch the new one.
        if (QFile::exists(path) && !m_watcher->files().contains(path))
            m_watcher->addPath(path);
        m_reread->start();
    });
    connect(m_watcher, &QFileSystemWatcher::directoryChanged, this, [this] { m_reread->start(); });

    readFiles();
    switch (m_session.desktop) {
        case KDesktopSession::Desktop::Gnome: {
            const QString dconf = m_options.homeConfigDir + QStringLiteral("/dconf");
            m_watcher->addPath(dconf);
            if (QFile::exists(dconf + QStringLiteral("/user")))
                m_watcher->addPath(dconf + QStringLiteral("/user"));
            readGnome();
            break;
        }
        case KDesktopSession::Desktop::Kde:
            m_watcher->addPath(m_options.homeConfigDir);
            readKde();
            break;
        case KDesktopSession::Desktop::Wlroots:
            readSway();
            watchSway();
            break;
        default:
            break;
    }
    readLocaled();
    choose();
}

void KKeyboardLayoutTracker::readFiles() {
    QFile file(m_options.defaultKeyboardPath);
    m_names[DefaultKeyboard] =
        file.open(QIODevice::ReadOnly)
            ? KLayoutConfig::fromDefaultKeyboard(QString::fromUtf8(file.readAll()))
            : KLayoutNames();
    if (file.exists() && !m_watcher->files().contains(file.fileName()))
        m_watcher->addPath(file.fileName());
    KLayoutNames env;
    env.layout = qEnvironmentVariable("XKB_DEFAULT_LAYOUT");
    env.variant = qEnvironmentVariable("XKB_DEFAULT_VARIANT");
    env.model = qEnvironmentVariable("XKB_DEFAULT_MODEL");
    env.options = qEnvironmentVariable("XKB_DEFAULT_OPTIONS");
    m_names[Environment] = env;
}

void KKeyboardLayoutTracker::readKde() {
    const QString path = m_options.homeConfigDir + QStringLiteral("/kxkbrc");
    m_names[Desktop] = KLayoutConfig::fromKxkbrc(path);
    m_sourceNames[Desktop] = QStringLiteral("KDE's kxkbrc");
    if (QFile::exists(path) && !m_watcher->files().contains(path))
        m_watcher->addPath(path);
}

void KKeyboardLayoutTracker::readGnome() {
    m_sourceNames[Desktop] = QStringLiteral("GNOME input sources");
    readWithTool(
        QStringLiteral("gsettings"),
        {QStringLiteral("list-recursively"), QStringLiteral("org.gnome.desktop.input-sources")},
        [](const QByteArray& output) {
            return KLayoutConfig::fromGnomeSettings(QString::fromUtf8(output));
        });
}

void KKeyboardLayoutTracker::readSway() {
    m_sourceNames[Desktop] = QStringLiteral("sway");
    readWithTool(QStringLiteral("swaymsg"),
                 {QStringLiteral("-t"), QStringLiteral("get_inputs"), QStringLiteral("-r")},
                 [](const QByteArray& output) {
                     return KLayoutConfig::fromSwayInputs(
                         output, QStringLiteral("/usr/share/X11/xkb/rules/evdev.xml"));
                 });
}

// Runs a desktop's own tool without waiting for it; its output, when it succeeded, becomes the
// desktop's layout, and the choice is made again either way.
void KKeyboardLayoutTracker::readWithTool(const QString& program, const QStringList& arguments,
                                          std::function<KLayoutNames(const QByteArray&)> parse) {
    if (!m_options.useDesktopTools)
        return;
    auto* process = new QProcess(this);
    ++m_pending;
    auto done = [this, process] {
        process->deleteLater();
        --m_pending;
        choose();
    };
    connect(process, qOverload<int, QProcess::ExitStatus>(&QProcess::finished), this,
            [this, process, parse, done](int code, QProcess::ExitStatus status) {
                if (status == QProcess::NormalExit && code == 0)
                    m_names[Desktop] = parse(process->readAllStandardOutput());
                done();
            });
    connect(process, &QProcess::errorOccurred, this, [done](QProcess::ProcessError e) {
        if (e == QProcess::FailedToStart)
            done();
    });
    process->start(program, arguments);
}

// sway announces every input change (a layout switch included) on its IPC; each one is a
// reason to read the inputs again.
void KKeyboardLayoutTracker::watchSway() {
    if (!m_options.useDesktopTools)
        return;
    m_swayEvents = new QProcess(this);
    m_swayEvents->setStandardErrorFile(QProcess::nullDevice());
    connect(m_swayEvents, &QProcess::readyReadStandardOutput, this, [this] {
        m_swayEvents->readAllStandardOutput();
        m_reread->start();
    });
    m_swayEvents->start(QStringLiteral("swaymsg"),
                        {QStringLiteral("-t"), QStringLiteral("subscribe"), QStringLiteral("-m"),
                         QStringLiteral("[\"input\"]")});
}

void KKeyboardLayoutTracker::readLocaled() {
    if (!m_options.useLocaled)
        return;
    QDBusConnection bus = QDBusConnection::systemBus();
    if (!bus.isConnected())
        return;
    QDBusMessage call = QDBusMessage::createMethodCall(LOCALED_SERVICE, LOCALED_PATH, PROPERTIES,
                                                       QStringLiteral("GetAll"));
    call << LOCALED_SERVICE;
    ++m_pending;
    auto* watcher = new QDBusPendingCallWatcher(bus.asyncCall(call, 2000), this);
    connect(watcher, &QDBusPendingCallWatcher::finished, this, [this](QDBusPendingCallWatcher* w) {
        const QDBusPendingReply<QVariantMap> reply = *w;
        w->deleteLater();
        if (reply.isValid()) {
            const QVariantMap p = reply.value();
            KLayoutNames names;
            names.layout = p.value(QStringLiteral("X11Layout")).toString();
            names.variant = p.value(QStringLiteral("X11Variant")).toString();
            names.model = p.value(QStringLiteral("X11Model")).toString();
            names.options = p.value(QStringLiteral("X11Options")).toString();
            m_names[Localed] = names;
        }
        --m_pending;
        choose();
    });
    if (!m_localedWatched) {
        m_localedWatched =
            bus.connect(LOCALED_SERVICE, LOCALED_PATH, PROPERTIES,
                        QStringLiteral("PropertiesChanged"), this, SLOT(onLocaledChanged()));
    }
}

void KKeyboardLayoutTracker::onLocaledChanged() {
    readLocaled();
}

void KKeyboardLayoutTracker::choose() {
    for (int s = 0; s < SourceCount; ++s) {
        const KLayoutNames& n = m_names[s];
        if (n.isEmpty())
            continue;
        const QString key = n.layout + '|' + n.variant + '|' + n.model + '|' + n.options + '|' +
                            QString::number(n.group) + '|' + m_sourceNames[s];
        if (key == m_chosenKey) {
            publish(m_slot->get(), m_sourceNames[s]);
            return;
        }
        QString error;
        std::shared_ptr<const KXkbLayout> layout = KXkbLayout::fromNames(
            n.layout, n.variant, n.model, n.options, n.group,
            n.describe() + QStringLiteral(" (from %1)").arg(m_sourceNames[s]), &error);
        if (!layout) {
            qWarning().noquote() << "keyboard layout from" << m_sourceNames[s] + ":" << error;
            continue;
        }
        m_chosenKey = key;
        publish(layout, m_sourceNames[s]);
        return;
    }
    const QString key = QStringLiteral("fallback");
    if (key == m_chosenKey) {
        publish(m_slot->get(), QString());
        return;
    }
    m_chosenKey = key;
    QString error;
    std::shared_ptr<const KXkbLayout> us = KXkbLayout::fromNames(
        QStringLiteral("us"), QString(), QString(), QString(), 0,
        QStringLiteral("us (no layout configured in this session; assuming us)"), &error);
    if (!us) {
        if (m_pending == 0) {
            qWarning().noquote() << "keyboard layout unknown (" + error +
                                        "); letters, digits and signs are sent at their US"
                                        " keyboard positions";
        }
        m_slot->set(nullptr);
        return;
    }
    publish(us, QString());
}

void KKeyboardLayoutTracker::publish(std::shared_ptr<const KXkbLayout> layout,
                                     const QString& source) {
    const bool changed = m_slot->get() != layout;
    m_slot->set(layout);
    m_source = source;
    // At start the asynchronous reads come in one after the other: say the outcome once.
    if (m_pending > 0 || !layout)
        return;
    if (layout->description() != m_logged) {
        m_logged = layout->description();
        qInfo().noquote() << "[Info] keyboard layout" << m_logged;
    }
    if (changed)
        emit layoutChanged();
}
