#pragma once
// The photos a participant list names in its photo column: each cell is a
// file name or a path relative to the list's folder. They are looked at while
// the import window is open (found, missing, refused) and copied into the
// event's photo folder once the import is confirmed, each under the name the
// photo lookup finds for its entry.
//
// The list's photos are read on their UTF-8 paths, as the list itself is:
// they lie outside the event, where Host's paths do not reach, and whether a
// path stays inside the list's folder is only known from the resolved path.
// What the event keeps is written through Host.

#include "pool/entrylist.h"

#include <QHash>
#include <QString>

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

namespace luckdial {

class Host;
class PhotoIndex;

class PhotoImport {
public:
    /// Bytes of one photo: as many as the event's own photos may have.
    static const std::int64_t kMaxFileBytes;
    /// Bytes of every photo of one list together.
    static constexpr std::int64_t kMaxTotalBytes = 4LL * 1024 * 1024 * 1024;

    enum class State {
        Found,
        Missing,  ///< no such file, not a regular file, or unreadable
        Outside,  ///< the path leaves the list's folder
        TooLarge, ///< above kMaxFileBytes
        NotImage, ///< neither JPEG nor PNG by its first bytes
        OverTotal ///< found, but the list's photos together exceed kMaxTotalBytes
    };

    struct Counts {
        int found = 0;
        int missing = 0; ///< every entry whose cell names no usable photo
        int outside = 0;
        int tooLarge = 0;
        int notImage = 0;
        int overTotal = 0;
    };

    /// One photo to copy: from the list's folder into the photo folder.
    struct Copy {
        QString source;   ///< resolved UTF-8 path
        std::string name; ///< the photo's file name in the event (UTF-8)
        std::string ext;  ///< ".jpg", ".jpeg" or ".png", the content's
        std::int64_t size = 0;
    };

    /// listFolder: the folder of the list file (UTF-8 path).
    explicit PhotoImport(const QString& listFolder);

    /// What the cell points at; remembered, so that a window rebuilt on every
    /// key looks at each file once.
    State state(const std::string& cell);

    /// The counts over the entries' photo cells (empty cells are no photo).
    Counts count(const EntryList& list);
    /// The counts as the import window shows them (UTF-8).
    static std::string countsText(const Counts& counts);
    /// The import window's photo line (UTF-8): the photo column's counts when
    /// the list has one, and how many entries the event's photo folder
    /// already has a photo for when it has any; empty when neither.
    std::string windowText(const EntryList& list, const PhotoIndex& existing);

    /// The copies the list asks for, one per photo name (the first entry of a
    /// name wins). existingFiles: the file names now in the photo folder
    /// (UTF-8), so that a photo named after the whole entry is replaced
    /// rather than left to hide the new one.
    std::vector<Copy> plan(const EntryList& list, const std::vector<std::string>& existingFiles);

    /// The name (without extension, UTF-8) the entry's photo takes: its first
    /// word when no other entry of the list starts with that word and no
    /// photo of the whole entry is there, else the whole entry; empty when
    /// neither can be a file name.
    static std::string photoStem(const std::string& entry, bool firstWordShared,
                                 bool wholeEntryPhotoExists);

    /// Copies the planned photos into the event's photo folder through Host:
    /// each is checked again and replaces a photo of its name; other photos of
    /// that name with another extension are removed so that the new one is
    /// the one found. Returns how many were copied. progressed(done, total)
    /// follows each copy.
    int copyInto(Host& host, const std::vector<Copy>& copies,
                 const std::function<void(std::size_t, std::size_t)>& progressed = {});

    /// The file names now in the event's photo folder (UTF-8).
    static std::vector<std::string> existingPhotoFiles(Host& host);

private:
    struct Seen {
        State state = State::Missing;
        QString path;
        std::string ext;
        std::int64_t size = 0;
    };
    const Seen& look(const std::string& cell);
    static Seen inspect(const QString& folder, const std::string& cell);
    Counts survey(const EntryList& list, const std::vector<std::string>& existingFiles,
                  std::vector<Copy>* copies);

    QString folder_; ///< resolved, without a trailing '/'
    QHash<QString, Seen> seen_;
};

} // namespace luckdial
