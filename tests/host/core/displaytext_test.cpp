#include "host/core/displaytext.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

using namespace luckdial;

namespace {

const std::string kEllipsis = "\xA1\xAD";      // …
const std::string kZhong = "\xD6\xD0";         // 中
const std::string kWen = "\xCE\xC4";           // 文
const std::string kSmile = "\x94\x39\xFC\x36"; // a GB18030 four-byte character

TEST(DisplayText, AsciiIsCutWithAnEllipsisWithinTheLimit) {
    EXPECT_EQ(displayText("12345678", 8), "12345678");
    EXPECT_EQ(displayText("", 8), "");
    EXPECT_EQ(displayText("123456789", 8), "123456" + kEllipsis);
    EXPECT_EQ(displayText(std::string(1000, 'x')).size(), kMaxDisplayEntryBytes);
    EXPECT_EQ(displayText(std::string(kMaxDisplayEntryBytes, 'x')),
              std::string(kMaxDisplayEntryBytes, 'x'));
    // No room for the ellipsis: the prefix alone.
    EXPECT_EQ(displayText("abc", 1), "a");
    EXPECT_EQ(displayText("abc", 0), "");
}

TEST(DisplayText, TwoByteCharactersAreNeverSplit) {
    const std::string text = "a" + kZhong + kWen + "xyz"; // 8 bytes
    // Room for 4 bytes before the ellipsis: 文 would end at byte 5.
    EXPECT_EQ(displayText(text, 6), "a" + kZhong + kEllipsis);
    EXPECT_EQ(displayText("ab" + kZhong + kWen + "xyz", 6), "ab" + kZhong + kEllipsis);
    EXPECT_EQ(displayText(kZhong + kWen, 3), kEllipsis);
    // Trail bytes in the ASCII range (0x40-0x7E) still belong to the lead byte.
    const std::string gbkWithLowTrail = "\x81\x40\x81\x40\x81\x40";
    EXPECT_EQ(displayText(gbkWithLowTrail, 5), "\x81\x40" + kEllipsis);
}

TEST(DisplayText, FourByteSequencesAreNeverSplit) {
    const std::string text = "ab" + kSmile + "cdef";
    for (std::size_t max : {5u, 6u, 7u})
        EXPECT_EQ(displayText(text, max), "ab" + kEllipsis) << max;
    EXPECT_EQ(displayText(text, 8), "ab" + kSmile + kEllipsis);
    for (std::size_t max : {2u, 3u, 4u, 5u})
        EXPECT_EQ(displayText(kSmile + kSmile, max), kEllipsis) << max;
    // 81 30 not followed by 81-FE 30-39 is a two-byte unit, not the start of four.
    EXPECT_EQ(displayText("\x81\x30"
                          "ABCDEF",
                          5),
              "\x81\x30"
              "A" +
                  kEllipsis);
    EXPECT_EQ(displayText("\x81\x30\x81"
                          "ABCDE",
                          5),
              "\x81\x30" + kEllipsis);
}

TEST(DisplayText, LoneLeadBytes) {
    // A text that fits is shown as it is, a lone lead byte at its end included
    // (the conversion for the screen shows it as a replacement mark).
    EXPECT_EQ(displayText("abc\xD6", 4), "abc\xD6");
    // A lead byte whose second byte lies past the cut is left out, so the
    // ellipsis cannot pair with it into another character.
    EXPECT_EQ(displayText("abc\xD6\xD0z", 5), "abc" + kEllipsis);
    EXPECT_EQ(displayText("abc\xD6", 3), "a" + kEllipsis);
    EXPECT_EQ(displayText("ab\xD6", 2), kEllipsis);
}

TEST(DisplayText, EveryCutIsTheLongestWholeCharacterPrefix) {
    const std::vector<std::string> characters = {"1",  kZhong, kSmile, "\x81\x40", "a",
                                                 kWen, kSmile, "z",    kZhong};
    std::string text;
    std::vector<std::size_t> boundaries{0};
    for (const auto& c : characters) {
        text += c;
        boundaries.push_back(text.size());
    }
    for (std::size_t max = 0; max <= text.size() + 2; ++max) {
        const std::string shown = displayText(text, max);
        ASSERT_LE(shown.size(), max) << max;
        if (text.size() <= max) {
            EXPECT_EQ(shown, text);
            continue;
        }
        const std::size_t room = max >= 2 ? max - 2 : max;
        std::size_t expected = 0;
        for (std::size_t b : boundaries)
            if (b <= room) expected = b;
        EXPECT_EQ(shown, text.substr(0, expected) + (max >= 2 ? kEllipsis : "")) << max;
    }
}

TEST(DisplayText, AHugeEntryGivesABoundedTextQuickly) {
    const std::string huge(50'000'000, '7');
    const std::string shown = displayText(huge);
    EXPECT_EQ(shown, std::string(kMaxDisplayEntryBytes - 2, '7') + kEllipsis);
}

TEST(DisplayLines, BoundsEachLineAndKeepsTheLineEnds) {
    EXPECT_EQ(displayLines("", 8), "");
    EXPECT_EQ(displayLines("0815\r\n1207\r\n", 8), "0815\r\n1207\r\n");
    EXPECT_EQ(displayLines("0815\r\n\r\nlast", 8), "0815\r\n\r\nlast");
    const std::string text = "short\r\n" + std::string(100, 'x') + kZhong + "\r\n" + kZhong + kWen +
                             kZhong + kWen + kZhong + "\r\n";
    EXPECT_EQ(displayLines(text, 8),
              "short\r\nxxxxxx" + kEllipsis + "\r\n" + kZhong + kWen + kZhong + kEllipsis + "\r\n");
    // A lone "\n" is no line end of the results text; it is cut like any byte.
    EXPECT_EQ(displayLines("abc\ndefghij", 8), "abc\nde" + kEllipsis);
}

TEST(DisplayTextBuilder, BoundsEachEntryAndTheWholeText) {
    DisplayTextBuilder b(20, 6);
    EXPECT_TRUE(b.append("0815", "    "));
    EXPECT_TRUE(b.append("1207123456", "\r\n")); // cut to 4 bytes and the ellipsis
    EXPECT_EQ(b.text(), "0815    1207" + kEllipsis + "\r\n");
    EXPECT_FALSE(b.full());
    // 16 bytes so far; three more and the text's own ellipsis do not fit in 20.
    EXPECT_FALSE(b.append("999", ""));
    EXPECT_TRUE(b.full());
    EXPECT_FALSE(b.append("1", ""));
    EXPECT_EQ(b.text(), "0815    1207" + kEllipsis + "\r\n" + kEllipsis);
    EXPECT_LE(b.text().size(), 20u);

    const std::string text = b.take();
    EXPECT_EQ(text.size(), 18u);
    EXPECT_TRUE(b.text().empty());
    EXPECT_FALSE(b.full());
    EXPECT_TRUE(b.append("1", ""));
    EXPECT_EQ(b.text(), "1");
}

TEST(DisplayTextBuilder, ManyHugeEntriesStayWithinTheDefaultLimits) {
    const std::string huge(1'000'000, 'n');
    DisplayTextBuilder b;
    int appended = 0;
    while (b.append(huge, "    "))
        ++appended;
    EXPECT_EQ(static_cast<std::size_t>(appended),
              kMaxDisplayTextBytes / (kMaxDisplayEntryBytes + 4));
    EXPECT_LE(b.text().size(), kMaxDisplayTextBytes);
    EXPECT_EQ(b.text().substr(b.text().size() - 2), kEllipsis);
}

} // namespace
