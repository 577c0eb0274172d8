#include "pool/entrylist.h"

#include "host/core/text.h"
#include "pool/pool.h"
#include "support/corehost.h"
#include "support/tempdir.h"

#include <gtest/gtest.h>

using namespace luckdial;

namespace {

using Rows = std::vector<std::vector<std::string>>;
using V = std::vector<std::string>;

EntryRecipe recipe(std::vector<std::size_t> columns, bool header = false, std::string joiner = " ",
                   bool drop = false) {
    EntryRecipe r;
    r.columns = std::move(columns);
    r.headerRow = header;
    r.joiner = std::move(joiner);
    r.dropDuplicates = drop;
    return r;
}

const Rows kStaff = {
    {"序号", "工号", "姓名", "部门"},
    {"1", "1001", "张三", "销售"},
    {"2", "1002", "李四", "财务"},
    {"3", "1003", "", "财务"},
    {},
    {"5", "", "", "行政"},
    {"6", "1006", "王五"},
};

} // namespace

TEST(EntryList, ChosenColumnsJoinedInTheirOrder) {
    const EntryList list = buildEntries(kStaff, recipe({1, 2}, true));
    // A row missing one part gives the other alone, without a dangling joiner;
    // a row with nothing in the chosen columns is skipped and counted, even
    // when other columns hold something.
    EXPECT_EQ(list.entries, (V{"1001 张三", "1002 李四", "1003", "1006 王五"}));
    EXPECT_EQ(list.emptyRows, 2u);
    EXPECT_EQ(list.duplicates, 0u);

    EXPECT_EQ(buildEntries(kStaff, recipe({2, 1}, true, "-")).entries,
              (V{"张三-1001", "李四-1002", "1003", "王五-1006"}));
    // Without a header the first row is an entry like any other.
    EXPECT_EQ(buildEntries(kStaff, recipe({2})).entries, (V{"姓名", "张三", "李四", "王五"}));
    EXPECT_EQ(buildEntries(kStaff, recipe({2})).emptyRows, 3u);
    // An empty joiner glues the parts; a column past every row gives nothing.
    EXPECT_EQ(buildEntries(kStaff, recipe({1, 2, 9}, true, "")).entries,
              (V{"1001张三", "1002李四", "1003", "1006王五"}));
    EXPECT_EQ(buildEntries(kStaff, recipe({9}, true)).emptyRows, 6u);
    EXPECT_TRUE(buildEntries({}, recipe({0}, true)).entries.empty());
    EXPECT_TRUE(buildEntries({{"姓名"}}, recipe({0}, true)).entries.empty());
}

TEST(EntryList, DuplicatesCountedThenKeptOrDropped) {
    const Rows rows = {{"张三"}, {"李四"}, {"张三"}, {" 张三 "}, {"张三 "}, {"王五"}, {"李四"}};
    const EntryList kept = buildEntries(rows, recipe({0}));
    // Spaces around a cell do not make a different person.
    EXPECT_EQ(kept.entries, (V{"张三", "李四", "张三", "张三", "张三", "王五", "李四"}));
    EXPECT_EQ(kept.duplicates, 4u);
    EXPECT_EQ(kept.duplicateExamples, (V{"张三", "李四"}));
    const EntryList dropped = buildEntries(rows, recipe({0}, false, " ", true));
    EXPECT_EQ(dropped.entries, (V{"张三", "李四", "王五"}));
    EXPECT_EQ(dropped.duplicates, 4u);
    EXPECT_EQ(dropped.duplicateExamples, kept.duplicateExamples);
    // A few examples, each once, in the order they repeat.
    Rows many;
    for (const char* name : {"a", "b", "c", "d", "a", "a", "d", "c", "b"})
        many.push_back({name});
    EXPECT_EQ(buildEntries(many, recipe({0})).duplicateExamples, (V{"a", "d", "c"}));
    // Equal only as a whole entry: the same name with another number is no duplicate.
    const Rows twoNames = {{"1", "张三"}, {"2", "张三"}, {"1", "张三"}};
    EXPECT_EQ(buildEntries(twoNames, recipe({0, 1}, false, " ", true)).entries,
              (V{"1 张三", "2 张三"}));
}

