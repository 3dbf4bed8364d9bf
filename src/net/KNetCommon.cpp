#include "net/KNetCommon.h"

#include "net/KServiceConfig.h"

KNetCommon* KNetCommon::instance() {
    // Thread-safe one-time construction; lives until process end.
    static KNetCommon* common = new KNetCommon;
    return common;
}

void KNetCommon::checkOnline() {
    QHostInfo::lookupHost(KServiceConfig::onlineHost(), this, SLOT(onLookupHost(QHostInfo)));
}

void KNetCommon::onLookupHost(QHostInfo host) {
    m_online = host.error() == QHostInfo::NoError;
}
