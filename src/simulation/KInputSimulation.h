#pragma once

#include "platform/KInputCodes.h"

#include <QtGlobal>

#include <initializer_list>

class KInputInjector;

// The extra-information value of every keyboard and mouse event the program injects; the
// program's own low-level hooks let events carrying it pass.
constexpr quintptr SIMULATED_INPUT_TAG = 9591;

// Input-injection primitives. Each sends its events back to back, tagged with
// SIMULATED_INPUT_TAG, and returns as soon as they are handed to the system. Any thread.

// Presses and releases one key.
void tapKey(quint8 vk);
// Presses the modifiers in the order given, presses and releases key, then releases the
// modifiers in reverse order.
void pressChord(std::initializer_list<quint8> modifiers, quint8 key);
// One mouse event without movement (KMouseFlag values and data word).
void sendMouse(quint32 flags, qint32 data);

// The injector the primitives use: the platform's, unless replaced. Tests and benchmarks replace
// it with their own; pass null to return to the platform's. Returns the previous replacement.
KInputInjector* replaceInputInjector(KInputInjector* injector);
KInputInjector* currentInputInjector();
