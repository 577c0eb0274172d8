#pragma once
// The results window: a full-screen page with a title and the results text,
// which scrolls slowly by itself and can be printed; its own pop-up menu sets
// the title, the fonts, the colours and the alignment (stored in peizhi.a).
// ResultsController opens it from the main window and exports the results.

#include "host/host.h"

#include <QDialog>

#include <functional>
#include <memory>
#include <string>

class QAction;
class QLabel;
class QMenu;
class QPrinter;
class QTextEdit;

namespace luckdial {

class MainWindow;
class TransparentLabel;

class ResultsWindow : public QDialog {
    Q_OBJECT
public:
    /// Builds the window from the main window's title and results text and
    /// the stored settings, sized to the screen. Shown by the caller.
    ResultsWindow(Host& host, MainWindow& main, QWidget* parent = nullptr);
    ~ResultsWindow() override;

    TransparentLabel* title() const { return title_; }
    QLabel* separator() const { return separator_; }
    /// 编辑框1, read-only.
    QTextEdit* text() const { return text_; }
    /// The pop-up menu (the hidden top item 打印).
    QMenu* menu() const { return menu_; }
    QAction* alignLeftAction() const { return alignLeft_; }
    QAction* alignCentreAction() const { return alignCentre_; }
    QAction* alignRightAction() const { return alignRight_; }

    FontValue textFont() const { return textFont_; }
    void setTextFont(const FontValue& font);
    int textColour() const { return textColour_; }
    void setTextColour(int colour);
    /// Window and text background; -1 while the design colours apply.
    int backgroundColour() const { return background_; }
    void setBackgroundColour(int colour);
    /// Qt::AlignLeft, Qt::AlignHCenter or Qt::AlignRight of the results text.
    Qt::Alignment textAlignment() const { return alignment_; }

    // Commands of the pop-up menu.
    void editTitle();
    /// 0 left, 1 centred, 2 right; stored as 对齐方式.
    void alignText(int mode);
    void chooseBackground();
    void styleTitle();
    void styleText();
    /// Prints the title, a line break and the results text; false when the
    /// operator cancelled the print dialog.
    bool print();
    /// One tick of the automatic scrolling: one line down.
    void scrollStep();

    /// What print() sends to the printer: the title, "\r\n" and the results
    /// text as the window shows it (each line bounded; a whole line of a
    /// huge entry would be thousands of pages and more than the text layout
    /// takes, while export opens the file with every entry whole).
    std::string printText() const;
    /// Asks the operator to confirm the printer; the print dialog unless a
    /// test replaces it. A hook, because the modal print dialog is the one
    /// step an offscreen test cannot answer and the answer is needed at once.
    std::function<bool(QPrinter&)> confirmPrinter;

    /// Results text size in points when none is stored: about 3% of the
    /// screen height, readable from the back of a hall.
    static int defaultTextPoints(int screenHeight);

protected:
    void mouseDoubleClickEvent(QMouseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void build();
    void buildMenu();
    void loadFrom(MainWindow& main);
    /// The title across the window, the text below it (a page moved to the
    /// console's screen takes that screen's size).
    void fitToSize();
    void applyAlignment(int mode);
    std::string item(const char* section, const char* key);
    void popUp();

    Host& host_;
    TransparentLabel* title_ = nullptr;
    QLabel* separator_ = nullptr;
    QTextEdit* text_ = nullptr;
    QMenu* menu_ = nullptr;
    QAction* alignLeft_ = nullptr;
    QAction* alignCentre_ = nullptr;
    QAction* alignRight_ = nullptr;
    std::unique_ptr<Timer> scrollTimer_;
    FontValue textFont_;
    int textColour_ = 0;
    int background_ = -1;
    Qt::Alignment alignment_ = Qt::AlignHCenter;
    /// The results text as shown: every line bounded by displayLines.
    std::string shownResults_;
};

/// The main window's side of the results: the menu items 查看抽奖结果,
/// 导出抽奖结果 and 导出为Excel... and the two hot keys.
class ResultsController {
public:
    ResultsController(Host& host, MainWindow& window);
    ~ResultsController();

    /// Connects 查看抽奖结果, 导出抽奖结果 and 导出为Excel....
    void connectHandlers();

    /// Opens the results window modally; returns when it closes. Does nothing
    /// while the window is already open.
    void showResults();
    /// Closes the results window if it is open.
    void closeResults();
    bool isOpen() const { return open_ != nullptr; }
    ResultsWindow* openWindow() const { return open_; }

    /// Writes the results text to 抽奖结果.txt and opens the file.
    void exportResults();
    /// Asks where (抽奖结果.xlsx in the program directory first), writes the
    /// results as a spreadsheet of 序号, 中奖者 and 奖项, one row per results
    /// line, and opens it.
    void exportSpreadsheet();

    /// F1: opens the window when it is closed, closes it when it is open
    /// (the second press arrives inside the first one's modal wait).
    void onF1HotKey();
    /// Ctrl+Shift+K: shows 透明标签_开关.
    void onSwitchHotKey();

private:
    /// Opens an exported file; when nothing can show it, says where it is.
    void openOrSayWhere(const std::string& path);

    Host& host_;
    MainWindow& window_;
    ResultsWindow* open_ = nullptr;
};

} // namespace luckdial
