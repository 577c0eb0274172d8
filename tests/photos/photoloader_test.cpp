#include "photos/photocache.h"
#include "photos/photoloader.h"
#include "support/tempdir.h"
#include "ui/jpegtools.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QSignalSpy>
#include <QThread>

#include <gtest/gtest.h>

using namespace luckdial;
using luckdial::testing::encodeJpeg;
using luckdial::testing::testPicture;

namespace {

QImage filled(int w, int h) {
    QImage image(w, h, QImage::Format_RGB32);
    image.fill(Qt::gray);
    return image;
}

PhotoKey key(const char* file, int w = 10) {
    return PhotoKey{QString::fromUtf8(file), QSize(w, w)};
}

void writeFile(const QString& path, const std::string& bytes) {
    QFile f(path);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.write(bytes.data(), static_cast<qint64>(bytes.size()));
}

/// Asks until the photo is no longer pending: an ask may find a decoding
/// thread holding the lock, and then queues nothing.
PhotoLoader::Photo settled(PhotoLoader& loader, const QString& entry, QSize size) {
    for (int i = 0; i < 50; ++i) {
        const PhotoLoader::Photo p = loader.photo(entry, size);
        if (p.status != PhotoLoader::Status::Pending) return p;
        (void)loader.waitUntilIdle(10000);
    }
    return loader.photo(entry, size);
}

} // namespace

TEST(PhotoCache, StaysWithinItsBoundDroppingTheLeastRecentlyUsed) {
    const std::size_t one = PhotoCache::cost(filled(10, 10));
    struct Step {
        char op; // p: put, f: find (touch)
        const char* file;
        std::vector<const char*> kept; // after the step
    };
    const std::vector<Step> steps = {
        {'p', "a", {"a"}},           {'p', "b", {"a", "b"}},      {'p', "c", {"a", "b", "c"}},
        {'f', "a", {"a", "b", "c"}}, {'p', "d", {"a", "c", "d"}}, // b was least recently used
        {'p', "c", {"a", "c", "d"}},                              // replacing costs nothing extra
        {'p', "e", {"c", "d", "e"}},
    };
    PhotoCache cache(3 * one);
    for (const Step& s : steps) {
        if (s.op == 'p')
            cache.put(key(s.file), filled(10, 10));
        else
            ASSERT_NE(cache.find(key(s.file)), nullptr) << s.file;
        EXPECT_LE(cache.bytes(), cache.maxBytes());
        EXPECT_EQ(cache.count(), s.kept.size()) << s.op << s.file;
        for (const char* k : s.kept)
            EXPECT_TRUE(cache.contains(key(k))) << "after " << s.op << s.file << ": " << k;
    }
    // The same file at another size is another photo.
    EXPECT_FALSE(cache.contains(key("c", 11)));
    // A picture larger than the whole bound is not kept and drops nothing.
    cache.put(key("huge"), filled(100, 100));
    EXPECT_FALSE(cache.contains(key("huge")));
    EXPECT_EQ(cache.count(), 3u);
    // A photo known to be bad is kept as a null image, cheaply.
    cache.put(key("bad"), QImage());
    ASSERT_NE(cache.find(key("bad")), nullptr);
    EXPECT_TRUE(cache.find(key("bad"))->isNull());
    EXPECT_LE(cache.bytes(), cache.maxBytes());
}

