#include "platform/linux/KLinuxPlatform.h"

#include "platform/linux/KLinuxInputInjector.h"
#include "platform/linux/KLinuxSessionBackend.h"
#include "platform/linux/KX11DesktopBackend.h"

#include <QMutexLocker>

KLinuxPlatform::KLinuxPlatform(QObject* parent) : KPlatform(parent) {}

KLinuxPlatform::~KLinuxPlatform() = default;

KInputInjector* KLinuxPlatform::inputInjector() {
    QMutexLocker lock(&m_inputMutex);
    if (!m_inputInjector)
        m_inputInjector = std::make_unique<KLinuxInputInjector>();
    return m_inputInjector.get();
}

KDesktopBackend* KLinuxPlatform::desktopBackend() {
    if (!m_desktop)
        m_desktop = std::make_unique<KX11DesktopBackend>();
    return m_desktop.get();
}

KSessionBackend* KLinuxPlatform::sessionBackend() {
    if (!m_session)
        m_session = std::make_unique<KLinuxSessionBackend>();
    return m_session.get();
}
