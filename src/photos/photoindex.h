#pragma once
// Which photo belongs to which entry: a file of the photo folder whose name
// without its extension equals the whole entry or the entry's first word
// (the staff number of "1001 刘伟"). JPEG and PNG files only.

#include <QHash>
#include <QString>
#include <QStringList>

#include <optional>

namespace luckdial {

class PhotoIndex {
public:
    PhotoIndex() = default;
    /// Over the file names of the folder (names only, no directories); other
    /// files are ignored. Of two photos with the same stem the first in name
    /// order wins.
    explicit PhotoIndex(QStringList fileNames);
    /// The photo files of a folder on disk (none when it does not exist).
    static PhotoIndex scan(const QString& folder);

    /// The file name of the entry's photo: the whole entry's first, then its
    /// first word's.
    std::optional<QString> find(const QString& entry) const;
    /// How many of the entries have a photo.
    int countWithPhotos(const QStringList& entries) const;
    int size() const { return static_cast<int>(byStem_.size()); }
    /// The file names of the photos an entry can have, in name order.
    QStringList files() const;
    bool isEmpty() const { return byStem_.isEmpty(); }

    /// True for the extensions a photo may have (.jpg, .jpeg, .png, any case).
    static bool isPhotoFileName(const QString& fileName);
    /// The entry's first word: up to the first space, full-width space or tab.
    static QString firstWord(const QString& entry);

private:
    QHash<QString, QString> byStem_;
};

} // namespace luckdial
