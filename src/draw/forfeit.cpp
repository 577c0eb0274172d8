#include "draw/drawcontroller.h"

#include "host/host.h"
#include "host/qt/qtext.h"
#include "ui/mainwindow.h"
#include "ui/widgets.h"

#include <QComboBox>

namespace luckdial {

void DrawController::forfeitWinner() {
    if (e_.levelCombo->currentText().isEmpty()) {
        host_.messageBox(gbk("没有选择抽奖等级！请选择！"), MbOk);
        return;
    }
    if (state_.winnerNumber == 1) {
        host_.messageBox(gbk("当前奖项还没有人抽取！"), MbOk);
        return;
    }
    const std::optional<std::string> who =
        host_.inputBox(gbk("如确定某人放弃领奖，请输入此人名单(或号码),"
                           "然后点【确定】\r\n\r\n否则，请点击【取消】"),
                       gbk("确定当前某人放弃领奖吗？"), std::string());
    if (!who) return;

    const std::int32_t w = --state_.winnerNumber;
    setProgressCaption(w - 1);
    if (const std::optional<int> row = matchingRow()) {
        state_.exhaustedMark(*row) = w - 1;
        --state_.counter(*row);
    }
    window_.results() += gbk("（") + *who + gbk("---放弃领奖）") + "\r\n";
    Q_EMIT outcomeRecorded();
    // A failed write keeps the whole text in memory; the next write retries it.
    (void)writeResultsFile();
    e_.winners->setCaption({});
    e_.congrats->setCaption({});
}

} // namespace luckdial
