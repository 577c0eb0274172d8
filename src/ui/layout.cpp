#include "ui/layout.h"

#include "host/core/text.h"
#include "host/host.h"
#include "settings/core/names.h"
#include "ui/elements.h"
#include "ui/widgets.h"

#include <QComboBox>
#include <QGroupBox>
#include <QLineEdit>
#include <QMouseEvent>

#include <algorithm>
#include <cmath>
#include <limits>

namespace luckdial {
namespace {

int clampToInt(double v) {
    if (!(v == v)) return 0; // NaN
    constexpr double lo = std::numeric_limits<int>::min();
    constexpr double hi = std::numeric_limits<int>::max();
    return static_cast<int>(std::clamp(v, lo, hi));
}

} // namespace

int restoreCoordinate(double stored, int storedScreen, int currentScreen) {
    if (storedScreen <= 0) return clampToInt(std::trunc(stored));
    // Each step is rounded to a double before the next: 29 / 800 * 800 is
    // 28.999999999999996 and restores as 28.
    const double quotient = stored / storedScreen;
    const double scaled = quotient * currentScreen;
    return clampToInt(std::floor(scaled));
}

LayoutController::LayoutController(Host& host, MainElements& elements)
    : host_(host), e_(elements) {}

std::string LayoutController::file() const {
    return host_.path(names::kConfigFile);
}

namespace {

/// The key prefix of a movable element; three differ from the element's name.
const char* prefixOf(const MainElements& e, const QWidget* w) {
    if (w == e.mainTitle) return "标签1";
    if (w == e.subTitle) return "标签2";
    if (w == e.winners) return "标签_中奖人";
    if (w == e.congrats) return "透明标签_恭喜";
    if (w == e.levelCombo) return "组合框1";
    if (w == e.progress) return "透明标签_抽取进度";
    if (w == e.levelCaption) return "透明标签_奖项等级";
    if (w == e.startButton) return "超级按钮_开始";
    if (w == e.stopButton) return "超级按钮_停止";
    if (w == e.buttonGrip) return "透明标签_按钮移动";
    if (w == e.prizePicture) return "动画框_奖品图片";
    return nullptr;
}

std::string key(const char* prefix, bool left) {
    return gbk(std::string(prefix) + (left ? "左边" : "顶边"));
}

} // namespace

void LayoutController::writePosition(QWidget* element) {
    const char* prefix = prefixOf(e_, element);
    if (!prefix) return;
    // A position that cannot be stored is only lost at the next start.
    (void)host_.writeItem(file(), names::kPositions, key(prefix, true),
                          std::to_string(element->x()));
    (void)host_.writeItem(file(), names::kPositions, key(prefix, false),
                          std::to_string(element->y()));
}

void LayoutController::realignButtonGroup() {
    QWidget* start = e_.startButton;
    QWidget* stop = e_.stopButton;
    QWidget* grip = e_.buttonGrip;
    grip->move(grip->x(), start->y());
    grip->move(start->x() + start->width(), grip->y());
    stop->move(stop->x(), grip->y());
    stop->move(grip->x() - stop->width(), stop->y());
}

void LayoutController::bringToFront(std::initializer_list<QWidget*> elements) {
    for (QWidget* w : elements)
        host_.bringToFront(w);
}

void LayoutController::elementPressed(QWidget* element, int modifiers) {
    const bool focusFirst = element == e_.congrats || element == e_.levelCaption ||
                            element == e_.levelCombo || element == e_.mainTitle ||
                            element == e_.subTitle || element == e_.winners;
    if (focusFirst) e_.startButton->setFocus();
    if (modifiers == 1) {
        if (element == e_.startButton || element == e_.buttonGrip) {
            // The grip moves the start button; stop button and grip then snap to it.
            host_.beginMove(e_.startButton);
            realignButtonGroup();
            writePosition(e_.startButton);
            writePosition(e_.stopButton);
            writePosition(e_.buttonGrip);
        } else if (prefixOf(e_, element)) {
            host_.beginMove(element);
            if (element == e_.prizePicture)
                e_.prizeName->move(element->x(), element->y() - e_.prizeName->height());
            writePosition(element);
            if (element == e_.mainTitle || element == e_.subTitle)
                bringToFront({e_.panel.group});
            else if (element == e_.winners)
                bringToFront({e_.panel.group, e_.levelCombo, e_.startButton, e_.stopButton});
            else if (element == e_.congrats)
                bringToFront({e_.panel.group, e_.levelCombo});
        }
    }
    if (element == e_.prizePicture) e_.startButton->setFocus();
}

void LayoutController::connectHandlers() {
    for (TransparentLabel* label : {e_.mainTitle, e_.subTitle, e_.winners, e_.congrats,
                                    e_.levelCaption, e_.progress, e_.buttonGrip}) {
        connect(label, &TransparentLabel::leftPressed, this,
                [this, label](int modifiers) { elementPressed(label, modifiers); });
    }
    connect(e_.prizePicture, &PictureBox::leftPressed, this,
            [this](int modifiers) { elementPressed(e_.prizePicture, modifiers); });
    connect(e_.startButton, &PictureButton::leftPressed, this,
            [this](int modifiers) { elementPressed(e_.startButton, modifiers); });
    e_.levelCombo->installEventFilter(this);
    if (e_.levelCombo->lineEdit()) e_.levelCombo->lineEdit()->installEventFilter(this);
}

bool LayoutController::eventFilter(QObject* watched, QEvent* event) {
    const bool onCombo = watched == e_.levelCombo ||
                         (e_.levelCombo->lineEdit() && watched == e_.levelCombo->lineEdit());
    if (onCombo && event->type() == QEvent::MouseButtonPress) {
        auto* mouse = static_cast<QMouseEvent*>(event);
        if (mouse->button() == Qt::LeftButton) {
            const int modifiers = modifierState(mouse->modifiers());
            elementPressed(e_.levelCombo, modifiers);
            // A move gesture neither opens the list nor places the cursor.
            return modifiers == 1;
        }
    }
    return QObject::eventFilter(watched, event);
}

void LayoutController::saveLayout() {
    const std::string f = file();
    // Saved on close: a failed write must not keep the window open.
    (void)host_.writeItem(f, names::kScreen, gbk("屏幕宽度"), std::to_string(host_.screenWidth()));
    (void)host_.writeItem(f, names::kScreen, gbk("屏幕高度"), std::to_string(host_.screenHeight()));
    for (QWidget* w : {static_cast<QWidget*>(e_.mainTitle), static_cast<QWidget*>(e_.subTitle),
                       static_cast<QWidget*>(e_.startButton), static_cast<QWidget*>(e_.stopButton),
                       static_cast<QWidget*>(e_.buttonGrip), static_cast<QWidget*>(e_.congrats),
                       static_cast<QWidget*>(e_.winners), static_cast<QWidget*>(e_.prizePicture),
                       static_cast<QWidget*>(e_.levelCaption), static_cast<QWidget*>(e_.levelCombo),
                       static_cast<QWidget*>(e_.progress)})
        writePosition(w);
}

void LayoutController::restoreLayout() {
    const std::string f = file();
    const int storedW = toInt(host_.readItem(f, names::kScreen, gbk("屏幕宽度")));
    const int storedH = toInt(host_.readItem(f, names::kScreen, gbk("屏幕高度")));
    const int screenW = host_.screenWidth();
    const int screenH = host_.screenHeight();

    auto read = [&](QWidget* w, bool left) {
        return host_.readItem(f, names::kPositions, key(prefixOf(e_, w), left));
    };
    auto place = [&](QWidget* w, bool left, const std::string& text) {
        const double stored = toNumber(text);
        if (left)
            w->move(restoreCoordinate(stored, storedW, screenW), w->y());
        else
            w->move(w->x(), restoreCoordinate(stored, storedH, screenH));
    };
    const QWidget* singles[] = {e_.mainTitle,  e_.subTitle, e_.winners,     e_.congrats,
                                e_.levelCombo, e_.progress, e_.levelCaption};
    for (bool left : {true, false}) {
        for (const QWidget* c : singles) {
            QWidget* w = const_cast<QWidget*>(c);
            const std::string text = read(w, left);
            if (!text.empty()) place(w, left, text);
        }
        // The start button's key governs the whole group; a missing stop or
        // grip key then reads as 0.
        if (!read(e_.startButton, left).empty()) {
            for (QWidget* w :
                 {static_cast<QWidget*>(e_.startButton), static_cast<QWidget*>(e_.stopButton),
                  static_cast<QWidget*>(e_.buttonGrip)})
                place(w, left, read(w, left));
        }
        const std::string picture = read(e_.prizePicture, left);
        if (!picture.empty()) place(e_.prizePicture, left, picture);
    }
}

} // namespace luckdial
