#pragma once
// What of a text reaches the screen. Entries are kept whole wherever they are
// stored (pool, results, progress), but a label, a message or a list shows at
// most a bounded prefix: the window system's text layout cannot take texts of
// hundreds of megabytes, and nobody can read them on a projector anyway.

#include <cstddef>
#include <string>
#include <string_view>

namespace luckdial {

/// Bytes one entry (or one line of a list) may take on screen.
constexpr std::size_t kMaxDisplayEntryBytes = 256;
/// Bytes a whole text of many entries (a scroll frame, the winners label) may take.
constexpr std::size_t kMaxDisplayTextBytes = 256 * 1024;
/// "…" in GBK: what replaces the part of a text that is not shown.
constexpr std::string_view kDisplayEllipsis = "\xA1\xAD";

/// The GBK text as displayed: itself when it has at most maxBytes bytes;
/// otherwise its longest prefix of whole characters that leaves room for the
/// ellipsis, followed by the ellipsis (at most maxBytes bytes in all; below
/// two bytes there is no room for the ellipsis and the prefix stands alone).
/// A byte of 0x80 or above starts a two-byte character, or a four-byte one
/// when the GB18030 pattern 81-FE 30-39 81-FE 30-39 follows. Reads no further
/// than maxBytes + 3 bytes into the text.
std::string displayText(std::string_view text, std::size_t maxBytes = kMaxDisplayEntryBytes);

/// Every line of a text with "\r\n" line ends passed through displayText, the
/// line ends kept as they are.
std::string displayLines(std::string_view text, std::size_t maxLineBytes = kMaxDisplayEntryBytes);

/// A text of many entries for the screen, built entry by entry: each entry is
/// bounded by displayText and the whole text by maxBytes. Once the next entry
/// would not fit, the text ends in the ellipsis and later entries are left out.
class DisplayTextBuilder {
public:
    explicit DisplayTextBuilder(std::size_t maxBytes = kMaxDisplayTextBytes,
                                std::size_t maxEntryBytes = kMaxDisplayEntryBytes)
        : maxBytes_(maxBytes), maxEntryBytes_(maxEntryBytes) {}

    /// Appends the entry and the separator that follows it; false when the
    /// text was full and nothing was appended.
    bool append(std::string_view entry, std::string_view separator);
    bool full() const { return full_; }
    const std::string& text() const { return text_; }
    /// Hands over the text and starts again empty.
    std::string take();
    void reserve(std::size_t bytes);

private:
    std::size_t maxBytes_;
    std::size_t maxEntryBytes_;
    std::string text_;
    bool full_ = false;
};

} // namespace luckdial
