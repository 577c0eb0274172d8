// The check value of a progress text and the recovery record's bytes.

#include "pool/pool.h"
#include "pool/savedstate.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace luckdial {
namespace {

std::vector<std::string> entries(const Pool& pool) {
    std::vector<std::string> out;
    pool.forEach([&](std::string_view e) { out.emplace_back(e); });
    return out;
}

std::string record(const std::array<std::int32_t, 8>& counters, const Pool& pool,
                   const std::string& results) {
    const std::string text = progressText(pool);
    return recoveryHeader(counters, pool.count(), text, results) + text + results;
}

/// Lines the loader cuts in unusual places: a lead byte that takes a CR or
/// an LF as its second byte, a lead byte at the very end of a line or of the
/// text, a kept CR before the line's own CR, a paired Ctrl-Z, spaces, tabs.
const char kAwkwardPool[] = "  001\t\r\n"
                            "\x81\r\n"
                            "x\x81\n\n"
                            "two CRs\r\r\n"
                            "y\x81\r\r\n"
                            "\xB3\x1A z\r\n"
                            "\xD5\xC5\xC8\xFD\r\n"
                            "\r\n"
                            "last\xB0";

TEST(Crc32, KnownValueAndContinuation) {
    EXPECT_EQ(crc32("123456789"), 0xCBF43926u);
    EXPECT_EQ(crc32(""), 0u);
    const std::string text = "The quick brown fox jumps over the lazy dog, 0123456789";
    for (std::size_t cut = 0; cut <= text.size(); ++cut)
        EXPECT_EQ(crc32(text.substr(cut), crc32(text.substr(0, cut))), crc32(text)) << cut;
    EXPECT_EQ(
        progressCheck("001\r\n002\r\n"), "10 " + [] {
            char hex[9];
            std::snprintf(hex, sizeof hex, "%08x", crc32("001\r\n002\r\n"));
            return std::string(hex);
        }());
    EXPECT_EQ(progressCheck(""), "0 00000000");
}

TEST(RecoveryRecord, RoundTripIsExactForAwkwardEntries) {
    Pool pool;
    pool.assignLines(kAwkwardPool);
    ASSERT_EQ(pool.count(), 8u);
    // Removals, as after a draw, so that the record is not just the input.
    pool.removeAt(4);
    const std::array<std::int32_t, 8> counters{3, 0, -1, 2147483647, 0, 0, 0, -2147483647 - 1};
    // Results may hold anything: empty lines, NUL, text that looks like a header.
    const std::string results =
        std::string("0815  ------  \xB6\xFE\xB5\xC8\xBD\xB1\r\n\r\ncheck 0\0x\r\n", 36);

    const auto parsed = parseRecoveryRecord(record(counters, pool, results));
    ASSERT_TRUE(parsed);
    EXPECT_EQ(parsed->counters, counters);
    EXPECT_EQ(parsed->poolCount, 7u);
    EXPECT_EQ(parsed->results, results);
    Pool back;
    back.assignLines(parsed->poolText);
    EXPECT_EQ(entries(back), entries(pool));
}

TEST(RecoveryRecord, EmptyPoolAndResults) {
    Pool pool;
    const auto parsed = parseRecoveryRecord(record({}, pool, ""));
    ASSERT_TRUE(parsed);
    EXPECT_EQ(parsed->poolCount, 0u);
    EXPECT_TRUE(parsed->poolText.empty());
    EXPECT_TRUE(parsed->results.empty());
}

TEST(RecoveryRecord, HeaderIsPlainText) {
    Pool pool;
    pool.assignLines("001\r\n002\r\n");
    const std::string text = progressText(pool);
    const std::string head = recoveryHeader({1, 2, 3, 4, 5, 6, 7, -8}, 2, text, "r\r\n");
    char check[9];
    std::snprintf(check, sizeof check, "%08x", crc32(text + "r\r\n", crc32(head.substr(0, 70))));
    EXPECT_EQ(head, std::string("LUCKDIAL RECOVERY 1\r\ncounters 1 2 3 4 5 6 7 -8\r\npool 2 "
                                "10\r\nresults 3\r\ncheck ") +
                        check + "\r\n\r\n");
}

TEST(RecoveryRecord, AnyDamageIsFound) {
    Pool pool;
    pool.assignLines("001\r\n002\r\n\xB0\xA1\r\n");
    const std::string good = record({2, 0, 0, 0, 0, 0, 0, 1}, pool, "001  ------  X\r\n");
    ASSERT_TRUE(parseRecoveryRecord(good));
    for (std::size_t i = 0; i < good.size(); ++i) {
        for (const unsigned char flip : {0x01, 0x20, 0x80}) {
            std::string bad = good;
            bad[i] = static_cast<char>(bad[i] ^ flip);
            EXPECT_FALSE(parseRecoveryRecord(bad)) << "byte " << i << " flipped by " << +flip;
        }
    }
    for (std::size_t cut = 0; cut < good.size(); ++cut)
        EXPECT_FALSE(parseRecoveryRecord(good.substr(0, cut))) << "cut at " << cut;
    EXPECT_FALSE(parseRecoveryRecord(good + "\r\n"));
    EXPECT_FALSE(parseRecoveryRecord(""));
}

TEST(RecoveryRecord, ACheckedPoolTextMustHoldTheStatedEntries) {
    // Consistent lengths and check value, but the count does not match what
    // the text reads back as, or the text stops early at a NUL.
    const std::string pool = "001\r\n002\r\n";
    const std::string header = recoveryHeader({}, 3, pool, "");
    EXPECT_FALSE(parseRecoveryRecord(header + pool));
    const std::string stopped = std::string("001\r\n\0 02\r\n", 10);
    EXPECT_FALSE(parseRecoveryRecord(recoveryHeader({}, 1, stopped, "") + stopped));
    EXPECT_FALSE(parseRecoveryRecord(recoveryHeader({}, 2, stopped, "") + stopped));
}

} // namespace
} // namespace luckdial
