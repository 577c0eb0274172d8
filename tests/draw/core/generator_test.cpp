#include "draw/core/winners.h"

#include <gtest/gtest.h>

#include <limits>

namespace luckdial {
namespace {

TEST(DrawGenerator, WorkedExamples) {
    DrawGenerator gen;
    EXPECT_EQ(gen.randomIndex(1, 10), 9);
    EXPECT_EQ(gen.state(), 2531011);

    gen.setState(12345);
    EXPECT_EQ(gen.randomIndex(1, 100), 81);
    EXPECT_EQ(gen.state(), -1650445800);
}

TEST(DrawGenerator, ReseedTakesTheClockAsASigned32BitState) {
    DrawGenerator gen;
    gen.reseed(0xFFFFFFFFu);
    EXPECT_EQ(gen.state(), -1);
    gen.reseed(2531011u);
    EXPECT_EQ(gen.state(), 2531011);

    // Same seed, same sequence: two reseeds within one tick repeat the draw.
    DrawGenerator a, b;
    a.reseed(777u);
    b.reseed(777u);
    for (int i = 0; i < 5; ++i)
        EXPECT_EQ(a.randomIndex(1, 3276000), b.randomIndex(1, 3276000));
}

TEST(DrawGenerator, StaysInRangeForNegativeStatesAndLargeRanges) {
    DrawGenerator gen;
    gen.setState(std::numeric_limits<std::int32_t>::min());
    bool sawNegativeState = false;
    for (int i = 0; i < 20000; ++i) {
        const std::int32_t v = gen.randomIndex(1, 3276000);
        ASSERT_GE(v, 1);
        ASSERT_LE(v, 3276000);
        sawNegativeState = sawNegativeState || gen.state() < 0;
    }
    EXPECT_TRUE(sawNegativeState);

    // The widest range gives v itself plus min: the 31-bit output.
    gen.setState(12345);
    EXPECT_EQ(gen.randomIndex(0, std::numeric_limits<std::int32_t>::max() - 1), 1650395480);
    // A single-value range gives that value and still advances the state.
    gen.setState(0);
    EXPECT_EQ(gen.randomIndex(7, 7), 7);
    EXPECT_EQ(gen.state(), 2531011);
}

TEST(DrawGenerator, ReachesEveryPositionOfASmallPool) {
    DrawGenerator gen;
    gen.reseed(42u);
    std::vector<int> seen(7, 0);
    for (int i = 0; i < 7000; ++i)
        ++seen[static_cast<std::size_t>(gen.randomIndex(1, 7) - 1)];
    for (const int count : seen) {
        EXPECT_GT(count, 800);
        EXPECT_LT(count, 1200);
    }
}

} // namespace
} // namespace luckdial
