#pragma once
// The participant pool: an ordered, unsorted list of GBK entries with
// duplicates, sized for 3,276,000 entries. Entries live in one byte arena;
// an order-statistic tree over live flags gives entryAt and removeAt by
// position in O(log n) while keeping file order.

#include <cstddef>
#include <cstdint>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

namespace luckdial {

class TextFile;

class Pool {
public:
    static constexpr std::size_t kLimit = 3276000;

    void clear();
    void append(std::string_view entry);
    std::size_t count() const;
    /// 0-based; a position outside 0..count-1 gives the empty text.
    std::string_view entryAt(std::size_t position) const;
    /// 0-based; later entries move up by one. Out of range does nothing.
    void removeAt(std::size_t position);
    /// Bytes held by the pool's own storage.
    std::size_t memoryBytes() const;

private:
    // (implementation detail, free to change)
    std::vector<char> arena_;
    std::vector<std::uint32_t> offsets_;
    std::vector<std::uint32_t> tree_;
    std::size_t live_ = 0;
};

/// Called with the number of entries loaded so far, at most about every 30 ms
/// of the given clock (ms), and once at the end.
using LoadProgress = std::function<void(std::size_t loaded)>;

/// Loads every non-empty line of the source into the (cleared) pool.
void loadPool(Pool& pool, TextFile& source, const std::function<std::uint32_t()>& clockMs,
              const LoadProgress& progress);

/// The progress file's text: every entry followed by "\r\n".
std::string progressText(const Pool& pool);

} // namespace luckdial
