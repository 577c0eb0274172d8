#include "draw/drawcontroller.h"

#include "host/host.h"
#include "host/qt/qtext.h"
#include "ui/fireworks.h"
#include "ui/mainwindow.h"
#include "ui/widgets.h"

#include <QAction>
#include <QComboBox>
#include <QKeyEvent>
#include <QTimer>

#include <cstdlib>

namespace luckdial {

DrawController::DrawController(Host& host, MainWindow& window, DrawState& state)
    : host_(host), window_(window), e_(window.elements()), state_(state), table_(e_.panel),
      fireworks_(*window.fireworks()) {
    autoStop_ = host_.createTimer([this] { stopDraw(); });
}

DrawController::~DrawController() = default;

void DrawController::connectHandlers() {
    if (connected_) return;
    connected_ = true;

    connect(e_.startButton, &QAbstractButton::clicked, this, [this] { startDraw(); });
    // The focused start button would take Space as a click of its own.
    e_.startButton->installEventFilter(this);
    connect(e_.stopButton, &QAbstractButton::clicked, this, [this] { stopDraw(); });

    // Picking an item changes the edit text and then reports the activation;
    // one pick runs the handler once.
    connect(e_.levelCombo, &QComboBox::editTextChanged, this, [this] {
        selectorEditHandled_ = true;
        selectPrizeLevel();
        QTimer::singleShot(0, this, [this] { selectorEditHandled_ = false; });
    });
    connect(e_.levelCombo, &QComboBox::activated, this, [this] {
        if (selectorEditHandled_) {
            selectorEditHandled_ = false;
            return;
        }
        selectPrizeLevel();
    });

    connect(e_.menu.forfeit, &QAction::triggered, this, [this] { forfeitWinner(); });

    connect(&window_, &MainWindow::keyPressed, this, [this](int key) {
        if (key == Qt::Key_Space && !table_.isOpen(&window_)) startDraw();
    });

    pictureMarks_ = host_.createTimer([this] { refreshPictureMarks(); });
    pictureMarks_->setPeriod(200);
}

bool DrawController::eventFilter(QObject* watched, QEvent* event) {
    // Space on the start button is the keyboard start, which does nothing
    // while the settings panel is open (its fields are being edited).
    if (watched == e_.startButton &&
        (event->type() == QEvent::KeyPress || event->type() == QEvent::KeyRelease) &&
        static_cast<QKeyEvent*>(event)->key() == Qt::Key_Space && table_.isOpen(&window_)) {
        event->accept();
        return true;
    }
    return QObject::eventFilter(watched, event);
}

std::optional<int> DrawController::matchingRow() const {
    return table_.rowOf(e_.levelCombo->currentText());
}

std::string DrawController::levelText() const {
    return gbkOf(e_.levelCombo->currentText());
}

bool DrawController::levelCompleted() const {
    return table_.completed(e_.levelCombo->currentText(), state_.exhausted);
}

void DrawController::closeFireworks() {
    if (fireworks_.isOpen()) fireworks_.close();
}

void DrawController::openFireworks() {
    host_.seedRandom();
    const int r = 1 + std::abs(host_.random(0, 2147483647)) % 3;
    fireworks_.open(r);
    fireworks_.raise();
}

} // namespace luckdial
