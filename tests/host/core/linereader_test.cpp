#include "host/core/linereader.h"

#include <gtest/gtest.h>

#include <random>
#include <string>
#include <vector>

using namespace luckdial;
using namespace std::string_literals;

namespace {
std::vector<std::string> lines(std::string_view text) {
    LineReader r(text);
    std::vector<std::string> out;
    while (!r.atEnd())
        out.emplace_back(r.readLine());
    return out;
}
using V = std::vector<std::string>;
} // namespace

TEST(LineReader, CrLfEmptyLineAndLeadingSpaces) {
    EXPECT_EQ(lines("001\r\n\r\n002\r\n  003\r\n"), (V{"001", "", "002", "  003"}));
}

TEST(LineReader, LastLineWithoutLineFeed) {
    EXPECT_EQ(lines("001\r\n002"), (V{"001", "002"}));
    EXPECT_EQ(lines("only"), (V{"only"}));
    EXPECT_EQ(lines(""), V{});
}

TEST(LineReader, OnlyLineEnds) {
    EXPECT_EQ(lines("\r\n\n\r\n"), (V{"", "", ""}));
}

TEST(LineReader, NothingIsTrimmed) {
    EXPECT_EQ(lines(" a \t\r\n"), (V{" a \t"}));
}

TEST(LineReader, CtrlZEndsTheText) {
    EXPECT_EQ(lines("001\r\n002\r\n\x1A"
                    "003\r\n"),
              (V{"001", "002", ""}));
    EXPECT_EQ(lines("00\x1A"
                    "1\r\n002\r\n"),
              (V{"00"}));
    // As the second byte of a character it is text.
    EXPECT_EQ(lines("\x81\x1A"
                    "1\r\n2"),
              (V{"\x81\x1A"
                 "1",
                 "2"}));
}

TEST(LineReader, NulEndsTheTextWhereverItStands) {
    EXPECT_EQ(lines("001\r\n0\0"
                    "02\r\n003"s),
              (V{"001", "0"}));
    // Even as the second byte of a character.
    EXPECT_EQ(lines("a\r\n\xB0\0"
                    "b\r\nc"s),
              (V{"a", "\xB0"}));
}

TEST(LineReader, OddHighByteRunJoinsTheNextLine) {
    // One UTF-8 character (three bytes) read as GBK: its last byte takes the
    // line feed as its second byte.
    EXPECT_EQ(lines("\xE4\xB8\xAD\n002\n003\n"), (V{"\xE4\xB8\xAD\n002", "003"}));
    // An even run leaves the line feed alone.
    EXPECT_EQ(lines("\xD6\xD0\n002\n"), (V{"\xD6\xD0", "002"}));
    // The pairing runs on across lines: 0x0A as a second byte never ends one.
    EXPECT_EQ(lines("\xB0\n\n1\n"), (V{"\xB0\n", "1"}));
    // A lead byte as the last byte of the text stays in the line.
    EXPECT_EQ(lines("a\n\xB0"), (V{"a", "\xB0"}));
}

TEST(LineReader, OneOfTwoCarriageReturnsIsDropped) {
    EXPECT_EQ(lines("a\r\r\nb\r\n"), (V{"a\r", "b"}));
    // A carriage return alone does not end a line.
    EXPECT_EQ(lines("a\rb\rc\r"), (V{"a\rb\rc"}));
}

TEST(LineReader, ContinuesFromAPosition) {
    std::string text = "001\r\n002\r\n";
    LineReader r(text);
    r.readLine();
    EXPECT_EQ(r.position(), 5u);
    LineReader again(text, r.position());
    EXPECT_EQ(again.readLine(), "002");
    EXPECT_TRUE(again.atEnd());
    EXPECT_TRUE(LineReader(text, 99).atEnd());
}

TEST(LineReader, BulkSplitAgreesWithLineByLine) {
    // Random texts over the bytes that matter, long enough for the block scan.
    const char alphabet[] = {'a', '1', ' ', '\r', '\n', '\n', '\0', '\x1A', '\x80', '\xB0', '\xFE'};
    std::mt19937 rng(7);
    for (int round = 0; round < 3000; ++round) {
        std::string text(rng() % 120, 'x');
        const unsigned specials = 1 + rng() % 10; // how often a byte other than 'x' shows
        for (char& c : text)
            if (rng() % 10 < specials) c = alphabet[rng() % sizeof alphabet];
        std::vector<std::string> bulk;
        LineReader r(text);
        r.forEachLine([&](std::string_view l) { bulk.emplace_back(l); });
        ASSERT_EQ(bulk, lines(text)) << "round " << round;
        EXPECT_TRUE(r.atEnd());
    }
}
