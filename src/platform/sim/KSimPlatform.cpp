#include "platform/sim/KSimPlatform.h"

#include "platform/sim/KSimController.h"
#include "platform/sim/KSimInputInjector.h"

KSimPlatform::KSimPlatform(QObject* parent)
    : KPlatform(parent),
      m_controller(new KSimController(KSimController::Options::fromEnvironment(), this)) {
    m_controller->start();
    // Created at once (not on first use) so that any thread may use it without locking.
    m_inputInjector = std::make_unique<KSimInputInjector>(m_controller);
}

KSimPlatform::~KSimPlatform() = default;

KInputInjector* KSimPlatform::inputInjector() {
    return m_inputInjector.get();
}
