// Who may press: the one-time secret, the lock after wrong secrets, the
// throttle per address, approvals, and the constant-time comparison.

#include "remote/core/secret.h"
#include "remote/core/session.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace luckdial::remote {
namespace {

class SessionTest : public ::testing::Test {
protected:
    Limits limits;
    int made = 0;
    Session session{limits, [this] { return "token" + std::string(1, char('a' + made++)); }};
};

TEST(RemoteSecret, ComparisonAndLetters) {
    struct Case {
        const char* expected;
        const char* presented;
        bool equal;
    };
    const Case cases[] = {
        {"abc", "abc", true},     {"abc", "abd", false}, {"abc", "ab", false},
        {"abc", "abcd", false},   {"abc", "", false},    {"", "", false},
        {"abc", "abcabc", false},
    };
    for (const Case& c : cases)
        EXPECT_EQ(constantTimeEqual(c.expected, c.presented), c.equal)
            << c.expected << " / " << c.presented;
    EXPECT_EQ(base32(std::string("\xff\x00", 2)), "74aa");
    EXPECT_EQ(base32(std::string(16, '\x5a')).size(), 26u);
    EXPECT_TRUE(isTokenText(base32("any bytes at all")));
    for (const char* bad : {"", "ABC", "ab c", "a1", "a8", "a/b"})
        EXPECT_FALSE(isTokenText(bad)) << bad;
}

TEST_F(SessionTest, TheSecretMakesOneControllerAndIsSpent) {
    EXPECT_EQ(session.claim("10.0.0.5", "s3cret", 0).claim, Claim::Off);
    session.arm("s3cret");
    const ClaimResult first = session.claim("10.0.0.5", "s3cret", 0);
    ASSERT_EQ(first.claim, Claim::Granted);
    EXPECT_TRUE(session.secretSpent());
    EXPECT_TRUE(session.isController(first.token));
    EXPECT_EQ(session.controllerAddress(), "10.0.0.5");
    // The same code, scanned by a second phone, opens nothing.
    EXPECT_EQ(session.claim("10.0.0.6", "s3cret", 10).claim, Claim::Wrong);
    EXPECT_FALSE(session.isController("s3cret"));
    // A fresh code: the next claim moves control, the old token stops working.
    session.arm("n3w");
    const ClaimResult second = session.claim("10.0.0.6", "n3w", 20);
    ASSERT_EQ(second.claim, Claim::Granted);
    EXPECT_FALSE(session.isController(first.token));
    EXPECT_TRUE(session.isController(second.token));
    session.disarm();
    EXPECT_FALSE(session.isController(second.token));
}

TEST_F(SessionTest, WrongSecretsAreThrottledPerAddressAndLock) {
    session.arm("right");
    // Each step: address, time, what is presented, what it comes to.
    struct Step {
        const char* address;
        std::uint64_t ms;
        const char* secret;
        Claim claim;
    };
    const std::vector<Step> steps = {
        {"a", 0, "x1", Claim::Wrong},        {"a", 0, "x2", Claim::Wrong},
        {"a", 0, "x3", Claim::Wrong},        {"a", 0, "right", Claim::Throttled},
        {"a", 999, "x4", Claim::Throttled},  {"b", 999, "x4", Claim::Wrong},
        {"a", 2000, "x5", Claim::Wrong}, // the fifth wrong secret locks
        {"c", 5000, "right", Claim::Locked}, {"a", 9000, "right", Claim::Locked},
    };
    for (std::size_t i = 0; i < steps.size(); ++i) {
        const Step& s = steps[i];
        EXPECT_EQ(session.claim(s.address, s.secret, s.ms).claim, s.claim) << "step " << i;
    }
    EXPECT_TRUE(session.locked());
    EXPECT_EQ(session.ask("d", 9000), 0u);
    session.arm("again");
    EXPECT_FALSE(session.locked());
    EXPECT_EQ(session.claim("c", "again", 9001).claim, Claim::Granted);
}

TEST_F(SessionTest, TokensAreCheckedAndThrottledButDoNotLock) {
    session.arm("s");
    const std::string token = session.claim("a", "s", 0).token;
    for (int i = 0; i < 3; ++i)
        EXPECT_EQ(session.check("b", "stale", 0), Claim::Wrong);
    EXPECT_EQ(session.check("b", "stale", 0), Claim::Throttled);
    EXPECT_EQ(session.check("a", token, 0), Claim::Granted);
    EXPECT_FALSE(session.locked());
}

TEST_F(SessionTest, TheOperatorApprovesOrDenies) {
    session.arm("s");
    const std::string owner = session.claim("a", "s", 0).token;
    const std::uint32_t one = session.ask("b", 0);
    const std::uint32_t two = session.ask("c", 0);
    ASSERT_NE(one, 0u);
    ASSERT_NE(two, 0u);
    EXPECT_NE(one, two);
    EXPECT_TRUE(session.deny(two));
    EXPECT_FALSE(session.deny(two));
    EXPECT_FALSE(session.approve(two).has_value());
    const std::optional<std::string> granted = session.approve(one);
    ASSERT_TRUE(granted.has_value());
    EXPECT_TRUE(session.isController(*granted));
    EXPECT_FALSE(session.isController(owner));
    EXPECT_EQ(session.controllerAddress(), "b");
    // Waiting devices are bounded.
    for (std::size_t i = 0; i < limits.pendingAsks; ++i)
        EXPECT_NE(session.ask("w" + std::to_string(i), 0), 0u);
    EXPECT_EQ(session.ask("late", 0), 0u);
}

} // namespace
} // namespace luckdial::remote
