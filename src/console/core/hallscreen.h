#pragma once
// Which screen shows the hall display and which one the operator's console,
// decided from the screens present and what the configuration remembers.

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace luckdial {

/// One screen as the window system reports it.
struct ScreenInfo {
    std::string name;
    int width = 0;
    int height = 0;
    bool primary = false;
};

/// "1280x800": how a screen's size is stored beside its name.
std::string screenSizeText(int width, int height);

/// The hall screen's index: the screen named storedName; else the first of
/// storedSize ("WxH") when names have changed; else the largest screen that
/// is not the primary one (by area, the first of equals); else the only or
/// first screen. Nothing when there are no screens.
std::optional<std::size_t> chooseHallScreen(const std::vector<ScreenInfo>& screens,
                                            std::string_view storedName,
                                            std::string_view storedSize);

/// The console's screen: the primary screen unless it is the hall's, else
/// the first other one; nothing with fewer than two screens.
std::optional<std::size_t> chooseConsoleScreen(const std::vector<ScreenInfo>& screens,
                                               std::size_t hall);

/// The screen after current in the list, skipping none; wraps around.
std::size_t nextScreen(std::size_t count, std::size_t current);

} // namespace luckdial