TEST(PhotoLoader, AsksNeverWaitAndPhotosComeInOffTheThread) {
    TempDir dir;
    const QString folder = QString::fromStdString(dir.path());
    // Large enough that decoding one takes far longer than asking for all.
    const std::string big = encodeJpeg(testPicture(3000, 4000));
    for (int i = 0; i < 12; ++i)
        writeFile(folder + QStringLiteral("/%1.jpg").arg(1000 + i), big);
    writeFile(folder + QStringLiteral("/bad.jpg"), "not a photo at all");

    PhotoLoader loader(64u * 1024 * 1024, 2);
    loader.rescan(folder);
    ASSERT_EQ(loader.index().size(), 13);
    QSignalSpy ready(&loader, &PhotoLoader::photosReady);

    const QSize size(90, 120);
    QElapsedTimer timer;
    timer.start();
    for (int i = 0; i < 12; ++i) {
        const auto p = loader.photo(QStringLiteral("%1 某人").arg(1000 + i), size);
        EXPECT_EQ(p.status, PhotoLoader::Status::Pending) << i;
        EXPECT_TRUE(p.image.isNull());
    }
    const qint64 asked = timer.elapsed();
    EXPECT_EQ(loader.photo(QStringLiteral("9999 无照片"), size).status, PhotoLoader::Status::None);
    EXPECT_GT(loader.pendingCount(), 0); // still decoding: the asks did not wait
    EXPECT_LT(asked, 50);

    ASSERT_TRUE(loader.waitUntilIdle(60000));
    EXPECT_TRUE(ready.wait(5000) || ready.count() > 0);
    for (int i = 0; i < 12; ++i) {
        const auto p = settled(loader, QStringLiteral("%1").arg(1000 + i), size);
        ASSERT_EQ(p.status, PhotoLoader::Status::Ready) << i;
        EXPECT_EQ(p.image.size(), size);
    }
    EXPECT_EQ(loader.pendingCount(), 0); // the ready ones queued nothing

    // A bad file is tried once and then known to be bad.
    EXPECT_EQ(loader.photo(QStringLiteral("bad"), size).status, PhotoLoader::Status::Pending);
    EXPECT_EQ(settled(loader, QStringLiteral("bad"), size).status, PhotoLoader::Status::None);
    EXPECT_EQ(loader.pendingCount(), 0);
}

TEST(PhotoLoader, PrefetchFillsTheCacheWithinItsBound) {
    TempDir dir;
    const QString folder = QString::fromStdString(dir.path());
    const std::string jpeg = encodeJpeg(testPicture(400, 300));
    QStringList entries;
    for (int i = 0; i < 40; ++i) {
        writeFile(folder + QStringLiteral("/%1.jpg").arg(i), jpeg);
        entries << QStringLiteral("%1 名字").arg(i);
    }
    const QSize size(60, 80);
    const std::size_t one = PhotoCache::cost(QImage(size, QImage::Format_RGB32));
    PhotoLoader loader(10 * one, 2);
    loader.rescan(folder);
    int tries = 0;
    while (!loader.prefetch(entries, size) && tries < 1000)
        ++tries;
    ASSERT_LT(tries, 1000);
    ASSERT_TRUE(loader.waitUntilIdle(60000));
    EXPECT_EQ(loader.cachedCount(), 10u);
    EXPECT_LE(loader.cacheBytes(), 10 * one);
    // The last ones prefetched are the ones kept.
    EXPECT_EQ(settled(loader, entries.back(), size).status, PhotoLoader::Status::Ready);
    EXPECT_EQ(loader.cachedCount(), 10u); // asking for a kept one decodes nothing
    EXPECT_EQ(loader.pendingCount(), 0);

    // A photo only prefetched, when asked for, goes ahead of the prefetches.
    // Larger photos here: forty small ones decode before a loaded machine
    // wakes the asking thread from its millisecond's sleep.
    const std::string larger = encodeJpeg(testPicture(3000, 2250));
    for (int i = 0; i < 40; ++i)
        writeFile(folder + QStringLiteral("/%1.jpg").arg(i), larger);
    loader.setFolder(folder, PhotoIndex::scan(folder));
    const QSize other(30, 40);
    while (!loader.prefetch(entries, other)) {
    }
    (void)loader.photo(entries.back(), other); // last of the 40 prefetched
    QElapsedTimer waited;
    waited.start();
    PhotoLoader::Photo promoted;
    while (waited.elapsed() < 60000 &&
           (promoted = loader.photo(entries.back(), other)).status != PhotoLoader::Status::Ready)
        QThread::msleep(1);
    EXPECT_EQ(promoted.status, PhotoLoader::Status::Ready);
    EXPECT_GT(loader.pendingCount(), 0) << "decoded before the prefetches ahead of it";
    ASSERT_TRUE(loader.waitUntilIdle(60000));

    // A new folder forgets the old photos.
    loader.setFolder(folder, PhotoIndex());
    EXPECT_EQ(loader.cachedCount(), 0u);
    EXPECT_EQ(loader.photo(entries.back(), size).status, PhotoLoader::Status::None);
}
