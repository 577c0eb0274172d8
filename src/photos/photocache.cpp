#include "photos/photocache.h"

#include <QHash>

namespace luckdial {

std::size_t PhotoKeyHash::operator()(const PhotoKey& k) const {
    return static_cast<std::size_t>(qHash(k.file)) ^
           (static_cast<std::size_t>(k.size.width()) * 73856093u) ^
           (static_cast<std::size_t>(k.size.height()) * 19349663u);
}

std::size_t PhotoCache::cost(const QImage& image) {
    constexpr std::size_t kBookkeeping = 256;
    return kBookkeeping + static_cast<std::size_t>(image.sizeInBytes());
}

const QImage* PhotoCache::find(const PhotoKey& key) {
    const auto it = map_.find(key);
    if (it == map_.end()) return nullptr;
    order_.splice(order_.begin(), order_, it->second);
    return &it->second->image;
}

void PhotoCache::put(const PhotoKey& key, QImage image) {
    const std::size_t c = cost(image);
    if (const auto it = map_.find(key); it != map_.end()) {
        bytes_ -= it->second->cost;
        order_.erase(it->second);
        map_.erase(it);
    }
    if (c > max_) return;
    while (!order_.empty() && bytes_ + c > max_) {
        bytes_ -= order_.back().cost;
        map_.erase(order_.back().key);
        order_.pop_back();
    }
    order_.push_front(Item{key, std::move(image), c});
    map_.emplace(key, order_.begin());
    bytes_ += c;
}

void PhotoCache::clear() {
    map_.clear();
    order_.clear();
    bytes_ = 0;
}

} // namespace luckdial
