// Photos at hall scale, on a 1920x1080 offscreen window:
//  - photos_scroll_jitter_p99: how far the period between two scroll frames
//    with faces strays from the scroll period, 99th percentile;
//  - photos_cards_after_stop: from the stop until a page of 20 winners'
//    cards shows every photo (none cached before), with the small copies
//    prepared (the normal case at an event) and cold, from the photos;
//  - photos_decode_12mp: one 12-megapixel photo decoded to a card;
//  - photos_prepare_per_file: making one photo's small copy (the work, at
//    normal priority; _idle: on the maker's idle thread, the window idle);
//  - photos_scroll_jitter_p99_preparing: the scroll with faces while the
//    small copies are being prepared;
//  - photos_peak_mb: the process's peak resident memory.
// Usage: luckdial_photos_bench [distinct photos, default 300] [entries, default 10000]

#include "host/core/text.h"
#include "host/qtext.h"
#include "photos/photodecode.h"
#include "photos/photoloader.h"
#include "photos/smallcopy.h"
#include "photos/smallcopymaker.h"
#include "support/tempdir.h"
#include "ui/elements.h"
#include "ui/jpegtools.h"
#include "ui/mainwindow.h"
#include "ui/widgets.h"
#include "ui/winnercards.h"
#include "ui/winnersview.h"

#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QPainter>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <random>
#include <thread>
#include <vector>

#include <sys/resource.h>

using namespace luckdial;

namespace {

/// A phone-like photo: smooth light, a figure, sensor noise (which is what
/// makes a phone photo 2-4 MB).
QImage phonePhoto(int seed) {
    QImage image(4000, 3000, QImage::Format_RGB888);
    std::mt19937 rng(static_cast<unsigned>(seed));
    QPainter p(&image);
    QLinearGradient sky(0, 0, 0, 3000);
    sky.setColorAt(0, QColor::fromHsv(seed * 37 % 360, 90, 230));
    sky.setColorAt(1, QColor::fromHsv(seed * 53 % 360, 120, 90));
    p.fillRect(image.rect(), sky);
    p.setBrush(QColor::fromHsv(seed * 71 % 360, 60, 160));
    p.setPen(Qt::NoPen);
    p.drawEllipse(QPoint(2000, 1100), 520, 650);
    p.drawRoundedRect(1200, 1800, 1600, 1400, 300, 300);
    p.end();
    std::uniform_int_distribution<int> noise(-10, 10);
    for (int y = 0; y < image.height(); ++y) {
        uchar* row = image.scanLine(y);
        for (int x = 0; x < image.width() * 3; ++x)
            row[x] = static_cast<uchar>(std::clamp(row[x] + noise(rng), 0, 255));
    }
    return image;
}

double percentile(std::vector<double> v, double q) {
    if (v.empty()) return 0;
    std::sort(v.begin(), v.end());
    return v[std::min(v.size() - 1, static_cast<std::size_t>(q * (v.size() - 1) + 0.5))];
}

std::string captionOf(const std::vector<QString>& entries, std::mt19937& rng, int n, int columns) {
    std::uniform_int_distribution<std::size_t> pick(0, entries.size() - 1);
    std::string text;
    for (int k = 1; k <= n; ++k) {
        text += gbkOf(entries[pick(rng)]);
        if (k % columns == 0)
            text += "\r\n";
        else if (k < n)
            text += "    ";
    }
    return text;
}

} // namespace

