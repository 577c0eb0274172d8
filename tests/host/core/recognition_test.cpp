// Encoding recognition of pool and title files over generated name lists: GBK
// never changes, UTF-8 becomes its GBK twin, and no two lines ever merge.

#include "host/core/linereader.h"
#include "host/core/text.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <random>
#include <string>
#include <vector>

using namespace luckdial;

namespace {

using Chars = std::vector<std::string>;

/// GB2312 Chinese characters as GBK pairs: level one (0xB0-0xD7) or two.
Chars gb2312(bool levelOne, bool levelTwo) {
    Chars out;
    for (int lead = 0xB0; lead <= 0xF7; ++lead) {
        const bool first = lead <= 0xD7;
        if ((first && !levelOne) || (!first && !levelTwo)) continue;
        for (int trail = 0xA1; trail <= 0xFE; ++trail) {
            if (lead == 0xD7 && trail > 0xF9) continue; // unassigned end of level one
            out.push_back({static_cast<char>(lead), static_cast<char>(trail)});
        }
    }
    return out;
}

/// The level-one characters whose GBK pair is also a valid two-byte UTF-8
/// sequence (lead 0xC2-0xDF, trail up to 0xBF), as 谢 伟 叶 平 郑 霞.
Chars utf8LookAlikes() {
    Chars out;
    for (const std::string& c : gb2312(true, false)) {
        const auto lead = static_cast<unsigned char>(c[0]);
        const auto trail = static_cast<unsigned char>(c[1]);
        if (lead >= 0xC2 && lead <= 0xDF && trail <= 0xBF) out.push_back(c);
    }
    return out;
}

struct ListShape {
    int lines = 1;
    bool numbers = false;
    const char* lineEnd = "\r\n";
};

/// A GBK name list: one or two to four characters a name, maybe a staff
/// number in front.
std::string gbkNames(const Chars& chars, ListShape shape, std::mt19937& rng, int minChars = 2,
                     int maxChars = 2) {
    std::uniform_int_distribution<std::size_t> pick(0, chars.size() - 1);
    std::uniform_int_distribution<int> length(minChars, maxChars);
    std::string text;
    for (int i = 0; i < shape.lines; ++i) {
        if (shape.numbers) text += std::to_string(10000 + i) + " ";
        for (int k = length(rng); k > 0; --k)
            text += chars[pick(rng)];
        text += shape.lineEnd;
    }
    return text;
}

std::vector<std::string> entries(const std::string& gbkText) {
    std::vector<std::string> out;
    LineReader reader(gbkText);
    while (!reader.atEnd()) {
        std::string_view line = reader.readLine();
        if (!line.empty()) out.emplace_back(line);
    }
    return out;
}

std::size_t lineCount(const std::string& text) {
    std::size_t n = 0;
    for (char c : text)
        n += c == '\n';
    return n;
}

} // namespace

TEST(Recognition, LookAlikeSetIsTheOneThatGarbledNames) {
    const Chars lookAlikes = utf8LookAlikes();
    EXPECT_EQ(lookAlikes.size(), 682u);
    // 谢伟 叶平 郑霞 are among them.
    const std::string names = gbk("谢伟叶平郑霞石英袁梅魏强姚萍卢雪");
    for (std::size_t i = 0; i < names.size(); i += 2)
        EXPECT_NE(std::find(lookAlikes.begin(), lookAlikes.end(), names.substr(i, 2)),
                  lookAlikes.end());
}

TEST(Recognition, GbkLookAlikePoolsAreNeverConverted) {
    const Chars chars = utf8LookAlikes();
    std::mt19937 rng(8);
    for (int lines : {1, 10000})
        for (bool numbers : {false, true})
            for (const char* end : {"\r\n", "\n"}) {
                const std::string pool = gbkNames(chars, {lines, numbers, end}, rng);
                const DecodedText d = decodeFileText(pool);
                EXPECT_EQ(textKind(pool), TextKind::Gbk) << lines << numbers;
                EXPECT_FALSE(d.wasUtf8);
                EXPECT_EQ(d.gbk, pool) << lines << " lines, numbers " << numbers;
            }
    // The names that were shown as Cyrillic and Armenian letters.
    const std::string reported =
        gbk("谢伟\r\n叶平\r\n郑霞\r\n石英\r\n袁梅\r\n魏强\r\n姚萍\r\n卢雪\r\n");
    EXPECT_EQ(fileTextToGbk(reported), reported);
}

TEST(Recognition, Utf8PoolsBecomeTheirGbkTwins) {
    const Chars chars = gb2312(true, true);
    std::mt19937 rng(9);
    for (int lines : {1, 3, 10000})
        for (bool numbers : {false, true})
            for (const char* bom : {"", "\xEF\xBB\xBF"}) {
                const std::string twin = gbkNames(chars, {lines, numbers, "\r\n"}, rng, 1, 3);
                const DecodedText d = decodeFileText(bom + utf8(twin));
                EXPECT_TRUE(d.wasUtf8) << lines;
                EXPECT_EQ(d.hadBom, *bom != '\0');
                EXPECT_EQ(d.gbk, twin) << lines << " lines, numbers " << numbers;
            }
}

