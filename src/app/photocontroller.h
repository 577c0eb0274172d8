#pragma once
// Participants' photos for the hall: finds the event's photo folder, decides
// per level whether its winners show as cards (the level's "照片N" item, or,
// when it has none, whether most of the pool has photos), and keeps the
// winners view and the two menu commands in step with the selected level.
// Whenever the photo folder is read, the photos' small copies are brought up
// to date in the background (smallcopymaker.h), paused while a draw scrolls.

#include <QObject>
#include <QString>

#include <memory>
#include <optional>

namespace luckdial {

class Host;
class MainWindow;
struct MainElements;
class PhotoLoader;
class SmallCopyMaker;

class PhotoController : public QObject {
    Q_OBJECT
public:
    PhotoController(Host& host, MainWindow& window);
    ~PhotoController() override;

    void connectHandlers();
    /// Reads the photo folder and the pool again (at start and after an import).
    void reload();

    PhotoLoader& loader() { return *loader_; }
    SmallCopyMaker& smallCopies() { return *copies_; }
    /// Entries of the pool with a photo (of at most kSampled looked at).
    int entriesWithPhotos() const { return withPhotos_; }
    int entriesLookedAt() const { return lookedAt_; }
    /// Whether the level of prize row 1 to 8 shows cards.
    bool levelShowsPhotos(int row) const;

    /// Entries looked at for the pool's share of photos and decoded ahead
    /// for a scroll with faces: a huge pool is sampled evenly.
    static constexpr int kSampled = 20000;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    std::optional<int> currentRow() const;
    void applyLevel();
    void setLevelPhotos(bool on);
    void setScrollPhotos(bool on);

    Host& host_;
    MainWindow& window_;
    MainElements& e_;
    std::unique_ptr<PhotoLoader> loader_;
    std::unique_ptr<SmallCopyMaker> copies_;
    int withPhotos_ = 0;
    int lookedAt_ = 0;
};

} // namespace luckdial
