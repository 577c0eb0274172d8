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

/// Where a pool text was cut short: the line rules end it at a NUL (or
/// Ctrl-Z) byte, and more than line ends and such bytes followed.
struct TextStop {
    bool early = false;
    /// 1-based line on which the stop byte stands.
    std::size_t line = 0;
};

class Pool {
public:
    static constexpr std::size_t kLimit = 3276000;

    void clear();
    /// Appends at the end. The arena addresses at most 4 GiB of entry bytes;
    /// an entry that would pass that is not added.
    void append(std::string_view entry);
    std::size_t count() const { return live_; }
    /// 0-based; a position outside 0..count-1 gives the empty text.
    std::string_view entryAt(std::size_t position) const;
    /// 0-based; later entries move up by one. Out of range does nothing.
    void removeAt(std::size_t position);
    /// Bytes held by the pool's own storage.
    std::size_t memoryBytes() const;
    /// Replaces the entries by the non-empty lines of text, read by the line
    /// rules of LineReader; the text's own storage becomes the arena. tick,
    /// when given, gets the number of entries and of text bytes read so far
    /// after every few hundred kilobytes; the pool itself changes only at the end.
    /// Returns where the text stopped when it ended early.
    TextStop assignLines(std::string text,
                         const std::function<void(std::size_t, std::size_t)>& tick = {});
    /// Total bytes of the entries (without line ends).
    std::size_t entryBytes() const { return liveBytes_; }

    // --- groups (departments): a number per entry, 0 for none -------------------
    /// Most distinct groups a pool holds; entries of further groups have none.
    static constexpr std::size_t kMaxGroups = 65535;
    /// Gives entry k (0-based, as loaded) the group perEntry[k], a 1-based
    /// index into names (0: no group). Only before the first removal and with
    /// one number per entry; otherwise the pool keeps no groups and false is
    /// returned. Empty names drop the groups.
    bool setGroups(std::vector<std::string> names, std::vector<std::uint16_t> perEntry);
    bool hasGroups() const { return !groupNames_.empty(); }
    /// Group number of the entry at a 0-based position; 0 outside or for none.
    std::uint16_t groupAt(std::size_t position) const {
        if (groupOf_.empty() || position >= live_) return 0;
        return groupOf_[slotOf(position)];
    }
    /// The group names, number 1 first.
    const std::vector<std::string>& groupNames() const { return groupNames_; }
    /// Name of group number id; empty for 0 or an unknown number.
    std::string_view groupName(std::uint16_t id) const {
        return (id == 0 || id > groupNames_.size()) ? std::string_view{} : groupNames_[id - 1u];
    }
    /// Calls f(position, group number) for every entry in order, in O(count).
    template <typename F> void forEachGroup(F f) const {
        const std::size_t n = slots();
        std::size_t position = 0;
        for (std::size_t k = 0; k < n; ++k)
            if (isLive(k)) f(position++, groupOf_.empty() ? std::uint16_t{0} : groupOf_[k]);
    }

    /// Calls f(entry) for every entry in order, in O(count) overall.
    template <typename F> void forEach(F f) const {
        const std::size_t n = slots();
        for (std::size_t k = 0; k < n; ++k)
            if (isLive(k)) f(slotText(k));
    }

private:
    std::size_t slots() const { return offsets_.empty() ? 0 : offsets_.size() - 1; }
    bool isLive(std::size_t k) const {
        return removed_.empty() || !(removed_[k >> 6] >> (k & 63) & 1u);
    }
    std::string_view slotText(std::size_t k) const {
        return {arena_.data() + offsets_[k], offsets_[k + 1] - offsets_[k]};
    }
    /// Slot of the live entry at a 0-based position (position < count).
    std::size_t slotOf(std::size_t position) const;
    void buildTree();
    /// Gives back reserved storage where more than a quarter of it is unused.
    void shrinkToFit();

    std::string arena_;
    /// Start of each slot's text in the arena, plus the end of the last.
    std::vector<std::uint32_t> offsets_;
    /// Fenwick tree (1-based) of live counts over the slots; built at the
    /// first removal, as positions equal slots until then.
    std::vector<std::uint32_t> tree_;
    /// One bit per slot, set when removed; built with the tree.
    std::vector<std::uint64_t> removed_;
    std::size_t live_ = 0;
    std::size_t liveBytes_ = 0;
    /// Group number per slot; empty when the pool has no groups.
    std::vector<std::uint16_t> groupOf_;
    std::vector<std::string> groupNames_;
};

/// Called with the number of entries loaded so far and the share of the text
/// read (0 to 1), at most about every 30 ms of the given clock (ms), and once
/// at the end.
using LoadProgress = std::function<void(std::size_t loaded, double done)>;

/// Loads every non-empty line of the source into the (cleared) pool, and
/// tells where the text stopped when it ended early.
TextStop loadPool(Pool& pool, TextFile& source, const std::function<std::uint32_t()>& clockMs,
                  const LoadProgress& progress);

/// The progress file's text: every entry followed by "\r\n".
std::string progressText(const Pool& pool);

} // namespace luckdial
