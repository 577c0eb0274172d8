#pragma once
// Font and colour commands of the display texts. Each command opens a font
// dialog, applies a confirmed choice and then stores the element's style
// (whether or not the dialog was confirmed) in section yanse of peizhi.a.

#include "host/host.h"

#include <functional>
#include <string>

namespace luckdial {

class TransparentLabel;
struct DrawState;
struct MainElements;

/// An element whose font and text colour a style command changes.
struct StyleTarget {
    std::function<FontValue()> font;
    std::function<void(const FontValue&)> setFont;
    std::function<int()> colour;
    std::function<void(int)> setColour;
};
StyleTarget styleTarget(TransparentLabel& label);

/// Opens the font dialog for target and stores its face, size and colour
/// under keyPrefix + "字体" / "字体大小" / "字体颜色" (GBK prefix) in
/// section yanse. True when the dialog was confirmed.
bool runStyleCommand(Host& host, const std::string& keyPrefix, const StyleTarget& target);

/// floor(points * factor) as a widget height (never negative, never above
/// the widget size limit).
int heightForPoints(int points, double factor, int lines = 1);

/// The four style commands of the main window (menu 字体颜色设置).
class TextStyleController {
public:
    TextStyleController(Host& host, MainElements& elements, const DrawState& draw);

    /// Connects 主标题, 副标题, 滚动及抽取结果 and 恭喜提示.
    void connectHandlers();

    void styleMainTitle();
    void styleSubTitle();
    /// Sizes the winners label for the winners per draw of the latest draw
    /// (0 lines before the first draw of the run).
    void styleWinners();
    void styleCongrats();

private:
    Host& host_;
    MainElements& e_;
    const DrawState& draw_;
};

} // namespace luckdial
