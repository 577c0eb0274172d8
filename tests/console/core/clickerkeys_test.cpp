#include "console/core/clickerkeys.h"

#include <gtest/gtest.h>

namespace luckdial {
namespace {

TEST(ClickerKeys, EveryPresenterKeyHasItsAction) {
    using K = ClickerKey;
    using A = ClickerAction;
    struct Case {
        K key;
        A onHall;
        A onConsole;
    };
    const Case cases[] = {
        // The hall keeps its own Space path (the focused draw button).
        {K::Space, A::None, A::StartStop},
        {K::PageDown, A::StartStop, A::StartStop},
        {K::Right, A::StartStop, A::StartStop},
        {K::Down, A::StartStop, A::StartStop},
        {K::B, A::Blackout, A::Blackout},
        {K::Period, A::Blackout, A::Blackout},
        {K::F2, A::ToggleConsole, A::ToggleConsole},
        // Slide-show keys must never close, reset or draw anything.
        {K::PageUp, A::Swallow, A::Swallow},
        {K::Left, A::Swallow, A::Swallow},
        {K::Up, A::Swallow, A::Swallow},
        {K::F5, A::Swallow, A::Swallow},
        {K::Escape, A::Swallow, A::Swallow},
        {K::Other, A::None, A::None},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(clickerAction(c.key, true), c.onHall) << static_cast<int>(c.key);
        EXPECT_EQ(clickerAction(c.key, false), c.onConsole) << static_cast<int>(c.key);
    }
}

} // namespace
} // namespace luckdial
