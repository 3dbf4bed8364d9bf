#include "platform/linux/KX11DesktopBackend.h"

#include "platform/linux/KGammaControl.h"

#include <QDebug>

#include <X11/Xatom.h>
#include <X11/Xlib.h>
#include <X11/Xutil.h>
#include <X11/extensions/XInput2.h>

// After the Qt headers: Xlib defines macros (Status, Bool) that Qt's would trip over.
#include "platform/linux/KXErrorTrap.h"

#include <cmath>
#include <cstring>

namespace {

constexpr const char* kAccelProperty = "libinput Accel Speed";

// XInput property data of format 32 travels as an array of long on the client side; a FLOAT
// property keeps the float's bits in the low 32 bits of each long.
float floatFromItem(const unsigned char* data) {
    long item = 0;
    memcpy(&item, data, sizeof item);
    const quint32 bits = quint32(item);
    float value = 0;
    memcpy(&value, &bits, sizeof value);
    return value;
}

long itemFromFloat(float value) {
    quint32 bits = 0;
    memcpy(&bits, &value, sizeof bits);
    return long(bits);
}

}  // namespace

KX11DesktopBackend::KX11DesktopBackend(const QString& displayName, const KDesktopSession& session)
    : m_displayName(displayName), m_session(session) {}

KX11DesktopBackend::~KX11DesktopBackend() {
    // The own tables go back while the display is still open.
    m_gamma.reset();
    if (m_display)
        XCloseDisplay(m_display);
}

Display* KX11DesktopBackend::display() {
    if (!m_triedDisplay) {
        m_triedDisplay = true;
        const QByteArray name = m_displayName.toLocal8Bit();
        m_display = XOpenDisplay(name.isEmpty() ? nullptr : name.constData());
        if (!m_display)
            qWarning().noquote() << "desktop: no X11 display reachable"
                                 << (name.isEmpty() ? qgetenv("DISPLAY") : name)
                                 << "- brightness, window actions and pointer speed do nothing";
    }
    return m_display;
}

std::vector<quint16> KX11DesktopBackend::scaleGammaRamp(const GammaRamp& ramp, int size) {
    std::vector<quint16> scaled(size > 0 ? size_t(size) : 0);
    if (size == 1)
        scaled[0] = ramp[0];
    for (int j = 0; size > 1 && j < size; ++j) {
        const double pos = double(j) * (ramp.size() - 1) / (size - 1);
        const int i = std::min(int(pos), int(ramp.size()) - 2);
        const double frac = pos - i;
        scaled[j] = quint16(std::lround(ramp[i] * (1.0 - frac) + ramp[i + 1] * frac));
    }
    return scaled;
}

KGammaControl* KX11DesktopBackend::gammaControl() {
    if (!m_gamma)
        m_gamma = KGammaControl::create(m_session, [this] { return display(); });
    return m_gamma.get();
}

bool KX11DesktopBackend::setGammaRamp(const GammaRamp& ramp) {
    return gammaControl()->apply(ramp) == KGammaControl::Result::Applied;
}

bool KX11DesktopBackend::gammaAvailable() {
    return gammaControl()->available();
}

void KX11DesktopBackend::restoreGamma() {
    if (m_gamma)
        m_gamma->restore();
}

QList<unsigned long> KX11DesktopBackend::windowProperty(KWindowId window, const char* name,
                                                        unsigned long type) {
    QList<unsigned long> values;
    Display* d = display();
    if (!d || !window)
        return values;
    const Atom property = XInternAtom(d, name, True);
    if (property == None)
        return values;
    KXErrorTrap trap(d);
    Atom actualType = None;
    int format = 0;
    unsigned long count = 0, after = 0;
    unsigned char* data = nullptr;
    if (XGetWindowProperty(d, Window(window), property, 0, 1024, False, type, &actualType, &format,
                           &count, &after, &data) == Success &&
        data && format == 32 && actualType == type) {
        // Format-32 data comes as an array of long, whatever the size of long.
        const unsigned long* items = reinterpret_cast<const unsigned long*>(data);
        for (unsigned long i = 0; i < count; ++i)
            values << items[i];
    }
    if (data)
        XFree(data);
    return values;
}

KWindowId KX11DesktopBackend::foregroundWindow() {
    Display* d = display();
    if (!d)
        return 0;
    const QList<unsigned long> active =
        windowProperty(DefaultRootWindow(d), "_NET_ACTIVE_WINDOW", XA_WINDOW);
    if (!active.isEmpty())
        return active.first();
    // No EWMH window manager: the window with the input focus.
    Window focus = None;
    int revert = 0;
    XGetInputFocus(d, &focus, &revert);
    if (focus == None || focus == PointerRoot || focus == DefaultRootWindow(d))
        return 0;
    return focus;
}

