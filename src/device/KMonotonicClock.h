#pragma once

#include <QElapsedTimer>

// Milliseconds on a clock that only moves forward (not the wall clock, which jumps with time
// changes and wraps at midnight for QTime): the default time source of the device code.
inline qint64 monotonicMs() {
    static const QElapsedTimer timer = [] {
        QElapsedTimer t;
        t.start();
        return t;
    }();
    return timer.elapsed();
}
