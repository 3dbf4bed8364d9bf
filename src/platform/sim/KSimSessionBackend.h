#pragma once

#include "platform/KSessionBackend.h"

#include <QMap>

class KSimController;

// The simulated session: records what it is asked to do in the simulation log ({"kind":"lock"},
// {"kind":"open","path":"/tmp/x"}, {"kind":"start",...}, {"kind":"magnifier"},
// {"kind":"sound",...}, {"kind":"autorun",...}) and keeps the autorun entry in memory (state
// field "autorun").
class KSimSessionBackend : public KSessionBackend {
public:
    explicit KSimSessionBackend(KSimController* controller);

    void lockSession() override;
    void openPath(const QString& path) override;
    bool startProgram(const QString& program, const QStringList& arguments,
                      const QString& workingDirectory, bool elevated) override;
    bool openMagnifier() override;
    void stopSound() override;
    void playSound(const QString& path) override;
    QString autorunEntry(const QString& name) override;
    void setAutorunEntry(const QString& name, const QString& executable) override;
    void removeAutorunEntry(const QString& name) override;

private:
    KSimController* m_controller;
    QMap<QString, QString> m_autorun;
};
