#include "platform/linux/KKWinDBus.h"

#include <QDBusConnection>
#include <QDBusMessage>
#include <QDBusVariant>
#include <QDir>
#include <QJsonArray>
#include <QJsonDocument>
#include <QRegularExpression>
#include <QTemporaryFile>

#include <cmath>

namespace {

const QString kService = QStringLiteral("org.kde.KWin");
const QString kManagerPath = QStringLiteral("/org/kde/KWin/InputDevice");
const QString kManagerInterface = QStringLiteral("org.kde.KWin.InputDeviceManager");
const QString kDeviceInterface = QStringLiteral("org.kde.KWin.InputDevice");
const QString kProperties = QStringLiteral("org.freedesktop.DBus.Properties");

QString replyError(const QDBusMessage& reply) {
    return reply.errorName().isEmpty()
               ? QStringLiteral("no answer")
               : reply.errorName() + QStringLiteral(": ") + reply.errorMessage();
}

// Properties.Get, unwrapped; an invalid QVariant (with error set) when it failed.
QVariant getProperty(const QString& path, const QString& interface, const QString& name,
                     int timeoutMs, QString* error) {
    QDBusMessage call =
        QDBusMessage::createMethodCall(kService, path, kProperties, QStringLiteral("Get"));
    call << interface << name;
    const QDBusMessage reply = QDBusConnection::sessionBus().call(call, QDBus::Block, timeoutMs);
    if (reply.type() != QDBusMessage::ReplyMessage || reply.arguments().isEmpty()) {
        *error =
            QStringLiteral("KWin: reading %1 of %2 failed (%3)").arg(name, path, replyError(reply));
        return QVariant();
    }
    return reply.arguments().first().value<QDBusVariant>().variant();
}

bool setProperty(const QString& path, const QString& interface, const QString& name,
                 const QVariant& value, int timeoutMs, QString* error) {
    QDBusMessage call =
        QDBusMessage::createMethodCall(kService, path, kProperties, QStringLiteral("Set"));
    call << interface << name << QVariant::fromValue(QDBusVariant(value));
    const QDBusMessage reply = QDBusConnection::sessionBus().call(call, QDBus::Block, timeoutMs);
    if (reply.type() != QDBusMessage::ReplyMessage) {
        *error =
            QStringLiteral("KWin: setting %1 of %2 failed (%3)").arg(name, path, replyError(reply));
        return false;
    }
    return true;
}

}  // namespace

KKWinDBus::KKWinDBus(int timeoutMs) : m_timeoutMs(timeoutMs) {}

QStringList KKWinDBus::pointerDevices(QString* error) const {
    QStringList pointers;
    if (!QDBusConnection::sessionBus().isConnected()) {
        *error = QStringLiteral("no session bus");
        return pointers;
    }
    const QVariant names = getProperty(kManagerPath, kManagerInterface,
                                       QStringLiteral("devicesSysNames"), m_timeoutMs, error);
    if (!names.isValid())
        return pointers;
    for (const QString& sysName : names.toStringList()) {
        // Device names are sysfs node names ("event5"); nothing else may go into a path.
        static const QRegularExpression valid(QStringLiteral("^[A-Za-z0-9_]+$"));
        if (!valid.match(sysName).hasMatch())
            continue;
        const QString path = kManagerPath + QLatin1Char('/') + sysName;
        QString ignored;
        if (getProperty(path, kDeviceInterface, QStringLiteral("pointer"), m_timeoutMs, &ignored)
                .toBool())
            pointers << path;
    }
    if (pointers.isEmpty())
        *error = QStringLiteral("KWin has no pointer device");
    return pointers;
}

bool KKWinDBus::pointerAcceleration(double* accel, QString* error) const {
    for (const QString& path : pointerDevices(error)) {
        const QVariant value = getProperty(
            path, kDeviceInterface, QStringLiteral("pointerAcceleration"), m_timeoutMs, error);
        bool ok = false;
        const double number = value.toDouble(&ok);
        if (value.isValid() && ok && std::isfinite(number)) {
            *accel = number;
            return true;
        }
    }
    return false;
}

