#include "app/pool/pool.h"

#include "host/core/linereader.h"
#include "host/host.h"

#include <bit>
#include <cstring>
#include <limits>

namespace luckdial {

namespace {

template <typename T> void shrinkIfSparse(std::vector<T>& v) {
    if (v.capacity() - v.size() > v.size() / 8) v.shrink_to_fit();
}

template <typename T> void release(std::vector<T>& v) {
    std::vector<T>().swap(v);
}

} // namespace

void Pool::clear() {
    release(arena_);
    release(offsets_);
    release(tree_);
    release(removed_);
    live_ = 0;
    liveBytes_ = 0;
}

void Pool::reserve(std::size_t entries, std::size_t bytes) {
    arena_.reserve(bytes);
    offsets_.reserve(entries + 1);
    if (!tree_.empty()) tree_.reserve(entries + 1);
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
    arena_.insert(arena_.end(), entry.begin(), entry.end());
    offsets_.push_back(static_cast<std::uint32_t>(arena_.size()));
    ++live_;
    liveBytes_ += entry.size();
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
           tree_.capacity() * sizeof(std::uint32_t) + removed_.capacity() * sizeof(std::uint64_t);
}

void loadPool(Pool& pool, TextFile& source, const std::function<std::uint32_t()>& clockMs,
              const LoadProgress& progress) {
    pool.clear();
    // The whole text at once: a call through the handle per line would cost
    // several times the reading of the file for pools of short entries.
    const std::string text = source.takeRest();
    LineReader reader(text);
    // The clock is asked only now and then, after this many bytes.
    constexpr std::size_t kCheckBytes = 256 * 1024;
    std::size_t checkAt = kCheckBytes;
    bool reserved = false;
    std::uint32_t last = clockMs ? clockMs() : 0;
    while (!reader.atEnd()) {
        const std::string_view line = reader.readLine();
        if (!line.empty()) pool.append(line);
        if (reader.position() < checkAt) continue;
        checkAt = reader.position() + kCheckBytes;
        if (!reserved && reader.position() < text.size()) {
            // Size the storage once from the part read so far, so that a large
            // pool is neither copied on every growth step nor held at twice
            // its size.
            reserved = true;
            const double scale =
                static_cast<double>(text.size()) / static_cast<double>(reader.position()) * 1.0625;
            pool.reserve(
                static_cast<std::size_t>(static_cast<double>(pool.count()) * scale) + 64,
                std::min(static_cast<std::size_t>(static_cast<double>(pool.entryBytes()) * scale) +
                             1024,
                         text.size()));
        }
        if (clockMs && progress) {
            const std::uint32_t now = clockMs();
            if (now - last >= 30) {
                last = now;
                progress(pool.count());
            }
        }
    }
    pool.shrinkToFit();
    if (progress) progress(pool.count());
}

std::string progressText(const Pool& pool) {
    std::string text;
    text.resize(pool.entryBytes() + 2 * pool.count());
    char* out = text.data();
    pool.forEach([&](std::string_view entry) {
        if (!entry.empty()) std::memcpy(out, entry.data(), entry.size());
        out += entry.size();
        *out++ = '\r';
        *out++ = '\n';
    });
    return text;
}

} // namespace luckdial
