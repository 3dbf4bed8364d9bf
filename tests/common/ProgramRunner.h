#pragma once

// Starts copies of the real main program for end-to-end tests. The program is copied into the
// test's own directory, so that its log ("Log" beside the executable) is the test's alone, and it
// runs with private configuration, data and runtime directories.

#include "common/TestEnv.h"

#include <QFile>
#include <QLocalSocket>
#include <QProcess>
#include <QtTest>

#include <memory>

class ProgramRunner {
public:
    explicit ProgramRunner(const TestEnv& env) : m_env(env) {
        const QString source = qEnvironmentVariable("POINTORA_BIN_DIR") + "/Pointora";
        QDir(env.path()).mkpath("bin");
        m_program = env.path("bin/Pointora");
        if (!QFileInfo::exists(m_program))
            QFile::copy(source, m_program);
        m_environment = env.environment();
        m_environment.insert("QT_QPA_PLATFORM", "offscreen");
        m_environment.insert("QT_QUICK_BACKEND", "software");
    }

    QString program() const { return m_program; }
    QString logDirectory() const { return m_env.path("bin/Log"); }
    QProcessEnvironment& environment() { return m_environment; }

    // mode SeparateChannels keeps the program's stderr for the test to read.
    std::unique_ptr<QProcess> start(
        const QStringList& arguments = {},
        QProcess::ProcessChannelMode mode = QProcess::ForwardedErrorChannel) {
        auto process = std::make_unique<QProcess>();
        process->setProgram(m_program);
        process->setArguments(arguments);
        process->setProcessEnvironment(m_environment);
        process->setProcessChannelMode(mode);
        process->start();
        return process;
    }

    // Every line of every log file of the program copy.
    QStringList logLines() const {
        QStringList lines;
        const QDir dir(logDirectory());
        for (const QString& name : dir.entryList({"*.txt"}, QDir::Files, QDir::Name)) {
            QFile file(dir.filePath(name));
            if (file.open(QIODevice::ReadOnly))
                lines += QString::fromUtf8(file.readAll()).split('\n', Qt::SkipEmptyParts);
        }
        return lines;
    }

    static void stop(QProcess* process) {
        if (process->state() == QProcess::NotRunning)
            return;
        process->terminate();
        if (!process->waitForFinished(5000)) {
            process->kill();
            process->waitForFinished(5000);
        }
    }

private:
    const TestEnv& m_env;
    QString m_program;
    QProcessEnvironment m_environment;
};

// One command on the simulation's socket; returns the answer line without its line feed.
inline QString simCommand(const QString& socketPath, const QString& command, int timeoutMs = 5000) {
    QLocalSocket socket;
    QDeadlineTimer deadline(timeoutMs);
    while (true) {
        socket.connectToServer(socketPath);
        if (socket.waitForConnected(200))
            break;
        if (deadline.hasExpired())
            return QString("no connection: ") + socket.errorString();
        QThread::msleep(50);
    }
    socket.write(command.toUtf8() + '\n');
    socket.waitForBytesWritten(1000);
    while (!socket.canReadLine()) {
        if (deadline.hasExpired() || !socket.waitForReadyRead(int(deadline.remainingTime())))
            return QString("no answer");
    }
    return QString::fromUtf8(socket.readLine()).trimmed();
}
