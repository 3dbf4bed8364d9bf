#include "platform/linux/KXTestInjector.h"

#include "platform/linux/KLinuxKeyMap.h"
#include "platform/linux/KMouseSteps.h"
#include "platform/linux/KXkbX11Keymap.h"

#include <QDebug>

#include <X11/Xlib.h>
#include <X11/extensions/XTest.h>

#include <cstdlib>

namespace {

// X pointer buttons: 1 left, 2 middle, 3 right, 4/5 wheel up/down, 6/7 wheel left/right,
// 8 back, 9 forward.
unsigned xButton(KMouseStep::Button button) {
    switch (button) {
        case KMouseStep::Left:
            return 1;
        case KMouseStep::Middle:
            return 2;
        case KMouseStep::Right:
            return 3;
        case KMouseStep::Back:
            return 8;
        case KMouseStep::Forward:
            return 9;
    }
    return 1;
}

}  // namespace

std::unique_ptr<KXTestInjector> KXTestInjector::create(const QString& displayName, QString* error) {
    const QByteArray name = displayName.toLocal8Bit();
    Display* display = XOpenDisplay(name.isEmpty() ? nullptr : name.constData());
    if (!display) {
        if (error) {
            const QString shown =
                name.isEmpty() ? QString::fromLocal8Bit(qgetenv("DISPLAY")) : displayName;
            *error = shown.isEmpty() ? QStringLiteral("no X11 display (DISPLAY is not set)")
                                     : QStringLiteral("cannot open X11 display %1").arg(shown);
        }
        return nullptr;
    }
    int eventBase = 0, errorBase = 0, major = 0, minor = 0;
    if (!XTestQueryExtension(display, &eventBase, &errorBase, &major, &minor)) {
        if (error)
            *error = QStringLiteral("the X server has no XTest extension");
        XCloseDisplay(display);
        return nullptr;
    }
    QString keymapError;
    std::unique_ptr<KXkbX11Keymap> keymap = KXkbX11Keymap::connect(name, &keymapError);
    QString logged;
    if (keymap && keymap->layout()) {
        logged = keymap->layout()->description();
        qInfo().noquote() << "[Info] keyboard layout" << logged;
    } else {
        qInfo().noquote() << "[Info] keyboard layout unknown (" + keymapError +
                                 "); letters, digits and signs are sent as the keys the X"
                                 " server maps to them";
    }
    std::unique_ptr<KXTestInjector> injector(new KXTestInjector(display, std::move(keymap)));
    injector->m_loggedLayout = logged;
    return injector;
}

KXTestInjector::KXTestInjector(Display* display, std::unique_ptr<KXkbX11Keymap> keymap)
    : m_display(display), m_keymap(std::move(keymap)) {
    XDisplayKeycodes(m_display, &m_minKeycode, &m_maxKeycode);
}

KXTestInjector::~KXTestInjector() {
    XCloseDisplay(m_display);
}

unsigned KXTestInjector::keycode(quint8 vk) const {
    unsigned code = 0;
    if (const quint32 sym = KLinuxKeyMap::keysym(vk))
        code = XKeysymToKeycode(m_display, sym);
    // A keymap without the symbol: servers with the evdev keymap number keys KEY_* + 8.
    if (code == 0) {
        if (const quint16 key = KLinuxKeyMap::linuxKey(vk))
            code = key + 8u;
    }
    if (code < unsigned(m_minKeycode) || code > unsigned(m_maxKeycode))
        return 0;
    return code;
}

std::shared_ptr<const KXkbLayout> KXTestInjector::layout() {
    if (!m_keymap)
        return nullptr;
    if (m_keymap->update() && m_keymap->layout() &&
        m_keymap->layout()->description() != m_loggedLayout) {
        m_loggedLayout = m_keymap->layout()->description();
        qInfo().noquote() << "[Info] keyboard layout" << m_loggedLayout;
    }
    return m_keymap->layout();
}

void KXTestInjector::sendKey(quint8 vk, bool up, quintptr) {
    const std::shared_ptr<const KXkbLayout> current = layout();
    const unsigned code = keycode(vk);
    KKeyStroke stroke;
    if (code == 0 && !(current && current->resolve(vk, &stroke))) {
        qWarning().noquote() << QStringLiteral(
                                    "input: virtual key 0x%1 has no key on this X server; ignored")
                                    .arg(vk, 2, 16, QLatin1Char('0'));
        return;
    }
    for (const KKeyEvent& e : m_expander.expand(current.get(), vk, up, code)) {
        if (e.key >= unsigned(m_minKeycode) && e.key <= unsigned(m_maxKeycode))
            XTestFakeKeyEvent(m_display, e.key, e.down ? True : False, CurrentTime);
    }
    XFlush(m_display);
}

void KXTestInjector::click(unsigned button) {
    XTestFakeButtonEvent(m_display, button, True, CurrentTime);
    XTestFakeButtonEvent(m_display, button, False, CurrentTime);
}

void KXTestInjector::sendMouse(quint32 flags, qint32 data, quintptr) {
    for (const KMouseStep& step : mouseSteps(flags, data)) {
        switch (step.kind) {
            case KMouseStep::Press:
            case KMouseStep::Release:
                XTestFakeButtonEvent(m_display, xButton(step.button),
                                     step.kind == KMouseStep::Press ? True : False, CurrentTime);
                break;
            case KMouseStep::Wheel:
            case KMouseStep::HorizontalWheel: {
                // Each notch is a click of a wheel button.
                const int notches = wheelNotches(step.delta);
                const bool vertical = step.kind == KMouseStep::Wheel;
                const unsigned button = vertical ? (notches > 0 ? 4 : 5) : (notches > 0 ? 7 : 6);
                for (int i = 0; i < std::abs(notches); ++i)
                    click(button);
                break;
            }
        }
    }
    XFlush(m_display);
}
