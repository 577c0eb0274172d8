#include "draw/drawcontroller.h"

#include "host/host.h"
#include "host/qt/qtext.h"
#include "settings/core/names.h"
#include "ui/mainwindow.h"
#include "ui/widgets.h"

namespace luckdial {

void DrawController::appendWinner(std::string_view entry) {
    appendResultsLine(window_.results(), entry, levelText());
}

void DrawController::setProgressCaption(std::int32_t count) {
    e_.progress->setCaption(levelText() + gbk(" 已抽取") + toText(static_cast<long long>(count)) +
                            gbk("名"));
}

void DrawController::updateProgress(std::int32_t w) {
    if (const std::optional<int> row = matchingRow()) state_.counter(*row) = w;
    setProgressCaption(w);
    e_.progress->resize(static_cast<int>(e_.progress->caption().size()) * 11,
                        e_.progress->height());
    const int colour = e_.subTitle->textColour();
    e_.progress->setTextColour(colour);
    e_.levelCaption->setTextColour(colour);
}

bool DrawController::writeResultsFile() {
    const std::string path = host_.path(names::resultsFile());
    const std::string& text = window_.results();
    if (!resultsFileChecked_) {
        // The file may hold lines this run does not know: a start that did
        // not resume, or a crash before the last draw was recorded. The first
        // rewrite keeps such a file under a dated name, and does not write
        // while it cannot.
        const std::string old = host_.readFile(path);
        if (text.compare(0, old.size(), old) != 0 && host_.keepAside(path, false).empty())
            return false;
        resultsFileChecked_ = true;
    }
    return host_.writeFile(path, text);
}

void DrawController::announce() {
    e_.congrats->setCaption(gbk("恭喜：") + levelText());
    e_.congrats->show();
}

} // namespace luckdial
