#include "photos/photoloader.h"

#include "photos/photodecode.h"
#include "photos/smallcopy.h"

#include <QFile>
#include <QMetaObject>

#include <algorithm>
#include <chrono>
#include <string>

#include <sys/resource.h>
#include <sys/syscall.h>
#include <unistd.h>

namespace luckdial {
namespace {

// Decoding must not take the processor from the scroll: the decoding
// threads run below the window's priority (per thread on Linux), though not
// at the lowest, where a busy machine would hold the photos back for seconds.
void lowerThisThread() {
    (void)setpriority(PRIO_PROCESS, static_cast<id_t>(syscall(SYS_gettid)), 5);
}

} // namespace

PhotoLoader::PhotoLoader(std::size_t cacheBytes, int threads, QObject* parent)
    : QObject(parent), cache_(cacheBytes) {
    for (int i = 0; i < std::max(1, threads); ++i)
        threads_.emplace_back([this] { work(); });
}

PhotoLoader::~PhotoLoader() {
    {
        std::lock_guard lock(mutex_);
        stop_ = true;
    }
    wake_.notify_all();
    for (std::thread& t : threads_)
        t.join();
}

void PhotoLoader::setFolder(const QString& folder, PhotoIndex index) {
    index_ = std::move(index);
    std::lock_guard lock(mutex_);
    folder_ = folder;
    ++generation_;
    urgent_.clear();
    background_.clear();
    queued_.clear();
    cache_.clear();
}

bool PhotoLoader::queue(const PhotoKey& key, bool urgent) {
    if (queued_.count(key) != 0) {
        // Asked for while only prefetched: it moves ahead of the prefetches,
        // or a page's cards would wait behind thousands of them.
        if (!urgent) return false;
        const auto it = std::find_if(background_.begin(), background_.end(),
                                     [&](const Job& j) { return j.key == key; });
        if (it == background_.end()) return false; // already asked for or running
        const Job job = *it;
        background_.erase(it);
        urgent_.push_back(job);
        return true;
    }
    std::deque<Job>& q = urgent ? urgent_ : background_;
    if (q.size() >= (urgent ? kMaxUrgent : kMaxQueued)) {
        queued_.erase(q.front().key);
        q.pop_front();
    }
    q.push_back(Job{key, generation_});
    queued_.insert(key);
    return true;
}

PhotoLoader::Photo PhotoLoader::photo(const QString& entry, QSize size) {
    if (size.isEmpty()) return {};
    const auto file = index_.find(entry);
    if (!file) return {};
    const PhotoKey key{*file, size};
    bool woken = false;
    {
        // A decoding thread holding the lock may have been put aside by the
        // scheduler: the frame does not wait for it, the photo counts as
        // not ready and is asked for again at the next paint.
        std::unique_lock lock(mutex_, std::try_to_lock);
        if (!lock.owns_lock()) return Photo{Status::Pending, {}};
        if (const QImage* image = cache_.find(key)) {
            if (image->isNull()) return {};
            return Photo{Status::Ready, *image};
        }
        woken = queue(key, true);
    }
    if (woken) wake_.notify_one();
    return Photo{Status::Pending, {}};
}

bool PhotoLoader::prefetch(const QStringList& entries, QSize size) {
    if (size.isEmpty()) return true;
    int added = 0;
    {
        std::unique_lock lock(mutex_, std::try_to_lock);
        if (!lock.owns_lock()) return false;
        for (const QString& entry : entries) {
            const auto file = index_.find(entry);
            if (!file) continue;
            const PhotoKey key{*file, size};
            if (cache_.contains(key)) continue;
            if (queue(key, false)) ++added;
        }
    }
    if (added > 0) wake_.notify_all();
    return true;
}

void PhotoLoader::work() {
    lowerThisThread();
    std::unique_lock lock(mutex_);
    for (;;) {
        wake_.wait(lock, [this] { return stop_ || !urgent_.empty() || !background_.empty(); });
        if (stop_) return;
        // The newest ask first: it is the frame or page on the screen now;
        // older asks belong to frames already gone.
        Job job;
        if (!urgent_.empty()) {
            job = urgent_.back();
            urgent_.pop_back();
        } else {
            job = background_.front();
            background_.pop_front();
        }
        ++running_;
        const QString folder = folder_;
        lock.unlock();
        // The photo's small copy when it is there: a few hundred kilobytes
        // instead of a phone's megapixels. A damaged copy, as a crash can
        // leave one, only costs the decode of the photo itself.
        QImage image;
        if (const auto copy = smallCopyFor(folder, job.key.file, job.key.size)) {
            image = decodePhoto(readPhotoFile(*copy), job.key.size);
            if (!image.isNull()) fromCopies_.fetch_add(1, std::memory_order_relaxed);
        }
        if (image.isNull())
            image =
                decodePhoto(readPhotoFile(folder + QLatin1Char('/') + job.key.file), job.key.size);
        lock.lock();
        --running_;
        if (job.generation == generation_) {
            cache_.put(job.key, std::move(image));
            queued_.erase(job.key);
            if (!announced_.exchange(true)) {
                QMetaObject::invokeMethod(
                    this, [this] { announce(); }, Qt::QueuedConnection);
            }
        }
        if (running_ == 0 && urgent_.empty() && background_.empty()) idle_.notify_all();
    }
}

void PhotoLoader::announce() {
    announced_ = false;
    Q_EMIT photosReady();
}

int PhotoLoader::pendingCount() const {
    std::lock_guard lock(mutex_);
    return static_cast<int>(urgent_.size() + background_.size()) + running_;
}

bool PhotoLoader::waitUntilIdle(int ms) {
    std::unique_lock lock(mutex_);
    return idle_.wait_for(lock, std::chrono::milliseconds(ms), [this] {
        return running_ == 0 && urgent_.empty() && background_.empty();
    });
}

std::size_t PhotoLoader::cacheBytes() const {
    std::lock_guard lock(mutex_);
    return cache_.bytes();
}

std::size_t PhotoLoader::cachedCount() const {
    std::lock_guard lock(mutex_);
    return cache_.count();
}

} // namespace luckdial
