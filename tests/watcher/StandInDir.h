#pragma once

// A temporary directory holding copies of the stand-in program (and of the watcher) under the
// names a test needs, the processes the test started there, and what starts.log recorded.
// Everything that still runs from the directory is ended when the object goes away; processes
// elsewhere are never touched.

#include "watcher/KLinuxProcesses.h"

#include <QDeadlineTimer>
#include <QDir>
#include <QFile>
#include <QProcess>
#include <QStringList>
#include <QTemporaryDir>
#include <QThread>

#include <memory>
#include <vector>

struct StandInStart {
    QString name;
    qint64 pid = 0;
    qint64 ppid = 0;
    qint64 ms = 0;
    QString origin;
    QString cwd;
};

class StandInDir {
public:
    StandInDir() : m_path(QDir(m_dir.path()).canonicalPath()) {}

    ~StandInDir() {
        for (const auto& process : m_processes) {
            process->kill();
            process->waitForFinished(5000);
        }
        for (const QString& name : qAsConst(m_names))
            KLinuxProcesses::killAndWait(KLinuxProcesses::find(name, m_path), 5000);
    }

    bool isValid() const { return m_dir.isValid() && !m_path.isEmpty(); }
    QString path() const { return m_path; }
    QString file(const QString& name) const { return m_path + QLatin1Char('/') + name; }

    // Copies an executable into the directory under the given name.
    bool install(const QString& source, const QString& name) {
        if (!QFile::copy(source, file(name)))
            return false;
        m_names << name;
        return QFile::setPermissions(file(name), QFile::ReadOwner | QFile::WriteOwner |
                                                     QFile::ExeOwner | QFile::ReadGroup |
                                                     QFile::ExeGroup);
    }

    // Starts an installed program; the directory owns the process. Null when it cannot start.
    QProcess* start(const QString& name, const QStringList& arguments = QStringList(),
                    const QString& origin = QStringLiteral("test")) {
        auto process = std::make_unique<QProcess>();
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        environment.insert(QStringLiteral("STANDIN_ORIGIN"), origin);
        process->setProcessEnvironment(environment);
        process->setWorkingDirectory(m_path);
        process->start(file(name), arguments);
        if (!process->waitForStarted(5000))
            return nullptr;
        m_processes.push_back(std::move(process));
        return m_processes.back().get();
    }

    QList<StandInStart> starts(const QString& name = QString(),
                               const QString& origin = QString()) const {
        QList<StandInStart> result;
        QFile log(file(QStringLiteral("starts.log")));
        if (!log.open(QIODevice::ReadOnly))
            return result;
        for (const QByteArray& raw : log.readAll().split('\n')) {
            const QString line = QString::fromLocal8Bit(raw);
            const QStringList fields = line.split(QLatin1Char(' '));
            if (fields.size() < 6)
                continue;
            StandInStart start{fields.at(0),
                               fields.at(1).toLongLong(),
                               fields.at(2).toLongLong(),
                               fields.at(3).toLongLong(),
                               fields.at(4),
                               fields.mid(5).join(QLatin1Char(' '))};
            if ((name.isEmpty() || start.name == name) &&
                (origin.isEmpty() || start.origin == origin))
                result << start;
        }
        return result;
    }

    // Waits until starts.log holds at least count matching starts.
    bool waitForStarts(const QString& name, const QString& origin, int count,
                       int timeoutMs = 10000) const {
        const QDeadlineTimer deadline(timeoutMs);
        while (starts(name, origin).size() < count) {
            if (deadline.hasExpired())
                return false;
            QThread::msleep(20);
        }
        return true;
    }

private:
    QTemporaryDir m_dir;
    QString m_path;
    QStringList m_names;
    std::vector<std::unique_ptr<QProcess>> m_processes;
};
