#include "simulation/KInputSimulation.h"

#include "platform/KInputInjector.h"
#include "platform/KPlatform.h"

#include <atomic>

namespace {
std::atomic<KInputInjector*> g_replacement{nullptr};
}

KInputInjector* replaceInputInjector(KInputInjector* injector) {
    return g_replacement.exchange(injector);
}

KInputInjector* currentInputInjector() {
    if (KInputInjector* replacement = g_replacement.load(std::memory_order_acquire))
        return replacement;
    return KPlatform::instance()->inputInjector();
}

void tapKey(quint8 vk) {
    KInputInjector* injector = currentInputInjector();
    injector->sendKey(vk, false, SIMULATED_INPUT_TAG);
    injector->sendKey(vk, true, SIMULATED_INPUT_TAG);
}

void pressChord(std::initializer_list<quint8> modifiers, quint8 key) {
    KInputInjector* injector = currentInputInjector();
    for (quint8 modifier : modifiers)
        injector->sendKey(modifier, false, SIMULATED_INPUT_TAG);
    injector->sendKey(key, false, SIMULATED_INPUT_TAG);
    injector->sendKey(key, true, SIMULATED_INPUT_TAG);
    for (auto it = std::rbegin(modifiers); it != std::rend(modifiers); ++it)
        injector->sendKey(*it, true, SIMULATED_INPUT_TAG);
}

void sendMouse(quint32 flags, qint32 data) {
    currentInputInjector()->sendMouse(flags, data, SIMULATED_INPUT_TAG);
}
