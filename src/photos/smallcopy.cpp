#include "photos/smallcopy.h"

#include "host/core/replacement.h"
#include "photos/jpeg.h"
#include "photos/photodecode.h"
#include "settings/core/names.h"

#include <QByteArray>
#include <QCryptographicHash>
#include <QDir>
#include <QFile>
#include <QImage>
#include <QSet>

#include <cerrno>
#include <string>

#include <sys/stat.h>
#include <unistd.h>

namespace luckdial {
namespace {

struct FileStamp {
    long long bytes = 0;
    long long modifiedNs = 0;
};

std::optional<FileStamp> stampOf(const QString& path) {
    struct stat st {};
    if (::stat(QFile::encodeName(path).constData(), &st) != 0 || !S_ISREG(st.st_mode))
        return std::nullopt;
    return FileStamp{static_cast<long long>(st.st_size),
                     static_cast<long long>(st.st_mtim.tv_sec) * 1000000000LL + st.st_mtim.tv_nsec};
}

bool writeAll(int fd, const std::string& bytes) {
    std::size_t done = 0;
    while (done < bytes.size()) {
        const ssize_t n = ::write(fd, bytes.data() + done, bytes.size() - done);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) return false;
        done += static_cast<std::size_t>(n);
    }
    return true;
}

} // namespace

QString smallCopyFolder(const QString& photoFolder) {
    return photoFolder + QLatin1Char('/') + QString::fromUtf8(names::kSmallCopyFolder);
}

QString smallCopyName(const QString& fileName, long long bytes, long long modifiedNs) {
    // A hash of the name keeps the copy's name short whatever the photo's
    // name is; the bound is part of it, so copies of another size are stale.
    const QByteArray hash =
        QCryptographicHash::hash(fileName.toUtf8(), QCryptographicHash::Sha1).toHex().left(20);
    return QStringLiteral("%1-%2-%3-%4.jpg")
        .arg(QString::fromLatin1(hash))
        .arg(bytes)
        .arg(modifiedNs)
        .arg(kSmallCopyBound.height());
}

std::optional<QString> currentSmallCopyName(const QString& photoFolder, const QString& fileName) {
    const auto stamp = stampOf(photoFolder + QLatin1Char('/') + fileName);
    if (!stamp) return std::nullopt;
    return smallCopyName(fileName, stamp->bytes, stamp->modifiedNs);
}

std::optional<QString> smallCopyFor(const QString& photoFolder, const QString& fileName,
                                    QSize size) {
    if (size.width() > kSmallCopyBound.width() || size.height() > kSmallCopyBound.height())
        return std::nullopt;
    const auto name = currentSmallCopyName(photoFolder, fileName);
    if (!name) return std::nullopt;
    const QString path = smallCopyFolder(photoFolder) + QLatin1Char('/') + *name;
    if (!stampOf(path)) return std::nullopt;
    return path;
}

SmallCopyPlan planSmallCopies(const QString& photoFolder, const QStringList& photoFiles) {
    SmallCopyPlan plan;
    const QDir copies(smallCopyFolder(photoFolder));
    // Hidden files too: a temporary left by a crash is stale.
    const QStringList existing = copies.exists()
                                     ? copies.entryList(QDir::Files | QDir::Hidden | QDir::System)
                                     : QStringList();
    const QSet<QString> have(existing.begin(), existing.end());
    QSet<QString> wanted;
    for (const QString& photo : photoFiles) {
        const auto name = currentSmallCopyName(photoFolder, photo);
        if (!name) continue;
        wanted.insert(*name);
        if (have.contains(*name))
            ++plan.ready;
        else
            plan.toMake.push_back({photo, *name});
    }
    for (const QString& file : existing)
        if (!wanted.contains(file)) plan.stale.push_back(file);
    return plan;
}

SmallCopyResult makeSmallCopy(const QString& photoFolder, const SmallCopyPlan::Item& item) {
    const QImage image = decodePhotoWithin(
        readPhotoFile(photoFolder + QLatin1Char('/') + item.photo), kSmallCopyBound);
    if (image.isNull()) return SmallCopyResult::Refused;
    const std::string jpeg = compressJpeg(image, kSmallCopyQuality);
    if (jpeg.empty()) return SmallCopyResult::Refused;
    const QString folder = smallCopyFolder(photoFolder);
    if (!QDir().mkpath(folder)) return SmallCopyResult::Unwritable;
    FileReplacement file(QFile::encodeName(folder + QLatin1Char('/') + item.copy).toStdString());
    if (!file.ok() || !writeAll(file.fd(), jpeg) || !file.commit())
        return SmallCopyResult::Unwritable;
    return SmallCopyResult::Made;
}

SmallCopyTally prepareSmallCopies(const QString& photoFolder, const QStringList& photoFiles,
                                  const std::function<bool(const SmallCopyTally&)>& step) {
    SmallCopyTally tally;
    tally.photos = static_cast<int>(photoFiles.size());
    const SmallCopyPlan plan = planSmallCopies(photoFolder, photoFiles);
    tally.ready = plan.ready;
    if (step && !step(tally)) return tally;
    const QString copies = smallCopyFolder(photoFolder);
    for (const QString& file : plan.stale)
        (void)QFile::remove(copies + QLatin1Char('/') + file); // tried again at the next pass
    for (const SmallCopyPlan::Item& item : plan.toMake) {
        switch (makeSmallCopy(photoFolder, item)) {
        case SmallCopyResult::Made:
            ++tally.ready;
            break;
        case SmallCopyResult::Refused:
            ++tally.refused;
            break;
        case SmallCopyResult::Unwritable:
            tally.unwritable = true;
            break;
        }
        if (step && !step(tally)) break;
        if (tally.unwritable) break;
    }
    return tally;
}

} // namespace luckdial
