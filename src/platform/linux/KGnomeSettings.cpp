#include "platform/linux/KGnomeSettings.h"

#include "platform/KInputCodes.h"
#include "platform/linux/KLinuxKeyMap.h"

#include <QProcess>
#include <QRegularExpression>

#include <X11/Xlib.h>
#include <X11/Xutil.h>
#include <X11/keysym.h>

#include <cmath>

namespace {
const QString kMouseSchema = QStringLiteral("org.gnome.desktop.peripherals.mouse");
const QString kKeybindingSchema = QStringLiteral("org.gnome.desktop.wm.keybindings");
}  // namespace

KGnomeSettings::KGnomeSettings(const QString& program, int timeoutMs)
    : m_program(program), m_timeoutMs(timeoutMs) {}

bool KGnomeSettings::run(const QStringList& arguments, QString* output, QString* error) const {
    QProcess process;
    process.start(m_program, arguments);
    if (!process.waitForStarted(m_timeoutMs)) {
        *error = QStringLiteral("%1 cannot be started: %2").arg(m_program, process.errorString());
        return false;
    }
    if (!process.waitForFinished(m_timeoutMs)) {
        process.kill();
        process.waitForFinished(500);
        *error = QStringLiteral("%1 %2 did not answer within %3 ms")
                     .arg(m_program, arguments.join(' '))
                     .arg(m_timeoutMs);
        return false;
    }
    if (process.exitStatus() != QProcess::NormalExit || process.exitCode() != 0) {
        const QString message = QString::fromLocal8Bit(process.readAllStandardError()).trimmed();
        *error = QStringLiteral("%1 %2 failed: %3")
                     .arg(m_program, arguments.join(' '),
                          message.isEmpty() ? QStringLiteral("exit code %1").arg(process.exitCode())
                                            : message);
        return false;
    }
    if (output)
        *output = QString::fromUtf8(process.readAllStandardOutput()).trimmed();
    return true;
}

bool KGnomeSettings::get(const QString& schema, const QString& key, QString* value,
                         QString* error) const {
    return run({QStringLiteral("get"), schema, key}, value, error);
}

bool KGnomeSettings::set(const QString& schema, const QString& key, const QString& value,
                         QString* error) const {
    return run({QStringLiteral("set"), schema, key, value}, nullptr, error);
}

bool KGnomeSettings::mouseSpeed(double* speed, QString* error) const {
    QString text;
    if (!get(kMouseSchema, QStringLiteral("speed"), &text, error))
        return false;
    bool ok = false;
    const double value = text.toDouble(&ok);
    if (!ok || !std::isfinite(value)) {
        *error = QStringLiteral("gsettings gave '%1' for the mouse speed").arg(text);
        return false;
    }
    *speed = value;
    return true;
}

bool KGnomeSettings::setMouseSpeed(double speed, QString* error) const {
    speed = std::max(-1.0, std::min(1.0, speed));
    return set(kMouseSchema, QStringLiteral("speed"), QString::number(speed, 'f', 4), error);
}

bool KGnomeSettings::windowShortcut(const QString& name, QList<quint8>* modifiers, quint8* key,
                                    QString* error) const {
    QString text;
    if (!get(kKeybindingSchema, name, &text, error))
        return false;
    const QStringList accelerators = parseStringArray(text);
    for (const QString& accelerator : accelerators) {
        modifiers->clear();
        if (parseAccelerator(accelerator, modifiers, key))
            return true;
    }
    *error = accelerators.isEmpty()
                 ? QStringLiteral("GNOME has no shortcut for '%1'").arg(name)
                 : QStringLiteral("GNOME's shortcut for '%1' (%2) has no key the program can send")
                       .arg(name, accelerators.join(", "));
    return false;
}

QStringList KGnomeSettings::parseStringArray(const QString& text) {
    QString body = text.trimmed();
    if (body.startsWith(QLatin1String("@as ")))
        body = body.mid(4).trimmed();
    QStringList items;
    if (!body.startsWith('[') || !body.endsWith(']'))
        return items;
    // Accelerators never contain quotes or commas inside their names, but GVariant may quote
    // with either kind of quote.
    static const QRegularExpression item(QStringLiteral("'([^']*)'|\"([^\"]*)\""));
    auto it = item.globalMatch(body.mid(1, body.size() - 2));
    while (it.hasNext()) {
        const QRegularExpressionMatch match = it.next();
        items << (match.capturedStart(1) >= 0 ? match.captured(1) : match.captured(2));
    }
    return items;
}

bool KGnomeSettings::parseAccelerator(const QString& accelerator, QList<quint8>* modifiers,
                                      quint8* key) {
    QString rest = accelerator.trimmed();
    QList<quint8> found;
    while (rest.startsWith('<')) {
        const int end = rest.indexOf('>');
        if (end < 0)
            return false;
        const QString name = rest.mid(1, end - 1).toLower();
        rest = rest.mid(end + 1);
        quint8 vk = 0;
        if (name == QLatin1String("super") || name == QLatin1String("mod4") ||
            name == QLatin1String("meta") || name == QLatin1String("hyper"))
            vk = KVK::LWIN;
        else if (name == QLatin1String("primary") || name == QLatin1String("control") ||
                 name == QLatin1String("ctrl") || name == QLatin1String("ctl"))
            vk = KVK::LCONTROL;
        else if (name == QLatin1String("alt") || name == QLatin1String("mod1"))
            vk = KVK::LMENU;
        else if (name == QLatin1String("shift") || name == QLatin1String("shft"))
            vk = KVK::LSHIFT;
        else
            return false;
        if (!found.contains(vk))
            found << vk;
    }
    if (rest.isEmpty())
        return false;
    const QByteArray name = rest.toLatin1();
    KeySym keysym = XStringToKeysym(name.constData());
    if (keysym == NoSymbol)
        return false;
    // The table holds the unshifted symbol of every key ('h', not 'H').
    KeySym lower = keysym, upper = keysym;
    XConvertCase(keysym, &lower, &upper);
    for (const KVirtualKeyMapping& mapping : KLinuxKeyMap::table()) {
        if (mapping.keysym == lower) {
            *key = mapping.vk;
            *modifiers = found;
            return true;
        }
    }
    return false;
}
