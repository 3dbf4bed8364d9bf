#pragma once

#include <QObject>

// Gives a mouse button its own action back: used when a press that a hook swallowed turns out
// not to come from one of the program's devices.
class KMouseSimulator : public QObject {
    Q_OBJECT
public:
    // The process-wide object, created on first call (thread-safe).
    static KMouseSimulator* instance();

    // Performs the native action of the button behind a device key code: right and middle
    // clicks, wheel and side-wheel notches, side buttons. The left button and the keyboard
    // special keys are never replayed. Any thread.
    void replayNativeAction(quint32 code);

private:
    KMouseSimulator() = default;
};
