#pragma once

#include <QtGlobal>

#include <vector>

// One Windows mouse event (flags and data word) taken apart into the steps a Linux device or
// the X server understands, in the order Windows performs them: left, right, middle, side
// buttons (each down before up), then the vertical and the horizontal wheel.
struct KMouseStep {
    enum Kind { Press, Release, Wheel, HorizontalWheel };
    enum Button { Left, Right, Middle, Back, Forward };
    Kind kind = Press;
    Button button = Left;  // Press and Release
    qint32 delta = 0;      // wheels: the data word, 120 per notch; positive is up or right
    bool operator==(const KMouseStep& other) const {
        return kind == other.kind && button == other.button && delta == other.delta;
    }
};

std::vector<KMouseStep> mouseSteps(quint32 flags, qint32 data);

// Whole notches of a wheel delta, at least one in the delta's direction when it is not zero.
int wheelNotches(qint32 delta);
