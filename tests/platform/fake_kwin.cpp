// A stand-in for KWin on a private session bus: the input-device objects (one pointer "event3"
// unless --no-pointer, and a keyboard "event7") and the scripting interface. Every call is
// appended to the file named by FAKE_KWIN_LOG, a loaded script's text to FAKE_KWIN_LOG.script.
// --old-paths registers scripts as /N (KWin before 5.21) instead of /Scripting/ScriptN.
// Prints "ready" once it owns org.kde.KWin.

#include <QCoreApplication>
#include <QDBusConnection>
#include <QDBusError>
#include <QFile>
#include <QTextStream>

namespace {

void record(const QString& line) {
    QFile file(qEnvironmentVariable("FAKE_KWIN_LOG"));
    if (file.open(QIODevice::Append))
        file.write(line.toUtf8() + '\n');
}

}  // namespace

class FakeManager : public QObject {
    Q_OBJECT
    Q_CLASSINFO("D-Bus Interface", "org.kde.KWin.InputDeviceManager")
    Q_PROPERTY(QStringList devicesSysNames READ devicesSysNames)
public:
    QStringList names;
    QStringList devicesSysNames() const { return names; }
};

class FakeDevice : public QObject {
    Q_OBJECT
    Q_CLASSINFO("D-Bus Interface", "org.kde.KWin.InputDevice")
    Q_PROPERTY(bool pointer READ pointer)
    Q_PROPERTY(double pointerAcceleration READ pointerAcceleration WRITE setPointerAcceleration)
public:
    FakeDevice(const QString& name, bool isPointer) : m_name(name), m_pointer(isPointer) {}
    bool pointer() const { return m_pointer; }
    double pointerAcceleration() const { return m_accel; }
    void setPointerAcceleration(double accel) {
        m_accel = accel;
        record(QStringLiteral("set %1 %2").arg(m_name).arg(accel));
    }

private:
    QString m_name;
    bool m_pointer;
    double m_accel = 0;
};

class FakeScript : public QObject {
    Q_OBJECT
    Q_CLASSINFO("D-Bus Interface", "org.kde.kwin.Script")
public:
    explicit FakeScript(int id) : m_id(id) {}
public slots:
    void run() { record(QStringLiteral("run %1").arg(m_id)); }

private:
    int m_id;
};

class FakeScripting : public QObject {
    Q_OBJECT
    Q_CLASSINFO("D-Bus Interface", "org.kde.kwin.Scripting")
public:
    bool oldPaths = false;
public slots:
    int loadScript(const QString& path, const QString& pluginName) {
        if (m_loaded.contains(pluginName)) {
            record(QStringLiteral("load-refused %1").arg(pluginName));
            return -1;
        }
        QFile source(path);
        if (!source.open(QIODevice::ReadOnly))
            return -1;
        QFile copy(qEnvironmentVariable("FAKE_KWIN_LOG") + QStringLiteral(".script"));
        if (copy.open(QIODevice::WriteOnly))
            copy.write(source.readAll());
        const int id = ++m_next;
        m_loaded << pluginName;
        auto* script = new FakeScript(id);
        script->setParent(this);
        const QString objectPath = oldPaths ? QStringLiteral("/%1").arg(id)
                                            : QStringLiteral("/Scripting/Script%1").arg(id);
        QDBusConnection::sessionBus().registerObject(objectPath, script,
                                                     QDBusConnection::ExportAllSlots);
        record(QStringLiteral("load %1 %2").arg(pluginName).arg(id));
        return id;
    }
    bool unloadScript(const QString& pluginName) {
        record(QStringLiteral("unload %1").arg(pluginName));
        return m_loaded.removeAll(pluginName) > 0;
    }

private:
    QStringList m_loaded;
    int m_next = 0;
};

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    const QStringList args = app.arguments();
    QDBusConnection bus = QDBusConnection::sessionBus();
    FakeManager manager;
    FakeDevice pointer(QStringLiteral("event3"), true);
    FakeDevice keyboard(QStringLiteral("event7"), false);
    FakeScripting scripting;
    scripting.oldPaths = args.contains(QStringLiteral("--old-paths"));
    manager.names = QStringList{QStringLiteral("event7")};
    if (!args.contains(QStringLiteral("--no-pointer")))
        manager.names << QStringLiteral("event3");
    const auto flags = QDBusConnection::ExportAllProperties | QDBusConnection::ExportAllSlots;
    bool ok =
        bus.registerObject(QStringLiteral("/org/kde/KWin/InputDevice"), &manager, flags) &&
        bus.registerObject(QStringLiteral("/org/kde/KWin/InputDevice/event3"), &pointer, flags) &&
        bus.registerObject(QStringLiteral("/org/kde/KWin/InputDevice/event7"), &keyboard, flags) &&
        bus.registerObject(QStringLiteral("/Scripting"), &scripting, flags) &&
        bus.registerService(QStringLiteral("org.kde.KWin"));
    if (!ok) {
        QTextStream(stderr) << "fake_kwin: cannot register on the bus: "
                            << bus.lastError().message() << '\n';
        return 1;
    }
    QTextStream(stdout) << "ready" << Qt::endl;
    return app.exec();
}

#include "fake_kwin.moc"
