#pragma once
// The draw engine's handlers: the prize-level selector and its progress
// display, the draw run (start, scroll, stop, auto-stop, final draw and the
// closing sequence), the results file and the forfeit command. Everything
// external goes through the Host; the live settings are read from the
// elements at the moment they are needed.

#include "draw/core/drawstate.h"
#include "draw/core/grouprules.h"
#include "draw/core/winners.h"
#include "ui/prizetable.h"

#include <QObject>

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace luckdial {

class Host;
class Timer;
class MainWindow;
struct MainElements;
class FireworksOverlay;

class DrawController : public QObject {
    Q_OBJECT
public:
    DrawController(Host& host, MainWindow& window, DrawState& state);
    ~DrawController() override;

    /// Wires the buttons, the selector, the forfeit menu item, the keyboard
    /// start and the two timers (the picture-mark timer starts at 200 ms).
    void connectHandlers();

    // --- prize-level selector ---------------------------------------------------
    void selectPrizeLevel();
    /// Marks "《有"/"《无" on the browse buttons by the prize pictures on disk.
    void refreshPictureMarks();

    // --- draw run ---------------------------------------------------------------
    /// The whole draw run; returns when it is over (or refused). A start that
    /// arrives while another run scrolls or draws is ignored.
    void startDraw();
    void stopDraw();
    /// What Space does wherever it is pressed (the hall's draw buttons, the
    /// console, a presenter's page key): stops a scroll that runs, otherwise
    /// goes on as pressNext does (the next page, or the next draw); nothing
    /// while the settings panel is open.
    void startOrStop();

    // --- pages of a large draw --------------------------------------------------
    /// The one handler of Space (and of whatever else means "next": a
    /// presenter's clicker, a remote): turns the hall's page while the draw
    /// shown has another, otherwise starts the next draw as startDraw does.
    void pressNext();
    /// Turns the hall to the next page of the draw shown; false when there is
    /// none (the last page, one page, a draw in progress).
    bool nextPage();
    /// The page the hall shows (0-based) and how many the draw shown has
    /// (0: nothing shown, 1: every name on one page).
    int shownPage() const;
    int pageCount() const;
    Timer& pageTurnTimer() { return *pageTurn_; }
    /// True from entering the running state until the winners are written.
    bool drawInProgress() const { return busy_; }
    /// Scroll frames after which a run ends by itself, drawing nobody.
    static constexpr std::int64_t kDefaultFrameLimit = 20000000;
    /// Lets a test reach the limit without twenty million frames.
    void setFrameLimit(std::int64_t frames) { frameLimit_ = frames; }
    std::int64_t frameLimit() const { return frameLimit_; }

    // --- results ------------------------------------------------------------------
    void appendWinner(std::string_view entry);
    /// Sets the selected row's counter to w and shows "<level> 已抽取<w>名".
    void updateProgress(std::int32_t w);
    /// Rewrites the results file from the results text (crash-safe; a failed
    /// write is retried by the next one, which writes the whole text again).
    [[nodiscard]] bool writeResultsFile();
    void announce();

    // --- forfeit --------------------------------------------------------------------
    /// suggested: the text the question proposes (a winner picked on the
    /// console); empty as from the menu.
    void forfeitWinner(const std::string& suggested = {});

    // --- fireworks --------------------------------------------------------------------
    void closeFireworks();
    FireworksOverlay& fireworks() { return fireworks_; }

    Timer& autoStopTimer() { return *autoStop_; }
    DrawGenerator& generator() { return gen_; }

Q_SIGNALS:
    /// A draw run or a forfeit has changed the pool, the counters or the
    /// results text; sent before the results file is rewritten, so that a
    /// record of the new state can be kept first.
    void outcomeRecorded();
    /// The hall shows page `page` (0-based) of `pageCount`.
    void pageShown(int page, int pageCount);
    /// The results file was rewritten after a draw or a forfeit; ok false
    /// when the write failed (the text stays in memory).
    void resultsWritten(bool ok);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    /// The prize row the selector's text names.
    std::optional<int> matchingRow() const;
    std::string levelText() const;
    /// The selector's level is a row whose quota equals its exhausted mark.
    bool levelCompleted() const;
    void setProgressCaption(std::int32_t count);
    void openFireworks();
    DrawInputs drawInputs(std::optional<int> row) const;
    /// Arms the automatic page turn for the draw just shown (or disarms it).
    void armPageTurn();
    /// The row's rule by group as stored; inactive for no row.
    LevelRule levelRule(std::optional<int> row) const;
    /// The seats of the row's level as its winners so far have taken them.
    GroupSeats groupSeats(int row, const LevelRule& rule) const;

    Host& host_;
    MainWindow& window_;
    MainElements& e_;
    DrawState& state_;
    PrizeTable table_;
    FireworksOverlay& fireworks_;
    DrawGenerator gen_;
    std::unique_ptr<Timer> autoStop_;
    std::unique_ptr<Timer> pictureMarks_;
    /// Turns the pages of a draw by itself when the draw options ask for it.
    std::unique_ptr<Timer> pageTurn_;
    /// A Space press on the start button turned a page: its release must
    /// not click the button.
    bool spaceTurnedPage_ = false;
    std::vector<std::string_view> frame_;
    std::int64_t frameLimit_ = kDefaultFrameLimit;
    bool busy_ = false;
    /// The results file's old content has been checked against the results
    /// text (the first rewrite of a run keeps lines it would lose).
    bool resultsFileChecked_ = false;
    bool connected_ = false;
    /// Set while the selector's edit-text change is being handled, so the
    /// activation that follows the same pick does not run the handler twice.
    bool selectorEditHandled_ = false;
};

} // namespace luckdial
