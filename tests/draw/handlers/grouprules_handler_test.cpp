#include "drawfixture.h"

#include "settings/core/names.h"

#include <algorithm>
#include <map>
#include <set>
#include <tuple>

namespace luckdial {
namespace {

class GroupDraw : public DrawFixture {
protected:
    /// 12 in S ("S1".."S12"), 6 in R, 8 in M, 4 without a group.
    void fillStaff() {
        std::vector<std::string> entries;
        std::vector<std::uint16_t> ids;
        const std::vector<std::pair<std::string, int>> groups = {
            {"S", 12}, {"R", 6}, {"M", 8}, {"", 4}};
        for (std::size_t g = 0; g < groups.size(); ++g)
            for (int i = 1; i <= groups[g].second; ++i) {
                entries.push_back((groups[g].first.empty() ? "X" : groups[g].first) +
                                  std::to_string(i));
                ids.push_back(groups[g].first.empty() ? 0 : static_cast<std::uint16_t>(g + 1));
            }
        fillPool(entries);
        ASSERT_TRUE(window.pool().setGroups({"S", "R", "M"}, ids));
    }
    void setRule(int row, const char* eligible, const char* seats) {
        const std::string config = host.path(names::kConfigFile);
        ASSERT_TRUE(
            host.writeItem(config, names::kGeneral, names::eligibleGroupsKey(row), gbk(eligible)));
        ASSERT_TRUE(host.writeItem(config, names::kGeneral, names::groupSeatsKey(row), gbk(seats)));
    }
    /// Stops after two frames, noting the first letter of every scrolled entry.
    void stopAfterTwoNoting(std::set<char>& scrolled) {
        framesSeen = 0;
        host.onDelay = [this, &scrolled] {
            if (!state.drawRunning) return;
            std::string text = e.winners->caption();
            for (std::size_t at = 0; (at = text.find("\r\n", at)) != std::string::npos;)
                text.replace(at, 2, "    ");
            for (std::size_t at = 0; at < text.size();) {
                const std::size_t end = std::min(text.find("    ", at), text.size());
                if (end > at) scrolled.insert(text[at]);
                at = end + 4;
            }
            if (++framesSeen >= 2) e.stopButton->click();
        };
    }
    std::map<std::string, int> seatsTaken(int row) {
        std::map<std::string, int> taken;
        for (const WinnerGroup& w : window.winnerGroups())
            if (w.row == row && !w.forfeited) ++taken[w.group];
        return taken;
    }
};

TEST_F(GroupDraw, LevelsKeepTheirRulesThroughRunsAndAForfeit) {
    struct Case {
        const char* eligible;
        const char* seats;
        const char* quota;
        const char* perDraw;
        std::map<std::string, int> exact; // groups with exact seats
        std::set<char> allowed;           // first letters that may win or scroll
        const char* caption;              // after the progress caption
    };
    const std::vector<Case> cases = {
        {"", "S:3、R:2", "5", "2", {{"S", 3}, {"R", 2}}, {'S', 'R'}, "S3名、R2名"},
        {"R、M", "", "4", "3", {}, {'R', 'M'}, "仅限 R、M"},
        {"M", "R:2", "5", "2", {{"R", 2}}, {'R', 'M'}, "仅限 M R2名"},
    };
    for (const Case& c : cases) {
        fillStaff();
        window.winnerGroups().clear();
        window.results().clear();
        state = DrawState{};
        setRow(4, "三等奖", c.quota, c.perDraw, "2");
        setRule(4, c.eligible, c.seats);
        setLevelQuietly("三等奖");
        draw.selectPrizeLevel();
        std::set<char> scrolled;
        bool forfeited = false;
        for (int run = 0; run < 10 && state.winnerNumber < state.levelLimit; ++run) {
            stopAfterTwoNoting(scrolled);
            draw.startDraw();
            if (!forfeited) {
                // The first winner gives the seat back to their group.
                forfeited = true;
                const std::string who = window.winnerGroups().front().entry;
                host.expectInput({}, who);
                draw.forfeitWinner();
                EXPECT_TRUE(window.winnerGroups().front().forfeited);
            }
        }
        EXPECT_EQ(state.winnerNumber, state.levelLimit) << c.eligible << c.seats;
        const std::map<std::string, int> taken = seatsTaken(4);
        int total = 0;
        for (const auto& [g, n] : taken) {
            total += n;
            EXPECT_TRUE(c.allowed.count(g.empty() ? 'X' : g[0])) << g;
        }
        EXPECT_EQ(total, std::stoi(c.quota));
        for (const auto& [g, n] : c.exact)
            EXPECT_EQ(taken.count(g) ? taken.at(g) : 0, n) << c.eligible << c.seats << " " << g;
        for (const char s : scrolled)
            EXPECT_TRUE(c.allowed.count(s)) << "scrolled " << s;
        EXPECT_FALSE(scrolled.empty());
        EXPECT_NE(e.progress->caption().find(gbk(c.caption)), std::string::npos)
            << utf8(e.progress->caption());
        host.verifyAllAnswered();
    }
}

TEST_F(GroupDraw, WhatCannotBeMetIsSaidBeforeTheScroll) {
    const std::vector<std::tuple<const char*, const char*, const char*, const char*>> cases = {
        {"Q", "", "1", "“三等奖”（仅限 Q）还需抽取1名，但符合条件的参与者只有0名，无法抽取！"},
        {"", "R:7", "8", "“三等奖”的分组“R”还需抽取7名，但参与抽奖的该分组只剩6名，无法抽取！"},
        {"", "S:3、R:3", "5",
         "“三等奖”的分组名额合计6名，超过了本奖项的名额5名，无法抽取！请修改分组规则。"},
    };
    for (const auto& [eligible, seats, quota, message] : cases) {
        fillStaff();
        setRow(4, "三等奖", quota, "1");
        setRule(4, eligible, seats);
        setLevelQuietly("三等奖");
        draw.selectPrizeLevel();
        host.expectMessage(gbk(message), IdOk, gbk("分组规则"));
        stopAfterFrames(1);
        draw.startDraw();
        host.verifyAllAnswered();
        EXPECT_EQ(window.pool().count(), 30u);
        EXPECT_EQ(window.results(), "");
        EXPECT_FALSE(host.fileExists(host.path(names::resultsFile())));
        EXPECT_EQ(state.winnerNumber, 1);
        EXPECT_TRUE(e.startButton->isVisibleTo(&window));
    }
}

TEST_F(GroupDraw, AForfeitOfNoWinnerIsRecordedAndToldOnce) {
    struct Case {
        const char* seats; // the level's rule
        bool typeAWinner;  // the forfeit names one of the level's winners
        bool told;
    };
    const std::vector<Case> cases = {
        {"S:3、R:2", true, false},
        {"S:3、R:2", false, true},
        // Without a rule no seat is at stake: the forfeit is as it always was.
        {"", false, false},
    };
    for (const Case& c : cases) {
        fillStaff();
        window.winnerGroups().clear();
        window.results().clear();
        state = DrawState{};
        setRow(4, "三等奖", "5", "2", "2");
        setRule(4, "", c.seats);
        setLevelQuietly("三等奖");
        draw.selectPrizeLevel();
        stopAfterFrames(1);
        draw.startDraw();
        ASSERT_EQ(state.winnerNumber, 3);
        const std::string who = c.typeAWinner ? window.winnerGroups().back().entry : "Z9";
        host.expectInput({}, who);
        if (c.told)
            host.expectMessage(
                gbk("已记录“Z9”放弃领奖，但本奖项的中奖者中没有“Z9”，不知其所在分组，"
                    "空出的名额没有退回任何分组的名额。\r\n如果这是输入错误，"
                    "请核对中奖名单；本奖项之后的抽取仍按分组规则进行。"),
                IdOk, gbk("分组规则"));
        draw.forfeitWinner();
        host.verifyAllAnswered();
        // The forfeit itself is as before, told or not.
        EXPECT_EQ(state.winnerNumber, 2) << c.seats;
        EXPECT_EQ(state.counter(4), 1);
        EXPECT_NE(resultsFile().find(gbk("（") + who + gbk("---放弃领奖）\r\n")),
                  std::string::npos);
        // Only a forfeit of a winner found gives that winner's seat back.
        int taken = 0;
        for (const auto& [group, n] : seatsTaken(4))
            taken += n;
        EXPECT_EQ(taken, c.typeAWinner ? 1 : 2) << c.seats;
        const bool marked = std::any_of(window.winnerGroups().begin(), window.winnerGroups().end(),
                                        [](const WinnerGroup& w) { return w.forfeited; });
        EXPECT_EQ(marked, c.typeAWinner) << c.seats;
    }
}

TEST_F(GroupDraw, PresetWinnersTakeTheirSeatsInTheCheckAndTheDraw) {
    struct Case {
        const char* eligible;
        const char* seats;
        const char* quota;
        const char* presetN;
        const char* message;              // empty: the level is drawn out
        std::map<std::string, int> exact; // then: every seat by group
    };
    const std::vector<Case> cases = {
        // The group quotas fill the level: a preset outside them has no seat.
        {"",
         "S:3、R:2",
         "5",
         "X1",
         "“三等奖”有1名预设中奖人不占分组名额，但本奖项分组名额以外只剩0个名额，无法抽取！"
         "请修改预设中奖人或分组规则。",
         {}},
        {"R、M",
         "",
         "3",
         "S2",
         "“三等奖”第3名的预设中奖人属于分组“S”，不符合本奖项的分组规则（仅限 R、M），无法抽取！"
         "请修改预设中奖人或分组规则。",
         {}},
        // R has 6 entries for 7 seats; its preset stays in the pool, so the
        // draw can fill them, and the check lets it.
        {"", "R:7", "7", "R1", "", {{"R", 7}}},
        {"", "S:3、R:2", "5", "S4", "", {{"S", 3}, {"R", 2}}},
    };
    for (const Case& c : cases) {
        fillStaff();
        window.winnerGroups().clear();
        window.results().clear();
        state = DrawState{};
        setRow(4, "三等奖", c.quota, "2", "2");
        setPresets(4, c.presetN, "", "");
        setRule(4, c.eligible, c.seats);
        setLevelQuietly("三等奖");
        draw.selectPrizeLevel();
        if (*c.message) {
            host.expectMessage(gbk(c.message), IdOk, gbk("分组规则"));
            stopAfterFrames(1);
            draw.startDraw();
            host.verifyAllAnswered();
            EXPECT_EQ(window.results(), "");
            EXPECT_EQ(state.winnerNumber, 1);
            continue;
        }
        for (int run = 0; run < 10 && state.winnerNumber < state.levelLimit; ++run) {
            stopAfterFrames(1);
            draw.startDraw();
        }
        host.verifyAllAnswered();
        EXPECT_EQ(state.winnerNumber, state.levelLimit) << c.seats;
        EXPECT_EQ(seatsTaken(4), c.exact) << c.seats;
        ASSERT_FALSE(window.winnerGroups().empty());
        EXPECT_EQ(window.winnerGroups().back().entry, c.presetN);
    }
    setPresets(4, "", "", "");
}

} // namespace
} // namespace luckdial
