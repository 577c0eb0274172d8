#pragma once
// The draw engine's own state (everything else lives in the display elements).

#include <array>
#include <cstddef>
#include <cstdint>

namespace luckdial {

struct DrawState {
    bool drawRunning = false;
    /// 1-based number of the next winner of the selected level.
    std::int32_t winnerNumber = 0;
    /// Quota of the selected level plus 1.
    std::int32_t levelLimit = 0;
    std::int32_t perDrawCount = 0;
    std::int32_t scrollDelayMs = 30;
    /// The longest wait between two scroll frames, whatever the setting (its
    /// text stays as typed): a stop always takes effect within it.
    static constexpr std::int32_t kMaxScrollDelayMs = 1000;
    /// Winners drawn so far per prize row (index 0 is row 1).
    std::array<std::int32_t, 8> counters{};
    /// Exhausted marks per prize row.
    std::array<std::int32_t, 8> exhausted{};

    /// Counter and exhausted mark of prize row 1 to 8.
    std::int32_t& counter(int row) { return counters[static_cast<std::size_t>(row - 1)]; }
    std::int32_t& exhaustedMark(int row) { return exhausted[static_cast<std::size_t>(row - 1)]; }
};

} // namespace luckdial
