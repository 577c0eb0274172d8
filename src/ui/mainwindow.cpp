#include "ui/mainwindow.h"

#include "host/core/text.h"
#include "ui/buttonart.h"
#include "ui/fireworks.h"
#include "ui/jpeg.h"
#include "ui/widgets.h"
#include "ui/winnersview.h"

#include <QAction>
#include <QCheckBox>
#include <QCloseEvent>
#include <QComboBox>
#include <QGroupBox>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMouseEvent>
#include <QPaintEvent>
#include <QPainter>
#include <QPushButton>

#include <algorithm>
#include <vector>

namespace luckdial {
namespace {

constexpr int kWhite = 0xFFFFFF;
constexpr int kYellow = 0x00FFFF; // FFFF00 as red + 256 green + 65536 blue
constexpr int kOrange = 0x0080FF; // FF8000
constexpr int kPanelFontPt = 9;

QString name(const char* utf8Text) {
    return QString::fromUtf8(utf8Text);
}

TransparentLabel* label(QWidget* parent, const char* objectName, QRect geometry, bool visible,
                        const char* text, const FontValue& font, int colour) {
    auto* l = new TransparentLabel(parent);
    l->setObjectName(name(objectName));
    l->setGeometry(geometry);
    l->setFontValue(font);
    l->setTextColour(colour);
    l->setCaption(gbk(text));
    l->setVisible(visible);
    return l;
}

QLineEdit* edit(QWidget* parent, const QString& objectName, QRect geometry, const char* text) {
    auto* e = new QLineEdit(parent);
    e->setObjectName(objectName);
    e->setGeometry(geometry);
    e->setText(name(text));
    e->setFrame(true);
    e->setTextMargins(0, 0, 0, 0);
    return e;
}

QLabel* plainLabel(QWidget* parent, const char* objectName, QRect geometry, const char* text) {
    auto* l = new QLabel(name(text), parent);
    l->setObjectName(name(objectName));
    l->setGeometry(geometry);
    return l;
}

QCheckBox* check(QWidget* parent, const char* objectName, QRect geometry, const char* text) {
    auto* c = new QCheckBox(name(text), parent);
    c->setObjectName(name(objectName));
    c->setGeometry(geometry);
    return c;
}

QPushButton* button(QWidget* parent, const QString& objectName, QRect geometry, const char* text) {
    auto* b = new QPushButton(name(text), parent);
    b->setObjectName(objectName);
    b->setGeometry(geometry);
    b->setAutoDefault(false);
    b->setFocusPolicy(Qt::TabFocus);
    return b;
}

QImage fillPicture(const QImage& picture, QSize size) {
    if (size.isEmpty()) return {};
    const QImage scaled =
        picture.scaled(size, Qt::KeepAspectRatioByExpanding, Qt::SmoothTransformation);
    return scaled.copy((scaled.width() - size.width()) / 2, (scaled.height() - size.height()) / 2,
                       size.width(), size.height());
}

QImage panelIcon() {
    QImage img(16, 16, QImage::Format_ARGB32_Premultiplied);
    img.fill(Qt::transparent);
    QPainter p(&img);
    p.setRenderHint(QPainter::Antialiasing);
    p.setPen(QPen(QColor(120, 60, 0), 1.0));
    p.setBrush(QColor(230, 170, 30));
    p.drawEllipse(QRectF(1.5, 1.5, 13, 13));
    p.setPen(QPen(QColor(150, 0, 0), 2.0));
    p.drawLine(QPointF(8, 4), QPointF(8, 12));
    p.drawLine(QPointF(4, 8), QPointF(12, 8));
    return img;
}

} // namespace

MainWindow::MainWindow(QWidget* parent) : QWidget(parent) {
    installFontSubstitutions();
    setObjectName(QStringLiteral("Luckdial"));
    setWindowTitle(QStringLiteral("Luckdial") + QStringLiteral("Ver4.93"));
    setGeometry(50, 50, 1000, 760);
    setAttribute(Qt::WA_OpaquePaintEvent);
    // A click on the background leaves the keyboard focus where it is (on the
    // start button, so that Space keeps starting draws).
    setFocusPolicy(Qt::NoFocus);
    e_.window = this;
    buildDisplay();
    buildPanel();
    buildMenu();
    e_.winnersView = new WinnersView(e_);
    // Beneath every element: the bursts never hide a title or a name.
    fireworks_ = new FireworksOverlay(this);
}

MainWindow::~MainWindow() {
    // The view watches its neighbours; it goes before they do, so that no
    // event of theirs reaches it half-destroyed.
    delete e_.winnersView;
    e_.winnersView = nullptr;
}

void MainWindow::buildDisplay() {
    // Creation order is the stacking order: the labels lie under the
    // selector, the buttons and the settings panel.
    e_.subTitle = label(this, "透明标签_副标题", {0, 120, 1024, 60}, true,
                        "----------2011年销售现场抽奖活动---------\r\n\r\n",
                        designFont("幼圆", 27, true), kWhite);
    e_.mainTitle = label(this, "透明标签_主标题", {24, 20, 976, 90}, true,
                         "某某公司销售现场抽奖活动", designFont("宋体", 64, true), kWhite);
    e_.prizePicture = new PictureBox(this);
    e_.prizePicture->setObjectName(name("动画框_奖品图片"));
    e_.prizePicture->setGeometry(672, 272, 248, 240);
    e_.prizePicture->hide();
    e_.prizeName = label(this, "透明标签_奖品名称", {728, 400, 270, 0}, false, "",
                         designFont("宋体", 29, true), kYellow);
    e_.congrats = label(this, "透明标签_恭喜", {8, 265, 976, 70}, false, "",
                        designFont("宋体", 48, true), kYellow);
    e_.winners = label(this, "透明标签_中奖人", {64, 340, 920, 70}, true, "",
                       designFont("宋体", 37, true), kYellow);
    e_.levelCaption = label(this, "透明标签_奖项等级", {43, 704, 125, 30}, true, "选择奖项等级：",
                            designFont("宋体", 19, false), kWhite);
    e_.progress = label(this, "透明标签_抽取进度", {312, 704, 48, 30}, true, "",
                        designFont("宋体", 19, true), kOrange);
    // The caption and the progress sit in a row with the selector: read from the left.
    e_.levelCaption->setAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    e_.progress->setAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    // Long titles are drawn smaller rather than cut at the window's edges.
    e_.mainTitle->setShrinkToWindow(true);
    e_.subTitle->setShrinkToWindow(true);
    // The congratulation line spans the window and may lie over the prize
    // picture: its words move beside the picture, and only they take presses.
    e_.congrats->setPressOnTextOnly(true);
    e_.congrats->setKeepClearOf(e_.prizePicture);
    e_.buttonGrip = label(this, "透明标签_按钮移动", {671, 264, 25, 64}, true, "",
                          designFont("宋体", 12, false), kWhite);
    e_.switchMark = label(this, "透明标签_开关", {0, 0, 40, 40}, false, "",
                          designFont("宋体", 12, false), kWhite);

    e_.levelCombo = new QComboBox(this);
    e_.levelCombo->setObjectName(name("组合框1"));
    e_.levelCombo->setEditable(true);
    e_.levelCombo->setInsertPolicy(QComboBox::NoInsert);
    e_.levelCombo->setGeometry(180, 704, 108, 30);
    e_.levelCombo->setFont(toQFont({gbk("宋体"), 12}));
    e_.levelCombo->installEventFilter(this);
    if (e_.levelCombo->lineEdit()) e_.levelCombo->lineEdit()->installEventFilter(this);

    e_.startButton = new PictureButton(startButtonPictures(), this);
    e_.startButton->setObjectName(name("超级按钮_开始"));
    e_.startButton->setGeometry(465, 190, 199, 70);
    e_.stopButton = new PictureButton(stopButtonPictures(), this);
    e_.stopButton->setObjectName(name("超级按钮_停止"));
    e_.stopButton->setGeometry(465, 190, 199, 70);
    // Only the start button moves with Ctrl; the stop button is clicked whatever is held.
    e_.stopButton->setCtrlMoves(false);
    e_.stopButton->hide();

    e_.scratch = new QLineEdit(this);
    e_.scratch->setObjectName(name("编辑框1"));
    e_.scratch->setGeometry(32, 200, 40, 16);
    e_.scratch->hide();
}

void MainWindow::buildPanel() {
    PanelElements& p = e_.panel;
    auto* frame = new PanelFrame(this);
    frame->setObjectName(name("外形框1"));
    frame->setGeometry(16, 144, 347, 452);
    frame->setFont(toQFont({gbk("宋体"), kPanelFontPt}));
    QPalette pal = frame->palette();
    pal.setColor(QPalette::Window, QColor(236, 233, 216));
    pal.setColor(QPalette::WindowText, Qt::black);
    frame->setPalette(pal);
    p.frame = frame;

    auto* icon = new PressLabel({}, frame);
    icon->setObjectName(name("图片框1"));
    icon->setGeometry(4, 3, 16, 16);
    icon->setPixmap(QPixmap::fromImage(panelIcon()));
    p.icon = icon;
    auto* caption = new PressLabel(name("● 奖项设置"), frame);
    caption->setObjectName(name("透明标签2"));
    caption->setGeometry(6, -1, 69, 24);
    // The text starts clear of the icon; the label widens to hold it.
    const int iconRight = icon->geometry().right() + 3 - caption->x();
    caption->setAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    caption->setIndent(iconRight);
    caption->resize(
        std::max(caption->width(),
                 iconRight + caption->fontMetrics().horizontalAdvance(caption->text()) + 2),
        caption->height());
    p.caption = caption;
    auto* closeMark = new PressLabel(name("メ"), frame);
    closeMark->setObjectName(name("标签8"));
    closeMark->setGeometry(323, 3, 20, 17);
    closeMark->setAlignment(Qt::AlignCenter);
    closeMark->setCursor(Qt::PointingHandCursor);
    p.closeMark = closeMark;

    p.group = new QGroupBox(frame);
    p.group->setObjectName(name("分组框1"));
    p.group->setGeometry(2, 20, 342, 428);
    QWidget* g = p.group;

    plainLabel(g, "标签10", {13, 8, 313, 16}, "  奖项    名额  一次抽几名  滚动列数    奖品图片");
    static const int tops[8] = {28, 53, 78, 102, 126, 150, 174, 198};
    static const int columnTops[8] = {27, 52, 77, 101, 125, 149, 173, 197};
    static const int buttonTops[8] = {27, 53, 79, 104, 128, 151, 175, 199};
    static const char* const levels[8] = {"特等奖", "一等奖", "二等奖", "三等奖",
                                          "四等奖", "五等奖", "六等奖", "七等奖"};
    for (int i = 0; i < 8; ++i) {
        const QString n = QString::number(i + 1);
        p.name[i] = edit(g, name("编辑框_奖项") + n, {9, tops[i], 50, 20}, levels[i]);
        p.quota[i] = edit(g, name("编辑框_奖项人数") + n, {72, tops[i], 30, 20}, "");
        p.perDraw[i] = edit(g, name("编辑框_一次抽") + n, {120, tops[i], 40, 20}, "1");
        p.columns[i] = edit(g, name("编辑框_列数") + n, {182, columnTops[i], 40, 20}, "1");
        p.browse[i] =
            button(g, name("按钮_奖项") + n + name("浏览"), {235, buttonTops[i], 40, 20}, "《");
        p.clear[i] = button(g, name("按钮_奖项") + n + name("浏览1"), {277, buttonTops[i], 57, 20},
                            "清除图片");
    }

    plainLabel(g, "标签6", {12, 227, 205, 20}, "奖品图片框显示大小(像素：宽x高)：");
    p.pictureWidth = edit(g, name("编辑框_奖品图片宽"), {234, 226, 28, 20}, "270");
    plainLabel(g, "标签7", {265, 228, 13, 18}, "×");
    p.pictureHeight = edit(g, name("编辑框_奖品图片高"), {282, 226, 28, 20}, "220");
    plainLabel(g, "标签9", {11, 250, 214, 20}, "抽奖时屏幕号码滚动速度(默认30毫秒):");
    p.scrollSpeed = edit(g, name("编辑框_滚动速度"), {234, 251, 53, 20}, "30");
    // The duration field sits in the gap of the check box's caption, above it.
    auto* effects = new GapCheckBox(name("禁用特效(停止滚动后播放特效烟花：       秒)"), g);
    effects->setObjectName(name("选择框_禁用特效"));
    effects->setGeometry(8, 277, 318, 15);
    p.disableEffects = effects;
    p.fireworksTime = edit(g, name("编辑框_烟花时间"), {226, 274, 30, 20}, "4");
    effects->setGapField(p.fireworksTime);
    p.allowRepeat = check(g, "选择框_是否允许重复抽奖", {8, 297, 326, 16},
                          "允许重复抽奖(勾选后，允许号码参与重复抽奖)");
    p.hideButtons = check(g, "选择框_不显示按钮", {8, 317, 326, 16},
                          "不显示开始按钮(勾选后，界面不再显示抽奖按钮)");
    p.autoStop = edit(g, name("编辑框_自动停止"), {8, 338, 36, 18}, "0");
    p.hotKeyLabel =
        plainLabel(g, "标签1", {48, 335, 278, 24}, "秒后自动停止滚动(默认0，点击按钮后停止滚动)");
    p.mask = check(g, "选择框_屏蔽", {8, 362, 134, 16}, "启用号码用*号隐藏");
    p.maskLeft = edit(g, name("编辑框_屏蔽左"), {148, 362, 22, 18}, "4");
    plainLabel(g, "标签2", {175, 359, 16, 24}, "到");
    p.maskRight = edit(g, name("编辑框_屏蔽右"), {193, 362, 22, 18}, "7");
    plainLabel(g, "标签4", {215, 358, 27, 24}, "位用");
    p.maskChars = edit(g, name("编辑框_屏蔽字符"), {243, 362, 41, 18}, "****");
    plainLabel(g, "标签5", {289, 358, 37, 24}, "隐藏");
    // The automatic page turn of a draw shown in pages, left of the save button.
    p.pageTurn = edit(g, name("编辑框_翻页秒数"), {8, 396, 28, 18}, "0");
    p.pageTurn->setToolTip(name("名单分页显示时每页停留的秒数，0 为手动翻页"));
    plainLabel(g, "标签_翻页秒数", {40, 393, 80, 24}, "秒自动翻页");
    p.save = button(g, name("按钮_保存"), {123, 389, 128, 32}, "保存");
    p.save->setEnabled(false);

    // The preset winners lie beyond the group box's right edge: present and
    // reachable with the keyboard, but outside what the panel shows.
    plainLabel(g, "标签3", {392, 16, 169, 30}, "指定中奖人,每奖项可指定3人");
    static const int presetTops[8] = {52, 78, 102, 126, 150, 174, 198, 222};
    static const int presetTops2[8] = {52, 78, 103, 127, 152, 176, 200, 224};
    for (int i = 0; i < 8; ++i) {
        const QString d = QString::number(i + 1);
        p.presetN[i] = edit(g, name("编辑框_中奖人") + d, {374, presetTops[i], 70, 20}, "");
        p.presetNN[i] = edit(g, name("编辑框_中奖人") + d + d, {448, presetTops2[i], 70, 20}, "");
        p.presetNNN[i] =
            edit(g, name("编辑框_中奖人") + d + d + d, {521, presetTops2[i], 70, 20}, "");
    }
    frame->hide();
}

void MainWindow::buildMenu() {
    MenuActions& m = e_.menu;
    m.menu = new QMenu(name("更换"), this);
    m.menu->setObjectName(name("更换"));
    m.menu->menuAction()->setObjectName(name("更换"));
    m.menu->menuAction()->setVisible(false);
    m.menu->setFont(toQFont({gbk("宋体"), 10}));

    auto item = [](QMenu* menu, const char* text, bool checkable = false) {
        QAction* a = menu->addAction(name(text));
        a->setObjectName(name(text));
        a->setCheckable(checkable);
        return a;
    };
    auto sub = [&](const char* text) {
        QMenu* s = m.menu->addMenu(name(text));
        s->setObjectName(name(text));
        s->menuAction()->setObjectName(name(text));
        return s;
    };

    m.changeMainTitle = item(m.menu, "更换主标题");
    m.changeSubTitle = item(m.menu, "更换副标题");
    m.prizeSettings = item(m.menu, "奖项设置");
    m.viewResults = item(m.menu, "查看抽奖结果");
    m.importList = item(m.menu, "导入抽奖名单...");
    m.exportResults = item(m.menu, "导出抽奖结果");
    m.exportSheet = item(m.menu, "导出为Excel...");
    QMenu* background = sub("背景图控制");
    m.changeBackground = item(background, "更换背景图");
    m.removeBackground = item(background, "取消背景图");
    m.solidBackground = item(background, "选择纯色背景");
    QMenu* music = sub("背景音乐控制");
    m.changeMusic = item(music, "更换背景音乐");
    m.musicOn = item(music, "启用背景音乐", true);
    m.musicOff = item(music, "禁用背景音乐", true);
    QMenu* fonts = sub("字体颜色设置");
    m.fontMainTitle = item(fonts, "主标题");
    m.fontSubTitle = item(fonts, "副标题");
    m.fontWinners = item(fonts, "滚动及抽取结果");
    m.fontCongrats = item(fonts, "恭喜提示");
    m.minimise = item(m.menu, "最小化界面");
    QMenu* size = sub("界面大小");
    m.windowMode = item(size, "窗口", true);
    m.fullScreen = item(size, "全屏", true);
    // Two screens: the hall display's screen and the operator's console. The
    // menu shows them only while a second screen is present.
    m.otherScreen = new QAction(name("移到另一屏幕"), size);
    m.otherScreen->setObjectName(name("移到另一屏幕"));
    m.toggleConsole = new QAction(name("显示或隐藏控制台(F2)"), size);
    m.toggleConsole->setObjectName(name("显示或隐藏控制台"));
    m.forfeit = item(m.menu, "当前某中奖人放弃");
    m.reset = item(m.menu, "软件初始化");
    m.update = item(m.menu, "新版本下载");
    m.update->setVisible(false);
    // phone remote
    m.remote = item(m.menu, "手机遥控...");
    m.menu->insertAction(m.forfeit, m.remote);
    // participants' photos
    m.levelPhotos = item(m.menu, "本奖项显示照片", true);
    m.scrollPhotos = item(m.menu, "滚动显示照片", true);
    m.menu->insertAction(m.forfeit, m.levelPhotos);
    m.menu->insertAction(m.forfeit, m.scrollPhotos);
    // Shown once the event turns out to have photos.
    m.levelPhotos->setVisible(false);
    m.scrollPhotos->setVisible(false);
    m.exit = item(m.menu, "退出");
}

void MainWindow::setBackgroundPicture(const std::string& jpegBytes) {
    background_ = jpegBytes.empty() ? QImage() : decodeJpeg(jpegBytes);
    scaledBackground_ = QPixmap();
    update();
}

void MainWindow::setBackgroundColour(int colour) {
    backgroundColour_ = colour;
    update();
}

namespace {

/// The rectangles to fill for a repaint of region. A scroll frame repaints
/// only beneath its names, hundreds of small pieces of the window; they are
/// cut into bands of a few lines, so that each is filled at once by this
/// thread, which draws the names over it next. The raster engine hands a
/// taller fill to its thread pool, and on a busy machine the frame then
/// waits for those threads. A repaint of one rectangle (the whole window
/// under the fireworks) keeps the pool.
std::vector<QRect> fillBands(const QRegion& region) {
    constexpr int kBandLines = 32;
    if (region.rectCount() <= 1) return {region.boundingRect()};
    std::vector<QRect> bands;
    for (const QRect& r : region)
        for (int top = r.top(); top <= r.bottom(); top += kBandLines)
            bands.emplace_back(r.left(), top, r.width(),
                               std::min(kBandLines, r.bottom() + 1 - top));
    return bands;
}

} // namespace

void MainWindow::paintEvent(QPaintEvent* event) {
    QPainter p(this);
    const std::vector<QRect> bands = fillBands(event->region());
    if (background_.isNull()) {
        const QColor colour = toQColor(backgroundColour_);
        for (const QRect& band : bands)
            p.fillRect(band, colour);
        return;
    }
    // The picture fills the window at its own aspect ratio, the overflow cut
    // off evenly at both sides (a stretched picture turns circles into ovals).
    // The scaled copy is kept so that repaints under moving elements only copy pixels.
    if (scaledBackground_.size() != size())
        scaledBackground_ = QPixmap::fromImage(fillPicture(background_, size()));
    for (const QRect& band : bands)
        p.drawPixmap(band, scaledBackground_, band);
}

void MainWindow::mousePressEvent(QMouseEvent* event) {
    // Elements keep their own presses; what arrives here fell on the background.
    if (event->button() == Qt::RightButton) {
        event->accept();
        Q_EMIT backgroundRightPressed();
        return;
    }
    QWidget::mousePressEvent(event);
}

void MainWindow::keyPressEvent(QKeyEvent* event) {
    Q_EMIT keyPressed(event->key());
    event->accept();
}

void MainWindow::closeEvent(QCloseEvent* event) {
    if (onCloseRequested && !onCloseRequested()) {
        event->ignore();
        return;
    }
    event->accept();
}

bool MainWindow::eventFilter(QObject* watched, QEvent* event) {
    const bool onCombo =
        watched == e_.levelCombo || (e_.levelCombo && watched == e_.levelCombo->lineEdit());
    if (onCombo && event->type() == QEvent::KeyPress) {
        auto* key = static_cast<QKeyEvent*>(event);
        // The combo box hands keys on to its edit field, and keys neither of
        // them uses would travel on to the window: report each key once.
        if (inComboKey_) return false;
        Q_EMIT keyPressed(key->key());
        // With the panel closed Space is the keyboard start: it must not also
        // type into the level name, which would then match no level.
        if (key->key() != Qt::Key_Space || (e_.panel.frame && e_.panel.frame->isVisible())) {
            inComboKey_ = true;
            watched->event(event);
            inComboKey_ = false;
        }
        key->accept();
        return true;
    }
    return QWidget::eventFilter(watched, event);
}

} // namespace luckdial
