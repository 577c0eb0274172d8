#pragma once
// What a key does on the hall display and the console: a wireless presenter
// is a keyboard of a few keys, sent by different models in different pairs.

namespace luckdial {

/// The keys the two windows care about beyond their own; Other for the rest.
enum class ClickerKey {
    Other,
    Space,
    PageDown,
    PageUp,
    Right,
    Left,
    Down,
    Up,
    B,
    Period,
    F5,
    Escape,
    F2,
};

enum class ClickerAction {
    None,          ///< the key goes on to the window as before
    StartStop,     ///< what Space does: start a draw, or stop the scroll
    Blackout,      ///< the hall display goes black, or comes back
    ToggleConsole, ///< hide or show the operator's console
    Swallow,       ///< taken and dropped: it must close, reset or draw nothing
};

/// The action of a key. onHall: the hall display has the focus, where Space
/// keeps its own path (the focused draw button) and so maps to None.
ClickerAction clickerAction(ClickerKey key, bool onHall);

} // namespace luckdial
