#include "pool/crlflines.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace luckdial {
namespace {

TEST(CrLfLines, Hex8IsEightLowerCaseDigits) {
    const std::vector<std::pair<std::uint32_t, const char*>> cases = {
        {0, "00000000"}, {1, "00000001"}, {0xDEADBEEFu, "deadbeef"}, {0xFFFFFFFFu, "ffffffff"}};
    for (const auto& [value, text] : cases)
        EXPECT_EQ(hex8(value), text) << value;
}

TEST(CrLfLines, OnlyLinesEndedByCrLfAreRead) {
    struct Case {
        std::string text;
        std::vector<std::string> lines; // read before the first nothing
        std::size_t position;           // where reading stopped
        bool done;
    };
    const std::vector<Case> cases = {
        {"a\r\nbc\r\n", {"a", "bc"}, 7, true},
        // A last line without its CR LF is not a line of the form.
        {"a\r\nbc", {"a"}, 3, false},
        {"\r\n\r\n", {"", ""}, 4, true},
        // A lone CR or LF belongs to the line.
        {"a\rb\nc\r\n", {"a\rb\nc"}, 7, true},
        {"", {}, 0, true},
    };
    for (const Case& c : cases) {
        CrLfLines reader(c.text);
        std::vector<std::string> read;
        while (const auto line = reader.next())
            read.emplace_back(*line);
        EXPECT_EQ(read, c.lines) << c.text;
        EXPECT_EQ(reader.position(), c.position) << c.text;
        EXPECT_EQ(reader.done(), c.done) << c.text;
    }
}

} // namespace
} // namespace luckdial
