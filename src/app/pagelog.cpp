#include "app/pagelog.h"

#include "draw/core/drawstate.h"
#include "host/host.h"
#include "host/qtext.h"
#include "ui/winnersview.h"

namespace luckdial {

PageLog::PageLog(Host& host, WinnersView& view, const DrawState& state)
    : host_(host), view_(view), state_(state) {
    connect(&view_, &WinnersView::pageChanged, this, &PageLog::record);
}

void PageLog::record(int page, int pageCount) {
    // The scroll's frames are not pages the operator turns.
    if (state_.drawRunning || pageCount <= 0) return;
    std::string entry =
        "page " + std::to_string(page + 1) + "/" + std::to_string(pageCount) + "\r\n";
    for (const QString& name : view_.block().texts)
        entry += gbkOf(name) + "\r\n";
    if (entry == last_) return;
    last_ = entry;
    text_ += entry;
    // A record the test cannot read fails the test; the program goes on.
    (void)host_.writeFile(host_.path(kFileName), text_);
}

} // namespace luckdial
