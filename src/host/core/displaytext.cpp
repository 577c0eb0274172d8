#include "host/core/displaytext.h"

#include <utility>

namespace luckdial {

namespace {

bool inRange(unsigned char b, unsigned char low, unsigned char high) {
    return b >= low && b <= high;
}

/// Bytes of the character that starts at `at`. A lead byte near the end of
/// the text may claim bytes beyond it; the caller never takes such a character.
std::size_t characterLength(std::string_view text, std::size_t at) {
    const auto byte = [&](std::size_t k) { return static_cast<unsigned char>(text[k]); };
    if (byte(at) < 0x80) return 1;
    if (at + 3 < text.size() && inRange(byte(at), 0x81, 0xFE) &&
        inRange(byte(at + 1), 0x30, 0x39) && inRange(byte(at + 2), 0x81, 0xFE) &&
        inRange(byte(at + 3), 0x30, 0x39))
        return 4;
    return 2;
}

struct Cut {
    std::size_t keep; ///< bytes of the text shown
    bool ellipsis;    ///< the ellipsis follows them
};

Cut cutFor(std::string_view text, std::size_t maxBytes) {
    if (text.size() <= maxBytes) return {text.size(), false};
    const bool ellipsis = maxBytes >= kDisplayEllipsis.size();
    const std::size_t budget = ellipsis ? maxBytes - kDisplayEllipsis.size() : maxBytes;
    std::size_t at = 0;
    for (;;) {
        const std::size_t next = at + characterLength(text, at);
        if (next > budget) break;
        at = next;
    }
    return {at, ellipsis};
}

} // namespace

std::string displayText(std::string_view text, std::size_t maxBytes) {
    const Cut cut = cutFor(text, maxBytes);
    std::string shown;
    shown.reserve(cut.keep + (cut.ellipsis ? kDisplayEllipsis.size() : 0));
    shown.append(text.substr(0, cut.keep));
    if (cut.ellipsis) shown.append(kDisplayEllipsis);
    return shown;
}

std::string displayLines(std::string_view text, std::size_t maxLineBytes) {
    std::string shown;
    std::size_t from = 0;
    while (from < text.size()) {
        const std::size_t end = text.find("\r\n", from);
        const std::size_t lineEnd = end == std::string_view::npos ? text.size() : end;
        const Cut cut = cutFor(text.substr(from, lineEnd - from), maxLineBytes);
        shown.append(text.substr(from, cut.keep));
        if (cut.ellipsis) shown.append(kDisplayEllipsis);
        if (end == std::string_view::npos) break;
        shown.append("\r\n");
        from = end + 2;
    }
    return shown;
}

bool DisplayTextBuilder::append(std::string_view entry, std::string_view separator) {
    if (full_) return false;
    const Cut cut = cutFor(entry, maxEntryBytes_);
    const std::size_t ellipsis = cut.ellipsis ? kDisplayEllipsis.size() : 0;
    // Room for the text's own ellipsis stays free until the text is full.
    const std::size_t room = maxBytes_ >= kDisplayEllipsis.size() ? kDisplayEllipsis.size() : 0;
    if (text_.size() + cut.keep + ellipsis + separator.size() + room > maxBytes_) {
        full_ = true;
        if (room > 0) text_.append(kDisplayEllipsis);
        return false;
    }
    text_.append(entry.substr(0, cut.keep));
    if (cut.ellipsis) text_.append(kDisplayEllipsis);
    text_.append(separator);
    return true;
}

std::string DisplayTextBuilder::take() {
    std::string text = std::move(text_);
    text_.clear();
    full_ = false;
    return text;
}

void DisplayTextBuilder::reserve(std::size_t bytes) {
    text_.reserve(bytes < maxBytes_ ? bytes : maxBytes_);
}

} // namespace luckdial
