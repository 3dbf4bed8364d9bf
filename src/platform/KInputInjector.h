#pragma once

#include <QString>
#include <QtGlobal>

// Hands keyboard and mouse events to the system as if they came from a device. Events are given
// in the logic's vocabulary (KInputCodes.h); extraInfo is the value Windows attaches to an
// injected event so that the program's own hooks recognise it (backends without such a field
// mark the events by the identity of their virtual device instead). Every call may come from any
// thread; a backend serialises its events itself and never blocks for long.
class KInputInjector {
public:
    virtual ~KInputInjector() = default;

    // One key event: a Windows virtual-key code, pressed (up = false) or released.
    virtual void sendKey(quint8 vk, bool up, quintptr extraInfo) = 0;
    // One mouse event without movement: mouse_event flags and data word. Flags combined in one
    // event take effect in the order of their values (down before up, buttons before wheels).
    virtual void sendMouse(quint32 flags, qint32 data, quintptr extraInfo) = 0;
    // How the events leave: "uinput", "xtest", "none" or "sim".
    virtual QString method() const = 0;

    // Who receives the events: every program and the desktop itself, only the programs of an X
    // server (XTest in a Wayland session reaches Xwayland's programs alone), or nobody.
    enum class Reach { Everyone, X11Programs, Nobody };
    virtual Reach reach() const { return Reach::Everyone; }
};
