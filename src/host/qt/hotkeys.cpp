#include "host/qt/hotkeys.h"

#include <QCoreApplication>
#include <QGuiApplication>
#include <QMetaObject>

#include <xcb/xcb.h>

#include <cstdlib>
#include <memory>

namespace luckdial {

namespace {

struct FreeDeleter {
    void operator()(void* p) const { std::free(p); }
};
template <class T> using XcbReply = std::unique_ptr<T, FreeDeleter>;

xcb_connection_t* connection() {
    auto* app = qobject_cast<QGuiApplication*>(QCoreApplication::instance());
    if (!app) return nullptr;
    auto* x11 = app->nativeInterface<QNativeInterface::QX11Application>();
    // Other platforms (offscreen among them) may offer the interface without
    // a connection behind it.
    return x11 ? x11->connection() : nullptr;
}

xcb_window_t rootWindow(xcb_connection_t* conn) {
    const xcb_screen_iterator_t it = xcb_setup_roots_iterator(xcb_get_setup(conn));
    return it.rem > 0 ? it.data->root : static_cast<xcb_window_t>(XCB_WINDOW_NONE);
}

/// The first key code that produces keysym at any shift level; 0 if none.
std::uint8_t keycodeOf(xcb_connection_t* conn, std::uint32_t keysym) {
    const xcb_setup_t* setup = xcb_get_setup(conn);
    const int first = setup->min_keycode;
    const int count = setup->max_keycode - setup->min_keycode + 1;
    XcbReply<xcb_get_keyboard_mapping_reply_t> reply(xcb_get_keyboard_mapping_reply(
        conn,
        xcb_get_keyboard_mapping(conn, static_cast<xcb_keycode_t>(first),
                                 static_cast<std::uint8_t>(count)),
        nullptr));
    if (!reply) return 0;
    const xcb_keysym_t* syms = xcb_get_keyboard_mapping_keysyms(reply.get());
    const int perCode = reply->keysyms_per_keycode;
    const int total = xcb_get_keyboard_mapping_keysyms_length(reply.get());
    for (int i = 0; i < total; ++i) {
        if (syms[i] == keysym) return static_cast<std::uint8_t>(first + i / perCode);
    }
    return 0;
}

/// The modifier mask that Num Lock sets (Mod2 on nearly every layout).
std::uint16_t numLockMask(xcb_connection_t* conn) {
    constexpr std::uint32_t XK_Num_Lock = 0xff7f;
    const std::uint8_t numLock = keycodeOf(conn, XK_Num_Lock);
    if (numLock == 0) return XCB_MOD_MASK_2;
    XcbReply<xcb_get_modifier_mapping_reply_t> reply(
        xcb_get_modifier_mapping_reply(conn, xcb_get_modifier_mapping(conn), nullptr));
    if (!reply) return XCB_MOD_MASK_2;
    const xcb_keycode_t* codes = xcb_get_modifier_mapping_keycodes(reply.get());
    const int perModifier = reply->keycodes_per_modifier;
    for (int mod = 0; mod < 8; ++mod) {
        for (int j = 0; j < perModifier; ++j) {
            if (codes[mod * perModifier + j] == numLock)
                return static_cast<std::uint16_t>(1u << mod);
        }
    }
    return XCB_MOD_MASK_2;
}

constexpr std::uint16_t kRelevantMods =
    XCB_MOD_MASK_SHIFT | XCB_MOD_MASK_CONTROL | XCB_MOD_MASK_1 | XCB_MOD_MASK_4;

std::uint16_t xModifiers(int windowsModifiers) {
    std::uint16_t mods = 0;
    if (windowsModifiers & 1) mods |= XCB_MOD_MASK_1;
    if (windowsModifiers & 2) mods |= XCB_MOD_MASK_CONTROL;
    if (windowsModifiers & 4) mods |= XCB_MOD_MASK_SHIFT;
    if (windowsModifiers & 8) mods |= XCB_MOD_MASK_4;
    return mods;
}

} // namespace

X11HotKeys::X11HotKeys() = default;

X11HotKeys::~X11HotKeys() {
    for (const Binding& b : bindings_)
        ungrab(b);
    if (filterInstalled_ && QCoreApplication::instance())
        QCoreApplication::instance()->removeNativeEventFilter(this);
    if (xcb_connection_t* conn = connection(); conn && !bindings_.empty()) xcb_flush(conn);
}

std::uint32_t X11HotKeys::keysymOf(int vk) {
    if (vk >= 0x70 && vk <= 0x87) return 0xffbe + static_cast<std::uint32_t>(vk - 0x70); // F1..F24
    if (vk >= 'A' && vk <= 'Z') return static_cast<std::uint32_t>(vk - 'A' + 'a');
    if (vk >= '0' && vk <= '9') return static_cast<std::uint32_t>(vk);
    if (vk >= 0x60 && vk <= 0x69) return 0xffb0 + static_cast<std::uint32_t>(vk - 0x60); // KP_0..9
    switch (vk) {
    case 0x08:
        return 0xff08; // BackSpace
    case 0x09:
        return 0xff09; // Tab
    case 0x0D:
        return 0xff0d; // Return
    case 0x13:
        return 0xff13; // Pause
    case 0x1B:
        return 0xff1b; // Escape
    case 0x20:
        return 0x0020; // space
    case 0x21:
        return 0xff55; // Prior
    case 0x22:
        return 0xff56; // Next
    case 0x23:
        return 0xff57; // End
    case 0x24:
        return 0xff50; // Home
    case 0x25:
        return 0xff51; // Left
    case 0x26:
        return 0xff52; // Up
    case 0x27:
        return 0xff53; // Right
    case 0x28:
        return 0xff54; // Down
    case 0x2D:
        return 0xff63; // Insert
    case 0x2E:
        return 0xffff; // Delete
    default:
        return 0;
    }
}

int X11HotKeys::bind(int modifiers, int virtualKey, std::function<void()> onPress) {
    xcb_connection_t* conn = connection();
    if (!conn) return 0;
    const xcb_window_t root = rootWindow(conn);
    const std::uint32_t keysym = keysymOf(virtualKey);
    const std::uint8_t keycode = keysym ? keycodeOf(conn, keysym) : 0;
    if (root == XCB_WINDOW_NONE || keycode == 0) return 0;

    const std::uint16_t mods = xModifiers(modifiers);
    const std::uint16_t numLock = numLockMask(conn);
    // The grab matches the modifier state exactly, so Num Lock and Caps Lock
    // need grabs of their own.
    const std::uint16_t variants[] = {0, XCB_MOD_MASK_LOCK, numLock,
                                      static_cast<std::uint16_t>(XCB_MOD_MASK_LOCK | numLock)};
    xcb_void_cookie_t cookies[4];
    for (int i = 0; i < 4; ++i) {
        cookies[i] =
            xcb_grab_key_checked(conn, 1, root, static_cast<std::uint16_t>(mods | variants[i]),
                                 keycode, XCB_GRAB_MODE_ASYNC, XCB_GRAB_MODE_ASYNC);
    }
    bool refused = false;
    for (const xcb_void_cookie_t& cookie : cookies) {
        if (xcb_generic_error_t* error = xcb_request_check(conn, cookie)) {
            refused = true;
            std::free(error);
        }
    }
    Binding binding{0, keycode, mods, std::move(onPress)};
    if (refused) {
        // Another client holds the key: release the variants we did get.
        ungrab(binding);
        xcb_flush(conn);
        return 0;
    }
    if (!filterInstalled_) {
        QCoreApplication::instance()->installNativeEventFilter(this);
        filterInstalled_ = true;
    }
    binding.id = nextId_++;
    bindings_.push_back(std::move(binding));
    return bindings_.back().id;
}

void X11HotKeys::ungrab(const Binding& binding) {
    xcb_connection_t* conn = connection();
    if (!conn) return;
    const xcb_window_t root = rootWindow(conn);
    const std::uint16_t numLock = numLockMask(conn);
    const std::uint16_t variants[] = {0, XCB_MOD_MASK_LOCK, numLock,
                                      static_cast<std::uint16_t>(XCB_MOD_MASK_LOCK | numLock)};
    for (std::uint16_t v : variants)
        xcb_ungrab_key(conn, binding.keycode, root,
                       static_cast<std::uint16_t>(binding.modifiers | v));
}

bool X11HotKeys::nativeEventFilter(const QByteArray& eventType, void* message, qintptr*) {
    if (eventType != "xcb_generic_event_t" || !message) return false;
    const auto* event = static_cast<const xcb_generic_event_t*>(message);
    if ((event->response_type & 0x7f) != XCB_KEY_PRESS) return false;
    const auto* press = static_cast<const xcb_key_press_event_t*>(message);
    for (const Binding& b : bindings_) {
        if (press->detail == b.keycode && (press->state & kRelevantMods) == b.modifiers) {
            // The handler may open dialogs or wait; run it from the event loop,
            // not from inside the native event dispatch.
            auto handler = b.onPress;
            QMetaObject::invokeMethod(
                QCoreApplication::instance(),
                [handler] {
                    if (handler) handler();
                },
                Qt::QueuedConnection);
            return true;
        }
    }
    return false;
}

} // namespace luckdial
