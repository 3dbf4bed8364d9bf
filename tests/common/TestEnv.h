#pragma once

// A private home for one test: configuration, data and runtime directories inside a temporary
// directory, set in this process's environment and offered for child processes.

#include <QDir>
#include <QProcessEnvironment>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QtGlobal>

class TestEnv {
public:
    TestEnv() {
        Q_ASSERT(m_dir.isValid());
        QDir(m_dir.path()).mkpath("config");
        QDir(m_dir.path()).mkpath("data");
        QDir(m_dir.path()).mkpath("run");
        QFile::setPermissions(path("run"), QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    }

    QString path(const QString& relative = QString()) const {
        return relative.isEmpty() ? m_dir.path() : m_dir.path() + "/" + relative;
    }

    // Points this process's per-user locations into the temporary directory.
    void apply() const {
        const QProcessEnvironment env = environment();
        for (const char* key : {"HOME", "XDG_CONFIG_HOME", "XDG_DATA_HOME", "XDG_RUNTIME_DIR"})
            qputenv(key, env.value(QString::fromLatin1(key)).toUtf8());
#ifdef Q_OS_WIN
        // Windows takes the per-user locations from the user's profile, not the environment: the
        // toolkit's test locations stand in, emptied for each use (so Windows test programs that
        // use them run one at a time).
        QStandardPaths::setTestModeEnabled(true);
        for (const auto location :
             {QStandardPaths::AppConfigLocation, QStandardPaths::AppDataLocation,
              QStandardPaths::AppLocalDataLocation})
            QDir(QStandardPaths::writableLocation(location)).removeRecursively();
#endif
    }

    // The environment for a child process: the current one with the private locations.
    QProcessEnvironment environment() const {
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert("HOME", path());
        env.insert("XDG_CONFIG_HOME", path("config"));
        env.insert("XDG_DATA_HOME", path("data"));
        env.insert("XDG_RUNTIME_DIR", path("run"));
        return env;
    }

private:
    QTemporaryDir m_dir;
};
