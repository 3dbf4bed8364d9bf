#include "platform/sim/KSimInputInjector.h"

#include "platform/sim/KSimController.h"

#include <QJsonObject>
#include <QMutexLocker>

KSimInputInjector::KSimInputInjector(KSimController* controller) : m_controller(controller) {}

void KSimInputInjector::sendKey(quint8 vk, bool up, quintptr extraInfo) {
    record(key(vk, up, extraInfo));
    if (m_controller)
        m_controller->log(
            QJsonObject{{"kind", "key"}, {"vk", int(vk)}, {"up", up}, {"tag", double(extraInfo)}});
}

void KSimInputInjector::sendMouse(quint32 flags, qint32 data, quintptr extraInfo) {
    record(mouse(flags, data, extraInfo));
    if (m_controller)
        m_controller->log(QJsonObject{{"kind", "mouse"},
                                      {"flags", double(flags)},
                                      {"data", data},
                                      {"tag", double(extraInfo)}});
}

void KSimInputInjector::record(const Event& event) {
    QMutexLocker lock(&m_mutex);
    if (m_history.size() >= kHistoryLimit)
        m_history.removeFirst();
    m_history.append(event);
}

QList<KSimInputInjector::Event> KSimInputInjector::takeHistory() {
    QMutexLocker lock(&m_mutex);
    QList<Event> events;
    events.swap(m_history);
    return events;
}
