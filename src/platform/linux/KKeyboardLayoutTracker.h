#pragma once

#include "platform/linux/KDesktopSession.h"
#include "platform/linux/KXkbLayout.h"

#include <QObject>
#include <QString>
#include <QStringList>

#include <functional>
#include <memory>

class KXkbX11Keymap;
class QFileSystemWatcher;
class QProcess;
class QSocketNotifier;
class QTimer;

// RMLVO names of a configured layout and the group in use.
struct KLayoutNames {
    QString layout;  // "us", "us,ru"
    QString variant;
    QString model;
    QString options;
    quint32 group = 0;

    bool isEmpty() const { return layout.trimmed().isEmpty(); }
    // "fr", "us(dvorak)", "ru, group 2 of us,ru"
    QString describe() const;
};

// Parsers of the places a session keeps its layout, for the tracker and its tests.
namespace KLayoutConfig {
// GNOME's input sources as `gsettings list-recursively org.gnome.desktop.input-sources` prints
// them: the xkb sources become the groups, the first of mru-sources present among them is the
// group in use.
KLayoutNames fromGnomeSettings(const QString& listing);
// KDE's ~/.config/kxkbrc: [Layout] LayoutList, VariantList, Model, Options; empty when Use is
// false (the layouts are then the system's).
KLayoutNames fromKxkbrc(const QString& path);
// Debian's /etc/default/keyboard: XKBLAYOUT, XKBVARIANT, XKBMODEL, XKBOPTIONS.
KLayoutNames fromDefaultKeyboard(const QString& text);
// `swaymsg -t get_inputs -r`: the first keyboard's xkb_active_layout_name, mapped to a layout
// through the rules' evdev.xml descriptions.
KLayoutNames fromSwayInputs(const QByteArray& json, const QString& evdevXmlPath);
}  // namespace KLayoutConfig

// Follows the session's keyboard layout and hands it, resolved, to the injectors through slot().
// On an X11 session: the X server's keymap (notifications watched in this object's thread). On
// Wayland and on a console: the desktop's configured layout (GNOME input sources, KDE's kxkbrc,
// sway's active layout), else the system's (systemd-localed, /etc/default/keyboard), else
// $XKB_DEFAULT_LAYOUT, else "us"; re-read when the configuration changes. The source and layout
// are logged at start and on every change. Lives in the main thread; slot() is safe from any.
class KKeyboardLayoutTracker : public QObject {
    Q_OBJECT
public:
    struct Options {
        QString homeConfigDir;  // empty: ~/.config
        QString defaultKeyboardPath = QStringLiteral("/etc/default/keyboard");
        bool useLocaled = true;
        bool useDesktopTools = true;           // gsettings, swaymsg
        std::shared_ptr<KXkbLayoutSlot> slot;  // null: a slot of its own
    };

    explicit KKeyboardLayoutTracker(const KDesktopSession& session, QObject* parent = nullptr);
    KKeyboardLayoutTracker(const KDesktopSession& session, const Options& options,
                           QObject* parent = nullptr);
    ~KKeyboardLayoutTracker() override;

    std::shared_ptr<KXkbLayoutSlot> slot() const { return m_slot; }
    // Where the layout in use comes from, for the log: "the X server", "GNOME input sources"...
    QString source() const { return m_source; }

signals:
    void layoutChanged();

private slots:
    void onLocaledChanged();

private:
    enum Source { Desktop, Localed, DefaultKeyboard, Environment, SourceCount };

    void startX11();
    void startConfigured();
    void readGnome();
    void readSway();
    void readWithTool(const QString& program, const QStringList& arguments,
                      std::function<KLayoutNames(const QByteArray&)> parse);
    void watchSway();
    void readKde();
    void readLocaled();
    void readFiles();
    void choose();
    void publish(std::shared_ptr<const KXkbLayout> layout, const QString& source);

    KDesktopSession m_session;
    Options m_options;
    std::shared_ptr<KXkbLayoutSlot> m_slot = std::make_shared<KXkbLayoutSlot>();
    QString m_source;
    QString m_logged;
    int m_pending = 0;  // asynchronous reads still out at start
    std::unique_ptr<KXkbX11Keymap> m_x11;
    QSocketNotifier* m_notifier = nullptr;
    QFileSystemWatcher* m_watcher = nullptr;
    QTimer* m_reread = nullptr;
    QProcess* m_swayEvents = nullptr;
    KLayoutNames m_names[SourceCount];
    QString m_sourceNames[SourceCount];
    QString m_chosenKey;
    bool m_localedWatched = false;
};
