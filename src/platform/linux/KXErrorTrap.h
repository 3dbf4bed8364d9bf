#pragma once

#include <X11/Xlib.h>

// Collects X protocol errors of the calls made while it exists instead of letting the default
// handler end the process. Main thread only; traps do not nest.
class KXErrorTrap {
public:
    explicit KXErrorTrap(Display* display) : m_display(display) {
        XSync(m_display, False);
        s_error = 0;
        m_previous = XSetErrorHandler(&KXErrorTrap::handler);
    }
    ~KXErrorTrap() {
        XSync(m_display, False);
        XSetErrorHandler(m_previous);
    }
    KXErrorTrap(const KXErrorTrap&) = delete;
    KXErrorTrap& operator=(const KXErrorTrap&) = delete;

    // The first error code seen so far (after flushing), 0 when none.
    int error() {
        XSync(m_display, False);
        return s_error;
    }

private:
    static int handler(Display*, XErrorEvent* event) {
        if (s_error == 0)
            s_error = event->error_code;
        return 0;
    }
    static inline int s_error = 0;
    Display* m_display;
    XErrorHandler m_previous;
};
