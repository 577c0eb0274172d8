#include "draw/core/winners.h"

#include "host/core/displaytext.h"
#include "host/core/text.h"
#include "pool/pool.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

namespace luckdial {
namespace {

void fill(Pool& pool, const std::vector<std::string>& entries) {
    pool.clear();
    for (const auto& e : entries)
        pool.append(e);
}

std::vector<std::string> numbered(int n) {
    std::vector<std::string> v;
    for (int i = 1; i <= n; ++i)
        v.push_back("P" + std::to_string(i));
    return v;
}

std::vector<std::string> contents(const Pool& pool) {
    std::vector<std::string> v;
    for (std::size_t i = 0; i < pool.count(); ++i)
        v.emplace_back(pool.entryAt(i));
    return v;
}

// A clock that advances one millisecond per reading.
struct SteppingClock {
    std::uint32_t now = 1000;
    std::function<std::uint32_t()> fn() {
        return [this] { return now++; };
    }
};

std::vector<std::string> entriesOf(const DrawOutcome& out) {
    std::vector<std::string> v;
    for (const auto& w : out.winners)
        v.push_back(w.entry);
    return v;
}

TEST(DrawWinners, PicksByTheGeneratorAndRemovesFromAModelPool) {
    Pool pool;
    std::vector<std::string> model = numbered(50);
    fill(pool, model);

    DrawInputs in;
    in.perDrawCount = 6;
    in.columns = 3;
    SteppingClock clock;
    DrawGenerator gen;
    std::int32_t w = 1;
    const DrawOutcome out = drawWinners(pool, gen, in, w, 11, clock.fn());

    // Independent replay: reseed from each tick, one step, position 1 + v mod n.
    std::vector<std::string> expected;
    std::uint32_t tick = 1000;
    for (int i = 0; i < 6; ++i) {
        DrawGenerator replay;
        replay.reseed(tick++);
        const auto idx = static_cast<std::size_t>(
            replay.randomIndex(1, static_cast<std::int32_t>(model.size())));
        expected.push_back(model[idx - 1]);
        model.erase(model.begin() + static_cast<std::ptrdiff_t>(idx - 1));
    }
    EXPECT_EQ(entriesOf(out), expected);
    EXPECT_EQ(contents(pool), model);
    EXPECT_EQ(w, 7);
    EXPECT_FALSE(out.poolEmptied);
    ASSERT_EQ(out.winners.size(), 6u);
    for (int i = 0; i < 6; ++i) {
        const auto& winner = out.winners[static_cast<std::size_t>(i)];
        EXPECT_EQ(winner.winnerNumber, i + 1);
        EXPECT_EQ(winner.shown, winner.entry);
    }
    EXPECT_EQ(out.label, expected[0] + "    " + expected[1] + "    " + expected[2] + "\r\n" +
                             expected[3] + "    " + expected[4] + "    " + expected[5] + "\r\n");
}

TEST(DrawWinners, PresetsTakeTheLastThreeWinnerNumbersAcrossRuns) {
    for (const int perDraw : {1, 2, 3, 5}) {
        Pool pool;
        fill(pool, numbered(20));
        DrawInputs in;
        in.perDrawCount = perDraw;
        in.presetN = "Q";
        in.presetNN = "Q-1";
        in.presetNNN = "Q-2";
        SteppingClock clock;
        DrawGenerator gen;
        const std::int32_t limit = 6; // quota 5
        std::int32_t w = 1;
        std::vector<std::string> all;
        for (int run = 0; run < 10 && w < limit; ++run) {
            const DrawOutcome out = drawWinners(pool, gen, in, w, limit, clock.fn());
            EXPECT_LE(out.winners.size(), static_cast<std::size_t>(perDraw));
            for (const auto& winner : out.winners)
                all.push_back(winner.entry);
        }
        ASSERT_EQ(all.size(), 5u) << perDraw;
        EXPECT_EQ(all[0].substr(0, 1), "P");
        EXPECT_EQ(all[1].substr(0, 1), "P");
        EXPECT_NE(all[0], all[1]);
        EXPECT_EQ(all[2], "Q-2");
        EXPECT_EQ(all[3], "Q-1");
        EXPECT_EQ(all[4], "Q");
        // Only the two random winners left the pool.
        EXPECT_EQ(pool.count(), 18u) << perDraw;
        EXPECT_EQ(w, limit);
    }
}

TEST(DrawWinners, SmallQuotasUseOnlyTheirPresetNumbers) {
    Pool pool;
    fill(pool, numbered(10));
    DrawInputs in;
    in.perDrawCount = 5;
    in.presetN = "N";
    in.presetNN = "NN";
    in.presetNNN = "NNN";
    SteppingClock clock;
    DrawGenerator gen;

    std::int32_t w = 1;
    EXPECT_EQ(entriesOf(drawWinners(pool, gen, in, w, 3, clock.fn())),
              (std::vector<std::string>{"NN", "N"}));
    w = 1;
    EXPECT_EQ(entriesOf(drawWinners(pool, gen, in, w, 2, clock.fn())),
              (std::vector<std::string>{"N"}));
    EXPECT_EQ(pool.count(), 10u);

    // An empty preset field sets nothing: winner Q - 1 is random.
    in.presetNN.clear();
    w = 1;
    const auto out = drawWinners(pool, gen, in, w, 3, clock.fn());
    ASSERT_EQ(out.winners.size(), 2u);
    EXPECT_EQ(out.winners[0].entry.substr(0, 1), "P");
    EXPECT_EQ(out.winners[1].entry, "N");
    EXPECT_EQ(pool.count(), 9u);
}

TEST(DrawWinners, ARandomEntryEqualToAPresetStaysInThePool) {
    Pool pool;
    fill(pool, {"X", "X", "X"});
    DrawInputs in;
    in.perDrawCount = 2;
    in.presetNNN = "X"; // bound to winner 8 of a quota of 10
    SteppingClock clock;
    DrawGenerator gen;
    std::int32_t w = 1;
    const auto out = drawWinners(pool, gen, in, w, 11, clock.fn());
    EXPECT_EQ(entriesOf(out), (std::vector<std::string>{"X", "X"}));
    EXPECT_EQ(pool.count(), 3u);
}

TEST(DrawWinners, StopsAtTheQuota) {
    Pool pool;
    fill(pool, numbered(30));
    DrawInputs in;
    in.perDrawCount = 5;
    in.columns = 3;
    SteppingClock clock;
    DrawGenerator gen;
    std::int32_t w = 9; // 8 of 10 drawn
    const auto out = drawWinners(pool, gen, in, w, 11, clock.fn());
    EXPECT_EQ(out.winners.size(), 2u);
    EXPECT_EQ(w, 11);
    EXPECT_EQ(pool.count(), 28u);
    EXPECT_FALSE(out.poolEmptied);
    // Positions 1 and 2 of 5 in three columns: both keep their gap.
    EXPECT_EQ(out.label, out.winners[0].entry + "    " + out.winners[1].entry + "    ");

    // A per-draw count of 0 (an empty field) draws nobody.
    DrawInputs zero = in;
    zero.perDrawCount = 0;
    w = 1;
    const auto none = drawWinners(pool, gen, zero, w, 11, clock.fn());
    EXPECT_TRUE(none.winners.empty());
    EXPECT_TRUE(none.label.empty());
    EXPECT_EQ(w, 1);
    EXPECT_EQ(pool.count(), 28u);
}

TEST(DrawWinners, EmptyingThePoolEndsTheDraw) {
    Pool pool;
    fill(pool, {"a", "b", "c"});
    DrawInputs in;
    in.perDrawCount = 5;
    in.columns = 5;
    SteppingClock clock;
    DrawGenerator gen;
    std::int32_t w = 1;
    int calls = 0;
    const auto out = drawWinners(pool, gen, in, w, 101, clock.fn(),
                                 [&](const DrawnWinner& winner, const std::string& label) {
                                     ++calls;
                                     EXPECT_EQ(winner.winnerNumber, calls);
                                     EXPECT_NE(label.find(winner.shown), std::string::npos);
                                 });
    EXPECT_TRUE(out.poolEmptied);
    EXPECT_EQ(calls, 3);
    EXPECT_EQ(out.winners.size(), 3u);
    EXPECT_EQ(pool.count(), 0u);
    EXPECT_EQ(w, 4);
    auto drawn = entriesOf(out);
    std::sort(drawn.begin(), drawn.end());
    EXPECT_EQ(drawn, (std::vector<std::string>{"a", "b", "c"}));

    // Asked again with nothing left, it draws nobody instead of dividing by zero.
    const auto again = drawWinners(pool, gen, in, w, 101, clock.fn());
    EXPECT_TRUE(again.poolEmptied);
    EXPECT_TRUE(again.winners.empty());
    EXPECT_EQ(w, 4);
}

TEST(DrawWinners, RepeatsWithinOneTickGiveTheSameEntry) {
    Pool pool;
    fill(pool, numbered(1000));
    DrawInputs in;
    in.perDrawCount = 4;
    in.allowRepeat = true;
    DrawGenerator gen;
    std::int32_t w = 1;
    const auto out = drawWinners(pool, gen, in, w, 101, [] { return 123456u; });
    ASSERT_EQ(out.winners.size(), 4u);
    for (const auto& winner : out.winners)
        EXPECT_EQ(winner.entry, out.winners[0].entry);
    EXPECT_EQ(pool.count(), 1000u);
    EXPECT_EQ(w, 5);

    // Without repeats the same tick still gives different people.
    in.allowRepeat = false;
    const auto distinct = drawWinners(pool, gen, in, w, 101, [] { return 123456u; });
    ASSERT_EQ(distinct.winners.size(), 4u);
    EXPECT_NE(distinct.winners[0].entry, distinct.winners[1].entry);
    EXPECT_EQ(pool.count(), 996u);
}

TEST(DrawWinners, MaskingIsShownButNeverWritten) {
    Pool pool;
    fill(pool, {"12345678", "abcdefgh"});
    DrawInputs in;
    in.perDrawCount = 2;
    in.columns = 1;
    in.mask = MaskSettings{true, "3", "6", "****"};
    SteppingClock clock;
    DrawGenerator gen;
    std::int32_t w = 1;
    const auto out = drawWinners(pool, gen, in, w, 11, clock.fn());
    ASSERT_EQ(out.winners.size(), 2u);
    for (const auto& winner : out.winners) {
        EXPECT_EQ(winner.shown, maskEntry(winner.entry, in.mask));
        EXPECT_EQ(winner.shown.substr(2, 4), "****");
        EXPECT_TRUE(winner.entry == "12345678" || winner.entry == "abcdefgh") << winner.entry;
    }
    EXPECT_EQ(out.label, out.winners[0].shown + "\r\n" + out.winners[1].shown + "\r\n");
    EXPECT_EQ(out.label.find("12345678"), std::string::npos);

    // A preset is masked on screen too, but written as typed.
    fill(pool, {"12345678"});
    in.perDrawCount = 1;
    in.presetN = "99887766";
    w = 10;
    const auto preset = drawWinners(pool, gen, in, w, 11, clock.fn());
    ASSERT_EQ(preset.winners.size(), 1u);
    EXPECT_EQ(preset.winners[0].shown, "99****66");
    EXPECT_EQ(preset.winners[0].entry, "99887766");
    EXPECT_EQ(pool.count(), 1u);
}

TEST(ScrollFrame, IndependentPicksLaidOutWithoutTouchingThePool) {
    Pool pool;
    fill(pool, numbered(40));
    std::vector<std::string_view> scratch;
    DrawGenerator gen, replay;
    gen.reseed(99u);
    replay.reseed(99u);
    const std::string frame = buildScrollFrame(pool, gen, 5, 30, 2, scratch);
    std::vector<std::string> picks;
    for (int k = 0; k < 5; ++k)
        picks.push_back("P" + std::to_string(replay.randomIndex(1, 30)));
    EXPECT_EQ(frame, picks[0] + "    " + picks[1] + "\r\n" + picks[2] + "    " + picks[3] + "\r\n" +
                         picks[4]);
    EXPECT_EQ(gen.state(), replay.state());
    EXPECT_EQ(pool.count(), 40u);

    // Only positions up to the count given are drawn from.
    gen.reseed(5u);
    const std::string one = buildScrollFrame(pool, gen, 200, 1, 1, scratch);
    std::string expected;
    for (int k = 0; k < 200; ++k)
        expected += "P1\r\n";
    EXPECT_EQ(one, expected);

    EXPECT_EQ(buildScrollFrame(pool, gen, 0, 40, 2, scratch), "");
    EXPECT_EQ(buildScrollFrame(pool, gen, 3, 0, 2, scratch), "");
}

TEST(ScrollFrame, AnAbsurdPerDrawCountIsCapped) {
    Pool pool;
    fill(pool, {"ab"});
    std::vector<std::string_view> scratch;
    DrawGenerator gen;
    const std::string frame = buildScrollFrame(pool, gen, 2000000000, 1, 1, scratch);
    EXPECT_EQ(frame.size(), static_cast<std::size_t>(kMaxFrameEntries) * 4);
}

// --- huge entries: whole in the pool and the results, bounded on screen ---------------

const std::string kEllipsis = "\xA1\xAD"; // … in GBK

TEST(HugeEntries, ShownEntryIsBoundedAndMaskedLikeTheWholeEntry) {
    const std::string huge = "12345678" + gbk("张三") + std::string(5'000'000, 'x');
    MaskSettings off;
    EXPECT_EQ(shownEntry(huge, off), displayText(huge));
    EXPECT_EQ(shownEntry(huge, off).size(), kMaxDisplayEntryBytes);
    EXPECT_EQ(shownEntry("0815", off), "0815");

    // Masked text as the label shows it: the same as bounding the whole masked text.
    for (const MaskSettings& mask :
         {MaskSettings{true, "3", "6", "****"}, MaskSettings{true, "", "9", "#"},
          MaskSettings{true, "5", "4999990", "*"}, MaskSettings{true, "250", "260", "**"},
          MaskSettings{true, "1", "2", std::string(1000, '*')}}) {
        const std::string shown = shownEntry(huge, mask);
        EXPECT_EQ(shown, displayText(maskEntry(huge, mask))) << mask.left << ".." << mask.right;
        EXPECT_LE(shown.size(), kMaxDisplayEntryBytes);
    }
    EXPECT_EQ(shownEntry(huge, MaskSettings{true, "3", "6", "****"}).substr(0, 12),
              "12****78" + gbk("张三"));
    // The prefix form builds only what it is asked for.
    EXPECT_EQ(maskEntry(huge, MaskSettings{true, "3", "6", "****"}, 10), "12****78" + gbk("张"));
    EXPECT_EQ(maskEntry("1234", MaskSettings{true, "2", "3", "**"}, 0), "");
}

TEST(HugeEntries, ScrollFramesStayBounded) {
    Pool pool;
    const std::string huge = gbk("中") + std::string(20'000'000, '9');
    fill(pool, {huge});
    std::vector<std::string_view> scratch;
    DrawGenerator gen;
    // Two per frame, one column: the frame that used to hold two whole copies.
    const std::string frame = buildScrollFrame(pool, gen, 2, 1, 1, scratch);
    const std::string shown = gbk("中") + std::string(252, '9') + kEllipsis;
    EXPECT_EQ(frame, shown + "\r\n" + shown + "\r\n");

    // The most a frame lays out, each entry cut: the whole text is bounded too.
    const std::string full = buildScrollFrame(pool, gen, kMaxFrameEntries, 1, 5, scratch);
    EXPECT_LE(full.size(), kMaxDisplayTextBytes);
    EXPECT_GT(full.size(), kMaxDisplayTextBytes - 300);
    EXPECT_EQ(full.substr(0, shown.size() + 4), shown + "    ");
    EXPECT_EQ(full.substr(full.size() - 2), kEllipsis);
    EXPECT_EQ(pool.entryAt(0).size(), huge.size());
}

TEST(HugeEntries, TheDrawKeepsTheEntryWholeAndShowsItBounded) {
    Pool pool;
    const std::string huge = std::string(10'000'000, '4') + gbk("尾");
    fill(pool, {huge});
    DrawInputs in;
    in.perDrawCount = 2;
    in.columns = 1;
    in.allowRepeat = true;
    DrawGenerator gen;
    std::int32_t w = 1;
    SteppingClock clock;
    const auto out = drawWinners(pool, gen, in, w, 10, clock.fn());
    ASSERT_EQ(out.winners.size(), 2u);
    const std::string shown = std::string(254, '4') + kEllipsis;
    for (const auto& winner : out.winners) {
        EXPECT_TRUE(winner.entry == huge);
        EXPECT_EQ(winner.shown, shown);
    }
    EXPECT_EQ(out.label, shown + "\r\n" + shown + "\r\n");
    EXPECT_EQ(pool.count(), 1u);
    EXPECT_TRUE(pool.entryAt(0) == huge);

    std::string results;
    appendResultsLine(results, huge, gbk("特等奖"));
    appendResultsLine(results, "0815", gbk("特等奖"));
    EXPECT_TRUE(results == huge + "  ------  " + gbk("特等奖") + "\r\n" + "0815  ------  " +
                               gbk("特等奖") + "\r\n");
}

TEST(HugeEntries, ALabelOfManyLongWinnersIsBounded) {
    Pool pool;
    fill(pool, {std::string(1000, '4'), std::string(1000, '5')});
    DrawInputs in;
    in.perDrawCount = 1100; // more cut entries than kMaxDisplayTextBytes holds
    in.columns = 4;
    in.allowRepeat = true;
    DrawGenerator gen;
    std::int32_t w = 1;
    std::size_t longestLabel = 0;
    SteppingClock clock;
    const auto out = drawWinners(pool, gen, in, w, 5000, clock.fn(),
                                 [&](const DrawnWinner&, const std::string& label) {
                                     longestLabel = std::max(longestLabel, label.size());
                                 });
    ASSERT_EQ(out.winners.size(), 1100u);
    for (const auto& winner : out.winners)
        EXPECT_EQ(winner.entry.size(), 1000u);
    EXPECT_LE(longestLabel, kMaxDisplayTextBytes);
    EXPECT_EQ(out.label.size(), longestLabel);
    EXPECT_GT(out.label.size(), kMaxDisplayTextBytes - 300);
    EXPECT_EQ(out.label.substr(out.label.size() - 2), kEllipsis);
    EXPECT_EQ(out.label.substr(0, 256), out.winners[0].shown);
}

TEST(ResultsLine, Format) {
    std::string results = "x\r\n";
    appendResultsLine(results, "0815", gbk("二等奖"));
    EXPECT_EQ(results, "x\r\n0815  ------  " + gbk("二等奖") + "\r\n");
    appendResultsLine(results, "", "");
    EXPECT_EQ(results, "x\r\n0815  ------  " + gbk("二等奖") + "\r\n  ------  \r\n");
}

} // namespace
} // namespace luckdial
