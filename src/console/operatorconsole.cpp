#include "console/operatorconsole.h"

#include "draw/core/drawstate.h"
#include "draw/core/resultrows.h"
#include "draw/drawcontroller.h"
#include "host/core/text.h"
#include "host/host.h"
#include "host/qtext.h"
#include "ui/elements.h"
#include "ui/mainwindow.h"
#include "ui/prizetable.h"

#include <QAction>
#include <QCloseEvent>
#include <QComboBox>
#include <QContextMenuEvent>
#include <QElapsedTimer>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QImage>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPainter>
#include <QPixmap>
#include <QPushButton>
#include <QTabWidget>
#include <QTimer>
#include <QVBoxLayout>

#include <algorithm>
#include <vector>

namespace luckdial {

namespace {

QString u(const char* utf8) {
    return QString::fromUtf8(utf8);
}

constexpr int kRefreshMs = 250;
constexpr int kThumbnailWidth = 384;

} // namespace

OperatorConsole::OperatorConsole(Host& host, MainWindow& hall, DrawState& state,
                                 DrawController& draw)
    : QWidget(nullptr, Qt::Window), host_(host), hall_(hall), state_(state), draw_(draw) {
    setObjectName(u("控制台"));
    setWindowTitle(u("Luckdial 控制台"));
    build();
    refreshTimer_ = new QTimer(this);
    refreshTimer_->setTimerType(Qt::CoarseTimer);
    connect(refreshTimer_, &QTimer::timeout, this, [this] { refresh(); });
    connect(&draw_, &DrawController::outcomeRecorded, this, [this] { refresh(); });
}

OperatorConsole::~OperatorConsole() = default;

QPushButton* OperatorConsole::commandButton(const char* text, const char* objectName) {
    auto* b = new QPushButton(u(text), this);
    b->setObjectName(u(objectName));
    // The keyboard stays with the window: Space and the clicker keys are the
    // draw's, never a click of whichever button was last used.
    b->setFocusPolicy(Qt::NoFocus);
    b->setAutoDefault(false);
    return b;
}

void OperatorConsole::build() {
    MainElements& e = hall_.elements();
    QFont base = font();
    base.setPointSize(11);
    setFont(base);

    level_ = new QLabel(this);
    level_->setObjectName(u("控制台_奖项"));
    QFont big = base;
    big.setPointSize(16);
    big.setBold(true);
    level_->setFont(big);
    progress_ = new QLabel(this);
    progress_->setObjectName(u("控制台_进度"));
    progress_->setFont(big);
    poolSize_ = new QLabel(this);
    poolSize_->setObjectName(u("控制台_名单人数"));

    startStop_ = commandButton("开始", "控制台_开始停止");
    QFont huge = base;
    huge.setPointSize(22);
    huge.setBold(true);
    startStop_->setFont(huge);
    startStop_->setMinimumHeight(80);
    connect(startStop_, &QPushButton::clicked, this, [this] { draw_.startOrStop(); });

    auto list = [this](const char* objectName) {
        auto* l = new QListWidget(this);
        l->setObjectName(u(objectName));
        l->setFocusPolicy(Qt::NoFocus);
        return l;
    };
    levels_ = list("控制台_奖项列表");
    // The hall's selector takes the pick, so its own handler runs.
    connect(levels_, &QListWidget::itemClicked, this, [e](QListWidgetItem* item) {
        if (e.levelCombo && item) e.levelCombo->setEditText(item->text());
    });
    lastDraw_ = list("控制台_本次中奖");
    allResults_ = list("控制台_全部结果");
    forfeit_ = commandButton("所选中奖人放弃", "控制台_放弃");
    connect(forfeit_, &QPushButton::clicked, this, [this] { forfeitSelected(); });

    thumbnail_ = new QLabel(this);
    thumbnail_->setObjectName(u("控制台_大屏预览"));
    thumbnail_->setFixedSize(kThumbnailWidth, kThumbnailWidth * 9 / 16);
    thumbnail_->setAlignment(Qt::AlignCenter);
    thumbnail_->setStyleSheet(QStringLiteral("background: black;"));

    panels_ = new QTabWidget(this);
    panels_->setObjectName(u("控制台_面板"));
    panels_->hide();

    auto menuAction = [](QAction* action) {
        return [action] {
            if (action) action->trigger();
        };
    };
    QPushButton* results = commandButton("查看抽奖结果", "控制台_查看结果");
    connect(results, &QPushButton::clicked, this, menuAction(e.menu.viewResults));
    QPushButton* settings = commandButton("奖项设置", "控制台_奖项设置");
    connect(settings, &QPushButton::clicked, this, menuAction(e.menu.prizeSettings));
    QPushButton* import = commandButton("导入抽奖名单...", "控制台_导入名单");
    connect(import, &QPushButton::clicked, this, menuAction(e.menu.importList));
    QPushButton* menu = commandButton("菜单", "控制台_菜单");
    connect(menu, &QPushButton::clicked, this,
            [this] { host_.popUpMenu(hall_.elements().menu.menu); });
    QPushButton* screen = commandButton("大屏换到另一屏幕", "控制台_换屏");
    connect(screen, &QPushButton::clicked, this, [this] { Q_EMIT otherScreenRequested(); });
    QPushButton* black = commandButton("黑屏 (B)", "控制台_黑屏");
    connect(black, &QPushButton::clicked, this, [this] { Q_EMIT blackoutRequested(); });
    QPushButton* exit = commandButton("退出", "控制台_退出");
    connect(exit, &QPushButton::clicked, this, menuAction(e.menu.exit));

    auto* left = new QVBoxLayout;
    left->addWidget(level_);
    left->addWidget(progress_);
    left->addWidget(poolSize_);
    left->addWidget(startStop_);
    left->addWidget(new QLabel(u("奖项："), this));
    left->addWidget(levels_, 1);

    auto* middle = new QVBoxLayout;
    middle->addWidget(new QLabel(u("本次中奖："), this));
    middle->addWidget(lastDraw_, 1);
    middle->addWidget(new QLabel(u("全部结果（最新在前）："), this));
    middle->addWidget(allResults_, 2);
    middle->addWidget(forfeit_);

    auto* right = new QVBoxLayout;
    right->addWidget(new QLabel(u("大屏幕："), this));
    right->addWidget(thumbnail_);
    auto* commands = new QGridLayout;
    const std::vector<QPushButton*> buttons = {results, settings, import, menu,
                                               screen,  black,    exit};
    for (std::size_t i = 0; i < buttons.size(); ++i)
        commands->addWidget(buttons[i], static_cast<int>(i / 2), static_cast<int>(i % 2));
    right->addLayout(commands);
    right->addWidget(panels_, 1);
    right->addStretch();

    auto* layout = new QHBoxLayout(this);
    layout->addLayout(left, 2);
    layout->addLayout(middle, 3);
    layout->addLayout(right, 3);
}

void OperatorConsole::addPanel(const QString& title, QWidget* panel) {
    if (!panel) return;
    panels_->addTab(panel, title);
    panels_->show();
}

void OperatorConsole::setThumbnailRate(int framesPerSecond) {
    thumbnailRate_ = std::max(0, framesPerSecond);
}

void OperatorConsole::showEvent(QShowEvent* event) {
    QWidget::showEvent(event);
    refresh();
    refreshTimer_->start(kRefreshMs);
}

void OperatorConsole::hideEvent(QHideEvent* event) {
    QWidget::hideEvent(event);
    refreshTimer_->stop();
}

void OperatorConsole::refresh() {
    MainElements& e = hall_.elements();
    const PrizeTable table(e.panel);
    const QString level = e.levelCombo->currentText();
    level_->setText(u("当前奖项：") + (level.isEmpty() ? u("（未选择）") : level));
    if (const std::optional<int> row = table.rowOf(level)) {
        progress_->setText(
            u("已抽取 %1 / %2 名").arg(state_.counter(*row)).arg(qstr(table.quotaText(*row))));
    } else {
        progress_->setText({});
    }
    poolSize_->setText(u("剩余名单：%1 人").arg(static_cast<qulonglong>(hall_.pool().count())));
    startStop_->setText(state_.drawRunning ? u("停止") : u("开始"));

    QStringList names;
    for (QLineEdit* name : e.panel.name)
        if (!name->text().isEmpty()) names << name->text();
    QStringList shown;
    for (int i = 0; i < levels_->count(); ++i)
        shown << levels_->item(i)->text();
    if (shown != names) {
        levels_->clear();
        levels_->addItems(names);
    }
    for (int i = 0; i < levels_->count(); ++i)
        levels_->item(i)->setSelected(levels_->item(i)->text() == level);

    refreshResults();
    if (thumbnailRate_ > 0 && isVisible()) {
        // The refresh ticks four times a second; fewer frames skip ticks.
        const int every = std::max(1, (1000 / kRefreshMs) / thumbnailRate_);
        if (++tick_ % every == 0) updateThumbnail();
    }
}

void OperatorConsole::refreshResults() {
    const std::string& text = hall_.results();
    if (text.size() == resultsSize_) return;
    const bool first = resultsSize_ == static_cast<std::size_t>(-1);
    resultsSize_ = text.size();
    const std::vector<std::vector<std::string>> rows = resultRows(text);
    const QString forfeitMark = u("放弃领奖");
    auto itemOf = [](const std::vector<std::string>& row) {
        const QString winner = QString::fromStdString(row.size() > 1 ? row[1] : std::string());
        const QString prize = QString::fromStdString(row.size() > 2 ? row[2] : std::string());
        auto* item = new QListWidgetItem(prize.isEmpty() ? winner : winner + u("  ——  ") + prize);
        item->setData(Qt::UserRole, winner);
        return item;
    };
    allResults_->clear();
    for (auto it = rows.rbegin(); it != rows.rend(); ++it)
        allResults_->addItem(itemOf(*it));

    // The last draw: the winner lines since the last change. A forfeit adds
    // only its own line and leaves the draw's list as it was.
    const std::size_t before = first || rows.size() < resultRows_ ? rows.size() : resultRows_;
    resultRows_ = rows.size();
    std::vector<const std::vector<std::string>*> added;
    for (std::size_t i = before; i < rows.size(); ++i)
        if (rows[i].size() < 3 || QString::fromStdString(rows[i][2]) != forfeitMark)
            added.push_back(&rows[i]);
    if (!added.empty()) {
        lastDraw_->clear();
        for (const auto* row : added)
            lastDraw_->addItem(itemOf(*row));
    }
}

void OperatorConsole::forfeitSelected() {
    QListWidgetItem* item = lastDraw_->currentItem();
    if (!item || !item->isSelected()) item = allResults_->currentItem();
    const std::string who = item ? gbkOf(item->data(Qt::UserRole).toString()) : std::string();
    draw_.forfeitWinner(who);
}

double OperatorConsole::updateThumbnail() {
    QElapsedTimer clock;
    clock.start();
    const QSize hall = hall_.size();
    if (hall.isEmpty()) return 0;
    const QSize box = thumbnail_->size();
    const QSize size = hall.scaled(box, Qt::KeepAspectRatio);
    QImage image(size, QImage::Format_RGB32);
    image.fill(Qt::black);
    {
        QPainter painter(&image);
        // Painted small rather than grabbed whole and scaled: a fraction of
        // the pixels, so the scroll does not notice it.
        painter.scale(static_cast<double>(size.width()) / hall.width(),
                      static_cast<double>(size.height()) / hall.height());
        hall_.render(&painter);
    }
    thumbnail_->setPixmap(QPixmap::fromImage(image));
    return static_cast<double>(clock.nsecsElapsed()) / 1e6;
}

void OperatorConsole::contextMenuEvent(QContextMenuEvent* event) {
    event->accept();
    host_.popUpMenu(hall_.elements().menu.menu);
}

void OperatorConsole::closeEvent(QCloseEvent* event) {
    // Closing the console never ends the event: it folds away (F2 brings it back).
    event->ignore();
    hide();
}

} // namespace luckdial
