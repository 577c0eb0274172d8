#pragma once
// Photos decoded off the window's thread, at the size they are shown, kept
// in a bounded cache. Asking for a photo never waits: what is not ready yet
// is queued and the caller draws the placeholder until photosReady comes.
// A photo's small copy, when one is prepared and large enough, is decoded
// instead of the photo. Photo files are read by the decoding threads
// themselves, on the UTF-8 path of the folder (as spreadsheets are), not
// through Host, whose services belong to the window's thread.

#include "photos/photocache.h"
#include "photos/photodecode.h"
#include "photos/photoindex.h"

#include <QImage>
#include <QObject>
#include <QSize>
#include <QString>
#include <QStringList>

#include <atomic>
#include <condition_variable>
#include <cstddef>
#include <deque>
#include <mutex>
#include <thread>
#include <unordered_set>
#include <vector>

namespace luckdial {

class PhotoLoader : public QObject {
    Q_OBJECT
public:
    /// Bytes the decoded photos may take by default.
    static constexpr std::size_t kDefaultCacheBytes = 160u * 1024 * 1024;
    /// A photo file larger than this is not read (a phone photo is 2-8 MB).
    static constexpr qint64 kMaxFileBytes = kMaxPhotoFileBytes;
    /// Decodes queued at most; the oldest give way (their frames are gone).
    static constexpr std::size_t kMaxQueued = 4096;
    /// Asks of photo() kept at most: a few screens' worth; the oldest go.
    static constexpr std::size_t kMaxUrgent = 256;

    explicit PhotoLoader(std::size_t cacheBytes = kDefaultCacheBytes, int threads = 2,
                         QObject* parent = nullptr);
    ~PhotoLoader() override;

    /// The photo folder (a native path) and its files; forgets what was kept
    /// and what was queued.
    void setFolder(const QString& folder, PhotoIndex index);
    /// setFolder over the folder's files as they are now.
    void rescan(const QString& folder) { setFolder(folder, PhotoIndex::scan(folder)); }
    const PhotoIndex& index() const { return index_; }
    bool hasPhoto(const QString& entry) const { return index_.find(entry).has_value(); }

    enum class Status {
        Ready,   ///< image holds the photo
        Pending, ///< being decoded: draw the placeholder for now
        None,    ///< no photo, or one that cannot be shown
    };
    struct Photo {
        Status status = Status::None;
        QImage image;
    };
    /// The entry's photo at `size` if it is ready; otherwise its decode is
    /// queued ahead of prefetches and of earlier asks (the newest ask is the
    /// frame on the screen). Never waits for a decode.
    Photo photo(const QString& entry, QSize size);
    /// Queues the entries' photos behind the ones asked for by photo();
    /// false (nothing queued) when that would have to wait for a decoding
    /// thread: ask again later.
    bool prefetch(const QStringList& entries, QSize size);

    /// Decodes queued or running.
    int pendingCount() const;
    /// Waits until nothing is queued or running, at most `ms` milliseconds
    /// (for benchmarks and tests); true when idle.
    bool waitUntilIdle(int ms);
    std::size_t cacheBytes() const;
    /// Photos decoded from their small copies (smallcopy.h) so far.
    int decodedFromCopies() const { return fromCopies_.load(std::memory_order_relaxed); }
    std::size_t cachedCount() const;

Q_SIGNALS:
    /// Photos came in since the last signal (delivered on the loader's
    /// thread, several decodes to one signal).
    void photosReady();

private:
    struct Job {
        PhotoKey key;
        unsigned generation = 0;
    };
    bool queue(const PhotoKey& key, bool urgent);
    void work();
    void announce();

    PhotoIndex index_; ///< read by the window's thread only
    QString folder_;   ///< under mutex_: read by the workers

    mutable std::mutex mutex_;
    std::condition_variable wake_;
    std::condition_variable idle_;
    PhotoCache cache_;
    std::deque<Job> urgent_, background_;
    std::unordered_set<PhotoKey, PhotoKeyHash> queued_; ///< queued or running
    int running_ = 0;
    unsigned generation_ = 0;
    std::atomic<bool> announced_{false};
    std::atomic<int> fromCopies_{0};
    bool stop_ = false;
    std::vector<std::thread> threads_;
};

} // namespace luckdial
