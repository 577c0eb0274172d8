#include "console/core/clickerkeys.h"

namespace luckdial {

ClickerAction clickerAction(ClickerKey key, bool onHall) {
    switch (key) {
    case ClickerKey::Space:
        return onHall ? ClickerAction::None : ClickerAction::StartStop;
    case ClickerKey::PageDown:
    case ClickerKey::Right:
    case ClickerKey::Down:
        return ClickerAction::StartStop;
    case ClickerKey::B:
    case ClickerKey::Period:
        return ClickerAction::Blackout;
    case ClickerKey::F2:
        return ClickerAction::ToggleConsole;
    case ClickerKey::PageUp:
    case ClickerKey::Left:
    case ClickerKey::Up:
    case ClickerKey::F5:
    case ClickerKey::Escape:
        return ClickerAction::Swallow;
    case ClickerKey::Other:
        break;
    }
    return ClickerAction::None;
}

} // namespace luckdial
