#include "platform/linux/KMouseSteps.h"

#include "platform/KInputCodes.h"

std::vector<KMouseStep> mouseSteps(quint32 flags, qint32 data) {
    using namespace KMouseFlag;
    std::vector<KMouseStep> steps;
    auto button = [&](quint32 flag, KMouseStep::Kind kind, KMouseStep::Button which) {
        if (flags & flag)
            steps.push_back({kind, which, 0});
    };
    button(LEFTDOWN, KMouseStep::Press, KMouseStep::Left);
    button(LEFTUP, KMouseStep::Release, KMouseStep::Left);
    button(RIGHTDOWN, KMouseStep::Press, KMouseStep::Right);
    button(RIGHTUP, KMouseStep::Release, KMouseStep::Right);
    button(MIDDLEDOWN, KMouseStep::Press, KMouseStep::Middle);
    button(MIDDLEUP, KMouseStep::Release, KMouseStep::Middle);
    // The side-button data is a mask: XBUTTON1 is back, XBUTTON2 forward.
    for (quint32 flag : {XDOWN, XUP}) {
        if (!(flags & flag))
            continue;
        const KMouseStep::Kind kind = flag == XDOWN ? KMouseStep::Press : KMouseStep::Release;
        if (data & XBUTTON1)
            steps.push_back({kind, KMouseStep::Back, 0});
        if (data & XBUTTON2)
            steps.push_back({kind, KMouseStep::Forward, 0});
    }
    if ((flags & WHEEL) && data != 0)
        steps.push_back({KMouseStep::Wheel, KMouseStep::Left, data});
    if ((flags & HWHEEL) && data != 0)
        steps.push_back({KMouseStep::HorizontalWheel, KMouseStep::Left, data});
    return steps;
}

int wheelNotches(qint32 delta) {
    const int notches = delta / KMouseFlag::WHEEL_DELTA;
    if (notches == 0 && delta != 0)
        return delta > 0 ? 1 : -1;
    return notches;
}
