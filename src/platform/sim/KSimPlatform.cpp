#include "platform/sim/KSimPlatform.h"

#include "platform/sim/KSimController.h"
#include "platform/sim/KSimDesktopBackend.h"
#include "platform/sim/KSimInputInjector.h"
#include "platform/sim/KSimSessionBackend.h"

KSimPlatform::KSimPlatform(QObject* parent)
    : KPlatform(parent),
      m_controller(new KSimController(KSimController::Options::fromEnvironment(), this)) {
    m_controller->start();
    // Created at once (not on first use) so that any thread may use it without locking.
    m_inputInjector = std::make_unique<KSimInputInjector>(m_controller);
    // The simulated display and session at once too: their socket commands and state fields
    // exist from the start.
    m_desktop = std::make_unique<KSimDesktopBackend>(m_controller);
    m_session = std::make_unique<KSimSessionBackend>(m_controller);
}

KSimPlatform::~KSimPlatform() = default;

KInputInjector* KSimPlatform::inputInjector() {
    return m_inputInjector.get();
}

KDesktopBackend* KSimPlatform::desktopBackend() {
    return m_desktop.get();
}

KSessionBackend* KSimPlatform::sessionBackend() {
    return m_session.get();
}
