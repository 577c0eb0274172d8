#pragma once
// Two screens: the hall display on the hall screen, the operator's console
// on the other, screens that come and go, the clicker keys, the blackout and
// the hidden cursor. With one screen nothing of this shows unless asked for
// (F2), and the hall display is where it always was.

#include "console/core/hallscreen.h"

#include <QObject>
#include <QPoint>
#include <QPointer>

#include <memory>
#include <vector>

class QLayout;
class QScreen;
class QString;
class QWidget;

namespace luckdial {

class Host;
class MainWindow;
class DrawController;
class SettingsController;
class OperatorConsole;
class ClickerFilter;
class CursorHider;
class DrawNamesList;
struct DrawState;

class ConsoleController : public QObject {
    Q_OBJECT
public:
    ConsoleController(Host& host, MainWindow& hall, DrawState& state, DrawController& draw,
                      SettingsController& settings);
    ~ConsoleController() override;

    /// Before the start-up sequence: the hall screen for the host, and with
    /// two screens the console (so that start-up's questions open there).
    void prepare();
    /// Wires the menu items, the keys and the screen notifications.
    void connectHandlers();

    OperatorConsole& console() { return *console_; }
    bool consoleShown() const;
    /// F2 and its menu item.
    void toggleConsole();
    void setConsoleShown(bool shown);
    /// 移到另一屏幕: the hall display on the next screen, remembered.
    void moveToOtherScreen();
    /// B and ".": the hall display black, or back.
    void toggleBlackout();
    bool blackedOut() const;
    /// Places both windows for the screens present now (after a change).
    void screensChanged();

    /// Puts a feature's panel on the console for as long as it is shown. A
    /// panel that already sits in a layout of a window of its own (its home,
    /// used with one screen) goes back there when the console folds away;
    /// one without a home stays on the console for good.
    void lendPanel(const QString& title, QWidget* panel);
    /// Brings the console forward on the page of the panel; false when the
    /// panel is not on the console now (it is at home).
    bool showPanel(QWidget* panel);
    /// The list of every name of the current draw, on the console.
    DrawNamesList& drawNames() { return *drawNames_; }

    /// The screens as the choice sees them.
    static std::vector<ScreenInfo> screenInfos();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    QScreen* chosenHallScreen() const;
    void moveHallTo(QScreen* screen);
    void placeConsole();
    void detachPanel();
    void attachPanel();
    void updateMenu();
    void takePanels();
    void returnPanels();

    Host& host_;
    MainWindow& hall_;
    DrawState& state_;
    DrawController& draw_;
    SettingsController& settings_;
    std::unique_ptr<OperatorConsole> console_;
    std::unique_ptr<ClickerFilter> keys_;
    std::unique_ptr<CursorHider> cursor_;
    QWidget* blackout_ = nullptr;
    QPointer<QScreen> hallScreen_;
    /// The operator folded the console away with two screens present.
    bool consoleHiddenByOperator_ = false;
    bool panelDetached_ = false;
    QPoint panelHome_;
    bool menuHasItems_ = false;
    struct LentPanel {
        QPointer<QWidget> panel;
        QPointer<QWidget> page; ///< what holds it on the console
        QPointer<QWidget> tab;  ///< the console's tab around the page
        QPointer<QWidget> home; ///< its own window (null: none)
        QPointer<QLayout> homeLayout;
        int homeIndex = 0;
    };
    std::vector<LentPanel> lent_;
    DrawNamesList* drawNames_ = nullptr;
};

} // namespace luckdial
