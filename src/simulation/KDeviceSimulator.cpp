#include "simulation/KDeviceSimulator.h"

#include "config/KConfigCommon.h"
#include "platform/KPlatform.h"
#include "platform/KSessionBackend.h"
#include "simulation/KDeviceKeyCode.h"
#include "simulation/KInputSimulation.h"
#include "simulation/KWinSimulator.h"

KDeviceSimulator* KDeviceSimulator::instance() {
    static KDeviceSimulator* simulator =
        new KDeviceSimulator(KConfigCommon::instance(), KWinSimulator::instance(),
                             KPlatform::instance()->sessionBackend());
    return simulator;
}

KDeviceSimulator::KDeviceSimulator(KConfigCommon* store, KWinSimulator* winSimulator,
                                   KSessionBackend* session, QObject* parent)
    : QObject(parent),
      store(store),
      keyValueCache(store->getKeyValueMap()),
      m_winSimulator(winSimulator),
      m_session(session) {
    // Bring the injector up now: a new virtual input device needs a moment before the system
    // takes events from it, and the first key event should not be the one that waits.
    currentInputInjector();
}

void KDeviceSimulator::onConfigChange(int, int) {
    keyValueCache = store->getKeyValueMap();
}

void KDeviceSimulator::onKeyDown(ulong key) {
    // Codes are 32 bits wide; a wider value is not a code of the table and acts as the left
    // button, as every unknown code does.
    const quint32 code = key > 0xFFFFFFFFul ? 0u : quint32(key);
    const int keyType = codeToKeyType(code);
    const int keyValue = keyValueCache.value(keyType, 0);
    // Paths are not cached: file type = key value - 59 names a path only for 60 to 63.
    const QString path = store->getPathByKeyType(keyType, keyValue - 59);
    dispatch(keyValue, path);
}

void KDeviceSimulator::dispatch(int keyValue, const QString& path) {
    using namespace KMouseFlag;
    switch (keyValue) {
        case 1:  // Cut
            pressChord({KVK::LCONTROL}, 'X');
            break;
        case 2:  // Copy
            pressChord({KVK::LCONTROL}, 'C');
            break;
        case 3:  // Paste
            pressChord({KVK::LCONTROL}, 'V');
            break;
        case 4:  // Find
            pressChord({KVK::LCONTROL}, 'F');
            break;
        case 5:  // Select All
            pressChord({KVK::LCONTROL}, 'A');
            break;
        case 6:  // New
            pressChord({KVK::LCONTROL}, 'N');
            break;
        case 7:  // Print
            pressChord({KVK::LCONTROL}, 'P');
            break;
        case 8:  // Save
            pressChord({KVK::LCONTROL}, 'S');
            break;
        case 10:  // Pause/Play
            tapKey(KVK::MEDIA_PLAY_PAUSE);
            break;
        case 11:  // Volume up
            tapKey(KVK::VOLUME_UP);
            break;
        case 12:  // Volume down
            tapKey(KVK::VOLUME_DOWN);
            break;
        case 13:  // Increase brightness
            m_winSimulator->increaseBrightness();
            break;
        case 14:  // Decrease brightness
            m_winSimulator->decreaseBrightness();
            break;
        case 15:  // Mute
            tapKey(KVK::VOLUME_MUTE);
            break;
        case 16:  // Stop
            tapKey(KVK::MEDIA_STOP);
            break;
        case 21:  // Click
            sendMouse(LEFTCLICK, 0);
            break;
        case 22:  // Double click: the injector spaces the clicks so that each one counts
            sendMouse(LEFTCLICK, 0);
            sendMouse(LEFTCLICK, 0);
            break;
        case 23:  // Triple click
            sendMouse(LEFTCLICK, 0);
            sendMouse(LEFTCLICK, 0);
            sendMouse(LEFTCLICK, 0);
            break;
        case 24:  // Right click
            sendMouse(RIGHTCLICK, 0);
            break;
        case 25:  // Right double click
            sendMouse(RIGHTCLICK, 0);
            sendMouse(RIGHTCLICK, 0);
            break;
        case 26:  // Menu
            tapKey(KVK::APPS);
            break;
        case 27:  // Middle button
            sendMouse(MIDDLECLICK, 0);
            break;
        case 28:  // Forward
            sendMouse(XCLICK, XBUTTON2);
            break;
        case 29:  // Back
            sendMouse(XCLICK, XBUTTON1);
            break;
        case 30:  // Scroll up
            sendMouse(WHEEL, WHEEL_DELTA);
            break;
        case 31:  // Scroll down
            sendMouse(WHEEL, -WHEEL_DELTA);
            break;
        case 32:  // Scroll left
            m_winSimulator->scrollHorizontal(1);
            break;
        case 33:  // Scroll right
            m_winSimulator->scrollHorizontal(2);
            break;
        case 40:  // Close window: the left Alt key
            pressChord({KVK::LMENU}, KVK::F4);
            break;
        case 41:  // Lock the computer
            m_session->lockSession();
            break;
        case 42:  // Show desktop
            pressChord({KVK::LWIN}, 'D');
            break;
        case 43:  // Start screen
            tapKey(KVK::LWIN);
            break;
        case 44:  // Run
            pressChord({KVK::LWIN}, 'R');
            break;
        case 45:  // Zoom
            m_winSimulator->openMagnifier();
            break;
        case 46:  // Zoom in
            pressChord({KVK::LCONTROL}, KVK::OEM_PLUS);
            break;
        case 47:  // Zoom out
            pressChord({KVK::LCONTROL}, KVK::OEM_MINUS);
            break;
        case 48:  // Maximize
            m_winSimulator->showForegroundWindow(3);
            break;
        case 49:  // Minimize
            m_winSimulator->showForegroundWindow(6);
            break;
        case 50:  // Previous tab
            pressChord({KVK::LCONTROL, KVK::LSHIFT}, KVK::TAB);
            break;
        case 51:  // Next tab
            pressChord({KVK::LCONTROL}, KVK::TAB);
            break;
        case 52:  // Switch applications: the generic Alt key
            pressChord({KVK::MENU}, KVK::TAB);
            break;
        case 53:  // Display/hide notification
            pressChord({KVK::LWIN}, 'A');
            break;
        case 60:  // Play sound
            m_winSimulator->playSound(path);
            break;
        case 61:  // Launch program
        case 62:  // Open file
        case 63:  // Open directory
            m_winSimulator->openPath(path);
            break;
        default:  // None, unassigned values and 101 (pointer speed, set in the interface)
            break;
    }
}
