#include "draw/core/winners.h"

#include "app/pool/pool.h"
#include "host/core/text.h"

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

std::string maskEntry(std::string_view text, const MaskSettings& mask) {
    const double left = toNumber(mask.left);
    const double right = toNumber(mask.right);
    const std::int64_t start = truncClamped(left);
    const std::int64_t length = truncClamped(right - left + 1);
    const auto size = static_cast<std::int64_t>(text.size());
    const std::int64_t p = std::clamp<std::int64_t>(start - 1, 0, size);
    const std::int64_t removed = std::min(length, size - p);

    std::string shown;
    shown.reserve(text.size() + mask.chars.size());
    shown.append(text.substr(0, static_cast<std::size_t>(p)));
    shown.append(mask.chars);
    const std::int64_t rest = p + std::max<std::int64_t>(removed, 0);
    shown.append(text.substr(static_cast<std::size_t>(rest)));
    return shown;
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
    std::string text;
    if (count == 0 || entries <= 0) return text;
    const std::int32_t shown = std::min(entries, kMaxFrameEntries);
    const auto max = static_cast<std::int32_t>(std::min<std::size_t>(
        count, static_cast<std::size_t>(std::numeric_limits<std::int32_t>::max())));
    std::size_t bytes = 0;
    for (std::int32_t k = 0; k < shown; ++k) {
        const std::int32_t idx = gen.randomIndex(1, max);
        scratch.push_back(pool.entryAt(static_cast<std::size_t>(idx - 1)));
        bytes += scratch.back().size() + kColumnGap.size();
    }
    text.reserve(bytes);
    for (std::int32_t k = 1; k <= shown; ++k) {
        text.append(scratch[static_cast<std::size_t>(k - 1)]);
        text.append(layoutSeparator(k, entries, columns));
    }
    return text;
}

std::string resultsLine(std::string_view entry, std::string_view levelName) {
    static const std::string kDashes = "  ------  ";
    std::string line;
    line.reserve(entry.size() + kDashes.size() + levelName.size() + kLineEnd.size());
    line.append(entry).append(kDashes).append(levelName).append(kLineEnd);
    return line;
}

DrawOutcome
drawWinners(Pool& pool, DrawGenerator& gen, const DrawInputs& in, std::int32_t& winnerNumber,
            std::int32_t levelLimit, const std::function<std::uint32_t()>& clockMs,
            const std::function<void(const DrawnWinner&, const std::string& label)>& onWinner) {
    DrawOutcome outcome;
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
        const std::int64_t w = winnerNumber;
        if (w == quota - 2 && !in.presetNNN.empty()) winner.entry = in.presetNNN;
        if (w == quota - 1 && !in.presetNN.empty()) winner.entry = in.presetNN;
        if (w == quota && !in.presetN.empty()) winner.entry = in.presetN;

        winner.shown = in.mask.enabled ? maskEntry(winner.entry, in.mask) : winner.entry;
        outcome.label.append(winner.shown);
        outcome.label.append(layoutSeparator(i, in.perDrawCount, in.columns));
        winner.resultsLine = resultsLine(winner.entry, in.levelName);

        const bool isPreset = winner.entry == in.presetN || winner.entry == in.presetNN ||
                              winner.entry == in.presetNNN;
        if (!in.allowRepeat && !isPreset) pool.removeAt(static_cast<std::size_t>(idx - 1));

        winner.winnerNumber = winnerNumber;
        ++winnerNumber;
        outcome.winners.push_back(std::move(winner));
        if (onWinner) onWinner(outcome.winners.back(), outcome.label);

        if (pool.count() == 0) {
            outcome.poolEmptied = true;
            break;
        }
        if (winnerNumber == levelLimit) break;
    }
    return outcome;
}

} // namespace luckdial
