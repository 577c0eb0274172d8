#pragma once
// Keeps every winner the hall has seen on disk, or the operator told that it
// is not: after every draw and forfeit it writes the recovery record (before
// any box of the draw can hold the run up), watches the results file's
// rewrite, tells a failed write at once with a retry, and says when all is
// saved again. The exit save asks it to bring the results file up to date.

#include <QObject>

namespace luckdial {

class Host;
class MainWindow;
class DrawController;
struct DrawState;

class OutcomeSaver : public QObject {
    Q_OBJECT
public:
    OutcomeSaver(Host& host, MainWindow& window, const DrawState& state, DrawController& draw);

    void connectHandlers();
    /// After start-up: a results text recovered from the record that the
    /// results file lacks is written now, so that it is on disk however the
    /// program ends.
    void afterStart();

    /// Rewrites the results file when its last write failed, and the
    /// recovery record when it is behind. True when the results file holds
    /// the whole results text.
    bool saveResults();
    /// The recovery record holds the state after the last draw or forfeit.
    bool recordCurrent() const { return recordCurrent_; }

private:
    void recordOutcome();
    void resultsWritten(bool ok);
    /// The box with its retry, until everything is written or the operator
    /// goes on.
    void tell();
    bool writeRecord();

    Host& host_;
    MainWindow& window_;
    const DrawState& state_;
    DrawController& draw_;
    bool recordCurrent_ = true;
    bool resultsFailed_ = false;
    /// Told of a failure and chose to go on; the all-saved note is due.
    bool operatorWaiting_ = false;
    /// This run's failure has been told and the operator went on: a second
    /// failed write of the same run is not told again.
    bool toldThisRun_ = false;
};

} // namespace luckdial
