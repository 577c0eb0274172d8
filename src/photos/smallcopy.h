#pragma once
// Small copies of the photos, prepared ahead so that a page of winners'
// cards decodes a few hundred kilobytes per card instead of a phone's
// 12 megapixels. Each copy is the photo's portrait crop within
// kSmallCopyBound, as JPEG, in a hidden folder inside the photo folder. A
// copy's name is made of its photo's name, size and modification time: a
// photo replaced under the same name has a copy name of its own, and the
// old copy is stale.

#include <QSize>
#include <QString>
#include <QStringList>

#include <functional>
#include <optional>
#include <vector>

namespace luckdial {

/// The largest a copy is: a card's photo is never taller than two thirds of
/// the window (the title and the congratulation line are above the cards,
/// the selector row under them), 1440 pixels on a 3840x2160 screen. A card
/// larger than this is decoded from the photo itself.
inline constexpr QSize kSmallCopyBound{1080, 1440};
/// The copies' JPEG quality: no visible loss at card sizes.
constexpr int kSmallCopyQuality = 90;

/// The copies' folder of a photo folder (native paths): names::kSmallCopyFolder,
/// hidden, so file managers and the photo index pass it by.
QString smallCopyFolder(const QString& photoFolder);

/// The copy's file name for the photo named `fileName` whose file has
/// `bytes` bytes and was last modified `modifiedNs` nanoseconds after the
/// epoch.
QString smallCopyName(const QString& fileName, long long bytes, long long modifiedNs);

/// The copy's file name of the photo `fileName` of the folder as its file
/// is now; empty when the photo's file is not there.
std::optional<QString> currentSmallCopyName(const QString& photoFolder, const QString& fileName);

/// The copy to decode for a card of `size`: its path when the copy of the
/// photo as it is now exists and is large enough, else empty.
std::optional<QString> smallCopyFor(const QString& photoFolder, const QString& fileName,
                                    QSize size);

/// What a pass over the photo folder has to do.
struct SmallCopyPlan {
    struct Item {
        QString photo; ///< the photo's file name
        QString copy;  ///< the copy's file name
    };
    std::vector<Item> toMake; ///< photos without a current copy, in order
    QStringList stale;        ///< files of the copies' folder no photo has as its copy
    int ready = 0;            ///< photos whose current copy exists
};

/// Compares the photos `photoFiles` of the folder with its copies' folder.
SmallCopyPlan planSmallCopies(const QString& photoFolder, const QStringList& photoFiles);

enum class SmallCopyResult {
    Made,
    Refused,    ///< not a photo that can be shown: no copy, the placeholder stays
    Unwritable, ///< the copy could not be written: the photo is decoded itself
};

/// Decodes the photo, fits its crop within kSmallCopyBound and writes the
/// copy crash-safely (a temporary renamed into place).
SmallCopyResult makeSmallCopy(const QString& photoFolder, const SmallCopyPlan::Item& item);

struct SmallCopyTally {
    int photos = 0;          ///< of the pass
    int ready = 0;           ///< photos with a current copy
    int refused = 0;         ///< photos that cannot be shown
    bool unwritable = false; ///< a copy could not be written: the pass ended
};

/// One pass over the photos `photoFiles` of the folder (every photo of it:
/// the copies of any other are stale): removes the stale copies, then makes
/// the missing ones in order. A copy that cannot be written ends the pass.
/// `step`, when given, sees the tally after the plan and after each photo,
/// and stops the pass by returning false.
SmallCopyTally prepareSmallCopies(const QString& photoFolder, const QStringList& photoFiles,
                                  const std::function<bool(const SmallCopyTally&)>& step = {});

} // namespace luckdial
