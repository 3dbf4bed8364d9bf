#include "simulation/KMouseSimulator.h"

#include "simulation/KDeviceKeyCode.h"
#include "simulation/KInputSimulation.h"

KMouseSimulator* KMouseSimulator::instance() {
    static KMouseSimulator* simulator = new KMouseSimulator;  // lives until process end
    return simulator;
}

void KMouseSimulator::replayNativeAction(quint32 code) {
    using namespace KMouseFlag;
    switch (codeToKeyType(code)) {
        case 2:  // RightKey
            sendMouse(RIGHTCLICK, 0);
            break;
        case 3:  // MiddleKey
            sendMouse(MIDDLECLICK, 0);
            break;
        case 4:  // WheelUpKey
            sendMouse(WHEEL, WHEEL_DELTA);
            break;
        case 5:  // WheelDownKey
            sendMouse(WHEEL, -WHEEL_DELTA);
            break;
        case 6:  // SideWheelUpKey
            sendMouse(HWHEEL, WHEEL_DELTA);
            break;
        case 7:  // SideWheelDownKey
            sendMouse(HWHEEL, -WHEEL_DELTA);
            break;
        case 8:  // ForwardKey
            sendMouse(XCLICK, XBUTTON2);
            break;
        case 9:  // BackKey
            sendMouse(XCLICK, XBUTTON1);
            break;
        default:  // LeftKey and the keyboard special keys
            break;
    }
}
