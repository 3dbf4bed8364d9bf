#include "platform/sim/KSimPlatform.h"

#include "platform/sim/KSimController.h"

KSimPlatform::KSimPlatform(QObject* parent)
    : KPlatform(parent),
      m_controller(new KSimController(KSimController::Options::fromEnvironment(), this)) {
    m_controller->start();
}

KSimPlatform::~KSimPlatform() = default;
