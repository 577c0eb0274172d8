#pragma once
// Where the display elements stand: the Ctrl-drag that moves them (with their
// companions), the positions kept in the configuration file, and the restore
// at start-up scaled to the screen in use.

#include <QObject>

#include <string>
#include <string_view>

class QWidget;

namespace luckdial {

class Host;
struct MainElements;

/// A stored coordinate scaled from the stored screen size to the current one:
/// floor((stored / storedScreen) * currentScreen), each step in double
/// precision. A stored screen size of 0 or less (missing) leaves it unscaled.
int restoreCoordinate(double stored, int storedScreen, int currentScreen);

class LayoutController : public QObject {
    Q_OBJECT
public:
    LayoutController(Host& host, MainElements& elements);

    /// Attaches the drag handlers to the movable elements.
    void connectHandlers();
    /// Writes the screen size and every element's position (on exit).
    void saveLayout();
    /// Moves the elements to their stored positions, scaled to the screen.
    void restoreLayout();

    /// The drag handler of one movable element: what a left press on it with
    /// the given modifier state (1 Ctrl, 2 Shift, 4 Alt) does.
    void elementPressed(QWidget* element, int modifiers);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    std::string file() const;
    void writePosition(QWidget* element);
    void realignButtonGroup();
    void bringToFront(std::initializer_list<QWidget*> elements);

    Host& host_;
    MainElements& e_;
};

} // namespace luckdial
