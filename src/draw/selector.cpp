#include "draw/drawcontroller.h"

#include "host/host.h"
#include "host/qt/qtext.h"
#include "ui/mainwindow.h"
#include "ui/widgets.h"

#include <QComboBox>

namespace luckdial {

void DrawController::selectPrizeLevel() {
    if (levelCompleted()) {
        host_.messageBox(gbk("没有本奖项或本奖项已经抽取完毕！"), MbOk);
        return;
    }
    e_.startButton->setFocus();

    const std::optional<int> row = matchingRow();
    const std::string level = levelText();
    state_.winnerNumber = 1;
    if (row) {
        const std::int32_t drawn = state_.counter(*row);
        if (drawn > 0) {
            state_.winnerNumber = drawn + 1;
            setProgressCaption(drawn);
        }
    }

    e_.prizeName->setCaption(level);
    if (row && !level.empty()) {
        e_.prizePicture->setPictureData(host_.readFile(host_.path(PrizeTable::picturePath(*row))));
        state_.levelLimit = table_.levelLimit(*row);
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
    for (int row = 1; row <= PrizeTable::kRows; ++row)
        table_.setPictureMark(row, host_.fileExists(host_.path(PrizeTable::picturePath(row))));
    if (table_.isOpen(&window_)) host_.bringToFront(e_.panel.frame);
}

} // namespace luckdial
