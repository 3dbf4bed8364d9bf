#include "platform/linux/KXkbX11Keymap.h"

#include <QStringList>

#include <xcb/xcb.h>
// xcb's XKB header names a member "explicit", a C++ keyword.
#define explicit explicit_
#include <xcb/xkb.h>
#undef explicit
#include <xkbcommon/xkbcommon-x11.h>
#include <xkbcommon/xkbcommon.h>

#include <cstdlib>
#include <cstring>

namespace {

// The RMLVO names the keymap was made from, as setxkbmap and the X server leave them on the
// root window: rules, model, layout, variant, options, each NUL-terminated.
QStringList rulesNames(xcb_connection_t* c) {
    static const char name[] = "_XKB_RULES_NAMES";
    xcb_intern_atom_reply_t* atom =
        xcb_intern_atom_reply(c, xcb_intern_atom(c, 1, std::strlen(name), name), nullptr);
    if (!atom)
        return {};
    const xcb_atom_t a = atom->atom;
    std::free(atom);
    if (a == XCB_ATOM_NONE)
        return {};
    const xcb_window_t root = xcb_setup_roots_iterator(xcb_get_setup(c)).data->root;
    xcb_get_property_reply_t* reply = xcb_get_property_reply(
        c, xcb_get_property(c, 0, root, a, XCB_ATOM_STRING, 0, 1024), nullptr);
    if (!reply)
        return {};
    const QByteArray value(static_cast<const char*>(xcb_get_property_value(reply)),
                           xcb_get_property_value_length(reply));
    std::free(reply);
    QStringList fields;
    for (const QByteArray& f : value.split('\0'))
        fields << QString::fromUtf8(f);
    return fields;
}

}  // namespace

std::unique_ptr<KXkbX11Keymap> KXkbX11Keymap::connect(const QByteArray& displayName,
                                                      QString* error) {
    xcb_connection_t* c =
        xcb_connect(displayName.isEmpty() ? nullptr : displayName.constData(), nullptr);
    if (!c || xcb_connection_has_error(c)) {
        if (c)
            xcb_disconnect(c);
        if (error)
            *error = QStringLiteral("cannot connect to the X server");
        return nullptr;
    }
    quint8 eventBase = 0;
    if (!xkb_x11_setup_xkb_extension(
            c, XKB_X11_MIN_MAJOR_XKB_VERSION, XKB_X11_MIN_MINOR_XKB_VERSION,
            XKB_X11_SETUP_XKB_EXTENSION_NO_FLAGS, nullptr, nullptr, &eventBase, nullptr)) {
        xcb_disconnect(c);
        if (error)
            *error = QStringLiteral("the X server has no XKB extension");
        return nullptr;
    }
    const int32_t device = xkb_x11_get_core_keyboard_device_id(c);
    if (device < 0) {
        xcb_disconnect(c);
        if (error)
            *error = QStringLiteral("the X server has no core keyboard");
        return nullptr;
    }
    // A new keyboard or keymap, and a change of the locked group (a layout switch). Other state
    // changes (every modifier press) are not asked for.
    const uint16_t events = XCB_XKB_EVENT_TYPE_NEW_KEYBOARD_NOTIFY | XCB_XKB_EVENT_TYPE_MAP_NOTIFY |
                            XCB_XKB_EVENT_TYPE_STATE_NOTIFY;
    const uint16_t mapParts = XCB_XKB_MAP_PART_KEY_TYPES | XCB_XKB_MAP_PART_KEY_SYMS |
                              XCB_XKB_MAP_PART_MODIFIER_MAP | XCB_XKB_MAP_PART_EXPLICIT_COMPONENTS |
                              XCB_XKB_MAP_PART_KEY_ACTIONS | XCB_XKB_MAP_PART_VIRTUAL_MODS |
                              XCB_XKB_MAP_PART_VIRTUAL_MOD_MAP;
    xcb_xkb_select_events_details_t details{};
    details.affectNewKeyboard = XCB_XKB_NKN_DETAIL_KEYCODES;
    details.newKeyboardDetails = XCB_XKB_NKN_DETAIL_KEYCODES;
    details.affectState = XCB_XKB_STATE_PART_GROUP_LOCK;
    details.stateDetails = XCB_XKB_STATE_PART_GROUP_LOCK;
    xcb_generic_error_t* selectError = xcb_request_check(
        c,
        xcb_xkb_select_events_aux_checked(c, device, events, 0, 0, mapParts, mapParts, &details));
    if (selectError) {
        std::free(selectError);
        xcb_disconnect(c);
        if (error)
            *error = QStringLiteral("the X server refuses XKB notifications");
        return nullptr;
    }
    std::unique_ptr<KXkbX11Keymap> keymap(new KXkbX11Keymap(c, device, eventBase));
    if (!keymap->m_keymap) {
        if (error)
            *error = QStringLiteral("the X server's keymap cannot be read");
        return nullptr;
    }
    return keymap;
}

