#include "settings/core/password.h"

#include <gtest/gtest.h>

#include <cctype>
#include <random>
#include <string>

namespace luckdial {
namespace {

bool isPrintableLine(const std::string& s) {
    for (unsigned char c : s)
        if (c < 0x21 || c > 0x7E) return false;
    return true;
}

TEST(PasswordForm, EmptyStaysEmpty) {
    EXPECT_EQ(encodePassword(""), "");
    ASSERT_TRUE(decodePassword("").has_value());
    EXPECT_EQ(*decodePassword(""), "");
}

TEST(PasswordForm, RoundTripsEveryByteAndStaysPrintable) {
    std::string all;
    for (int b = 0; b < 256; ++b)
        all.push_back(static_cast<char>(b));
    const std::string samples[] = {"a", "Secret", std::string("\0\r\n=[]", 6), "\xC3\xDC\xC2\xEB",
                                   all};
    for (const std::string& password : samples) {
        const std::string stored = encodePassword(password);
        EXPECT_TRUE(isPrintableLine(stored));
        EXPECT_EQ(decodePassword(stored), password);
    }

    std::mt19937 rng(7);
    for (int round = 0; round < 200; ++round) {
        std::string password(rng() % 40, '\0');
        for (char& c : password)
            c = static_cast<char>(rng() & 0xFF);
        const std::string stored = encodePassword(password);
        EXPECT_TRUE(isPrintableLine(stored));
        EXPECT_EQ(decodePassword(stored), password);
    }
}

TEST(PasswordForm, DoesNotShowThePasswordAndTellsCaseApart) {
    // Equal letters at different positions do not give equal digit pairs.
    const std::string stored = encodePassword("aaaa");
    EXPECT_NE(stored.substr(0, 2), stored.substr(2, 2));
    EXPECT_EQ(stored.find("aaaa"), std::string::npos);
    EXPECT_NE(encodePassword("abc"), encodePassword("ABC"));
}

TEST(PasswordForm, RejectsTextThatIsNoStoredForm) {
    EXPECT_FALSE(decodePassword("ABC").has_value()); // odd length
    EXPECT_FALSE(decodePassword("1G").has_value());  // not a hex digit
    EXPECT_FALSE(decodePassword("12 4").has_value());
    // Lower-case digits are read as well, so a hand-copied form still works.
    std::string lower = encodePassword("pw");
    for (char& c : lower)
        c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    EXPECT_EQ(decodePassword(lower), "pw");
}

} // namespace
} // namespace luckdial