int main(int argc, char** argv) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    const int distinct = argc > 1 ? std::max(1, std::atoi(argv[1])) : 300;
    const int entryCount = argc > 2 ? std::max(1, std::atoi(argv[2])) : 10000;

    TempDir dir;
    const QString folder = QString::fromStdString(dir.path());
    std::vector<std::string> photos;
    double totalBytes = 0;
    for (int i = 0; i < distinct; ++i) {
        const std::string jpeg = luckdial::testing::encodeJpeg(phonePhoto(i));
        totalBytes += static_cast<double>(jpeg.size());
        QFile f(folder + QStringLiteral("/p%1.jpg").arg(i));
        f.open(QIODevice::WriteOnly);
        f.write(jpeg.data(), static_cast<qint64>(jpeg.size()));
        if (i < 3) photos.push_back(jpeg);
    }
    // 10,000 names over the distinct files: a copy per entry would only
    // fill the disk; the index maps each staff number to a file name.
    QStringList files;
    for (int i = 0; i < entryCount; ++i) {
        const QString name = QStringLiteral("%1.jpg").arg(100000 + i);
        QFile::link(folder + QStringLiteral("/p%1.jpg").arg(i % distinct),
                    folder + QLatin1Char('/') + name);
        files << name;
    }
    std::printf("photos: %d distinct, %.1f MB each on average, %d entries\n", distinct,
                totalBytes / distinct / 1e6, entryCount);

    {
        QElapsedTimer t;
        t.start();
        int n = 0;
        for (const std::string& jpeg : photos) {
            (void)decodePhoto(jpeg, photoSize(240));
            ++n;
        }
        std::printf("photos_decode_12mp: %.1f ms (one photo to a 240x320 card, mean of %d)\n",
                    double(t.elapsed()) / n, n);
    }

    MainWindow w;
    w.resize(1920, 1080);
    MainElements& e = w.elements();
    e.winners->setGeometry(0, 300, 1920, 700);
    PhotoLoader loader;
    loader.setFolder(folder, PhotoIndex(files));
    std::vector<QString> entries;
    QStringList all;
    for (int i = 0; i < entryCount; ++i) {
        entries.push_back(QStringLiteral("%1 员工%2").arg(100000 + i).arg(i));
        all << entries.back();
    }
    e.winnersView->setPhotoLoader(&loader);
    e.winnersView->setCardsShown(true);
    e.winnersView->setScrollCards(true);
    e.winnersView->setScrollEntries(all);
    w.show();
    QCoreApplication::processEvents();

    constexpr int kPeriodMs = 40;
    // The scroll, 10 entries a frame, in the draw's own loop (build, paint,
    // wait for what is left of the period).
    auto scroll = [&](bool faces, const char* suffix) {
        e.winnersView->setScrollCards(faces);
        std::mt19937 rng(7);
        constexpr int kFrames = 400;
        e.winnersView->setScrolling(true);
        std::vector<double> jitter;
        auto last = std::chrono::steady_clock::now();
        for (int frame = 0; frame < kFrames; ++frame) {
            const auto start = std::chrono::steady_clock::now();
            if (frame > 0)
                jitter.push_back(std::abs(
                    std::chrono::duration<double, std::milli>(start - last).count() - kPeriodMs));
            last = start;
            e.winners->setCaption(captionOf(entries, rng, 10, 5));
            e.winners->show();
            e.winnersView->layoutNow();
            e.winnersView->repaint();
            QCoreApplication::processEvents();
            const auto spent = std::chrono::steady_clock::now() - start;
            std::this_thread::sleep_for(std::chrono::milliseconds(kPeriodMs) - spent);
        }
        e.winnersView->setScrolling(false);
        std::printf("photos_scroll_jitter_p99%s: %.2f ms (%d frames of 10 %s, period %d ms, "
                    "1920x1080; p50 %.2f ms, max %.2f ms; %zu photos cached)\n",
                    suffix, percentile(jitter, 0.99), kFrames, faces ? "faces" : "names", kPeriodMs,
                    percentile(jitter, 0.5), percentile(jitter, 1.0), loader.cachedCount());
    };
    // The stop: 20 winners whose cards were never decoded at this size.
    auto cardsAfterStop = [&](const std::vector<QString>& winners, const char* suffix,
                              const char* what) {
        std::string label;
        for (int k = 0; k < 20; ++k)
            label += gbkOf(winners[static_cast<std::size_t>(k)]) + (k % 5 == 4 ? "\r\n" : "    ");
        const int copiesBefore = loader.decodedFromCopies();
        QElapsedTimer t;
        t.start();
        e.winners->setCaption(label);
        e.winnersView->layoutNow();
        e.winnersView->repaint();
        const QSize size(e.winnersView->cards().card.width,
                         e.winnersView->cards().card.photoHeight);
        for (;;) {
            int ready = 0;
            for (const QString& winner : winners)
                if (loader.photo(winner, size).status == PhotoLoader::Status::Ready) ++ready;
            if (ready == 20 || t.elapsed() > 20000) break;
            std::this_thread::sleep_for(std::chrono::milliseconds(2));
            QCoreApplication::processEvents();
        }
        e.winnersView->repaint();
        const qint64 elapsed = t.elapsed();
        int none = 0, pending = 0;
        for (const QString& winner : winners) {
            const auto status = loader.photo(winner, size).status;
            none += status == PhotoLoader::Status::None;
            pending += status == PhotoLoader::Status::Pending;
        }
        if (none + pending > 0)
            std::printf("photos not shown: %d without, %d pending\n", none, pending);
        std::printf("photos_cards_after_stop%s: %lld ms (20 cards of %dx%d, none cached, %s; "
                    "%d decodes from small copies)\n",
                    suffix, static_cast<long long>(elapsed), size.width(), size.height(), what,
                    loader.decodedFromCopies() - copiesBefore);
    };
    auto winnersFrom = [&](std::size_t first) {
        return std::vector<QString>(entries.begin() + static_cast<std::ptrdiff_t>(first),
                                    entries.begin() + static_cast<std::ptrdiff_t>(first + 20));
    };

    // The same scroll with names only: what the machine itself gives.
    scroll(false, "_names");
    scroll(true, "");
    // Cold: no small copy anywhere yet, every photo decoded from the original.
    cardsAfterStop(winnersFrom(entries.size() - 20), "_cold", "no small copies");

    // The small copies of the distinct photos: the work itself, on this
    // thread at normal priority.
    QStringList distinctFiles;
    for (int i = 0; i < distinct; ++i)
        distinctFiles << QStringLiteral("p%1.jpg").arg(i);
    {
        QElapsedTimer t;
        t.start();
        const SmallCopyTally done = prepareSmallCopies(folder, distinctFiles);
        std::printf("photos_prepare_per_file: %.1f ms (%d small copies of %dx%d at most in %.1f s, "
                    "%d refused, normal priority)\n",
                    double(t.elapsed()) / std::max(1, done.ready), done.ready,
                    kSmallCopyBound.width(), kSmallCopyBound.height(), t.elapsed() / 1000.0,
                    done.refused);
    }
    // On the maker's idle thread, the window idle: what the machine's other
    // work leaves it.
    SmallCopyMaker maker;
    {
        TempDir few;
        const QString fewFolder = QString::fromStdString(few.path());
        const int n = std::min(distinct, 10);
        for (int i = 0; i < n; ++i)
            QFile::link(folder + QLatin1Char('/') + distinctFiles[i],
                        fewFolder + QLatin1Char('/') + distinctFiles[i]);
        QElapsedTimer t;
        t.start();
        maker.start(fewFolder, distinctFiles.mid(0, n));
        if (!maker.waitUntilIdle(3600 * 1000)) std::printf("small copies: not done in an hour\n");
        std::printf("photos_prepare_per_file_idle: %.1f ms (%d small copies on the idle thread)\n",
                    double(t.elapsed()) / std::max(1, maker.progress().ready),
                    maker.progress().ready);
    }
    // Again, from nothing, while the scroll shows faces not yet decoded (the
    // copies made first are put aside for the prepared case).
    const QString copies = smallCopyFolder(folder);
    const QString aside = folder + QStringLiteral("/aside");
    QDir().rename(copies, aside);
    loader.setFolder(folder, PhotoIndex(files));
    maker.start(folder, distinctFiles);
    scroll(true, "_preparing");
    std::printf("small copies made during that scroll: %d of %d\n", maker.progress().ready,
                distinct);
    maker.stop();
    if (!maker.waitUntilIdle(600 * 1000)) std::printf("small copies: not stopped\n");
    QDir(copies).removeRecursively();
    QDir().rename(aside, copies);

    // Prepared: as at an event whose photos were all prepared at start-up.
    // The 10,000 names share the distinct files, so their copies share the
    // distinct copies (a link under each name's copy name).
    for (int i = 0; i < entryCount; ++i) {
        const QString name = files[i];
        const auto own = currentSmallCopyName(folder, name);
        const auto shared = currentSmallCopyName(folder, distinctFiles[i % distinct]);
        if (own && shared)
            QFile::link(copies + QLatin1Char('/') + *shared, copies + QLatin1Char('/') + *own);
    }
    loader.setFolder(folder, PhotoIndex(files));
    scroll(true, "_prepared");
    cardsAfterStop(winnersFrom(entries.size() / 2), "", "small copies prepared");

    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    std::printf("photos_peak_mb: %.1f MB (cache bound %zu MB, %zu MB used)\n",
                static_cast<double>(usage.ru_maxrss) / 1024.0,
                PhotoLoader::kDefaultCacheBytes >> 20, loader.cacheBytes() >> 20);
    return 0;
}
