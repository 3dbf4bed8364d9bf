#include "simulation/KDeviceKeyCode.h"

using namespace KDeviceKeyCode;

int codeToKeyType(quint32 code) {
    switch (code) {
        case MOUSE_RIGHT:
            return 2;
        case MOUSE_MIDDLE:
            return 3;
        case MOUSE_BACK:
            return 9;
        case MOUSE_FORWARD:
            return 8;
        case WHEEL_UP:
            return 4;
        case WHEEL_DOWN:
            return 5;
        case SIDE_WHEEL_UP:
            return 6;
        case SIDE_WHEEL_DOWN:
            return 7;
        case consumer(0xB5):
            return 24;
        case consumer(0xB6):
            return 23;
        case consumer(0xB7):
            return 22;
        case consumer(0xCD):
            return 21;
        case consumer(0xE2):
            return 27;
        case consumer(0xE9):
            return 26;
        case consumer(0xEA):
            return 25;
        case consumer(0x183):
            return 20;
        case consumer(0x18A):
            return 19;
        case consumer(0x223):
            return 18;
        case consumer(0x224):
            return 16;
        case consumer(0x225):
            return 17;
        default:
            return 1;  // the left button (0x1) and every unknown code
    }
}
