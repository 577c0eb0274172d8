#include "app/pool/pool.h"

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
    tree_.reserve(entries + 1);
}

void Pool::shrinkToFit() {
    shrinkIfSparse(arena_);
    shrinkIfSparse(offsets_);
    shrinkIfSparse(tree_);
    shrinkIfSparse(removed_);
}

void Pool::append(std::string_view entry) {
    if (entry.size() > std::numeric_limits<std::uint32_t>::max() - arena_.size()) return;
    if (offsets_.empty()) {
        offsets_.push_back(0);
        tree_.push_back(0); // index 0 of the 1-based tree is unused
    }
    arena_.insert(arena_.end(), entry.begin(), entry.end());
    offsets_.push_back(static_cast<std::uint32_t>(arena_.size()));
    // Node i covers slots (i - lowbit(i), i]: this slot plus the nodes that
    // make up the rest of that range. On average one node is added.
    const std::size_t i = tree_.size();
    const std::size_t low = i & (~i + 1);
    std::uint32_t sum = 1;
    for (std::size_t j = i - 1; j > i - low; j -= j & (~j + 1))
        sum += tree_[j];
    tree_.push_back(sum);
    if (!removed_.empty() && ((i - 1) >> 6) >= removed_.size()) removed_.push_back(0);
    ++live_;
    liveBytes_ += entry.size();
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
    const std::size_t k = slotOf(position);
    const std::size_t n = slots();
    if (removed_.empty()) removed_.assign((n + 63) / 64, 0);
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
    const std::uint64_t length = source.length();
    // The clock is asked only now and then: for short entries asking it per
    // line would cost as much as the loading itself.
    constexpr std::size_t kCheckBudget = 64 * 1024;
    std::size_t budget = kCheckBudget;
    bool reserved = false;
    std::uint32_t last = clockMs ? clockMs() : 0;
    while (!source.atEnd()) {
        std::string line = source.readLine();
        const std::size_t cost = line.size() + 16;
        if (!line.empty()) pool.append(line);
        if (cost < budget) {
            budget -= cost;
            continue;
        }
        budget = kCheckBudget;
        const std::uint64_t done = source.position();
        if (!reserved && done > 0 && done < length) {
            // Size the storage once from the part read so far, so that a large
            // pool is neither copied on every growth step nor held at twice
            // its size.
            reserved = true;
            const double scale = static_cast<double>(length) / static_cast<double>(done) * 1.0625;
            pool.reserve(
                static_cast<std::size_t>(static_cast<double>(pool.count()) * scale) + 64,
                std::min<std::size_t>(
                    static_cast<std::size_t>(static_cast<double>(pool.entryBytes()) * scale) + 1024,
                    static_cast<std::size_t>(length)));
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
