#pragma once

#include <QHostInfo>
#include <QObject>

// Process-wide flag saying whether the cloud service is likely reachable. It becomes true when a
// host look-up of the online host (KServiceConfig::onlineHost) succeeds, and is re-evaluated by
// every further look-up. Requests attempted while it is false fail at once and start a look-up.
class KNetCommon : public QObject {
    Q_OBJECT
public:
    static KNetCommon* instance();

    bool isOnline() const { return m_online; }
    // Starts an asynchronous look-up; its result sets the flag.
    void checkOnline();

private slots:
    void onLookupHost(QHostInfo host);

private:
    KNetCommon() = default;

    bool m_online = false;
};