KXkbX11Keymap::KXkbX11Keymap(xcb_connection_t* connection, int deviceId, quint8 eventBase)
    : m_connection(connection), m_deviceId(deviceId), m_eventBase(eventBase) {
    m_context = xkb_context_new(XKB_CONTEXT_NO_FLAGS);
    reload(true);
}

KXkbX11Keymap::~KXkbX11Keymap() {
    if (m_keymap)
        xkb_keymap_unref(m_keymap);
    if (m_context)
        xkb_context_unref(m_context);
    xcb_disconnect(m_connection);
}

int KXkbX11Keymap::fileDescriptor() const {
    return xcb_get_file_descriptor(m_connection);
}

bool KXkbX11Keymap::update() {
    // Reading the new keymap takes round trips, during which xcb may queue further notifications
    // without the socket staying readable: read until none is left.
    const std::shared_ptr<const KXkbLayout> old = m_layout;
    for (;;) {
        bool keymapChanged = false;
        bool groupChanged = false;
        while (xcb_generic_event_t* event = xcb_poll_for_event(m_connection)) {
            if ((event->response_type & 0x7f) == m_eventBase) {
                // Every XKB event carries its XKB type in the second byte.
                const quint8 xkbType = reinterpret_cast<const quint8*>(event)[1];
                if (xkbType == XCB_XKB_NEW_KEYBOARD_NOTIFY || xkbType == XCB_XKB_MAP_NOTIFY) {
                    keymapChanged = true;
                } else if (xkbType == XCB_XKB_STATE_NOTIFY) {
                    const auto* state =
                        reinterpret_cast<const xcb_xkb_state_notify_event_t*>(event);
                    if (state->lockedGroup != m_group)
                        groupChanged = true;
                }
            }
            std::free(event);
        }
        if (!keymapChanged && !groupChanged)
            break;
        reload(keymapChanged);
    }
    return m_layout != old;
}

void KXkbX11Keymap::reload(bool keymapToo) {
    if (!m_context || xcb_connection_has_error(m_connection))
        return;
    if (keymapToo || !m_keymap) {
        xkb_keymap* keymap = xkb_x11_keymap_new_from_device(m_context, m_connection, m_deviceId,
                                                            XKB_KEYMAP_COMPILE_NO_FLAGS);
        if (!keymap)
            return;
        if (m_keymap)
            xkb_keymap_unref(m_keymap);
        m_keymap = keymap;
    }
    xkb_state* state = xkb_x11_state_new_from_device(m_keymap, m_connection, m_deviceId);
    if (state) {
        m_group = xkb_state_serialize_layout(state, XKB_STATE_LAYOUT_LOCKED);
        xkb_state_unref(state);
    }
    if (m_group >= xkb_keymap_num_layouts(m_keymap))
        m_group = 0;
    m_layout = KXkbLayout::fromKeymap(m_keymap, m_group, describe(m_group));
}

QString KXkbX11Keymap::describe(quint32 group) const {
    const QStringList names = rulesNames(m_connection);
    QStringList layouts = names.value(2).split(QLatin1Char(','), Qt::SkipEmptyParts);
    const QStringList variants = names.value(3).split(QLatin1Char(','));
    if (layouts.size() != int(xkb_keymap_num_layouts(m_keymap))) {
        // No names, or not those of this keymap: the keymap's own layout names.
        layouts.clear();
        for (xkb_layout_index_t g = 0; g < xkb_keymap_num_layouts(m_keymap); ++g) {
            const char* name = xkb_keymap_layout_get_name(m_keymap, g);
            layouts << (name ? QString::fromUtf8(name) : QStringLiteral("group %1").arg(g + 1));
        }
    } else {
        for (int i = 0; i < layouts.size(); ++i) {
            if (!variants.value(i).isEmpty())
                layouts[i] += QStringLiteral("(%1)").arg(variants.value(i));
        }
    }
    QString text = layouts.value(int(group));
    if (layouts.size() > 1)
        text +=
            QStringLiteral(", group %1 of %2").arg(group + 1).arg(layouts.join(QLatin1Char(',')));
    return text + QStringLiteral(" (from the X server)");
}
