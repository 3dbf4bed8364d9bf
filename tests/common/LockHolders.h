#pragma once

// Stand-ins for a running copy in the instance lock of the main program: a live process whose
// executable is named "Pointora" (a copy of sleep) written into a lock file in the form the
// toolkit's lock writes (pid, process name, host name), with no socket behind it.

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QSysInfo>
#include <QtTest>

class FakeLockHolder {
public:
    explicit FakeLockHolder(const QString& workDirectory) {
        QDir(workDirectory).mkpath("holder");
        const QString program = workDirectory + "/holder/Pointora";
        QFile::copy("/bin/sleep", program);
        m_process.start(program, {"600"});
        m_process.waitForStarted();
    }
    ~FakeLockHolder() {
        m_process.kill();
        m_process.waitForFinished(5000);
    }
    qint64 pid() const { return m_process.processId(); }

    // Writes the lock file at path naming this process as its holder.
    bool writeLock(const QString& path) const {
        QFile lock(path);
        if (!lock.open(QIODevice::WriteOnly | QIODevice::Truncate))
            return false;
        lock.write(QByteArray::number(pid()) + "\nPointora\n" +
                   QSysInfo::machineHostName().toUtf8() + "\n");
        return true;
    }

private:
    QProcess m_process;
};
