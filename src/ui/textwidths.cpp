#include "ui/textwidths.h"

namespace luckdial {

void TextWidths::setFont(const QFont& font) {
    // Pixel size is compared on its own: QFont's equality looks at the
    // request as given, and a size set in points is another request.
    if (metrics_ && font == font_ && font.pixelSize() == font_.pixelSize()) return;
    font_ = font;
    metrics_.emplace(font_);
    widths_.clear();
}

int TextWidths::advance(const QString& text) {
    if (!metrics_) metrics_.emplace(font_);
    if (text.size() > kLongestHeld) return metrics_->horizontalAdvance(text);
    const auto found = widths_.constFind(text);
    if (found != widths_.constEnd()) return *found;
    if (widths_.size() >= kMostHeld) widths_.clear();
    const int w = metrics_->horizontalAdvance(text);
    widths_.insert(text, w);
    return w;
}

} // namespace luckdial
