#include "draw/core/grouprules.h"

#include "draw/core/resultrows.h"
#include "host/core/text.h"
#include "pool/pool.h"

#include <gtest/gtest.h>

#include <map>
#include <set>
#include <string>
#include <vector>

namespace luckdial {
namespace {

// Entries "<group letter><n>" in groups given by name; "" is no group.
struct Member {
    std::string entry;
    std::string group;
};

void fillGrouped(Pool& pool, const std::vector<Member>& members) {
    pool.clear();
    std::vector<std::string> names;
    std::vector<std::uint16_t> ids;
    for (const Member& m : members) {
        pool.append(m.entry);
        std::uint16_t id = 0;
        if (!m.group.empty()) {
            auto it = std::find(names.begin(), names.end(), m.group);
            if (it == names.end()) {
                names.push_back(m.group);
                it = names.end() - 1;
            }
            id = static_cast<std::uint16_t>(it - names.begin() + 1);
        }
        ids.push_back(id);
    }
    ASSERT_TRUE(pool.setGroups(names, ids));
}

std::vector<Member> staff(const std::vector<std::pair<std::string, int>>& sizes) {
    std::vector<Member> v;
    for (const auto& [group, n] : sizes)
        for (int i = 1; i <= n; ++i)
            v.push_back({(group.empty() ? std::string("none") : group) + std::to_string(i), group});
    return v;
}

struct SteppingClock {
    std::uint32_t now = 1000;
    std::function<std::uint32_t()> fn() {
        return [this] { return now++; };
    }
};

TEST(LevelRuleText, ParsesAndWritesBack) {
    struct Case {
        const char* eligible;
        const char* quotas;
        std::vector<std::string> groups;
        std::vector<std::pair<std::string, int>> seats;
        const char* eligibleOut;
        const char* quotasOut;
    };
    const std::vector<Case> cases = {
        {"", "", {}, {}, "", ""},
        {"销售部、研发部", "", {"销售部", "研发部"}, {}, "销售部、研发部", ""},
        {" 销售部 ,研发部、",
         "销售部:5、研发部：5",
         {"销售部", "研发部"},
         {{"销售部", 5}, {"研发部", 5}},
         "销售部、研发部",
         "销售部:5、研发部:5"},
        // Not a positive number: left out; a repeat keeps its place, last quota.
        {"A、A", "A:0、B:x、C:2、C:3", {"A"}, {{"C", 3}}, "A", "C:3"},
        // The seats follow the last colon.
        {"", "总部:一组:4", {}, {{"总部:一组", 4}}, "", "总部:一组:4"},
        // "啊⒈" holds the bytes of "、" across its two characters: no cut there.
        {"啊⒈、丙", "", {"啊⒈", "丙"}, {}, "啊⒈、丙", ""},
    };
    for (const Case& c : cases) {
        const LevelRule rule = parseLevelRule(gbk(c.eligible), gbk(c.quotas));
        std::vector<std::string> groups;
        for (const auto& g : c.groups)
            groups.push_back(gbk(g));
        EXPECT_EQ(rule.eligible, groups) << c.eligible;
        ASSERT_EQ(rule.quotas.size(), c.seats.size()) << c.quotas;
        for (std::size_t k = 0; k < c.seats.size(); ++k) {
            EXPECT_EQ(rule.quotas[k].group, gbk(c.seats[k].first));
            EXPECT_EQ(rule.quotas[k].seats, c.seats[k].second);
        }
        EXPECT_EQ(eligibleText(rule), gbk(c.eligibleOut));
        EXPECT_EQ(quotaText(rule), gbk(c.quotasOut));
        EXPECT_EQ(rule.active(), !c.groups.empty() || !c.seats.empty());
    }
}

TEST(LevelRuleText, CaptionShowsGroupsThenSeats) {
    const std::vector<std::tuple<const char*, const char*, const char*>> cases = {
        {"", "", ""},
        {"销售部、研发部", "", "仅限 销售部、研发部"},
        {"", "销售部:5、研发部:5", "销售部5名、研发部5名"},
        {"管理层", "管理层:1", "仅限 管理层 管理层1名"},
    };
    for (const auto& [e, q, caption] : cases)
        EXPECT_EQ(ruleCaption(parseLevelRule(gbk(e), gbk(q))), gbk(caption)) << caption;
}

TEST(GroupSeats, OpenByEligibilityQuotaAndFreeSeats) {
    struct Case {
        const char* name;
        const char* eligible;
        const char* quotas;
        int quota;
        int drawn;
        GroupTally taken;
        std::map<std::string, bool> open; // group -> may win the next seat
    };
    const std::vector<Case> cases = {
        {"all groups", "", "", 3, 0, {}, {{"", true}, {"S", true}, {"R", true}}},
        {"listed only",
         "S、R",
         "",
         3,
         0,
         {},
         {{"", false}, {"S", true}, {"R", true}, {"M", false}}},
        {"quota seat left",
         "",
         "S:2、R:1",
         3,
         1,
         {{"S", 1}},
         {{"S", true}, {"R", true}, {"M", false}, {"", false}}},
        {"quota met closes group", "", "S:2、R:1", 3, 2, {{"S", 2}}, {{"S", false}, {"R", true}}},
        {"free seats for the rest",
         "",
         "S:2",
         5,
         2,
         {{"S", 2}},
         {{"S", false}, {"R", true}, {"", true}}},
        {"rest only from listed",
         "S、R",
         "S:1",
         3,
         0,
         {},
         {{"S", true}, {"R", true}, {"M", false}}},
        {"quota implies eligible", "R", "S:1", 2, 0, {}, {{"S", true}, {"R", true}}},
        {"level full", "", "", 2, 2, {}, {{"S", false}, {"", false}}},
    };
    for (const Case& c : cases) {
        const GroupSeats seats(parseLevelRule(gbk(c.eligible), gbk(c.quotas)), c.quota, c.drawn,
                               c.taken);
        for (const auto& [group, open] : c.open)
            EXPECT_EQ(seats.open(group), open) << c.name << " group " << group;
    }
}

TEST(GroupSeats, ProblemsNameTheLevelAndTheGroup) {
    struct Case {
        const char* eligible;
        const char* quotas;
        int quota;
        bool allowRepeat;
        const char* message; // empty: drawable
    };
    // Pool: 销售部 6, 研发部 3, no group 2.
    const std::vector<Case> cases = {
        {"", "", 11, false, ""},
        {"", "", 12, false, "“三等奖”还需抽取12名，但符合条件的参与者只有11名，无法抽取！"},
        {"", "", 12, true, ""},
        {"销售部、研发部", "", 10, false,
         "“三等奖”（仅限 销售部、研发部）还需抽取10名，但符合条件的参与者只有9名，无法抽取！"},
        {"", "销售部:5、研发部:5", 10, false,
         "“三等奖”的分组“研发部”还需抽取5名，但参与抽奖的该分组只剩3名，无法抽取！"},
        {"", "销售部:5、研发部:5", 10, true, ""},
        {"", "销售部:6、研发部:5", 10, false,
         "“三等奖”的分组名额合计11名，超过了本奖项的名额10名，无法抽取！请修改分组规则。"},
        {"", "市场部:1", 1, true,
         "“三等奖”的分组“市场部”还需抽取1名，但参与抽奖的该分组只剩0名，无法抽取！"},
        // Seats for the rest come from groups without quota only.
        {"销售部、研发部", "销售部:5", 9, false,
         "“三等奖”（仅限 销售部、研发部）还需抽取9名，但符合条件的参与者只有8名，无法抽取！"},
        {"销售部、研发部", "销售部:5", 8, false, ""},
    };
    Pool pool;
    fillGrouped(pool, staff({{gbk("销售部"), 6}, {gbk("研发部"), 3}, {"", 2}}));
    for (const Case& c : cases) {
        const GroupSeats seats(parseLevelRule(gbk(c.eligible), gbk(c.quotas)), c.quota, 0, {});
        EXPECT_EQ(seats.problem(pool, c.allowRepeat, gbk("三等奖")), gbk(c.message))
            << c.eligible << " / " << c.quotas << " / " << c.quota;
    }
}

TEST(GroupSeats, PendingPresetsAreThoseStillToComeWithTheirGroups) {
    struct Case {
        int quota;
        int winnerNumber;
        const char* n;
        const char* nn;
        const char* nnn;
        std::vector<PendingPreset> expected;
    };
    const std::vector<Case> cases = {
        {5, 1, "S1", "R2", "外人", {{3, ""}, {4, "R"}, {5, "S"}}},
        {5, 4, "S1", "R2", "外人", {{4, "R"}, {5, "S"}}},
        {5, 6, "S1", "R2", "外人", {}},
        {5, 1, "", "R2", "", {{4, "R"}}},
        // A short quota uses the fields that still name a winner number.
        {2, 1, "S1", "R2", "M1", {{1, "R"}, {2, "S"}}},
        {1, 1, "S1", "R2", "M1", {{1, "S"}}},
        {3, 1, "", "", "", {}},
    };
    Pool pool;
    fillGrouped(pool, staff({{"S", 3}, {"R", 3}, {"M", 2}}));
    for (const Case& c : cases) {
        DrawInputs in;
        in.presetN = gbk(c.n);
        in.presetNN = gbk(c.nn);
        in.presetNNN = gbk(c.nnn);
        EXPECT_EQ(pendingPresets(pool, in, c.winnerNumber, c.quota + 1), c.expected)
            << c.quota << " from " << c.winnerNumber;
    }
}

TEST(GroupSeats, PresetsStillToComeAreCountedBeforeTheScroll) {
    struct Case {
        const char* eligible;
        const char* quotas;
        int quota;
        int drawn;
        const char* n;
        const char* nn;
        const char* message; // empty: drawable
    };
    // Pool: 销售部 6, 研发部 3, no group 2 (entries "销售部1", ..., "none1").
    const std::vector<Case> cases = {
        // A preset outside the pool takes a seat, so the random seats fit.
        {"", "", 12, 0, "外人", "", ""},
        {"", "", 13, 0, "外人", "",
         "“三等奖”还需抽取12名（另有预设中奖人1名），但符合条件的参与者只有11名，无法抽取！"},
        // Drawn past the preset's number: nothing is held any more.
        {"", "", 12, 11, "外人", "", ""},
        {"", "", 13, 11, "外人", "", ""},
        // The preset's entry stays in the pool when it wins at random, so
        // its group never runs out of entries.
        {"", "研发部:5", 5, 0, "研发部1", "", ""},
        {"", "研发部:5", 5, 0, "", "",
         "“三等奖”的分组“研发部”还需抽取5名，但参与抽奖的该分组只剩3名，无法抽取！"},
        // Quotas fill the level: a preset without quota has no seat.
        {"", "销售部:2、研发部:2", 4, 0, "none1", "",
         "“三等奖”有1名预设中奖人不占分组名额，但本奖项分组名额以外只剩0个名额，无法抽取！"
         "请修改预设中奖人或分组规则。"},
        {"", "销售部:2、研发部:1", 4, 0, "none1", "", ""},
        // More presets in a group than its seats.
        {"", "销售部:1、研发部:3", 4, 0, "销售部1", "销售部2",
         "“三等奖”第3名的预设中奖人属于分组“销售部”，但该分组在本奖项只剩1个名额，无法抽取！"
         "请修改预设中奖人或分组规则。"},
        {"", "销售部:2、研发部:2", 4, 0, "销售部1", "销售部2", ""},
        // A preset the rule does not allow.
        {"销售部、研发部", "", 2, 0, "none1", "",
         "“三等奖”第2名的预设中奖人不属于名单的任何分组，不符合本奖项的分组规则"
         "（仅限 销售部、研发部），无法抽取！请修改预设中奖人或分组规则。"},
        {"研发部", "", 2, 0, "销售部3", "",
         "“三等奖”第2名的预设中奖人属于分组“销售部”，不符合本奖项的分组规则（仅限 研发部），"
         "无法抽取！请修改预设中奖人或分组规则。"},
        {"研发部", "销售部:1", 2, 0, "销售部3", "", ""},
    };
    Pool pool;
    fillGrouped(pool, staff({{gbk("销售部"), 6}, {gbk("研发部"), 3}, {"", 2}}));
    for (const Case& c : cases) {
        DrawInputs in;
        in.presetN = gbk(c.n);
        in.presetNN = gbk(c.nn);
        GroupSeats seats(parseLevelRule(gbk(c.eligible), gbk(c.quotas)), c.quota, c.drawn, {});
        seats.holdForPresets(pendingPresets(pool, in, c.drawn + 1, c.quota + 1));
        EXPECT_EQ(seats.problem(pool, false, gbk("三等奖"), {in.presetN, in.presetNN, ""}),
                  gbk(c.message))
            << c.eligible << " / " << c.quotas << " / " << c.quota << " / " << c.n;
    }
}

struct DrawCase {
    const char* name;
    const char* eligible;
    const char* quotas;
    int quota;
    int perDraw;
    bool allowRepeat;
    std::map<std::string, int> expectedSeats; // exact wins per group; others: none
    const char* presetN = "";
    const char* presetNN = "";
};

TEST(DrawWinnersByRule, EveryWinnerEligibleAndQuotasExactlyMet) {
    const std::vector<DrawCase> cases = {
        {"two quotas fill the level", "", "S:5、R:5", 10, 3, false, {{"S", 5}, {"R", 5}}},
        {"only one group", "M", "", 4, 4, false, {{"M", 4}}},
        {"quota and rest from listed", "S、M", "R:2", 6, 6, false, {{"R", 2}}},
        {"repeats allowed", "", "S:3、M:3", 6, 2, true, {{"S", 3}, {"M", 3}}},
        // Preset winners take their groups' seats; the random ones leave them.
        {"preset in a quota", "", "S:5、R:5", 10, 3, false, {{"S", 5}, {"R", 5}}, "S1"},
        {"presets in and beside quotas", "M", "R:2", 5, 2, false, {{"R", 2}, {"M", 3}}, "M2", "R3"},
    };
    for (const DrawCase& c : cases) {
        for (std::uint32_t seed = 0; seed < 40; ++seed) {
            Pool pool;
            fillGrouped(pool, staff({{"S", 8}, {"R", 6}, {"M", 5}, {"", 4}}));
            const LevelRule rule = parseLevelRule(gbk(c.eligible), gbk(c.quotas));
            DrawInputs in;
            in.perDrawCount = c.perDraw;
            in.allowRepeat = c.allowRepeat;
            in.presetN = c.presetN;
            in.presetNN = c.presetNN;
            DrawGenerator gen;
            SteppingClock clock{1000 + seed * 7};
            std::int32_t w = 1;
            const std::int32_t limit = c.quota + 1;
            std::map<std::string, int> won;
            std::set<std::string> winners;
            unsigned removed = 0;
            GroupTally tally;
            for (int run = 0; run < 20 && w < limit; ++run) {
                GroupSeats seats(rule, c.quota, w - 1, tally);
                seats.holdForPresets(pendingPresets(pool, in, w, limit));
                ASSERT_EQ(seats.problem(pool, c.allowRepeat, "L",
                                        {in.presetN, in.presetNN, in.presetNNN}),
                          "")
                    << c.name;
                const RuleOutcome out =
                    drawWinnersByRule(pool, gen, in, seats, w, limit, clock.fn());
                for (const DrawnWinner& d : out.draw.winners) {
                    if (d.winnerNumber == c.quota && *c.presetN) {
                        EXPECT_EQ(d.entry, c.presetN);
                    }
                    if (d.winnerNumber == c.quota - 1 && *c.presetNN) {
                        EXPECT_EQ(d.entry, c.presetNN);
                    }
                }
                EXPECT_FALSE(out.noneEligible) << c.name;
                ASSERT_EQ(out.groups.size(), out.draw.winners.size());
                for (std::size_t k = 0; k < out.groups.size(); ++k) {
                    const std::string& g = out.groups[k];
                    ++won[g];
                    if (!g.empty()) ++tally[g];
                    EXPECT_EQ(out.draw.winners[k].entry.substr(0, g.empty() ? 4 : 1),
                              g.empty() ? "none" : g)
                        << c.name;
                    // A preset's entry stays in the pool and may win again.
                    const std::string& entry = out.draw.winners[k].entry;
                    const bool preset = entry == in.presetN || entry == in.presetNN;
                    if (!preset) ++removed;
                    if (!c.allowRepeat && !preset) {
                        EXPECT_TRUE(winners.insert(entry).second)
                            << c.name << " seed " << seed << " " << entry;
                    }
                }
            }
            EXPECT_EQ(w, limit) << c.name;
            const LevelRule r = parseLevelRule(gbk(c.eligible), gbk(c.quotas));
            for (const auto& [g, n] : won) {
                const auto it = c.expectedSeats.find(g);
                if (it != c.expectedSeats.end()) {
                    EXPECT_EQ(n, it->second) << c.name << " " << g;
                } else {
                    // Only listed groups take the free seats.
                    EXPECT_TRUE(std::find(r.eligible.begin(), r.eligible.end(), g) !=
                                r.eligible.end())
                        << c.name << " group " << g << " seed " << seed;
                }
            }
            for (const auto& [g, n] : c.expectedSeats)
                EXPECT_EQ(won[g], n) << c.name << " " << g << " seed " << seed;
            if (!c.allowRepeat) {
                EXPECT_EQ(pool.count(), 23u - removed) << c.name;
            }
        }
    }
}

TEST(DrawWinnersByRule, RuleOfAllGroupsDrawsWhatThePlainDrawDraws) {
    // With every entry eligible the eligible positions are the pool's own,
    // so the same generator state gives the same winners in the same order.
    for (std::uint32_t start : {0u, 77u, 123456u}) {
        Pool plain;
        Pool ruled;
        fillGrouped(plain, staff({{"S", 9}, {"R", 7}, {"", 5}}));
        fillGrouped(ruled, staff({{"S", 9}, {"R", 7}, {"", 5}}));
        DrawInputs in;
        in.perDrawCount = 6;
        in.columns = 3;
        in.presetN = "S3";
        SteppingClock a{start};
        SteppingClock b{start};
        DrawGenerator ga;
        DrawGenerator gb;
        std::int32_t wa = 1;
        std::int32_t wb = 1;
        const DrawOutcome x = drawWinners(plain, ga, in, wa, 7, a.fn());
        GroupSeats seats(LevelRule{}, 6, 0, {});
        const RuleOutcome y = drawWinnersByRule(ruled, gb, in, seats, wb, 7, b.fn());
        ASSERT_EQ(x.winners.size(), y.draw.winners.size());
        for (std::size_t k = 0; k < x.winners.size(); ++k)
            EXPECT_EQ(x.winners[k].entry, y.draw.winners[k].entry) << k;
        EXPECT_EQ(x.label, y.draw.label);
        EXPECT_EQ(ga.state(), gb.state());
        EXPECT_EQ(wa, wb);
        EXPECT_EQ(plain.count(), ruled.count());
        // The preset winner counts for the group of its pool entry.
        EXPECT_EQ(y.groups.back(), "S");
    }
}

TEST(DrawWinnersByRule, ScrollShowsEligibleEntriesOnly) {
    Pool pool;
    fillGrouped(pool, staff({{"S", 5}, {"R", 5}, {"M", 5}}));
    const GroupSeats seats(parseLevelRule(gbk("R、M"), "M:1"), 3, 0, {});
    const std::vector<std::uint32_t> eligible = eligiblePositions(pool, seats);
    ASSERT_EQ(eligible.size(), 10u);
    DrawGenerator gen;
    std::vector<std::string_view> scratch;
    std::set<char> seen;
    for (std::uint32_t tick = 0; tick < 500; ++tick) {
        gen.reseed(tick);
        const std::string frame = buildEligibleFrame(pool, gen, 4, eligible, 2, scratch);
        ASSERT_EQ(scratch.size(), 4u);
        for (const std::string_view e : scratch)
            seen.insert(e[0]);
        EXPECT_EQ(frame.find('S'), std::string::npos) << frame;
    }
    EXPECT_EQ(seen, (std::set<char>{'R', 'M'}));
}

// Over many seeded draws of one winner each, every eligible entry wins at
// the rate uniform choice gives. Seeds follow each other as the millisecond
// clock does between draws. Chi-square with 19 degrees of freedom at a
// significance of 0.001: the critical value is 43.82.
TEST(DrawWinnersByRule, EligibleEntriesWinUniformlyAndOthersNever) {
    Pool base;
    const std::vector<Member> members = staff({{"S", 12}, {"R", 8}, {"M", 10}, {"", 6}});
    constexpr int kTrials = 40000;
    std::map<std::string, int> wins;
    const LevelRule rule = parseLevelRule(gbk("S、R"), "");
    Pool pool;
    fillGrouped(pool, members);
    std::uint32_t tick = 5000;
    for (int t = 0; t < kTrials; ++t) {
        // Repeats allowed keeps the pool whole without refilling it.
        DrawInputs in;
        in.perDrawCount = 1;
        in.allowRepeat = true;
        GroupSeats seats(rule, 1, 0, {});
        DrawGenerator gen;
        std::int32_t w = 1;
        SteppingClock clock{tick};
        tick += 13;
        const RuleOutcome out = drawWinnersByRule(pool, gen, in, seats, w, 2, clock.fn());
        ASSERT_EQ(out.draw.winners.size(), 1u);
        ++wins[out.draw.winners[0].entry];
    }
    const double expected = kTrials / 20.0;
    double chi = 0;
    for (const Member& m : members) {
        const int n = wins.count(m.entry) ? wins[m.entry] : 0;
        if (m.group == "S" || m.group == "R") {
            chi += (n - expected) * (n - expected) / expected;
        } else {
            EXPECT_EQ(n, 0) << m.entry;
        }
    }
    EXPECT_LT(chi, 43.82);
    EXPECT_EQ(wins.size(), 20u);
}

TEST(ResultGroups, WinnerRowsTakeTheirGroupsInOrder) {
    const std::string results =
        gbk("甲  ------  三等奖\r\n（甲---放弃领奖）\r\n乙  ------  三等奖\r\n"
            "旧  ------  一等奖\r\n甲  ------  三等奖\r\n");
    const std::vector<WinnerGroup> winners = {{4, gbk("甲"), gbk("销售部"), true},
                                              {4, gbk("乙"), "", false},
                                              {4, gbk("甲"), gbk("研发部"), false}};
    std::vector<std::string> columns = resultColumns();
    std::vector<std::vector<std::string>> rows = resultRows(results);
    addGroupColumn(columns, rows, winners);
    EXPECT_EQ(columns.back(), "分组");
    std::vector<std::string> groups;
    for (const auto& row : rows)
        groups.push_back(row.back());
    // The forfeit row has none; a line no winner recorded has none.
    EXPECT_EQ(groups, (std::vector<std::string>{"销售部", "", "", "", "研发部"}));
}

TEST(ResultGroups, WindowTextShowsEachWinnersGroupAfterThePrize) {
    const std::vector<WinnerGroup> winners = {{4, gbk("甲"), gbk("销售部"), true},
                                              {4, gbk("乙"), "", false},
                                              {4, gbk("甲"), gbk("研发部"), false},
                                              {1, std::string(300, 'x'), gbk("总部"), false}};
    const std::string bounded = std::string(254, 'x') + gbk("…");
    struct Case {
        std::string results;
        std::string shown;
    };
    const std::vector<Case> cases = {
        {gbk("甲  ------  三等奖\r\n（甲---放弃领奖）\r\n乙  ------  三等奖\r\n"
             "旧  ------  一等奖\r\n甲  ------  三等奖\r\n"),
         gbk("甲  ------  三等奖  ------  销售部\r\n（甲---放弃领奖）\r\n乙  ------  三等奖\r\n"
             "旧  ------  一等奖\r\n甲  ------  三等奖  ------  研发部\r\n")},
        // Empty lines and a bare line feed stay; the last line may lack its end.
        {gbk("\r\n甲  ------  三等奖\n\r\n乙  ------  三等奖"),
         gbk("\r\n甲  ------  三等奖  ------  销售部\n\r\n乙  ------  三等奖")},
        // A huge entry is bounded as on screen, and its group still shows.
        {std::string(300, 'x') + gbk("  ------  特等奖\r\n"), bounded + gbk("  ------  总部\r\n")},
    };
    for (const Case& c : cases)
        EXPECT_EQ(resultsWithGroups(c.results, winners), c.shown) << utf8(c.results);
}

} // namespace
} // namespace luckdial