bool KKWinDBus::setPointerAcceleration(double accel, QString* error) const {
    const QStringList devices = pointerDevices(error);
    if (devices.isEmpty())
        return false;
    accel = std::max(-1.0, std::min(1.0, accel));
    bool all = true;
    for (const QString& path : devices)
        all = setProperty(path, kDeviceInterface, QStringLiteral("pointerAcceleration"), accel,
                          m_timeoutMs, error) &&
              all;
    return all;
}

bool KKWinDBus::runScript(const QString& source, const QString& pluginName, QString* error) const {
    QDBusConnection bus = QDBusConnection::sessionBus();
    if (!bus.isConnected()) {
        *error = QStringLiteral("no session bus");
        return false;
    }
    // KWin reads the file while loading it; it may go once the script has run.
    QTemporaryFile file(QDir::tempPath() + QStringLiteral("/pointora-kwin-XXXXXX.js"));
    if (!file.open() || file.write(source.toUtf8()) < 0 || !file.flush()) {
        *error = QStringLiteral("cannot write the KWin script: %1").arg(file.errorString());
        return false;
    }
    const auto scripting = [&](const QString& method, const QVariantList& arguments) {
        QDBusMessage call =
            QDBusMessage::createMethodCall(kService, QStringLiteral("/Scripting"),
                                           QStringLiteral("org.kde.kwin.Scripting"), method);
        call.setArguments(arguments);
        return bus.call(call, QDBus::Block, m_timeoutMs);
    };
    // A script of the same name left loaded (by a run that ended early) would make the load fail.
    scripting(QStringLiteral("unloadScript"), {pluginName});
    const QDBusMessage loaded =
        scripting(QStringLiteral("loadScript"), {file.fileName(), pluginName});
    if (loaded.type() != QDBusMessage::ReplyMessage || loaded.arguments().isEmpty()) {
        *error = QStringLiteral("KWin did not load the script (%1)").arg(replyError(loaded));
        return false;
    }
    const int id = loaded.arguments().first().toInt();
    if (id < 0) {
        *error = QStringLiteral("KWin refused the script (id %1)").arg(id);
        return false;
    }
    // KWin 5.21 and later register the script as /Scripting/ScriptN, older ones as /N.
    QDBusMessage ran;
    for (const QString& path :
         {QStringLiteral("/Scripting/Script%1").arg(id), QStringLiteral("/%1").arg(id)}) {
        ran = bus.call(
            QDBusMessage::createMethodCall(kService, path, QStringLiteral("org.kde.kwin.Script"),
                                           QStringLiteral("run")),
            QDBus::Block, m_timeoutMs);
        if (ran.type() == QDBusMessage::ReplyMessage ||
            ran.errorName() != QLatin1String("org.freedesktop.DBus.Error.UnknownObject"))
            break;
    }
    scripting(QStringLiteral("unloadScript"), {pluginName});
    if (ran.type() != QDBusMessage::ReplyMessage) {
        *error = QStringLiteral("KWin did not run the script (%1)").arg(replyError(ran));
        return false;
    }
    return true;
}

QString KKWinDBus::activeWindowScript(bool maximize, const QString& ownTitle) {
    // The title goes in as a JSON string literal, so no caption can break out of it.
    QString quoted =
        QString::fromUtf8(QJsonDocument(QJsonArray{ownTitle}).toJson(QJsonDocument::Compact));
    quoted = quoted.mid(1, quoted.size() - 2);
    QString script = QStringLiteral(
        "var w = workspace.activeWindow !== undefined ? workspace.activeWindow"
        " : workspace.activeClient;\n");
    if (maximize) {
        script += QStringLiteral(
                      "if (w && w.maximizable && String(w.caption).indexOf(%1) < 0) {\n"
                      "    var area = workspace.clientArea(KWin.MaximizeArea, w);\n"
                      "    var g = w.frameGeometry !== undefined ? w.frameGeometry : w.geometry;\n"
                      "    if (!(g && g.x == area.x && g.y == area.y && g.width == area.width &&\n"
                      "          g.height == area.height))\n"
                      "        w.setMaximize(true, true);\n"
                      "}\n")
                      .arg(quoted);
    } else {
        script += QStringLiteral("if (w && w.minimizable)\n    w.minimized = true;\n");
    }
    return script;
}