TEST(EntryList, EveryCellBecomesOneLine) {
    EXPECT_EQ(oneLine("张\r\n三"), "张 三");
    EXPECT_EQ(oneLine("张\n\n三\r"), "张 三");
    EXPECT_EQ(oneLine("  张三  \n  李四\t"), "张三 李四");
    EXPECT_EQ(oneLine("\n\r\n"), "");
    // Bytes that would end a pool line or its whole text never reach the file.
    EXPECT_EQ(oneLine(std::string("a\0b\x1A"
                                  "c",
                                  5)),
              "a b c");
    // A tab inside the text stays, as the pool keeps it.
    EXPECT_EQ(oneLine("a\tb"), "a\tb");

    const EntryList list =
        buildEntries({{"1001", "张\n三"}, {"\n", " "}, {"1002\r\n", "李四"}}, recipe({0, 1}));
    EXPECT_EQ(list.entries, (V{"1001 张 三", "1002 李四"}));
    EXPECT_EQ(list.emptyRows, 1u);
}

TEST(EntryList, PoolLimitIsTheEntryCount) {
    EntryList list;
    list.entries.resize(Pool::kLimit);
    EXPECT_FALSE(list.tooMany());
    list.entries.emplace_back("x");
    EXPECT_TRUE(list.tooMany());
}

TEST(EntryList, PoolFileIsGbkWithCrLfAndLoadsBack) {
    // U+20000 has no GBK code: GB18030 writes it in four bytes.
    const V entries = {"1001 张三", "A\tB", "\xF0\xA0\x80\x80", "李四"};
    const std::string text = poolFileText(entries);
    EXPECT_EQ(text, gbk("1001 张三") + "\r\n" + "A\tB\r\n" + "\x95\x32\x82\x36\r\n" +
                        "\xC0\xEE\xCB\xC4\r\n");
    EXPECT_EQ(poolFileText({}), "");

    // The program's own reading of the file (encoding recognition and the
    // pool's line rules) gives back every entry unchanged.
    TempDir dir;
    CoreHost host(dir.path());
    const std::string path = host.path(gbk("抽奖号码库.txt"));
    ASSERT_TRUE(host.writeFile(path, text));
    auto file = host.openTextFile(path);
    Pool pool;
    loadPool(pool, *file, {}, {});
    ASSERT_EQ(pool.count(), entries.size());
    for (std::size_t i = 0; i < entries.size(); ++i)
        EXPECT_EQ(utf8(pool.entryAt(i)), entries[i]) << i;
}

TEST(EntryList, HeaderRecognised) {
    EXPECT_TRUE(likelyHeader({{"姓名"}, {"张三"}}));
    EXPECT_TRUE(likelyHeader({{"序号", "员工姓名"}, {"1", "张三"}}));
    EXPECT_TRUE(likelyHeader({{"ID", "Name"}, {"7", "Zhang"}}));
    // Unknown words above a column of numbers.
    EXPECT_TRUE(likelyHeader({{"Dept", "Code"}, {"销售", "1001"}}));
    EXPECT_FALSE(likelyHeader({{"1001", "张三"}, {"1002", "李四"}}));
    EXPECT_FALSE(likelyHeader({{"张三"}, {"李四"}}));
    EXPECT_FALSE(likelyHeader({{"姓名"}}));
    EXPECT_FALSE(likelyHeader({{"", " "}, {"1", "张三"}}));
}

TEST(EntryList, SuggestedColumns) {
    EXPECT_EQ(suggestedColumns({"序号", "工号", "姓名", "部门"}), (std::vector<std::size_t>{1, 2}));
    // A telephone number is never taken for the participant's number.
    EXPECT_EQ(suggestedColumns({"序号", "手机号码", "姓名"}), (std::vector<std::size_t>{2}));
    EXPECT_EQ(suggestedColumns({"抽奖号码", "姓名", "员工编号"}), (std::vector<std::size_t>{2, 1}));
    EXPECT_EQ(suggestedColumns({"部门", "名字"}), (std::vector<std::size_t>{1}));
    EXPECT_EQ(suggestedColumns({"甲", "乙"}), (std::vector<std::size_t>{0}));
    EXPECT_EQ(suggestedColumns({}), (std::vector<std::size_t>{0}));
}

TEST(EntryList, ColumnLetters) {
    EXPECT_EQ(columnLetters(0), "A");
    EXPECT_EQ(columnLetters(25), "Z");
    EXPECT_EQ(columnLetters(26), "AA");
    EXPECT_EQ(columnLetters(701), "ZZ");
    EXPECT_EQ(columnLetters(702), "AAA");
}
