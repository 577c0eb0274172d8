#include "console/core/hallscreen.h"

#include <gtest/gtest.h>

namespace luckdial {
namespace {

const ScreenInfo kLaptop{"eDP-1", 1366, 768, true};
const ScreenInfo kProjector{"HDMI-1", 1920, 1080, false};
const ScreenInfo kSmall{"DP-2", 1024, 768, false};

struct HallCase {
    const char* what;
    std::vector<ScreenInfo> screens;
    const char* storedName;
    const char* storedSize;
    std::optional<std::size_t> hall;
};

TEST(HallScreen, ChoiceFollowsStoredNameThenSizeThenLargestNonPrimary) {
    const HallCase cases[] = {
        {"no screens", {}, "", "", std::nullopt},
        {"one screen is the hall", {kLaptop}, "", "", 0},
        {"one screen whatever is stored", {kLaptop}, "HDMI-1", "1920x1080", 0},
        {"largest non-primary", {kLaptop, kSmall, kProjector}, "", "", 2},
        {"non-primary even when smaller", {{"HDMI-1", 1920, 1080, true}, kSmall}, "", "", 1},
        {"stored name wins over size", {kLaptop, kProjector, kSmall}, "DP-2", "1920x1080", 2},
        {"stored name may be the primary", {kLaptop, kProjector}, "eDP-1", "", 0},
        {"renamed screen found by size",
         {kLaptop, {"HDMI-2", 1920, 1080, false}},
         "HDMI-1",
         "1920x1080",
         1},
        {"neither name nor size: largest non-primary",
         {kLaptop, kSmall, kProjector},
         "VGA-1",
         "800x600",
         2},
        {"equal areas: the first",
         {kLaptop, {"A", 1024, 768, false}, {"B", 768, 1024, false}},
         "",
         "",
         1},
        {"every screen primary-less: largest",
         {{"A", 800, 600, false}, {"B", 1920, 1080, false}},
         "",
         "",
         1},
    };
    for (const HallCase& c : cases)
        EXPECT_EQ(chooseHallScreen(c.screens, c.storedName, c.storedSize), c.hall) << c.what;
}

TEST(HallScreen, ConsoleGoesToAnotherScreenPreferringThePrimary) {
    struct Case {
        std::vector<ScreenInfo> screens;
        std::size_t hall;
        std::optional<std::size_t> console;
    };
    const Case cases[] = {
        {{kLaptop}, 0, std::nullopt},          {{kLaptop, kProjector}, 1, 0},
        {{kLaptop, kProjector}, 0, 1},         {{kSmall, kProjector, kLaptop}, 1, 2},
        {{kSmall, kProjector, kLaptop}, 2, 0},
    };
    for (const Case& c : cases)
        EXPECT_EQ(chooseConsoleScreen(c.screens, c.hall), c.console) << c.hall;
}

TEST(HallScreen, SizeTextAndNextScreen) {
    EXPECT_EQ(screenSizeText(1280, 800), "1280x800");
    EXPECT_EQ(nextScreen(2, 0), 1u);
    EXPECT_EQ(nextScreen(2, 1), 0u);
    EXPECT_EQ(nextScreen(3, 2), 0u);
    EXPECT_EQ(nextScreen(0, 0), 0u);
}

} // namespace
} // namespace luckdial
