#include "draw/drawcontroller.h"

#include "host/host.h"
#include "host/qt/qtext.h"
#include "ui/mainwindow.h"
#include "ui/widgets.h"

#include <QComboBox>
#include <QFrame>
#include <QLineEdit>
#include <QPushButton>

#include <cmath>
#include <limits>

namespace luckdial {

namespace {

std::string picturePath(Host& host, int row) {
    return host.path(gbk("奖品图片\\") + std::to_string(row + 1) + ".jpg");
}

} // namespace

void DrawController::selectPrizeLevel() {
    if (levelCompleted()) {
        host_.messageBox(gbk("没有本奖项或本奖项已经抽取完毕！"), MbOk);
        return;
    }
    e_.startButton->setFocus();

    const int row = matchingRow();
    const std::string level = levelText();
    state_.winnerNumber = 1;
    if (row >= 0) {
        const std::int32_t drawn = state_.counters[static_cast<std::size_t>(row)];
        if (drawn > 0) {
            state_.winnerNumber = drawn + 1;
            setProgressCaption(drawn);
        }
    }

    e_.prizeName->setCaption(level);
    if (row >= 0 && !level.empty()) {
        e_.prizePicture->setPictureData(host_.readFile(picturePath(host_, row)));
        const double limit =
            std::trunc(toNumber(gbkOf(e_.panel.quota[static_cast<std::size_t>(row)]->text())) + 1);
        state_.levelLimit = static_cast<std::int32_t>(
            std::clamp<double>(limit, std::numeric_limits<std::int32_t>::min(),
                               std::numeric_limits<std::int32_t>::max()));
    }
    e_.prizePicture->setVisible(!e_.prizeName->caption().empty());
    // What decides in the end is whether there is a picture to show.
    const bool picture = e_.prizePicture->hasPicture();
    e_.prizePicture->setVisible(picture);
    e_.prizeName->setVisible(picture);

    e_.progress->resize(static_cast<int>(e_.progress->caption().size()) * 11,
                        e_.progress->height());
}

void DrawController::refreshPictureMarks() {
    for (int row = 0; row < 8; ++row) {
        const bool exists = host_.fileExists(picturePath(host_, row));
        const QString mark = exists ? QStringLiteral("《有") : QStringLiteral("《无");
        QPushButton* button = e_.panel.browse[static_cast<std::size_t>(row)];
        if (button->text() != mark) button->setText(mark);
    }
    if (e_.panel.frame->isVisibleTo(&window_)) host_.bringToFront(e_.panel.frame);
}

} // namespace luckdial
