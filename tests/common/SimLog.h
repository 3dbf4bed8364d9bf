#pragma once

// Reading the simulated platform's log (POINTORA_SIM_LOG: one JSON object per line) from a test
// that runs the real program.

#include <QDeadlineTimer>
#include <QFile>
#include <QJsonDocument>
#include <QJsonObject>
#include <QRegularExpression>
#include <QStringList>
#include <QThread>

#include <functional>

// Follows the log: each call returns the complete lines written since the previous one, each
// turned into compact text by the test's own description.
class SimLogReader {
public:
    using Describe = std::function<QString(const QJsonObject&)>;

    SimLogReader(QString path, Describe describe)
        : m_path(std::move(path)), m_describe(std::move(describe)) {}

    QStringList newLines() {
        QStringList lines;
        QFile file(m_path);
        if (!file.open(QIODevice::ReadOnly))
            return lines;
        file.seek(m_offset);
        const QByteArray data = file.readAll();
        const int complete = data.lastIndexOf('\n') + 1;
        m_offset += complete;
        for (const QByteArray& line : data.left(complete).split('\n')) {
            if (line.isEmpty())
                continue;
            const QString text = m_describe(QJsonDocument::fromJson(line).object());
            if (!text.isEmpty())
                lines << text;
        }
        return lines;
    }

    // Waits until the lines matching pattern number count, collecting everything seen.
    bool waitFor(QStringList* seen, const QString& pattern, int count, int timeoutMs = 5000) {
        const QRegularExpression re(pattern);
        QDeadlineTimer deadline(timeoutMs);
        while (true) {
            *seen += newLines();
            if (seen->filter(re).size() >= count)
                return true;
            if (deadline.hasExpired())
                return false;
            QThread::msleep(20);
        }
    }

private:
    QString m_path;
    Describe m_describe;
    qint64 m_offset = 0;
};

// The last event of the given kind in the whole log (an empty object when there is none).
inline QJsonObject lastSimEvent(const QString& path, const QString& kind) {
    QFile log(path);
    QJsonObject last;
    if (!log.open(QIODevice::ReadOnly))
        return last;
    for (const QByteArray& line : log.readAll().split('\n')) {
        const QJsonObject event = QJsonDocument::fromJson(line).object();
        if (event.value("kind").toString() == kind)
            last = event;
    }
    return last;
}
