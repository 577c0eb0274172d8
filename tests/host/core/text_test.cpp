#include "host/core/text.h"

#include <gtest/gtest.h>

#include <climits>
#include <cmath>

using namespace luckdial;

namespace {
const std::string kZhongWenGbk = "\xD6\xD0\xCE\xC4"; // 中文
const std::string kReplacement = "\xEF\xBF\xBD";
} // namespace

TEST(Text, ConvertsBetweenUtf8AndGbk) {
    EXPECT_EQ(gbk("中文"), kZhongWenGbk);
    EXPECT_EQ(utf8(kZhongWenGbk), "中文");
    EXPECT_EQ(gbk("抽奖号码库.txt"), "\xB3\xE9\xBD\xB1\xBA\xC5\xC2\xEB\xBF\xE2.txt");
    EXPECT_EQ(gbk(""), "");
    EXPECT_EQ(utf8(""), "");
    // Characters outside GBK survive as four-byte GB18030 sequences.
    EXPECT_EQ(gbk("😀"), "\x94\x39\xFC\x36");
    EXPECT_EQ(utf8(gbk("a😀b中")), "a😀b中");
    // A long text needs the output buffer to grow.
    std::string many;
    for (int i = 0; i < 5000; ++i)
        many += "抽奖";
    EXPECT_EQ(gbk(many).size(), 20000u);
    EXPECT_EQ(utf8(gbk(many)), many);
}

TEST(Text, InvalidBytesAreReplacedNotFatal) {
    EXPECT_EQ(gbk("a\xFF"
                  "b"),
              "a?b");
    EXPECT_EQ(gbk("a\xE4\xB8"
                  "b"),
              "a?b");                  // one broken character, one '?'
    EXPECT_EQ(gbk("x\xE4\xB8"), "x?"); // cut off at the end
    EXPECT_EQ(utf8("\x80"), kReplacement);
    EXPECT_EQ(utf8("\xFF"
                   "A"),
              kReplacement + "A");
    EXPECT_EQ(utf8("\xD6\xD0\xD6"), "中" + kReplacement);
    // A lead byte followed by a plain ASCII byte keeps that byte.
    EXPECT_EQ(utf8("\xD6\x0A"
                   "1"),
              kReplacement + "\n1");
    std::string noise;
    for (int b = 0; b < 256; ++b)
        noise += static_cast<char>(b);
    EXPECT_FALSE(utf8(noise + noise).empty());
    EXPECT_FALSE(gbk(noise + noise).empty());
}

TEST(Text, RecognisesUtf8OnlyWhereGbkIsImplausible) {
    EXPECT_EQ(textKind("\xEF\xBB\xBF"
                       "001"),
              TextKind::Utf8);
    EXPECT_EQ(textKind("001\r\n张三\r\n"), TextKind::Utf8);
    // A multi-byte sequence after a run of plain bytes longer than a word.
    EXPECT_EQ(textKind("0123456789abcdefghij张"), TextKind::Utf8);
    EXPECT_EQ(textKind("中"), TextKind::Utf8);
    EXPECT_EQ(textKind("001\r\n002\r\n"), TextKind::Ascii);
    EXPECT_EQ(textKind(""), TextKind::Ascii);
    EXPECT_EQ(textKind(kZhongWenGbk), TextKind::Gbk);
    EXPECT_EQ(textKind("0123456789\xD6\xD0"), TextKind::Gbk);
    EXPECT_EQ(textKind("\xC0\x80"), TextKind::Gbk);         // overlong
    EXPECT_EQ(textKind("\xED\xA0\x80"), TextKind::Gbk);     // surrogate
    EXPECT_EQ(textKind("\xF4\x90\x80\x80"), TextKind::Gbk); // above U+10FFFF
    // Latin letters alone are two-byte sequences, which GBK text also has.
    EXPECT_EQ(textKind("José\r\nMüller\r\n"), TextKind::Gbk);
    // A UTF-8 list with one name cut short is still UTF-8.
    EXPECT_EQ(textKind("张三\r\n李四\r\n王五\r\n赵六\xE5\xAD"), TextKind::Utf8);
}

TEST(Text, FileTextToGbkConvertsOnlyUtf8) {
    EXPECT_EQ(fileTextToGbk("\xEF\xBB\xBF"
                            "001\r\n中文\r\n"),
              "001\r\n" + kZhongWenGbk + "\r\n");
    EXPECT_EQ(fileTextToGbk("中文"), kZhongWenGbk);
    EXPECT_EQ(fileTextToGbk("001\r\n002"), "001\r\n002");
    EXPECT_EQ(fileTextToGbk(kZhongWenGbk + "\r\n"), kZhongWenGbk + "\r\n");
    EXPECT_EQ(fileTextToGbk("\xEF\xBB\xBF"), "");
    const DecodedText bom = decodeFileText("\xEF\xBB\xBF张");
    EXPECT_TRUE(bom.wasUtf8 && bom.hadBom);
    const DecodedText plain = decodeFileText(kZhongWenGbk);
    EXPECT_FALSE(plain.wasUtf8 || plain.hadBom);
}

