#include "ui/resultswindow.h"

#include "draw/core/grouprules.h"
#include "draw/core/resultrows.h"
#include "host/core/displaytext.h"
#include "host/core/hostbase.h"
#include "host/core/text.h"
#include "host/qtext.h"
#include "settings/core/names.h"
#include "sheet/sheet.h"
#include "ui/elements.h"
#include "ui/mainwindow.h"
#include "ui/textstyles.h"
#include "ui/widgets.h"

#include <QAction>
#include <QActionGroup>
#include <QEvent>
#include <QFontMetrics>
#include <QKeyEvent>
#include <QLabel>
#include <QMenu>
#include <QMouseEvent>
#include <QPageLayout>
#include <QPageSize>
#include <QPrintDialog>
#include <QPrinter>
#include <QResizeEvent>
#include <QScrollBar>
#include <QTextCursor>
#include <QTextDocument>
#include <QTextEdit>

#include <algorithm>
#include <cmath>

namespace luckdial {
namespace {

constexpr int kYellow = 0x00FFFF; // FFFF00 as red + 256 green + 65536 blue
constexpr int kScrollPeriodMs = 500;
constexpr int kPrintPoints = 14;
// The two page offsets of the printout are 100 each, read as tenths of a millimetre.
constexpr double kPrintOffsetMm = 10.0;

QString name(const char* utf8Text) {
    return QString::fromUtf8(utf8Text);
}

/// GBK text with "\r\n" line ends as the text widgets want it.
QString widgetText(const std::string& gbkText) {
    QString s = qstr(gbkText);
    s.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    return s;
}

} // namespace

ResultsWindow::ResultsWindow(Host& host, MainWindow& main, QWidget* parent)
    : QDialog(parent), host_(host) {
    installFontSubstitutions();
    build();
    buildMenu();
    confirmPrinter = [this](QPrinter& printer) {
        QPrintDialog dialog(&printer, this);
        return dialog.exec() == QDialog::Accepted;
    };
    scrollTimer_ = host_.createTimer([this] { scrollStep(); });
    connect(this, &QDialog::finished, this, [this] { scrollTimer_->setPeriod(0); });
    loadFrom(main);
}

ResultsWindow::~ResultsWindow() = default;

void ResultsWindow::build() {
    setWindowFlags(Qt::Window | Qt::FramelessWindowHint);
    setWindowTitle(name("抽奖结果"));
    resize(738, 477);
    // The yellow title needs a dark page to be read from afar; a stored
    // background colour replaces this one.
    QPalette page = palette();
    page.setColor(QPalette::Window, QColor(110, 12, 12));
    setPalette(page);
    setAutoFillBackground(true);

    title_ = new TransparentLabel(this);
    title_->setObjectName(name("透明标签_中奖结果"));
    title_->setGeometry(8, 8, 1000, 128);
    title_->setFontValue(designFont("黑体", 53, true));
    title_->setTextColour(kYellow);
    connect(title_, &TransparentLabel::doubleClicked, this, &QWidget::close);
    connect(title_, &TransparentLabel::rightPressed, this, [this] { popUp(); });

    separator_ = new QLabel(this);
    separator_->setObjectName(name("标签1"));
    separator_->setGeometry(160, 96, 96, 2);
    separator_->setFrameStyle(QFrame::HLine | QFrame::Sunken);

    text_ = new QTextEdit(this);
    text_->setObjectName(name("编辑框1"));
    text_->setGeometry(176, 152, 376, 304);
    text_->setReadOnly(true);
    text_->setUndoRedoEnabled(false);
    text_->setAcceptRichText(false);
    text_->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    text_->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    // Right button and double-click belong to the window, not to the editor.
    text_->setContextMenuPolicy(Qt::PreventContextMenu);
    text_->installEventFilter(this);
    text_->viewport()->installEventFilter(this);
    textFont_.face = gbk("宋体");
    textFont_.size = 9;
    setTextFont(textFont_);
    setTextColour(0);
}

void ResultsWindow::buildMenu() {
    menu_ = new QMenu(name("打印"), this);
    menu_->setObjectName(name("打印"));
    menu_->menuAction()->setObjectName(name("打印"));
    menu_->menuAction()->setVisible(false);
    menu_->setFont(toQFont({gbk("宋体"), 10}));

    auto item = [](QMenu* menu, const char* text) {
        QAction* a = menu->addAction(name(text));
        a->setObjectName(name(text));
        return a;
    };
    auto sub = [this](const char* text) {
        QMenu* s = menu_->addMenu(name(text));
        s->setObjectName(name(text));
        s->menuAction()->setObjectName(name(text));
        return s;
    };

    connect(item(menu_, "打印抽奖结果"), &QAction::triggered, this, [this] { print(); });
    connect(item(menu_, "抽奖结果字体颜色"), &QAction::triggered, this, [this] { styleText(); });
    connect(item(menu_, "背景颜色"), &QAction::triggered, this, [this] { chooseBackground(); });
    QMenu* titleMenu = sub("标题");
    connect(item(titleMenu, "抽奖结果标题"), &QAction::triggered, this, [this] { editTitle(); });
    connect(item(titleMenu, "标题字体颜色"), &QAction::triggered, this, [this] { styleTitle(); });
    QMenu* alignMenu = sub("对齐方式");
    auto* group = new QActionGroup(alignMenu);
    group->setExclusive(true);
    alignLeft_ = item(alignMenu, "左对齐");
    alignCentre_ = item(alignMenu, "居中");
    alignRight_ = item(alignMenu, "右对齐");
    for (QAction* a : {alignLeft_, alignCentre_, alignRight_}) {
        a->setCheckable(true);
        group->addAction(a);
    }
    alignCentre_->setChecked(true);
    connect(alignLeft_, &QAction::triggered, this, [this] { alignText(0); });
    connect(alignCentre_, &QAction::triggered, this, [this] { alignText(1); });
    connect(alignRight_, &QAction::triggered, this, [this] { alignText(2); });
    connect(item(menu_, "关闭"), &QAction::triggered, this, &QWidget::close);
}

std::string ResultsWindow::item(const char* section, const char* key) {
    return host_.readItem(host_.path(names::kConfigFile), section, gbk(key));
}

void ResultsWindow::loadFrom(MainWindow& main) {
    const int w = host_.screenWidth();
    const int h = host_.screenHeight();
    setGeometry(host_.screenLeft(), host_.screenTop(), w, h);

    title_->setGeometry(0, 5, w, title_->height());
    title_->setShrinkToWindow(true);
    title_->setCaption(main.elements().mainTitle->caption() + gbk("抽奖结果"));

    fitToSize();
    // Each line bounded as everywhere else on screen; the results file itself
    // (what export opens) keeps every entry whole. An event with groups shows
    // each winner's group after the prize, as the export's column 分组 does.
    const std::vector<WinnerGroup>& groups = main.winnerGroups();
    const bool grouped = std::any_of(groups.begin(), groups.end(),
                                     [](const WinnerGroup& w) { return !w.group.empty(); });
    shownResults_ =
        grouped ? resultsWithGroups(main.results(), groups) : displayLines(main.results());
    text_->setPlainText(widgetText(shownResults_));

    scrollTimer_->setPeriod(kScrollPeriodMs);

    const std::string alignment = item(names::kGeneral, "对齐方式");
    if (alignment == "0")
        applyAlignment(0);
    else if (alignment == "2")
        applyAlignment(2);
    else
        applyAlignment(1);

    FontValue font = textFont_;
    if (const std::string face = item(names::kColours, "结果字体"); !face.empty()) font.face = face;
    if (const std::string size = item(names::kColours, "结果字体大小"); !size.empty())
        font.size = toInt(size);
    else
        font.size = defaultTextPoints(h);
    setTextFont(font);
    if (const std::string colour = item(names::kColours, "结果字体颜色"); !colour.empty())
        setTextColour(toInt(colour));

    if (const std::string caption = item(names::kGeneral, "cjjgbt"); !caption.empty())
        title_->setCaption(caption);

    FontValue titleFont = title_->fontValue();
    if (const std::string face = item(names::kColours, "结果标题字体"); !face.empty())
        titleFont.face = face;
    if (const std::string size = item(names::kColours, "结果标题字体大小"); !size.empty())
        titleFont.size = toInt(size);
    title_->setFontValue(titleFont);
    if (const std::string colour = item(names::kColours, "结果标题字体颜色"); !colour.empty())
        title_->setTextColour(toInt(colour));

    if (const std::string colour = item(names::kColours, "结果背景颜色"); !colour.empty())
        setBackgroundColour(toInt(colour));

    separator_->setGeometry(0, title_->y() + title_->height(), title_->width(),
                            separator_->height());
}

void ResultsWindow::fitToSize() {
    title_->setGeometry(0, 5, width(), title_->height());
    const int titleHeight = title_->height();
    text_->setGeometry(5, titleHeight + 10, width() - 10, height() - titleHeight - 12);
    separator_->setGeometry(0, title_->y() + title_->height(), title_->width(),
                            separator_->height());
}

void ResultsWindow::resizeEvent(QResizeEvent* event) {
    QDialog::resizeEvent(event);
    if (title_ && text_ && separator_) fitToSize();
}

int ResultsWindow::defaultTextPoints(int screenHeight) {
    return std::max(9, pixelsToPoints(static_cast<int>(std::lround(screenHeight * 0.03))));
}

void ResultsWindow::setTextFont(const FontValue& font) {
    textFont_ = font;
    const QFont f = toQFont(font);
    text_->setFont(f);
    text_->document()->setDefaultFont(f);
    // The lower arrow of the scroll bar moves the text by one line.
    text_->verticalScrollBar()->setSingleStep(std::max(1, QFontMetrics(f).lineSpacing()));
}

void ResultsWindow::setTextColour(int colour) {
    textColour_ = colour;
    QPalette p = text_->palette();
    p.setColor(QPalette::Text, toQColor(colour));
    text_->setPalette(p);
}

void ResultsWindow::setBackgroundColour(int colour) {
    background_ = colour;
    QPalette window = palette();
    window.setColor(QPalette::Window, toQColor(colour));
    setPalette(window);
    setAutoFillBackground(true);
    QPalette text = text_->palette();
    text.setColor(QPalette::Base, toQColor(colour));
    text_->setPalette(text);
}

void ResultsWindow::applyAlignment(int mode) {
    alignment_ = mode == 0 ? Qt::AlignLeft : mode == 2 ? Qt::AlignRight : Qt::AlignHCenter;
    QTextCursor cursor(text_->document());
    cursor.select(QTextCursor::Document);
    QTextBlockFormat format;
    format.setAlignment(alignment_);
    cursor.mergeBlockFormat(format);
    alignLeft_->setChecked(mode == 0);
    alignCentre_->setChecked(mode != 0 && mode != 2);
    alignRight_->setChecked(mode == 2);
}

void ResultsWindow::alignText(int mode) {
    applyAlignment(mode);
    // The choice holds for the session even when it cannot be stored.
    (void)host_.writeItem(host_.path(names::kConfigFile), names::kGeneral, gbk("对齐方式"),
                          mode == 0   ? "0"
                          : mode == 2 ? "2"
                                      : "1");
}

void ResultsWindow::editTitle() {
    const std::string prompt = gbk("请输入抽奖结果显示标题");
    const std::optional<std::string> entered =
        host_.inputBox(prompt, prompt, item(names::kGeneral, "cjjgbt"));
    if (!entered) return;
    (void)host_.writeItem(host_.path(names::kConfigFile), names::kGeneral, "cjjgbt", *entered);
    title_->setCaption(*entered);
}

void ResultsWindow::chooseBackground() {
    const std::optional<int> colour = host_.colourDialog(background_ >= 0 ? background_ : 0);
    if (!colour) return;
    setBackgroundColour(*colour);
    (void)host_.writeItem(host_.path(names::kConfigFile), names::kColours, gbk("结果背景颜色"),
                          toText(static_cast<long long>(*colour)));
}

void ResultsWindow::styleTitle() {
    runStyleCommand(host_, gbk("结果标题"), styleTarget(*title_));
}

void ResultsWindow::styleText() {
    StyleTarget target{[this] { return textFont(); },
                       [this](const FontValue& f) { setTextFont(f); },
                       [this] { return textColour(); }, [this](int c) { setTextColour(c); }};
    runStyleCommand(host_, gbk("结果"), target);
}

std::string ResultsWindow::printText() const {
    return title_->caption() + "\r\n" + shownResults_;
}

bool ResultsWindow::print() {
    QPrinter printer(QPrinter::HighResolution);
    printer.setPageSize(QPageSize(QPageSize::A4));
    printer.setPageOrientation(QPageLayout::Portrait);
    if (!confirmPrinter || !confirmPrinter(printer)) return false;

    printer.setPageMargins(
        QMarginsF(kPrintOffsetMm, kPrintOffsetMm, kPrintOffsetMm, kPrintOffsetMm),
        QPageLayout::Millimeter);
    QFont font = toQFont(textFont_);
    font.setPointSize(kPrintPoints);
    QTextDocument document;
    document.setDefaultFont(font);
    document.setPlainText(widgetText(printText()));
    document.print(&printer);
    return true;
}

void ResultsWindow::scrollStep() {
    // To the top of the line after the one at the top, so that no line
    // stands cut in half there (lines of CJK fallback faces are not all one
    // height, and the text starts below a margin).
    QScrollBar* bar = text_->verticalScrollBar();
    // The probe point lies below the margin above the first line.
    const int margin = static_cast<int>(std::ceil(text_->document()->documentMargin()));
    QTextCursor line = text_->cursorForPosition(QPoint(1, std::max(1, margin - bar->value() + 1)));
    if (!line.movePosition(QTextCursor::Down)) return;
    bar->setValue(bar->value() + text_->cursorRect(line).top());
}

void ResultsWindow::keyPressEvent(QKeyEvent* event) {
    // Closed only by a double-click, 关闭 and F1: a stray key (Escape) must
    // not take the page off the screen.
    event->accept();
}

void ResultsWindow::popUp() {
    host_.popUpMenu(menu_);
}

void ResultsWindow::mouseDoubleClickEvent(QMouseEvent* event) {
    event->accept();
    close();
}

bool ResultsWindow::eventFilter(QObject* watched, QEvent* event) {
    if (watched == text_ || watched == text_->viewport()) {
        if (event->type() == QEvent::MouseButtonDblClick) {
            close();
            return true;
        }
        if (event->type() == QEvent::MouseButtonPress &&
            static_cast<QMouseEvent*>(event)->button() == Qt::RightButton) {
            popUp();
            return true;
        }
    }
    return QDialog::eventFilter(watched, event);
}

// --- the main window's side -----------------------------------------------------------

ResultsController::ResultsController(Host& host, MainWindow& window)
    : host_(host), window_(window) {}

ResultsController::~ResultsController() = default;

void ResultsController::connectHandlers() {
    const MenuActions& m = window_.elements().menu;
    QObject::connect(m.viewResults, &QAction::triggered, &window_, [this] { showResults(); });
    QObject::connect(m.exportResults, &QAction::triggered, &window_, [this] { exportResults(); });
    QObject::connect(m.exportSheet, &QAction::triggered, &window_, [this] { exportSpreadsheet(); });
}

void ResultsController::showResults() {
    // A second request while the modal wait runs finds the window open.
    if (open_) return;
    ResultsWindow window(host_, window_, &window_);
    open_ = &window;
    window.exec();
    open_ = nullptr;
}

void ResultsController::closeResults() {
    if (open_) open_->close();
}

void ResultsController::exportResults() {
    // The file is replaced, not deleted first: a failed write keeps the
    // results that were exported before.
    const std::string path = host_.path(names::resultsFile());
    if (!host_.writeFile(path, window_.results())) {
        // Opening the file now would show older results as if they were the export.
        host_.messageBox(gbk("抽奖结果导出失败，请检查磁盘或文件权限！"), MbOk | MbIconWarning,
                         gbk("提示"));
        return;
    }
    openOrSayWhere(path);
}

void ResultsController::exportSpreadsheet() {
    const std::optional<std::string> chosen = host_.saveFileDialog(
        gbk("Excel 工作簿(*.xlsx)|*.xlsx"), host_.path(names::resultsWorkbookFile()));
    if (!chosen) return;
    // A name typed without the extension would give a file no program opens as a workbook.
    std::string path = *chosen;
    const std::string extension = ".xlsx";
    std::string tail = path.size() >= extension.size() ? path.substr(path.size() - extension.size())
                                                       : std::string();
    for (char& c : tail)
        if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
    if (tail != extension) path += extension;

    std::vector<std::string> columns = resultColumns();
    std::vector<std::vector<std::string>> rows = resultRows(window_.results());
    // An event with groups says each winner's group.
    if (!window_.winnerGroups().empty()) addGroupColumn(columns, rows, window_.winnerGroups());
    if (!sheet::writeXlsx(HostBase::nativePath(path), "抽奖结果", columns, rows)) {
        // As the text export: the file is not opened, so nothing older passes for the export.
        host_.messageBox(gbk("抽奖结果导出失败，请检查磁盘或文件权限！"), MbOk | MbIconWarning,
                         gbk("提示"));
        return;
    }
    openOrSayWhere(path);
}

void ResultsController::openOrSayWhere(const std::string& path) {
    if (host_.openWithShell(path)) return;
    // Written but not shown: say where the file is so the operator can open it.
    std::string where = path;
    std::replace(where.begin(), where.end(), '\\', '/');
    host_.messageBox(gbk("抽奖结果已导出到文件：\r\n") + where +
                         gbk("\r\n\r\n本机没有能打开此文件的程序，请到该位置打开它。"),
                     MbOk | MbIconInformation, gbk("提示"));
}

void ResultsController::onF1HotKey() {
    // The window is modal: showResults() returns once it is closed, by the
    // operator or by a second press arriving inside its wait.
    showResults();
    closeResults();
}

void ResultsController::onSwitchHotKey() {
    window_.elements().switchMark->setVisible(true);
}

} // namespace luckdial
