#include "draw/core/winners.h"

#include "host/core/text.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>

namespace luckdial {
namespace {

MaskSettings mask(std::string left, std::string right, std::string chars) {
    return MaskSettings{true, std::move(left), std::move(right), std::move(chars)};
}

TEST(MaskEntry, WorkedExamples) {
    EXPECT_EQ(maskEntry("12345678", mask("3", "6", "****")), "12****78");
    EXPECT_EQ(maskEntry("12345678", mask("3", "6", "*")), "12*78");
    // Empty left field: start 0 is position 1, and R + 1 bytes go.
    EXPECT_EQ(maskEntry("12345678", mask("", "3", "#")), "#5678");
    EXPECT_EQ(maskEntry("12345678", mask("4", "7", "****")), "123****8");
}

TEST(MaskEntry, PositionsOutsideTheText) {
    // Start beyond the end: nothing removed, the replacement is appended.
    EXPECT_EQ(maskEntry("1234", mask("9", "12", "**")), "1234**");
    // End before start: nothing removed, the replacement is inserted once.
    EXPECT_EQ(maskEntry("12345678", mask("5", "2", "**")), "1234**5678");
    // End past the text: removal is cut at the end.
    EXPECT_EQ(maskEntry("12345678", mask("7", "20", "**")), "123456**");
    // Negative start counts from the first byte with the full computed length.
    EXPECT_EQ(maskEntry("12345678", mask("-3", "2", "*")), "*78");
    EXPECT_EQ(maskEntry("", mask("3", "6", "****")), "****");
    // Non-numeric fields read as 0: the first byte goes.
    EXPECT_EQ(maskEntry("12345678", mask("x", "y", "*")), "*2345678");
    // Fractions truncate: start 2, length trunc(4.9 - 2.5 + 1) = 3.
    EXPECT_EQ(maskEntry("12345678", mask("2.5", "4.9", "*")), "1*5678");
    // Empty replacement just deletes.
    EXPECT_EQ(maskEntry("12345678", mask("3", "6", "")), "1278");
}

TEST(MaskEntry, HugeNumbersDoNotCrash) {
    EXPECT_EQ(maskEntry("1234", mask("1e400", "1e400", "*")), "1234*");
    EXPECT_EQ(maskEntry("1234", mask("-1e400", "1e400", "*")), "*");
    EXPECT_EQ(maskEntry("1234", mask("1", "1e30", "*")), "*");
}

TEST(MaskEntry, CountsGbkBytes) {
    // Each Chinese character is two bytes: bytes 3..4 are the second one.
    EXPECT_EQ(maskEntry(gbk("张三丰"), mask("3", "4", "**")), gbk("张") + "**" + gbk("丰"));
}

TEST(WinnersLayout, WorkedExamples) {
    EXPECT_EQ(layoutWinners({"A", "B", "C", "D", "E"}, 2), "A    B\r\nC    D\r\nE");
    EXPECT_EQ(layoutWinners({"A", "B", "C", "D"}, 2), "A    B\r\nC    D\r\n");
    EXPECT_EQ(layoutWinners({"A", "B"}, 1), "A\r\nB\r\n");
    EXPECT_EQ(layoutWinners({"A", "B"}, 3), "A    B");
    EXPECT_EQ(layoutWinners({}, 2), "");
}

TEST(WinnersLayout, NonPositiveColumnsPutOneEntryPerLine) {
    for (const double columns : {0.0, -1.0, -2.5, std::nan("")}) {
        EXPECT_EQ(layoutWinners({"A", "B", "C"}, columns), "A\r\nB\r\nC\r\n") << columns;
        EXPECT_EQ(layoutSeparator(2, 3, columns), "\r\n");
    }
}

TEST(WinnersLayout, SeparatorRule) {
    EXPECT_EQ(layoutSeparator(1, 5, 2), "    ");
    EXPECT_EQ(layoutSeparator(2, 5, 2), "\r\n");
    EXPECT_EQ(layoutSeparator(5, 5, 2), "");
    EXPECT_EQ(layoutSeparator(4, 4, 2), "\r\n");
    // Fractional column counts use the floating-point remainder.
    EXPECT_EQ(layoutSeparator(3, 9, 1.5), "\r\n");
    EXPECT_EQ(layoutSeparator(2, 9, 1.5), "    ");
}

} // namespace
} // namespace luckdial
