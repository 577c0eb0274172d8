#include "pool/pool.h"

#include "host/core/linereader.h"
#include "host/host.h"

#include <algorithm>
#include <bit>
#include <cstring>
#include <limits>

namespace luckdial {

namespace {

template <typename T> void shrinkIfSparse(T& v) {
    if (v.capacity() - v.size() > v.size() / 4) v.shrink_to_fit();
}

template <typename T> void release(T& v) {
    T().swap(v);
}

/// Moves n bytes down to dst (dst <= src) a word at a time: each word is read
/// before anything at or above it is written, so the overlap is harmless.
inline void moveDown(char* dst, const char* src, std::size_t n) {
    if (dst == src) return;
    std::size_t i = 0;
    for (; i + 8 <= n; i += 8) {
        std::uint64_t w;
        std::memcpy(&w, src + i, 8);
        std::memcpy(dst + i, &w, 8);
    }
    for (; i < n; ++i)
        dst[i] = src[i];
}

} // namespace

void Pool::clear() {
    release(arena_);
    release(offsets_);
    release(tree_);
    release(removed_);
    release(groupOf_);
    release(groupNames_);
    live_ = 0;
    liveBytes_ = 0;
}

bool Pool::setGroups(std::vector<std::string> names, std::vector<std::uint16_t> perEntry) {
    release(groupOf_);
    release(groupNames_);
    if (names.empty()) return true;
    if (live_ != slots() || perEntry.size() != live_ || names.size() > kMaxGroups) return false;
    for (std::uint16_t& g : perEntry)
        if (g > names.size()) g = 0;
    groupOf_ = std::move(perEntry);
    groupNames_ = std::move(names);
    return true;
}

void Pool::shrinkToFit() {
    shrinkIfSparse(arena_);
    shrinkIfSparse(offsets_);
    shrinkIfSparse(tree_);
    shrinkIfSparse(removed_);
}

void Pool::append(std::string_view entry) {
    if (entry.size() > std::numeric_limits<std::uint32_t>::max() - arena_.size()) return;
    if (offsets_.empty()) offsets_.push_back(0);
    arena_.append(entry);
    offsets_.push_back(static_cast<std::uint32_t>(arena_.size()));
    ++live_;
    liveBytes_ += entry.size();
    if (!groupNames_.empty()) groupOf_.push_back(0);
    if (tree_.empty()) return; // built at the first removal
    // Node i covers slots (i - lowbit(i), i]: this slot plus the nodes that
    // make up the rest of that range. On average one node is added.
    const std::size_t i = tree_.size();
    const std::size_t low = i & (~i + 1);
    std::uint32_t sum = 1;
    for (std::size_t j = i - 1; j > i - low; j -= j & (~j + 1))
        sum += tree_[j];
    tree_.push_back(sum);
    if (((i - 1) >> 6) >= removed_.size()) removed_.push_back(0);
}

void Pool::buildTree() {
    // Before the first removal every slot is live, so node i simply counts
    // the lowbit(i) slots it covers.
    const std::size_t n = slots();
    tree_.resize(n + 1);
    tree_[0] = 0;
    for (std::size_t i = 1; i <= n; ++i)
        tree_[i] = static_cast<std::uint32_t>(i & (~i + 1));
    removed_.assign((n + 63) / 64, 0);
}

std::size_t Pool::slotOf(std::size_t position) const {
    const std::size_t n = slots();
    if (live_ == n) return position; // nothing removed yet
    std::size_t idx = 0;
    std::size_t rest = position + 1;
    for (std::size_t step = std::bit_floor(n); step != 0; step >>= 1) {
        if (idx + step <= n && tree_[idx + step] < rest) {
            idx += step;
            rest -= tree_[idx];
        }
    }
    return idx; // the 1-based node idx + 1 is slot idx
}

std::string_view Pool::entryAt(std::size_t position) const {
    if (position >= live_) return {};
    return slotText(slotOf(position));
}

void Pool::removeAt(std::size_t position) {
    if (position >= live_) return;
    if (tree_.empty()) buildTree();
    const std::size_t k = slotOf(position);
    const std::size_t n = slots();
    removed_[k >> 6] |= std::uint64_t{1} << (k & 63);
    for (std::size_t i = k + 1; i <= n; i += i & (~i + 1))
        --tree_[i];
    --live_;
    liveBytes_ -= offsets_[k + 1] - offsets_[k];
}

std::size_t Pool::memoryBytes() const {
    return arena_.capacity() + offsets_.capacity() * sizeof(std::uint32_t) +
           tree_.capacity() * sizeof(std::uint32_t) + removed_.capacity() * sizeof(std::uint64_t) +
           groupOf_.capacity() * sizeof(std::uint16_t);
}

TextStop Pool::assignLines(std::string text,
                           const std::function<void(std::size_t, std::size_t)>& tick) {
    clear();
    // Each entry moves down to the end of the one before, over the line ends
    // and empty lines already read, so the text becomes the arena without a
    // second buffer. Writes stay below the read position.
    constexpr std::size_t kTickBytes = 256 * 1024;
    LineReader reader(text);
    char* const base = text.data();
    std::size_t used = 0;
    std::size_t tickAt = kTickBytes;
    bool reserved = false;
    offsets_.push_back(0);
    std::size_t lines = 0;
    reader.forEachLine([&](std::string_view line) {
        ++lines;
        if (!line.empty() && line.size() <= std::numeric_limits<std::uint32_t>::max() - used) {
            moveDown(base + used, line.data(), line.size());
            used += line.size();
            offsets_.push_back(static_cast<std::uint32_t>(used));
        }
        const std::size_t readTo = static_cast<std::size_t>(line.data() - base) + line.size();
        if (readTo < tickAt) return;
        tickAt = readTo + kTickBytes;
        if (!reserved) {
            // Size the offsets once from the part read so far, so that a large
            // pool is neither copied on every growth step nor held at twice
            // its size.
            reserved = true;
            const double scale = static_cast<double>(text.size()) / static_cast<double>(readTo);
            offsets_.reserve(
                static_cast<std::size_t>(static_cast<double>(offsets_.size()) * scale * 1.0625) +
                64);
        }
        if (tick) tick(offsets_.size() - 1, readTo);
    });
    // The line that holds the stop byte is the last one read.
    TextStop stop;
    const std::size_t end = reader.position();
    const auto trailing = [](char c) { return c == '\0' || c == 0x1A || c == '\r' || c == '\n'; };
    stop.early = end < text.size() && !std::all_of(text.begin() + static_cast<std::ptrdiff_t>(end),
                                                   text.end(), trailing);
    if (stop.early) stop.line = std::max<std::size_t>(lines, 1);
    text.resize(used);
    arena_ = std::move(text);
    live_ = offsets_.size() - 1;
    liveBytes_ = used;
    if (live_ == 0) offsets_.clear();
    shrinkToFit();
    return stop;
}

TextStop loadPool(Pool& pool, TextFile& source, const std::function<std::uint32_t()>& clockMs,
                  const LoadProgress& progress) {
    // The whole text at once: a call through the handle per line would cost
    // several times the reading of the file for pools of short entries.
    std::uint32_t last = clockMs ? clockMs() : 0;
    std::string text = source.takeRest();
    const double total = static_cast<double>(text.size());
    std::function<void(std::size_t, std::size_t)> tick;
    if (clockMs && progress) {
        tick = [&](std::size_t loaded, std::size_t bytesRead) {
            const std::uint32_t now = clockMs();
            if (now - last >= 30) {
                last = now;
                progress(loaded, static_cast<double>(bytesRead) / total);
            }
        };
    }
    const TextStop stop = pool.assignLines(std::move(text), tick);
    if (progress) progress(pool.count(), 1.0);
    return stop;
}

std::string progressText(const Pool& pool) {
    std::string text;
    text.resize(pool.entryBytes() + 2 * pool.count());
    char* out = text.data();
    // Entries are short and never overlap the output: word copies beat a
    // library call per entry.
    pool.forEach([&](std::string_view entry) {
        const char* in = entry.data();
        std::size_t n = entry.size();
        for (; n >= 8; n -= 8, in += 8, out += 8) {
            std::uint64_t w;
            std::memcpy(&w, in, 8);
            std::memcpy(out, &w, 8);
        }
        for (; n > 0; --n)
            *out++ = *in++;
        out[0] = '\r';
        out[1] = '\n';
        out += 2;
    });
    return text;
}

} // namespace luckdial
