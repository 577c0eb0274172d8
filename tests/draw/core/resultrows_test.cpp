#include "draw/core/resultrows.h"

#include "draw/core/winners.h"
#include "host/core/text.h"

#include <gtest/gtest.h>

namespace luckdial {
namespace {

using Rows = std::vector<std::vector<std::string>>;

TEST(ResultRows, WinnerAndForfeitLinesAsTheDrawWritesThem) {
    std::string results;
    appendResultsLine(results, gbk("0815"), gbk("二等奖"));
    appendResultsLine(results, gbk("1207 张三"), gbk("二等奖"));
    results += forfeitLine(gbk("1207"));
    appendResultsLine(results, gbk("0342"), gbk("一等奖"));
    results += forfeitLine("");
    const std::string emptyForfeit = gbk("（---放弃领奖）\r\n");
    EXPECT_EQ(results.substr(results.size() - emptyForfeit.size()), emptyForfeit);

    EXPECT_EQ(resultRows(results), (Rows{{"1", "0815", "二等奖"},
                                         {"2", "1207 张三", "二等奖"},
                                         {"3", "1207", "放弃领奖"},
                                         {"4", "0342", "一等奖"},
                                         {"5", "", "放弃领奖"}}));
    EXPECT_EQ(resultColumns(), (std::vector<std::string>{"序号", "中奖者", "奖项"}));
}

TEST(ResultRows, LinesOfOtherShapes) {
    EXPECT_TRUE(resultRows("").empty());
    EXPECT_TRUE(resultRows("\r\n\r\n").empty());
    // A file edited by hand: line feeds alone, a blank line, a line with no
    // separator, a last line without its end.
    const std::string text = gbk("A  ------  特等奖\n\n手写一行\r\nB  ------  奖");
    EXPECT_EQ(resultRows(text),
              (Rows{{"1", "A", "特等奖"}, {"2", "手写一行", ""}, {"3", "B", "奖"}}));
    // An entry that holds the separator itself keeps it: the prize is what
    // follows the last one.
    std::string odd;
    appendResultsLine(odd, "x  ------  y", gbk("三等奖"));
    EXPECT_EQ(resultRows(odd), (Rows{{"1", "x  ------  y", "三等奖"}}));
    // Only a whole forfeit shape counts as a forfeit.
    EXPECT_EQ(resultRows(gbk("（张三）\r\n")), (Rows{{"1", "（张三）", ""}}));
    // Characters outside GBK come back as they were typed.
    EXPECT_EQ(resultRows(forfeitLine(gbk("\xF0\xA0\x80\x80"))),
              (Rows{{"1", "\xF0\xA0\x80\x80", "放弃领奖"}}));
}

} // namespace
} // namespace luckdial
