#pragma once
// Decoded photos kept for reuse, bounded by the bytes their pixels take: the
// least recently used go first. A photo that could not be decoded is kept
// as a null image (a few bytes), so it is not decoded again and again.
// Not thread-safe: PhotoLoader guards it.

#include <QImage>
#include <QSize>
#include <QString>

#include <cstddef>
#include <list>
#include <unordered_map>

namespace luckdial {

struct PhotoKey {
    QString file;
    QSize size;
    bool operator==(const PhotoKey& o) const { return file == o.file && size == o.size; }
};

struct PhotoKeyHash {
    std::size_t operator()(const PhotoKey& k) const;
};

class PhotoCache {
public:
    explicit PhotoCache(std::size_t maxBytes) : max_(maxBytes) {}

    /// The image if it is kept (a null image: the photo is known bad), and
    /// marks it most recently used; nullptr when it is not kept.
    const QImage* find(const PhotoKey& key);
    bool contains(const PhotoKey& key) const { return map_.count(key) != 0; }
    /// Keeps the image, dropping the least recently used until the bound
    /// holds; an image larger than the whole bound is not kept.
    void put(const PhotoKey& key, QImage image);
    void clear();

    std::size_t bytes() const { return bytes_; }
    std::size_t maxBytes() const { return max_; }
    std::size_t count() const { return map_.size(); }

    /// What an image is counted as (its pixels plus the bookkeeping).
    static std::size_t cost(const QImage& image);

private:
    struct Item {
        PhotoKey key;
        QImage image;
        std::size_t cost;
    };
    std::size_t max_;
    std::size_t bytes_ = 0;
    std::list<Item> order_; ///< most recent first
    std::unordered_map<PhotoKey, std::list<Item>::iterator, PhotoKeyHash> map_;
};

} // namespace luckdial
