#include "photos/photoindex.h"

#include <QDir>

namespace luckdial {
namespace {

QString stemOf(const QString& fileName) {
    const qsizetype dot = fileName.lastIndexOf(QLatin1Char('.'));
    return dot <= 0 ? QString() : fileName.left(dot);
}

bool isWordBreak(QChar c) {
    return c == QLatin1Char(' ') || c == QLatin1Char('\t') || c == QChar(0x3000);
}

} // namespace

bool PhotoIndex::isPhotoFileName(const QString& fileName) {
    for (const char* ext : {".jpg", ".jpeg", ".png"})
        if (fileName.endsWith(QLatin1String(ext), Qt::CaseInsensitive) &&
            fileName.size() > static_cast<qsizetype>(qstrlen(ext)))
            return true;
    return false;
}

QString PhotoIndex::firstWord(const QString& entry) {
    qsizetype end = 0;
    while (end < entry.size() && !isWordBreak(entry[end]))
        ++end;
    return entry.left(end);
}

PhotoIndex::PhotoIndex(QStringList fileNames) {
    fileNames.sort();
    for (const QString& name : fileNames) {
        if (!isPhotoFileName(name)) continue;
        const QString stem = stemOf(name);
        if (stem.isEmpty() || byStem_.contains(stem)) continue;
        byStem_.insert(stem, name);
    }
}

PhotoIndex PhotoIndex::scan(const QString& folder) {
    const QDir dir(folder);
    if (!dir.exists()) return {};
    return PhotoIndex(dir.entryList(QDir::Files | QDir::Readable));
}

std::optional<QString> PhotoIndex::find(const QString& entry) const {
    if (entry.isEmpty() || byStem_.isEmpty()) return std::nullopt;
    auto it = byStem_.constFind(entry);
    if (it != byStem_.constEnd()) return *it;
    const QString word = firstWord(entry);
    if (word.isEmpty() || word.size() == entry.size()) return std::nullopt;
    it = byStem_.constFind(word);
    if (it != byStem_.constEnd()) return *it;
    return std::nullopt;
}

QStringList PhotoIndex::files() const {
    QStringList out = byStem_.values();
    out.sort();
    return out;
}

int PhotoIndex::countWithPhotos(const QStringList& entries) const {
    int n = 0;
    for (const QString& e : entries)
        if (find(e)) ++n;
    return n;
}

} // namespace luckdial
