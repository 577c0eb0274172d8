#pragma once
// The operator's console: a second window, on the laptop's screen, from
// which a whole event is run while the hall display shows only the draw.
// Every control calls the handler the hall's own control calls, so the two
// windows never disagree.

#include <QPointer>
#include <QWidget>

#include <cstddef>
#include <string>

class QLabel;
class QListWidget;
class QListWidgetItem;
class QPushButton;
class QTabWidget;
class QTimer;

namespace luckdial {

class Host;
class MainWindow;
class DrawController;
struct DrawState;

class OperatorConsole : public QWidget {
    Q_OBJECT
public:
    OperatorConsole(Host& host, MainWindow& hall, DrawState& state, DrawController& draw);
    ~OperatorConsole() override;

    /// Adds a feature's panel as a page of the console's panel tabs (shown
    /// once the first panel is added); the console takes ownership. Panels
    /// are ordinary widgets that call their feature's handlers themselves.
    void addPanel(const QString& title, QWidget* panel);

    /// Reads the level, the progress, the pool and the results again.
    void refresh();
    /// Paints the hall display into the thumbnail now; the time it took in
    /// milliseconds.
    double updateThumbnail();
    /// Thumbnail frames per second while the console is shown; 0 stops them.
    void setThumbnailRate(int framesPerSecond);

    QPushButton* startStopButton() const { return startStop_; }
    QPushButton* forfeitButton() const { return forfeit_; }
    QListWidget* levels() const { return levels_; }
    QListWidget* lastDraw() const { return lastDraw_; }
    QListWidget* allResults() const { return allResults_; }
    QLabel* thumbnail() const { return thumbnail_; }
    QTabWidget* panels() const { return panels_; }

Q_SIGNALS:
    void blackoutRequested();
    void otherScreenRequested();

protected:
    void contextMenuEvent(QContextMenuEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    void showEvent(QShowEvent* event) override;
    void hideEvent(QHideEvent* event) override;

private:
    void build();
    void refreshResults();
    void forfeitSelected();
    QPushButton* commandButton(const char* text, const char* objectName);

    Host& host_;
    MainWindow& hall_;
    DrawState& state_;
    DrawController& draw_;
    QLabel* level_ = nullptr;
    QLabel* progress_ = nullptr;
    QLabel* poolSize_ = nullptr;
    QPushButton* startStop_ = nullptr;
    QPushButton* forfeit_ = nullptr;
    QListWidget* levels_ = nullptr;
    QListWidget* lastDraw_ = nullptr;
    QListWidget* allResults_ = nullptr;
    QLabel* thumbnail_ = nullptr;
    QTabWidget* panels_ = nullptr;
    QTimer* refreshTimer_ = nullptr;
    int thumbnailRate_ = 4;
    int tick_ = 0;
    std::size_t resultsSize_ = static_cast<std::size_t>(-1);
    std::size_t resultRows_ = 0;
};

} // namespace luckdial
