#pragma once
// System-wide hot keys on X11: a passive key grab on the root window, so the
// key reaches this program whichever window has the focus.

#include <QAbstractNativeEventFilter>

#include <cstdint>
#include <functional>
#include <vector>

namespace luckdial {

class X11HotKeys : public QAbstractNativeEventFilter {
public:
    X11HotKeys();
    ~X11HotKeys() override;
    X11HotKeys(const X11HotKeys&) = delete;
    X11HotKeys& operator=(const X11HotKeys&) = delete;

    /// modifiers: 1 Alt, 2 Ctrl, 4 Shift, 8 Super; key: a Windows virtual-key
    /// code. The identifier (1, 2, ...) or 0 when there is no X11 connection,
    /// the key has no key code, or another client holds the grab.
    int bind(int modifiers, int virtualKey, std::function<void()> onPress);

    bool nativeEventFilter(const QByteArray& eventType, void* message, qintptr* result) override;

    /// The X keysym of a Windows virtual-key code; 0 for keys not supported.
    static std::uint32_t keysymOf(int virtualKey);

private:
    struct Binding {
        int id;
        std::uint8_t keycode;
        std::uint16_t modifiers;
        std::function<void()> onPress;
    };
    void ungrab(const Binding& binding);

    std::vector<Binding> bindings_;
    int nextId_ = 1;
    bool filterInstalled_ = false;
};

} // namespace luckdial
