#include "pool/groupfile.h"

#include "host/core/text.h"
#include "pool/entrylist.h"
#include "pool/pool.h"
#include "pool/savedstate.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace luckdial {
namespace {

void fillGrouped(Pool& pool) {
    pool.clear();
    for (const char* e : {"1001 a", "1002 b", "1003\tc", "1004 d\r", "1005 e"})
        pool.append(e);
    ASSERT_TRUE(pool.setGroups({gbk("销售部"), gbk("研发部")}, {1, 2, 1, 0, 1}));
}

std::vector<std::uint16_t> membersOf(const Pool& pool) {
    std::vector<std::uint16_t> v;
    pool.forEachGroup([&](std::size_t, std::uint16_t id) { v.push_back(id); });
    return v;
}

TEST(GroupFile, EntriesCheckIsTheProgressTextCheck) {
    Pool pool;
    fillGrouped(pool);
    EXPECT_EQ(entriesCheck(pool), progressCheck(progressText(pool)));
    pool.removeAt(1);
    EXPECT_EQ(entriesCheck(pool), progressCheck(progressText(pool)));
    pool.clear();
    EXPECT_EQ(entriesCheck(pool), progressCheck(""));
}

TEST(GroupFile, RoundTripKeepsGroupsAndWinners) {
    Pool pool;
    fillGrouped(pool);
    pool.removeAt(0); // 1001 won: its group stays named
    const std::vector<WinnerGroup> winners = {
        {4, "1001 a", gbk("销售部"), false},
        {4, "x\ty", "", true},
        {1, gbk("张三"), gbk("管理层"), false}, // a group no entry has any more
    };
    const std::string text = groupFileText(pool, winners);
    const std::optional<GroupFile> file = parseGroupFile(text);
    ASSERT_TRUE(file);
    EXPECT_EQ(file->winners, winners);
    EXPECT_EQ(file->names, (std::vector<std::string>{gbk("销售部"), gbk("研发部"), gbk("管理层")}));

    Pool loaded;
    loaded.assignLines(progressText(pool));
    ASSERT_TRUE(applyGroupFile(loaded, *file));
    EXPECT_EQ(membersOf(loaded), (std::vector<std::uint16_t>{2, 1, 0, 1}));
    EXPECT_EQ(loaded.groupName(2), gbk("研发部"));
}

TEST(GroupFile, HandEditedEntriesDoNotTakeTheGroups) {
    Pool pool;
    fillGrouped(pool);
    const std::string text = groupFileText(pool, {});
    struct Case {
        const char* name;
        std::string poolText;
        bool applies;
    };
    const std::string same = progressText(pool);
    const std::vector<Case> cases = {
        {"unchanged", same, true},
        {"one entry changed", std::string(same).replace(0, 4, "1009"), false},
        {"one entry added", same + "1006 f\r\n", false},
        {"lines swapped", "1002 b\r\n1001 a\r\n1003\tc\r\n1004 d\r\r\n1005 e\r\n", false},
        {"line ends only changed", "1001 a\n1002 b\n1003\tc\n1004 d\r\r\n1005 e", true},
    };
    for (const Case& c : cases) {
        Pool loaded;
        loaded.assignLines(c.poolText);
        EXPECT_EQ(applyGroupFile(loaded, *parseGroupFile(text)), c.applies) << c.name;
        EXPECT_EQ(loaded.hasGroups(), c.applies) << c.name;
    }
}

TEST(GroupFile, DamagedTextIsRefused) {
    Pool pool;
    fillGrouped(pool);
    const std::string good = groupFileText(pool, {{2, "1002 b", gbk("研发部"), false}});
    ASSERT_TRUE(parseGroupFile(good));
    const std::vector<std::pair<const char*, std::string>> cases = {
        {"empty", ""},
        {"cut short", good.substr(0, good.size() - 3)},
        {"trailing bytes", good + "x"},
        {"other magic", "LUCKDIAL GROUPS 9" + good.substr(17)},
        {"member beyond names",
         std::string(good).replace(good.find("members 5\r\n1"), 12, "members 5\r\n7")},
        {"huge count", std::string(good).replace(good.find("names 2"), 7, "names 99999999")},
        {"row out of range", std::string(good).replace(good.find("2 0 2\t"), 1, "9")},
        {"no tab", std::string(good).replace(good.find("2 0 2\t"), 6, "2 0 2 ")},
    };
    for (const auto& [name, text] : cases)
        EXPECT_FALSE(parseGroupFile(text)) << name;
}

TEST(GroupFile, ForfeitMarksTheLatestMatchingWinnerOfTheRow) {
    std::vector<WinnerGroup> winners = {
        {3, "A", "S", false}, {3, "A", "R", false}, {4, "A", "M", false}, {3, "B", "S", false}};
    struct Step {
        int row;
        const char* entry;
        std::optional<std::string> group;
    };
    const std::vector<Step> steps = {
        {3, "A", "R"}, {3, "A", "S"}, {3, "A", std::nullopt}, {4, "B", std::nullopt}, {4, "A", "M"},
    };
    for (const Step& s : steps)
        EXPECT_EQ(forfeitWinnerGroup(winners, s.row, s.entry), s.group) << s.row << s.entry;
    EXPECT_FALSE(winners[3].forfeited);
}

TEST(GroupFile, RecoveryRecordCarriesGroupsAndReadsVersionOne) {
    const std::string pool = "a\r\nb\r\n";
    const std::string groups = "LUCKDIAL GROUPS 1\r\n";
    struct Case {
        std::string groups;
        const char* magic;
    };
    for (const Case& c : {Case{"", "LUCKDIAL RECOVERY 1"}, Case{groups, "LUCKDIAL RECOVERY 2"}}) {
        const std::string record =
            recoveryHeader({1, 0, 0, 0, 0, 0, 0, 2}, 2, pool, "r\r\n", c.groups) + pool + "r\r\n" +
            c.groups;
        EXPECT_EQ(record.substr(0, 19), c.magic);
        const auto content = parseRecoveryRecord(record);
        ASSERT_TRUE(content) << c.magic;
        EXPECT_EQ(content->poolText, pool);
        EXPECT_EQ(content->results, "r\r\n");
        EXPECT_EQ(content->groups, c.groups);
        std::string damaged = record;
        damaged.back() ^= 1;
        EXPECT_FALSE(parseRecoveryRecord(damaged)) << c.magic;
    }
}

TEST(EntryGroups, GroupColumnFollowsTheEntriesIntoTheGroupFile) {
    const std::vector<std::vector<std::string>> rows = {
        {"工号", "姓名", "部门"}, {"1", "张三", "销售部"}, {"2", "李四", " 研发部 "},
        {"3", "王五", ""},        {"1", "张三", "研发部"}, {"4", "赵六", "销售部"},
        {"", "", "销售部"},
    };
    struct Case {
        bool drop;
        std::vector<std::string> groups;
        std::vector<std::uint16_t> members;
        const char* counts;
    };
    const std::vector<Case> cases = {
        {false,
         {"销售部", "研发部", "", "研发部", "销售部"},
         {1, 2, 0, 2, 1},
         "销售部 2、研发部 2，共 2 个分组"},
        {true, {"销售部", "研发部", "", "销售部"}, {1, 2, 0, 1}, "销售部 2、研发部 1，共 2 个分组"},
    };
    for (const Case& c : cases) {
        EntryRecipe recipe;
        recipe.headerRow = true;
        recipe.columns = {0, 1};
        recipe.groupColumn = 2;
        recipe.dropDuplicates = c.drop;
        const EntryList list = buildEntries(rows, recipe);
        EXPECT_EQ(list.groups, c.groups);
        EXPECT_EQ(groupCountsText(groupSizes(list)), c.counts);

        Pool pool;
        pool.assignLines(poolFileText(list.entries));
        const auto file = parseGroupFile(entryGroupFileText(list));
        ASSERT_TRUE(file);
        ASSERT_TRUE(applyGroupFile(pool, *file));
        EXPECT_EQ(membersOf(pool), c.members);
        EXPECT_EQ(pool.groupName(1), gbk("销售部"));
    }
    EntryRecipe none;
    none.headerRow = true;
    EXPECT_TRUE(buildEntries(rows, none).groups.empty());
    EXPECT_EQ(entryGroupFileText(buildEntries(rows, none)), "");
}

TEST(EntryGroups, CountsLineShowsTheFirstGroupsBySize) {
    const std::vector<std::pair<std::string, std::size_t>> sizes = {
        {"A", 9}, {"B", 7}, {"C", 5}, {"D", 3}, {"E", 1}};
    EXPECT_EQ(groupCountsText(sizes), "A 9、B 7、C 5、D 3、…，共 5 个分组");
    EXPECT_EQ(groupCountsText(sizes, 2), "A 9、B 7、…，共 5 个分组");
    EXPECT_EQ(groupCountsText({}), "");
}

} // namespace
} // namespace luckdial
