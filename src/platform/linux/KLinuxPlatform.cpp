#include "platform/linux/KLinuxPlatform.h"

#include "platform/linux/KLinuxInputInjector.h"

#include <QMutexLocker>

KLinuxPlatform::KLinuxPlatform(QObject* parent) : KPlatform(parent) {}

KLinuxPlatform::~KLinuxPlatform() = default;

KInputInjector* KLinuxPlatform::inputInjector() {
    QMutexLocker lock(&m_inputMutex);
    if (!m_inputInjector)
        m_inputInjector = std::make_unique<KLinuxInputInjector>();
    return m_inputInjector.get();
}
