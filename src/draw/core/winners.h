#pragma once
// Choosing winners: the engine's own generator, masking, the winners text
// layout and the final draw. Pure logic over explicit inputs.

#include <cstdint>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

namespace luckdial {

class Pool;

/// The engine's generator: s = s * 214013 + 2531011 (32-bit), v = s ^ (s >> 15).
class DrawGenerator {
public:
    std::int32_t state() const { return s_; }
    void setState(std::int32_t s) { s_ = s; }
    /// The state becomes the 32-bit millisecond clock.
    void reseed(std::uint32_t tickMs) { s_ = static_cast<std::int32_t>(tickMs); }
    /// The next value mapped to min..max, 1 <= min <= max.
    std::int32_t randomIndex(std::int32_t min, std::int32_t max);

private:
    std::int32_t s_ = 0;
};

struct MaskSettings {
    bool enabled = false;
    std::string left;  ///< text of the left field (first hidden byte, 1-based)
    std::string right; ///< text of the right field (last hidden byte)
    std::string chars; ///< replacement text
};

/// Replaces bytes left..right of the GBK text by the replacement,
/// once. Only the first `limit` bytes of the result are built.
std::string maskEntry(std::string_view text, const MaskSettings& mask,
                      std::size_t limit = std::string::npos);
/// An entry as the winners label shows it: masked when masking is on, and
/// bounded by displayText. A huge entry is never copied whole for this.
std::string shownEntry(std::string_view entry, const MaskSettings& mask);

/// Separator after entry k (1-based) of n with the given column count; a
/// column count of 0 or below lays out one entry per line.
std::string_view layoutSeparator(std::int64_t k, std::int64_t n, double columns);
/// The whole winners text layout of the entries.
std::string layoutWinners(const std::vector<std::string_view>& entries, double columns);

/// Upper bound on the entries laid out in one scroll frame, so an absurd
/// per-draw count cannot exhaust memory; far more than any screen shows.
constexpr std::int32_t kMaxFrameEntries = 10000;

/// One scroll frame: `entries` independent picks from positions 1..count of
/// the pool (shown as stored, nothing removed), laid out as the winners text.
/// At most kMaxFrameEntries are picked; each entry and the whole text are
/// bounded as DisplayTextBuilder bounds them. scratch is reused between frames.
std::string buildScrollFrame(const Pool& pool, DrawGenerator& gen, std::int32_t entries,
                             std::size_t count, double columns,
                             std::vector<std::string_view>& scratch);

struct DrawInputs {
    /// Texts of the row's preset fields: N (winner Q), NN, NNN.
    std::string presetN, presetNN, presetNNN;
    MaskSettings mask;
    bool allowRepeat = false;
    double columns = 1;
    std::int32_t perDrawCount = 0;
};

struct DrawnWinner {
    std::string entry; ///< unmasked (as stored, or the preset text)
    std::string shown; ///< as displayed (masked, bounded)
    std::int32_t winnerNumber = 0;
    std::string group; ///< the drawn entry's group (GBK; empty: none)
};

struct DrawOutcome {
    std::vector<DrawnWinner> winners;
    std::string label;        ///< caption of the winners label after the draw (bounded)
    bool poolEmptied = false; ///< ended early: "参与抽奖名单已经抽取完毕！"
};

/// Draws one run's winners. winnerNumber is advanced; the pool loses each
/// winner unless repeats are allowed or the entry equals a preset. onWinner
/// runs after each winner (the caller writes its results line and updates the
/// screen); the caller shows the pool-empty message.
DrawOutcome
drawWinners(Pool& pool, DrawGenerator& gen, const DrawInputs& in, std::int32_t& winnerNumber,
            std::int32_t levelLimit, const std::function<std::uint32_t()>& clockMs,
            const std::function<void(const DrawnWinner&, const std::string& label)>& onWinner = {});

/// Appends the results line of a winner to the results text in place.
void appendResultsLine(std::string& results, std::string_view entry, std::string_view levelName);

} // namespace luckdial
