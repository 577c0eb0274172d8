#pragma once
// A record of what the hall showed, page by page, for the real-window tests:
// the program writes it only when started with LUCKDIAL_PAGE_LOG set. Each
// page the hall shows once a draw has stopped adds a line "page N/M" and the
// page's names, one a line, to "hall-pages.log" in the program directory.

#include <QObject>

#include <string>

namespace luckdial {

class Host;
class WinnersView;
struct DrawState;

class PageLog : public QObject {
    Q_OBJECT
public:
    /// The environment variable that switches the record on.
    static constexpr const char* kSwitch = "LUCKDIAL_PAGE_LOG";
    /// The record's file name in the program directory.
    static constexpr const char* kFileName = "hall-pages.log";

    PageLog(Host& host, WinnersView& view, const DrawState& state);

    /// Whatever has been recorded so far, as written.
    const std::string& text() const { return text_; }

private:
    void record(int page, int pageCount);

    Host& host_;
    WinnersView& view_;
    const DrawState& state_;
    std::string text_;
    std::string last_; ///< the entry recorded last: a repaint of it adds nothing
};

} // namespace luckdial