QString KX11DesktopBackend::windowTitle(KWindowId window) {
    Display* d = display();
    if (!d || !window)
        return QString();
    KXErrorTrap trap(d);
    const Atom netName = XInternAtom(d, "_NET_WM_NAME", False);
    const Atom utf8 = XInternAtom(d, "UTF8_STRING", False);
    Atom actualType = None;
    int format = 0;
    unsigned long count = 0, after = 0;
    unsigned char* data = nullptr;
    QString title;
    if (XGetWindowProperty(d, Window(window), netName, 0, 4096, False, utf8, &actualType, &format,
                           &count, &after, &data) == Success &&
        data && actualType == utf8 && format == 8) {
        title = QString::fromUtf8(reinterpret_cast<const char*>(data), int(count));
    }
    if (data)
        XFree(data);
    if (title.isEmpty()) {
        char* name = nullptr;
        if (XFetchName(d, Window(window), &name) && name) {
            title = QString::fromLocal8Bit(name);
            XFree(name);
        }
    }
    return title;
}

bool KX11DesktopBackend::isWindowMaximized(KWindowId window) {
    Display* d = display();
    if (!d || !window)
        return false;
    const QList<unsigned long> states = windowProperty(window, "_NET_WM_STATE", XA_ATOM);
    const Atom vert = XInternAtom(d, "_NET_WM_STATE_MAXIMIZED_VERT", False);
    const Atom horz = XInternAtom(d, "_NET_WM_STATE_MAXIMIZED_HORZ", False);
    return states.contains(vert) && states.contains(horz);
}

void KX11DesktopBackend::maximizeWindow(KWindowId window) {
    Display* d = display();
    if (!d || !window)
        return;
    // EWMH: ask the window manager to add both maximized states.
    XEvent event{};
    event.xclient.type = ClientMessage;
    event.xclient.window = Window(window);
    event.xclient.message_type = XInternAtom(d, "_NET_WM_STATE", False);
    event.xclient.format = 32;
    event.xclient.data.l[0] = 1;  // _NET_WM_STATE_ADD
    event.xclient.data.l[1] = long(XInternAtom(d, "_NET_WM_STATE_MAXIMIZED_VERT", False));
    event.xclient.data.l[2] = long(XInternAtom(d, "_NET_WM_STATE_MAXIMIZED_HORZ", False));
    event.xclient.data.l[3] = 1;  // source: a normal application
    KXErrorTrap trap(d);
    XSendEvent(d, DefaultRootWindow(d), False, SubstructureRedirectMask | SubstructureNotifyMask,
               &event);
    XFlush(d);
}

void KX11DesktopBackend::minimizeWindow(KWindowId window) {
    Display* d = display();
    if (!d || !window)
        return;
    KXErrorTrap trap(d);
    XIconifyWindow(d, Window(window), DefaultScreen(d));
    XFlush(d);
}

QPoint KX11DesktopBackend::cursorPos() {
    Display* d = display();
    if (!d)
        return QPoint();
    Window root = None, child = None;
    int rootX = 0, rootY = 0, winX = 0, winY = 0;
    unsigned int mask = 0;
    XQueryPointer(d, DefaultRootWindow(d), &root, &child, &rootX, &rootY, &winX, &winY, &mask);
    return QPoint(rootX, rootY);
}

KWindowId KX11DesktopBackend::windowFromPoint(const QPoint& screenPos) {
    Display* d = display();
    if (!d)
        return 0;
    KXErrorTrap trap(d);
    const Window root = DefaultRootWindow(d);
    const Atom wmState = XInternAtom(d, "WM_STATE", False);
    // Walk down from the root to the innermost window at the point; the application's window
    // is the first one carrying WM_STATE (above it are the window manager's frames).
    Window current = root, client = None;
    for (int depth = 0; depth < 64; ++depth) {
        int x = 0, y = 0;
        Window child = None;
        if (!XTranslateCoordinates(d, root, current, screenPos.x(), screenPos.y(), &x, &y,
                                   &child) ||
            child == None)
            break;
        current = child;
        if (client == None) {
            Atom type = None;
            int format = 0;
            unsigned long count = 0, after = 0;
            unsigned char* data = nullptr;
            if (XGetWindowProperty(d, current, wmState, 0, 0, False, AnyPropertyType, &type,
                                   &format, &count, &after, &data) == Success &&
                type != None)
                client = current;
            if (data)
                XFree(data);
        }
    }
    if (trap.error())
        return 0;
    return client != None ? client : (current != root ? current : 0);
}

QString KX11DesktopBackend::windowClassName(KWindowId window) {
    Display* d = display();
    if (!d || !window)
        return QString();
    KXErrorTrap trap(d);
    XClassHint hint{};
    QString name;
    if (XGetClassHint(d, Window(window), &hint)) {
        name = QString::fromLocal8Bit(hint.res_class);
        XFree(hint.res_name);
        XFree(hint.res_class);
    }
    return name;
}

