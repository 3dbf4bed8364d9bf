#pragma once

#include <QList>
#include <QString>
#include <QStringList>

// GNOME's settings through the `gsettings` tool (the settings daemon applies a changed key at
// once, on Wayland and X11 alike). Each call waits for the tool at most the given time, so a
// hanging settings service cannot freeze the caller for long. Main thread only.
class KGnomeSettings {
public:
    explicit KGnomeSettings(const QString& program = QStringLiteral("gsettings"),
                            int timeoutMs = 2000);

    // The key's value in GVariant text form ("0.25", "['<Super>Up']"); false with a reason in
    // error when the tool is missing, hangs or refuses (unknown schema or key).
    bool get(const QString& schema, const QString& key, QString* value, QString* error) const;
    bool set(const QString& schema, const QString& key, const QString& value, QString* error) const;

    // org.gnome.desktop.peripherals.mouse speed, -1 (slowest) to 1.
    bool mouseSpeed(double* speed, QString* error) const;
    bool setMouseSpeed(double speed, QString* error) const;

    // The first shortcut of org.gnome.desktop.wm.keybindings NAME ("maximize", "minimize")
    // that maps to keys the injector can send. False with a reason when there is none.
    bool windowShortcut(const QString& name, QList<quint8>* modifiers, quint8* key,
                        QString* error) const;

    // The strings of a GVariant string array in text form: "['<Super>Up', '<Alt>F10']",
    // "@as []". Anything else gives an empty list.
    static QStringList parseStringArray(const QString& text);
    // A GTK accelerator ("<Super>Up", "<Primary><Alt>h", "<Shift><Control>Page_Up") as
    // virtual keys: the modifiers in the order written, then the key. False for what cannot be
    // sent (unknown modifier or key name, no key).
    static bool parseAccelerator(const QString& accelerator, QList<quint8>* modifiers, quint8* key);

private:
    bool run(const QStringList& arguments, QString* output, QString* error) const;

    QString m_program;
    int m_timeoutMs;
};
