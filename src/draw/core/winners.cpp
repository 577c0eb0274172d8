#include "draw/core/winners.h"

#include "draw/core/resultrows.h"

#include "host/core/displaytext.h"
#include "host/core/text.h"
#include "pool/pool.h"

#include <algorithm>
#include <cmath>
#include <limits>
#include <utility>

namespace luckdial {

namespace {

constexpr double kRemainderTolerance = 1e-7;

// Truncates toward zero into a range every caller can add to without
// overflowing; NaN (from inf - inf in a field) counts as 0.
std::int64_t truncClamped(double value) {
    if (std::isnan(value)) return 0;
    constexpr double kBound = 9.0e15;
    return static_cast<std::int64_t>(std::trunc(std::clamp(value, -kBound, kBound)));
}

bool isLineEnd(std::int64_t k, double columns) {
    // A column count that is not positive has no layout of its own: one entry per line.
    if (!(columns > 0)) return true;
    return std::fabs(std::fmod(static_cast<double>(k), columns)) <= kRemainderTolerance;
}

constexpr std::string_view kColumnGap = "    ";
constexpr std::string_view kLineEnd = "\r\n";

} // namespace

std::int32_t DrawGenerator::randomIndex(std::int32_t min, std::int32_t max) {
    // The product is formed in unsigned arithmetic so only its low 32 bits count.
    const std::uint32_t next = static_cast<std::uint32_t>(s_) * 214013u + 2531011u;
    s_ = static_cast<std::int32_t>(next);
    const std::int32_t v = s_ ^ (s_ >> 15); // arithmetic shift: bit 31 of v is always 0
    const std::int64_t range = static_cast<std::int64_t>(max) - min + 1;
    if (range <= 0) return min;
    return static_cast<std::int32_t>(min + static_cast<std::int64_t>(v) % range);
}

std::string maskEntry(std::string_view text, const MaskSettings& mask, std::size_t limit) {
    const double left = toNumber(mask.left);
    const double right = toNumber(mask.right);
    const std::int64_t start = truncClamped(left);
    const std::int64_t length = truncClamped(right - left + 1);
    const auto size = static_cast<std::int64_t>(text.size());
    const std::int64_t p = std::clamp<std::int64_t>(start - 1, 0, size);
    const std::int64_t removed = std::min(length, size - p);

    std::string shown;
    shown.reserve(std::min(limit, text.size() + mask.chars.size()));
    const auto put = [&](std::string_view piece) {
        shown.append(piece.substr(0, limit - shown.size()));
    };
    put(text.substr(0, static_cast<std::size_t>(p)));
    put(mask.chars);
    const std::int64_t rest = p + std::max<std::int64_t>(removed, 0);
    put(text.substr(static_cast<std::size_t>(rest)));
    return shown;
}

std::string shownEntry(std::string_view entry, const MaskSettings& mask) {
    if (!mask.enabled) return displayText(entry);
    // displayText reads at most three bytes past its limit, so this prefix of
    // the masked text is shown exactly as the whole masked text would be.
    return displayText(maskEntry(entry, mask, kMaxDisplayEntryBytes + 4));
}

std::string_view layoutSeparator(std::int64_t k, std::int64_t n, double columns) {
    if (isLineEnd(k, columns)) return kLineEnd;
    return k == n ? std::string_view{} : kColumnGap;
}

std::string layoutWinners(const std::vector<std::string_view>& entries, double columns) {
    std::size_t bytes = 0;
    for (const std::string_view e : entries)
        bytes += e.size() + kColumnGap.size();
    std::string text;
    text.reserve(bytes);
    const auto n = static_cast<std::int64_t>(entries.size());
    for (std::int64_t k = 1; k <= n; ++k) {
        text.append(entries[static_cast<std::size_t>(k - 1)]);
        text.append(layoutSeparator(k, n, columns));
    }
    return text;
}

std::string buildScrollFrame(const Pool& pool, DrawGenerator& gen, std::int32_t entries,
                             std::size_t count, double columns,
                             std::vector<std::string_view>& scratch) {
    scratch.clear();
    if (count == 0 || entries <= 0) return {};
    const std::int32_t shown = std::min(entries, kMaxFrameEntries);
    const auto max = static_cast<std::int32_t>(std::min<std::size_t>(
        count, static_cast<std::size_t>(std::numeric_limits<std::int32_t>::max())));
    std::size_t bytes = 0;
    for (std::int32_t k = 0; k < shown; ++k) {
        const std::int32_t idx = gen.randomIndex(1, max);
        scratch.push_back(pool.entryAt(static_cast<std::size_t>(idx - 1)));
        bytes += std::min(scratch.back().size(), kMaxDisplayEntryBytes) + kColumnGap.size();
    }
    DisplayTextBuilder frame;
    frame.reserve(bytes);
    for (std::int32_t k = 1; k <= shown; ++k) {
        if (!frame.append(scratch[static_cast<std::size_t>(k - 1)],
                          layoutSeparator(k, entries, columns)))
            break;
    }
    return frame.take();
}

void appendResultsLine(std::string& results, std::string_view entry, std::string_view levelName) {
    // One allocation for a huge entry instead of a copy at every append, while
    // short lines keep the geometric growth.
    const std::size_t needed = results.size() + entry.size() + kWinnerSeparator.size() +
                               levelName.size() + kLineEnd.size();
    if (needed > results.capacity()) results.reserve(std::max(needed, 2 * results.capacity()));
    results.append(entry).append(kWinnerSeparator).append(levelName).append(kLineEnd);
}

DrawOutcome
drawWinners(Pool& pool, DrawGenerator& gen, const DrawInputs& in, std::int32_t& winnerNumber,
            std::int32_t levelLimit, const std::function<std::uint32_t()>& clockMs,
            const std::function<void(const DrawnWinner&, const std::string& label)>& onWinner) {
    DrawOutcome outcome;
    DisplayTextBuilder label;
    const std::int64_t quota = static_cast<std::int64_t>(levelLimit) - 1;

    for (std::int32_t i = 1; i <= in.perDrawCount; ++i) {
        const std::size_t n = pool.count();
        if (n == 0) {
            // Only reachable when the caller skipped its empty-pool check; drawing
            // from an empty range would divide by zero.
            outcome.poolEmptied = true;
            break;
        }
        gen.reseed(clockMs());
        const std::int32_t idx = gen.randomIndex(1, static_cast<std::int32_t>(n));

        DrawnWinner winner;
        winner.entry = std::string(pool.entryAt(static_cast<std::size_t>(idx - 1)));
        winner.group = std::string(pool.groupName(pool.groupAt(static_cast<std::size_t>(idx - 1))));
        const std::int64_t w = winnerNumber;
        if (w == quota - 2 && !in.presetNNN.empty()) winner.entry = in.presetNNN;
        if (w == quota - 1 && !in.presetNN.empty()) winner.entry = in.presetNN;
        if (w == quota && !in.presetN.empty()) winner.entry = in.presetN;
        // A preset winner need not be in the pool: no group is known for it.
        if ((w == quota - 2 && !in.presetNNN.empty()) || (w == quota - 1 && !in.presetNN.empty()) ||
            (w == quota && !in.presetN.empty()))
            winner.group.clear();

        winner.shown = shownEntry(winner.entry, in.mask);
        label.append(winner.shown, layoutSeparator(i, in.perDrawCount, in.columns));

        const bool isPreset = winner.entry == in.presetN || winner.entry == in.presetNN ||
                              winner.entry == in.presetNNN;
        if (!in.allowRepeat && !isPreset) pool.removeAt(static_cast<std::size_t>(idx - 1));

        winner.winnerNumber = winnerNumber;
        ++winnerNumber;
        outcome.winners.push_back(std::move(winner));
        if (onWinner) onWinner(outcome.winners.back(), label.text());

        if (pool.count() == 0) {
            outcome.poolEmptied = true;
            break;
        }
        if (winnerNumber == levelLimit) break;
    }
    outcome.label = label.take();
    return outcome;
}

} // namespace luckdial
