#pragma once

// Reads the simulation log (POINTORA_SIM_LOG) incrementally: each call returns the lines written
// since the previous one, parsed as JSON objects.

#include "platform/KPacedInjector.h"
#include "simulation/KInputSimulation.h"

#include <QFile>
#include <QJsonDocument>
#include <QJsonObject>
#include <QList>

class SimLogReader {
public:
    explicit SimLogReader(const QString& path) : m_path(path) {}

    QList<QJsonObject> takeNew() {
        QList<QJsonObject> events;
        QFile file(m_path);
        if (!file.open(QIODevice::ReadOnly))
            return events;
        file.seek(m_offset);
        const QByteArray chunk = file.readAll();
        m_offset += chunk.size();
        for (const QByteArray& line : chunk.split('\n'))
            if (!line.isEmpty())
                events << QJsonDocument::fromJson(line).object();
        return events;
    }

private:
    QString m_path;
    qint64 m_offset = 0;
};

// Log line builders in the simulation's log format.
inline QJsonObject keyLine(int vk, bool up) {
    return QJsonObject{{"kind", "key"}, {"vk", vk}, {"up", up}, {"tag", 9591}};
}
inline QJsonObject mouseLine(int flags, int data) {
    return QJsonObject{{"kind", "mouse"}, {"flags", flags}, {"data", data}, {"tag", 9591}};
}
inline QList<QJsonObject> tapLines(int vk) {
    return {keyLine(vk, false), keyLine(vk, true)};
}
// Modifiers down in order, key down and up, modifiers up in reverse order.
inline QList<QJsonObject> chordLines(const QList<int>& modifiers, int key) {
    QList<QJsonObject> lines;
    for (int m : modifiers)
        lines << keyLine(m, false);
    lines << keyLine(key, false) << keyLine(key, true);
    for (auto it = modifiers.crbegin(); it != modifiers.crend(); ++it)
        lines << keyLine(*it, true);
    return lines;
}

// Waits until the platform's injector holds nothing back: a repeated click of a button leaves
// tens of milliseconds after the call that sent it. True when nothing is held.
inline bool waitForInjectedInput(int timeoutMs = 5000) {
    auto* paced = dynamic_cast<KPacedInjector*>(currentInputInjector());
    return !paced || paced->waitUntilIdle(timeoutMs);
}
