// The operator's log under a flood: wrong secrets counted into one line per
// address and time window, the lines handed over in batches no closer than
// the batch time, and the order of events kept.

#include "remote/core/remotelog.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace luckdial::remote {
namespace {

/// What happens at one moment: a wrong secret from `address`, a line of its
/// own (`note`), or the window asking for a batch (`take`).
struct Step {
    std::uint64_t ms;
    enum Kind { Wrong, Note, Take } kind;
    std::string text; ///< the address, or the line
    int times = 1;    ///< a Wrong step repeated at the same moment
};

struct Case {
    const char* name;
    std::vector<Step> steps;
    /// What each Take gave (lines joined by "|"), then what switching off gives.
    std::vector<std::string> batches;
};

std::string joined(const std::vector<std::string>& lines) {
    std::string out;
    for (const std::string& l : lines)
        out += (out.empty() ? "" : "|") + l;
    return out;
}

TEST(RemoteLog, FloodsBecomeOneLinePerAddressAndWindowInBatches) {
    Limits limits;
    limits.logBatchMs = 200;
    limits.refusalWindowMs = 1000;
    limits.refusalAddresses = 2;
    const std::string a = "10.0.0.5", b = "10.0.0.6", c = "10.0.0.7", d = "10.0.0.8";
    const Case cases[] = {
        {"10,000 tries from one address within the window: one line, when it is complete",
         {{0, Step::Wrong, a, 5000},
          {500, Step::Take, ""},
          {999, Step::Wrong, a, 5000},
          {999, Step::Take, ""},
          {1000, Step::Take, ""}},
         {"", "", "10.0.0.5：10000 次错误的密钥", ""}},
        {"tries spread over three windows: three lines",
         {{0, Step::Wrong, a, 3},
          {1000, Step::Wrong, a, 2},
          {2500, Step::Wrong, a},
          {2600, Step::Take, ""}},
         {"10.0.0.5：3 次错误的密钥|10.0.0.5：2 次错误的密钥", "10.0.0.5：1 次错误的密钥"}},
        {"four addresses with room for two: the rest share a line",
         {{0, Step::Wrong, a, 4},
          {10, Step::Wrong, b},
          {20, Step::Wrong, c, 7},
          {30, Step::Wrong, d, 3},
          {30, Step::Wrong, a},
          {1100, Step::Take, ""}},
         {"10.0.0.5：5 次错误的密钥|10.0.0.6：1 次错误的密钥|其他地址：10 次错误的密钥", ""}},
        {"a line of its own closes the counts before it, so the order holds",
         {{0, Step::Wrong, a, 5},
          {40, Step::Note, "密码错误次数过多，遥控已锁定"},
          {50, Step::Wrong, a, 2},
          {60, Step::Take, ""}},
         {"10.0.0.5：5 次错误的密钥|密码错误次数过多，遥控已锁定", "10.0.0.5：2 次错误的密钥"}},
        {"lines wait for the batch time after the previous batch, then go together",
         {{0, Step::Note, "x 扫码取得控制权"},
          {0, Step::Take, ""},
          {50, Step::Note, "x：开始/停止"},
          {120, Step::Note, "x：开始/停止"},
          {150, Step::Take, ""},
          {200, Step::Take, ""},
          {210, Step::Note, "x：下一奖项"},
          {300, Step::Take, ""}},
         {"x 扫码取得控制权", "", "x：开始/停止|x：开始/停止", "", "x：下一奖项"}},
        {"a quiet log gives nothing and is never due",
         {{0, Step::Take, ""}, {5000, Step::Take, ""}},
         {"", "", ""}},
    };
    for (const Case& k : cases) {
        SCOPED_TRACE(k.name);
        RemoteLog log(limits);
        std::vector<std::string> got;
        for (const Step& s : k.steps) {
            switch (s.kind) {
            case Step::Wrong:
                for (int i = 0; i < s.times; ++i)
                    log.wrongSecret(s.text, s.ms);
                break;
            case Step::Note:
                log.note(s.text);
                break;
            case Step::Take: {
                // The window only asks when a batch is due; a batch that is
                // not due must not be taken early.
                const bool due = log.due(s.ms);
                got.push_back(due ? joined(log.take(s.ms)) : "");
                if (!due) {
                    EXPECT_EQ(got.back(), "") << "at " << s.ms;
                }
                break;
            }
            }
        }
        got.push_back(joined(log.takeAll()));
        EXPECT_EQ(got, k.batches);
    }
}

} // namespace
} // namespace luckdial::remote
