#pragma once
// The main window: composes the display elements, the settings panel and the
// pop-up menu tree. It owns no behaviour: the subsystems connect their
// handlers to the signals below and to the elements' own signals.

#include "pool/groupfile.h"
#include "pool/pool.h"
#include "ui/elements.h"

#include <QImage>
#include <QPixmap>
#include <QWidget>

#include <functional>
#include <string>

namespace luckdial {

class FireworksOverlay;

class MainWindow : public QWidget {
    Q_OBJECT
public:
    explicit MainWindow(QWidget* parent = nullptr);
    ~MainWindow() override;

    MainElements& elements() { return e_; }
    /// The participant pool (the hidden pool list 列表框_中转).
    Pool& pool() { return pool_; }
    /// The results text (the hidden edit box 结果), GBK.
    std::string& results() { return results_; }
    /// The groups of the winners in the results text, in draw order; empty
    /// when the pool has no groups.
    std::vector<WinnerGroup>& winnerGroups() { return winnerGroups_; }

    /// Background picture from JPEG bytes; empty or undecodable bytes clear it.
    void setBackgroundPicture(const std::string& jpegBytes);
    bool hasBackgroundPicture() const { return !background_.isNull(); }
    void setBackgroundColour(int colour);
    int backgroundColour() const { return backgroundColour_; }

    /// The fireworks effect over the whole window (hidden until opened);
    /// made with the window, never null.
    FireworksOverlay* fireworks() const { return fireworks_; }

    /// Asked before the window closes; returning false keeps it open. Unset: closes.
    /// A hook rather than a signal: the close event needs the answer before
    /// it returns, and a signal has no result.
    std::function<bool()> onCloseRequested;

Q_SIGNALS:
    /// Right button down on the window background (not on a child element).
    void backgroundRightPressed();
    /// Key down on the main window or on 组合框1 (Qt key code).
    void keyPressed(int key);

protected:
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    MainElements e_;
    Pool pool_;
    std::string results_;
    std::vector<WinnerGroup> winnerGroups_;
    void buildDisplay();
    void buildPanel();
    void buildMenu();

    QImage background_;
    QPixmap scaledBackground_; // background_ at the window's size, made when painted
    int backgroundColour_ = 0x000090;
    FireworksOverlay* fireworks_ = nullptr;
    bool inComboKey_ = false;
};

} // namespace luckdial
