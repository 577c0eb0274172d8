#include "console/core/hallscreen.h"

namespace luckdial {

std::string screenSizeText(int width, int height) {
    return std::to_string(width) + "x" + std::to_string(height);
}

std::optional<std::size_t> chooseHallScreen(const std::vector<ScreenInfo>& screens,
                                            std::string_view storedName,
                                            std::string_view storedSize) {
    if (screens.empty()) return std::nullopt;
    if (!storedName.empty()) {
        for (std::size_t i = 0; i < screens.size(); ++i)
            if (screens[i].name == storedName) return i;
    }
    // A projector plugged into another port comes back under a new name, with
    // its size.
    if (!storedSize.empty()) {
        for (std::size_t i = 0; i < screens.size(); ++i)
            if (screenSizeText(screens[i].width, screens[i].height) == storedSize) return i;
    }
    std::optional<std::size_t> best;
    long long bestArea = -1;
    for (std::size_t i = 0; i < screens.size(); ++i) {
        if (screens[i].primary) continue;
        const long long area = static_cast<long long>(screens[i].width) * screens[i].height;
        if (area > bestArea) {
            best = i;
            bestArea = area;
        }
    }
    return best ? best : std::optional<std::size_t>(0);
}

std::optional<std::size_t> chooseConsoleScreen(const std::vector<ScreenInfo>& screens,
                                               std::size_t hall) {
    if (screens.size() < 2) return std::nullopt;
    for (std::size_t i = 0; i < screens.size(); ++i)
        if (i != hall && screens[i].primary) return i;
    for (std::size_t i = 0; i < screens.size(); ++i)
        if (i != hall) return i;
    return std::nullopt;
}

std::size_t nextScreen(std::size_t count, std::size_t current) {
    return count == 0 ? 0 : (current + 1) % count;
}

} // namespace luckdial
