#include "app/photoimport.h"

#include "host/core/hostbase.h"
#include "host/core/text.h"
#include "host/host.h"
#include "photos/photoindex.h"
#include "photos/photoloader.h"
#include "settings/core/names.h"

#include <QByteArray>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSet>

#include <unordered_map>
#include <unordered_set>

namespace luckdial {

const std::int64_t PhotoImport::kMaxFileBytes = PhotoLoader::kMaxFileBytes;

namespace {

QString q(const std::string& utf8Text) {
    return QString::fromUtf8(utf8Text.data(), static_cast<qsizetype>(utf8Text.size()));
}

std::string s(const QString& text) {
    const QByteArray bytes = text.toUtf8();
    return {bytes.constData(), static_cast<std::size_t>(bytes.size())};
}

enum class Kind { None, Jpeg, Png };

Kind kindOf(const QByteArray& head) {
    if (head.startsWith("\xFF\xD8\xFF")) return Kind::Jpeg;
    if (head.startsWith("\x89PNG\r\n\x1A\n")) return Kind::Png;
    return Kind::None;
}

/// The extension the copy keeps: the file's own when it says what the
/// content is, else the content's.
std::string extensionFor(Kind kind, const QString& path) {
    const QString suffix = QFileInfo(path).suffix().toLower();
    if (kind == Kind::Png) return ".png";
    return suffix == QLatin1String("jpeg") ? ".jpeg" : ".jpg";
}

bool inside(const QString& path, const QString& folder) {
    return path.size() > folder.size() + 1 && path.startsWith(folder) &&
           path[folder.size()] == QLatin1Char('/');
}

/// A name the photo folder can hold and its scan sees: one path component,
/// not hidden, short enough for any file system with its extension.
bool usableStem(const QString& stem) {
    constexpr qsizetype kMaxStemBytes = 200;
    return !stem.isEmpty() && !stem.contains(QLatin1Char('/')) &&
           !stem.startsWith(QLatin1Char('.')) && stem.toUtf8().size() <= kMaxStemBytes;
}

QString stemOf(const QString& fileName) {
    const qsizetype dot = fileName.lastIndexOf(QLatin1Char('.'));
    return dot <= 0 ? QString() : fileName.left(dot);
}

} // namespace

PhotoImport::PhotoImport(const QString& listFolder) {
    folder_ = QFileInfo(listFolder).canonicalFilePath();
}

PhotoImport::Seen PhotoImport::inspect(const QString& folder, const std::string& cell) {
    Seen seen;
    if (folder.isEmpty()) return seen;
    QString relative = q(cell);
    // Lists made on Windows name sub-folders with backslashes.
    relative.replace(QLatin1Char('\\'), QLatin1Char('/'));
    const QString joined = QDir::cleanPath(QDir(folder).filePath(relative));
    if (!inside(joined, folder)) {
        seen.state = State::Outside;
        return seen;
    }
    // Resolved: a symbolic link out of the folder is as outside as "..".
    const QFileInfo info(joined);
    const QString real = info.canonicalFilePath();
    if (real.isEmpty()) return seen;
    if (!inside(real, folder)) {
        seen.state = State::Outside;
        return seen;
    }
    const QFileInfo target(real);
    if (!target.isFile()) return seen;
    if (target.size() > kMaxFileBytes) {
        seen.state = State::TooLarge;
        return seen;
    }
    QFile file(real);
    if (!file.open(QIODevice::ReadOnly)) return seen;
    const Kind kind = kindOf(file.read(8));
    if (kind == Kind::None) {
        seen.state = State::NotImage;
        return seen;
    }
    seen.state = State::Found;
    seen.path = real;
    seen.ext = extensionFor(kind, joined);
    seen.size = target.size();
    return seen;
}

const PhotoImport::Seen& PhotoImport::look(const std::string& cell) {
    const QString key = q(cell);
    auto it = seen_.find(key);
    if (it == seen_.end()) it = seen_.insert(key, inspect(folder_, cell));
    return *it;
}

PhotoImport::State PhotoImport::state(const std::string& cell) {
    return look(cell).state;
}

std::string PhotoImport::photoStem(const std::string& entry, bool firstWordShared,
                                   bool wholeEntryPhotoExists) {
    const QString whole = q(entry);
    const QString word = PhotoIndex::firstWord(whole);
    if (word != whole && usableStem(word) && !firstWordShared && !wholeEntryPhotoExists)
        return s(word);
    return usableStem(whole) ? s(whole) : std::string();
}

std::vector<PhotoImport::Copy> PhotoImport::plan(const EntryList& list,
                                                 const std::vector<std::string>& existingFiles) {
    std::vector<Copy> copies;
    survey(list, existingFiles, &copies);
    return copies;
}

PhotoImport::Counts PhotoImport::count(const EntryList& list) {
    return survey(list, {}, nullptr);
}

PhotoImport::Counts PhotoImport::survey(const EntryList& list,
                                        const std::vector<std::string>& existingFiles,
                                        std::vector<Copy>* copies) {
    Counts counts;
    if (list.photos.size() != list.entries.size()) return counts;
    // Which first words begin more than one distinct entry.
    std::unordered_map<std::string, std::string> firstOf;
    std::unordered_set<std::string> shared;
    for (const std::string& entry : list.entries) {
        const std::string word = s(PhotoIndex::firstWord(q(entry)));
        auto [it, added] = firstOf.emplace(word, entry);
        if (!added && it->second != entry) shared.insert(word);
    }
    std::unordered_set<std::string> existingStems;
    for (const std::string& name : existingFiles)
        if (PhotoIndex::isPhotoFileName(q(name))) existingStems.insert(s(stemOf(q(name))));

    std::unordered_set<std::string> named;
    QSet<QString> sources;
    std::int64_t total = 0;
    for (std::size_t i = 0; i < list.entries.size(); ++i) {
        const std::string& cell = list.photos[i];
        if (cell.empty()) continue;
        const Seen seen = look(cell); // a copy: the next look may grow the table
        switch (seen.state) {
        case State::Found:
            break;
        case State::Outside:
            ++counts.outside;
            ++counts.missing;
            continue;
        case State::TooLarge:
            ++counts.tooLarge;
            ++counts.missing;
            continue;
        case State::NotImage:
            ++counts.notImage;
            ++counts.missing;
            continue;
        case State::Missing:
        case State::OverTotal:
            ++counts.missing;
            continue;
        }
        const std::string& entry = list.entries[i];
        const std::string word = s(PhotoIndex::firstWord(q(entry)));
        const std::string stem =
            photoStem(entry, shared.count(word) > 0, existingStems.count(entry) > 0);
        if (stem.empty()) {
            ++counts.missing;
            continue;
        }
        if (!named.insert(stem).second) {
            // The same entry again (duplicates kept): it has its photo.
            ++counts.found;
            continue;
        }
        if (!sources.contains(seen.path)) {
            sources.insert(seen.path);
            total += seen.size;
        }
        if (total > kMaxTotalBytes) {
            ++counts.overTotal;
            ++counts.missing;
            named.erase(stem);
            continue;
        }
        ++counts.found;
        if (copies) copies->push_back({seen.path, stem, seen.ext, seen.size});
    }
    return counts;
}

std::string PhotoImport::countsText(const Counts& c) {
    std::string text =
        "照片：找到 " + std::to_string(c.found) + " 张，缺少 " + std::to_string(c.missing) + " 张";
    std::vector<std::string> why;
    if (c.outside > 0) why.push_back("不在名单所在的文件夹里 " + std::to_string(c.outside) + " 张");
    if (c.tooLarge > 0)
        why.push_back("超过 " + std::to_string(kMaxFileBytes / (1024 * 1024)) + " MB 的 " +
                      std::to_string(c.tooLarge) + " 张");
    if (c.notImage > 0)
        why.push_back("不是 JPEG 或 PNG 图片 " + std::to_string(c.notImage) + " 张");
    if (c.overTotal > 0)
        why.push_back("超出照片总量 " + std::to_string(kMaxTotalBytes / (1024 * 1024 * 1024)) +
                      " GB 的 " + std::to_string(c.overTotal) + " 张");
    if (!why.empty()) {
        text += "（其中";
        for (std::size_t i = 0; i < why.size(); ++i)
            text += (i ? "，" : "") + why[i];
        text += "）";
    }
    return text;
}

std::string PhotoImport::windowText(const EntryList& list, const PhotoIndex& existing) {
    std::string text;
    if (!list.photos.empty()) text = countsText(count(list));
    if (!existing.isEmpty()) {
        std::size_t have = 0;
        for (const std::string& entry : list.entries)
            if (existing.find(q(entry))) ++have;
        text += (text.empty() ? "照片：" : "；") + std::string("照片文件夹里已有 ") +
                std::to_string(have) + " 条名单的照片";
    }
    return text;
}

std::vector<std::string> PhotoImport::existingPhotoFiles(Host& host) {
    std::vector<std::string> names;
    const QDir dir(
        QString::fromStdString(HostBase::nativePath(host.path(names::photoDirectory()))));
    if (!dir.exists()) return names;
    for (const QString& name : dir.entryList(QDir::Files | QDir::Hidden | QDir::System))
        names.push_back(s(name));
    return names;
}

int PhotoImport::copyInto(Host& host, const std::vector<Copy>& copies,
                          const std::function<void(std::size_t, std::size_t)>& progressed) {
    if (copies.empty()) return 0;
    const std::string folder = host.path(names::photoDirectory());
    if (!host.fileExists(folder)) (void)host.createDirectory(folder); // a failure fails each write
    const std::vector<std::string> existing = existingPhotoFiles(host);
    std::unordered_map<std::string, std::vector<std::string>> byStem;
    for (const std::string& name : existing)
        if (PhotoIndex::isPhotoFileName(q(name))) byStem[s(stemOf(q(name)))].push_back(name);

    int copied = 0;
    std::size_t done = 0;
    for (const Copy& copy : copies) {
        if (progressed) progressed(done++, copies.size());
        // Looked at again: the file may have changed while the window was open.
        const QString real = QFileInfo(copy.source).canonicalFilePath();
        // Not a file any more (a pipe would block the open): skipped.
        if (real != copy.source || !inside(real, folder_) || !QFileInfo(real).isFile()) continue;
        QFile file(real);
        if (!file.open(QIODevice::ReadOnly)) continue;
        const QByteArray data = file.read(kMaxFileBytes + 1);
        if (data.size() > kMaxFileBytes || kindOf(data.left(8)) == Kind::None) continue;
        const std::string name = copy.name + copy.ext;
        if (!host.writeFile(
                folder + "\\" + gbk(name),
                {std::string_view(data.constData(), static_cast<std::size_t>(data.size()))}))
            continue;
        ++copied;
        // Another photo of the same name would be found before this one.
        for (const std::string& other : byStem[copy.name])
            if (other != name)
                // Left in place it would hide the new photo, no worse than before.
                (void)host.deleteFile(folder + "\\" + gbk(other));
    }
    return copied;
}

} // namespace luckdial