TEST(Text, ToNumberFollowsAtofWithoutExtensions) {
    EXPECT_EQ(toNumber("30abc"), 30);
    EXPECT_EQ(toNumber("  -1.5e2x"), -150);
    EXPECT_EQ(toNumber(""), 0);
    EXPECT_EQ(toNumber("abc"), 0);
    EXPECT_EQ(toNumber(".5"), 0.5);
    EXPECT_EQ(toNumber("5."), 5);
    EXPECT_EQ(toNumber("1e"), 1);
    EXPECT_EQ(toNumber("1e+"), 1);
    EXPECT_EQ(toNumber("2E3"), 2000);
    EXPECT_EQ(toNumber("0x10"), 0);
    EXPECT_EQ(toNumber("inf"), 0);
    EXPECT_EQ(toNumber("nan"), 0);
    EXPECT_EQ(toNumber("+7"), 7);
    EXPECT_EQ(toNumber("\t\r\n 12"), 12);
    EXPECT_EQ(toNumber("."), 0);
    EXPECT_EQ(toNumber("-"), 0);
    EXPECT_EQ(toNumber("+-1"), 0);
    EXPECT_EQ(toNumber("1,5"), 1); // never the locale's decimal comma
    EXPECT_EQ(toNumber("0.1"), 0.1);
    EXPECT_EQ(toNumber("123456789012"), 123456789012.0);
    EXPECT_TRUE(std::signbit(toNumber("-0")));
    EXPECT_EQ(toNumber("1e999"), HUGE_VAL);
    EXPECT_EQ(toNumber("-1e999"), -HUGE_VAL);
    EXPECT_EQ(toNumber("1e-999"), 0);
    EXPECT_EQ(toNumber("0.000e999"), 0);
    // More digits than an exponent that was once capped could outweigh.
    const std::string zeros(100000, '0');
    EXPECT_EQ(toNumber("1" + zeros + "e-1000000"), 0);
    EXPECT_EQ(toNumber("0." + zeros + "1e1000000"), HUGE_VAL);
}

TEST(Text, ToIntTruncatesAndClamps) {
    EXPECT_EQ(toInt("3.9"), 3);
    EXPECT_EQ(toInt("-3.9"), -3);
    EXPECT_EQ(toInt("12abc"), 12);
    EXPECT_EQ(toInt("1e20"), INT_MAX);
    EXPECT_EQ(toInt("-1e20"), INT_MIN);
    EXPECT_EQ(toInt("2147483647"), INT_MAX);
    EXPECT_EQ(toInt("-2147483648"), INT_MIN);
}

TEST(Text, ToTextFormatsLikePercentPoint13g) {
    EXPECT_EQ(toText(-5LL), "-5");
    EXPECT_EQ(toText(9007199254740993LL), "9007199254740993");
    EXPECT_EQ(toText(100.0), "100");
    EXPECT_EQ(toText(-2.5), "-2.5");
    EXPECT_EQ(toText(0.1), "0.1");
    EXPECT_EQ(toText(1.0 / 3.0), "0.3333333333333");
    EXPECT_EQ(toText(1e20), "1e+20");
    EXPECT_EQ(toText(1234567890123.0), "1234567890123");
    EXPECT_EQ(toText(12345678901234.0), "1.234567890123e+13");
    EXPECT_EQ(toText(0.0001), "0.0001");
    EXPECT_EQ(toText(0.00001), "1e-05");
}

TEST(Text, MiddleCountsBytesFromOne) {
    EXPECT_EQ(middle("abc", 0, 2), "");
    EXPECT_EQ(middle("abc", 2, 9), "bc");
    EXPECT_EQ(middle("abc", 1, 1), "a");
    EXPECT_EQ(middle("abc", 3, 1), "c");
    EXPECT_EQ(middle("abc", 4, 1), "");
    EXPECT_EQ(middle("abc", -1, 2), "");
    EXPECT_EQ(middle("abc", 1, 0), "");
    EXPECT_EQ(middle("abc", 1, -3), "");
    EXPECT_EQ(middle("", 1, 1), "");
    EXPECT_EQ(middle(kZhongWenGbk, 3, 2), "\xCE\xC4");
    EXPECT_EQ(middle(kZhongWenGbk, 2, 2), "\xD0\xCE"); // bytes, not characters
}
