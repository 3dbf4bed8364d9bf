#include "platform/sim/KSimSessionBackend.h"

#include "platform/sim/KSimController.h"

#include <QJsonArray>
#include <QJsonObject>

KSimSessionBackend::KSimSessionBackend(KSimController* controller) : m_controller(controller) {
    m_controller->setState("autorun", false);
}

void KSimSessionBackend::lockSession() {
    m_controller->log(QJsonObject{{"kind", "lock"}});
}

void KSimSessionBackend::openPath(const QString& path) {
    m_controller->log(QJsonObject{{"kind", "open"}, {"path", path}});
}

bool KSimSessionBackend::startProgram(const QString& program, const QStringList& arguments,
                                      const QString& workingDirectory, bool elevated) {
    m_controller->log(QJsonObject{{"kind", "start"},
                                  {"program", program},
                                  {"arguments", QJsonArray::fromStringList(arguments)},
                                  {"directory", workingDirectory},
                                  {"elevated", elevated}});
    return true;
}

bool KSimSessionBackend::openMagnifier() {
    m_controller->log(QJsonObject{{"kind", "magnifier"}});
    return true;
}

void KSimSessionBackend::stopSound() {
    m_controller->log(QJsonObject{{"kind", "sound"}, {"action", "stop"}});
}

void KSimSessionBackend::playSound(const QString& path) {
    m_controller->log(QJsonObject{{"kind", "sound"}, {"action", "play"}, {"path", path}});
}

QString KSimSessionBackend::autorunEntry(const QString& name) {
    return m_autorun.value(name);
}

void KSimSessionBackend::setAutorunEntry(const QString& name, const QString& executable) {
    m_autorun.insert(name, executable);
    m_controller->log(
        QJsonObject{{"kind", "autorun"}, {"name", name}, {"on", true}, {"path", executable}});
    m_controller->setState("autorun", !m_autorun.isEmpty());
}

void KSimSessionBackend::removeAutorunEntry(const QString& name) {
    m_autorun.remove(name);
    m_controller->log(QJsonObject{{"kind", "autorun"}, {"name", name}, {"on", false}});
    m_controller->setState("autorun", !m_autorun.isEmpty());
}