TEST(Recognition, LatinNamesAmongChineseKeepEveryLetter) {
    const std::string file = "张伟\r\nJosé\r\n李娜\r\nMüller\r\n王芳\r\nNguyễn\r\n";
    const DecodedText d = decodeFileText(file);
    ASSERT_TRUE(d.wasUtf8);
    // é and ü are GBK characters; ễ is not and stays a four-byte GB18030 code.
    EXPECT_EQ(d.gbk, gbk(file));
    EXPECT_EQ(gbk("ễ").size(), 4u);
    EXPECT_EQ(utf8(d.gbk), file);
    EXPECT_EQ(entries(d.gbk).size(), 6u);
}

TEST(Recognition, AStrayLatin1LineNeitherSpoilsTheFileNorMerges) {
    const Chars chars = gb2312(true, false);
    std::mt19937 rng(10);
    const std::string before = gbkNames(chars, {100, false, "\n"}, rng);
    const std::string after = gbkNames(chars, {100, false, "\n"}, rng);
    const std::string file = utf8(before) + "Jos\xE9\n" + utf8(after);
    const DecodedText d = decodeFileText(file);
    ASSERT_TRUE(d.wasUtf8);
    // The byte an old editor wrote for é is read as that letter.
    EXPECT_EQ(d.gbk, before + gbk("José") + "\n" + after);
    EXPECT_EQ(entries(d.gbk).size(), 201u);
}

TEST(Recognition, FourByteCodesAndBrokenBytesInGbkStayOnTheirLines) {
    const std::string fourByte = gbk("Nguyễn😀"); // both outside GBK
    ASSERT_EQ(fourByte.size(), 13u);
    const std::string name = gbk("张伟");
    const std::string file = name + "\r\n" + fourByte + "\r\n" +
                             "A\xB0\r\n" +               // lead byte before the line end
                             "B\xD6\n" +                 // ... and before a bare line feed
                             "C\x80\n" +                 // bytes that start no character
                             "D\xFF\n" + "E\x81\x30\n" + // a four-byte code cut short
                             name + "\n";
    const DecodedText d = decodeFileText(file);
    EXPECT_FALSE(d.wasUtf8);
    const std::vector<std::string> got = entries(d.gbk);
    const std::vector<std::string> want = {
        name,           fourByte,       "A" + gbk("°"), "B" + gbk("Ö"),
        "C" + gbk("€"), "D" + gbk("ÿ"), "E?0",          name};
    EXPECT_EQ(got, want);
    EXPECT_EQ(lineCount(d.gbk), lineCount(file));
    // Valid GBK, four-byte codes included, comes back byte for byte.
    const std::string valid = name + "\r\n" + fourByte + "\r\n";
    EXPECT_EQ(fileTextToGbk(valid), valid);
}

// Property checks over many generated lists of every size and shape.
TEST(Recognition, PropertyGbkTextsThatLookLikeUtf8StayAsTheyAre) {
    const Chars lookAlikes = utf8LookAlikes();
    std::mt19937 rng(11);
    std::uniform_int_distribution<int> lines(1, 60), coin(0, 1);
    for (int round = 0; round < 3000; ++round) {
        const ListShape shape{lines(rng), coin(rng) == 1, coin(rng) ? "\r\n" : "\n"};
        const std::string text = gbkNames(lookAlikes, shape, rng, 1, 4);
        ASSERT_EQ(fileTextToGbk(text), text) << "round " << round;
    }
}

TEST(Recognition, PropertyCommonGbkNamesAreNeverConverted) {
    const Chars common = gb2312(true, true);
    std::mt19937 rng(12);
    std::uniform_int_distribution<int> lines(1, 60), coin(0, 1);
    for (int round = 0; round < 3000; ++round) {
        const ListShape shape{lines(rng), coin(rng) == 1, coin(rng) ? "\r\n" : "\n"};
        const std::string text = gbkNames(common, shape, rng, 1, 4);
        ASSERT_EQ(textKind(text), TextKind::Gbk) << "round " << round;
    }
}

TEST(Recognition, PropertyUtf8ChineseNamesConvertToTheirGbkTwins) {
    const Chars common = gb2312(true, true);
    std::mt19937 rng(13);
    std::uniform_int_distribution<int> lines(1, 60), coin(0, 1);
    for (int round = 0; round < 3000; ++round) {
        const ListShape shape{lines(rng), coin(rng) == 1, coin(rng) ? "\r\n" : "\n"};
        const std::string twin = gbkNames(common, shape, rng, 1, 4);
        ASSERT_EQ(fileTextToGbk(utf8(twin)), twin) << "round " << round;
    }
}