KWindowId KX11DesktopBackend::childWindowAt(KWindowId parent, const QPoint& screenPos) {
    Display* d = display();
    if (!d || !parent)
        return 0;
    if (!windowRect(parent).contains(screenPos))
        return 0;
    KXErrorTrap trap(d);
    int x = 0, y = 0;
    Window child = None;
    XTranslateCoordinates(d, DefaultRootWindow(d), Window(parent), screenPos.x(), screenPos.y(), &x,
                          &y, &child);
    if (trap.error())
        return 0;
    return child != None ? child : parent;
}

QRect KX11DesktopBackend::windowRect(KWindowId window) {
    Display* d = display();
    if (!d || !window)
        return QRect();
    KXErrorTrap trap(d);
    XWindowAttributes attributes{};
    int x = 0, y = 0;
    Window child = None;
    if (!XGetWindowAttributes(d, Window(window), &attributes) ||
        !XTranslateCoordinates(d, Window(window), DefaultRootWindow(d), 0, 0, &x, &y, &child) ||
        trap.error())
        return QRect();
    return QRect(x, y, attributes.width, attributes.height);
}

QList<KWindowId> KX11DesktopBackend::childWindows(KWindowId window) {
    QList<KWindowId> all;
    Display* d = display();
    if (!d || !window)
        return all;
    KXErrorTrap trap(d);
    Window root = None, parent = None;
    Window* children = nullptr;
    unsigned int count = 0;
    if (!XQueryTree(d, Window(window), &root, &parent, &children, &count))
        return all;
    for (unsigned int i = 0; i < count; ++i)
        all << children[i] << childWindows(children[i]);
    if (children)
        XFree(children);
    return all;
}

void KX11DesktopBackend::postHorizontalScroll(KWindowId, bool, KWindowId) {
    // X11 has no scroll-bar message; the horizontal wheel event does the scrolling.
}

double KX11DesktopBackend::accelFromSpeed(int speed) {
    speed = std::max(1, std::min(20, speed));
    return speed <= 10 ? (speed - 10) / 9.0 : (speed - 10) / 10.0;
}

int KX11DesktopBackend::speedFromAccel(double accel) {
    if (!std::isfinite(accel))
        return 10;
    accel = std::max(-1.0, std::min(1.0, accel));
    const double speed = accel <= 0 ? 10 + accel * 9 : 10 + accel * 10;
    return int(std::lround(speed));
}

QList<KX11DesktopBackend::AccelDevice> KX11DesktopBackend::accelDevices() {
    QList<AccelDevice> found;
    Display* d = display();
    if (!d)
        return found;
    int opcode = 0, event = 0, error = 0;
    const Atom property = XInternAtom(d, kAccelProperty, True);
    const Atom floatType = XInternAtom(d, "FLOAT", True);
    if (property == None || floatType == None ||
        !XQueryExtension(d, "XInputExtension", &opcode, &event, &error))
        return found;
    KXErrorTrap trap(d);
    int count = 0;
    XIDeviceInfo* devices = XIQueryDevice(d, XIAllDevices, &count);
    for (int i = 0; devices && i < count; ++i) {
        if (devices[i].use != XISlavePointer || !devices[i].enabled)
            continue;
        Atom type = None;
        int format = 0;
        unsigned long items = 0, after = 0;
        unsigned char* data = nullptr;
        if (XIGetProperty(d, devices[i].deviceid, property, 0, 1, False, floatType, &type, &format,
                          &items, &after, &data) == Success &&
            type == floatType && format == 32 && items == 1 && data)
            found << AccelDevice{devices[i].deviceid, floatFromItem(data)};
        if (data)
            XFree(data);
    }
    if (devices)
        XIFreeDeviceInfo(devices);
    return trap.error() ? QList<AccelDevice>() : found;
}

bool KX11DesktopBackend::pointerSpeed(int* speed) {
    const QList<AccelDevice> devices = accelDevices();
    if (devices.isEmpty())
        return false;
    *speed = speedFromAccel(devices.first().accel);
    return true;
}

bool KX11DesktopBackend::setPointerSpeed(int speed) {
    if (speed < 1 || speed > 20)
        return false;
    // Only devices that have the property: changing it on others would create it.
    const QList<AccelDevice> devices = accelDevices();
    if (devices.isEmpty()) {
        if (!m_speedWarned && display())
            qWarning() << "desktop: no pointer device has" << kAccelProperty
                       << "(the X server does not use libinput); pointer speed is unsupported";
        m_speedWarned = true;
        return false;
    }
    Display* d = display();
    const Atom property = XInternAtom(d, kAccelProperty, True);
    const Atom floatType = XInternAtom(d, "FLOAT", True);
    const long item = itemFromFloat(float(accelFromSpeed(speed)));
    KXErrorTrap trap(d);
    for (const AccelDevice& device : devices)
        XIChangeProperty(d, device.id, property, floatType, 32, PropModeReplace,
                         reinterpret_cast<unsigned char*>(const_cast<long*>(&item)), 1);
    if (const int code = trap.error()) {
        qWarning() << "desktop: setting the pointer speed failed with X error" << code;
        return false;
    }
    return true;
}
