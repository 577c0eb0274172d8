#include "draw/core/resultrows.h"

#include "host/core/text.h"

namespace luckdial {

std::string forfeitLine(std::string_view who) {
    return gbk("（") + std::string(who) + gbk("---放弃领奖）") + "\r\n";
}

std::vector<std::string> resultColumns() {
    return {"序号", "中奖者", "奖项"};
}

ResultLine parseResultLine(std::string_view line) {
    // Searching GBK bytes for ASCII is safe: no second byte of a GBK or
    // GB18030 character is a line feed, a space or a hyphen.
    static const std::string open = gbk("（");
    static const std::string forfeitEnd = gbk("---放弃领奖）");
    ResultLine parsed;
    parsed.who = line;
    if (line.size() >= open.size() + forfeitEnd.size() && line.substr(0, open.size()) == open &&
        line.substr(line.size() - forfeitEnd.size()) == forfeitEnd) {
        parsed.kind = ResultLine::Forfeit;
        parsed.who = line.substr(open.size(), line.size() - open.size() - forfeitEnd.size());
        return parsed;
    }
    // The last separator: an entry may hold anything, a prize name is
    // what the panel holds.
    const std::size_t at = line.rfind(kWinnerSeparator);
    if (at != std::string_view::npos) {
        parsed.kind = ResultLine::Winner;
        parsed.who = line.substr(0, at);
        parsed.prize = line.substr(at + kWinnerSeparator.size());
    }
    return parsed;
}

std::vector<std::vector<std::string>> resultRows(std::string_view gbkResults) {
    const std::string forfeitMark = "放弃领奖";
    std::vector<std::vector<std::string>> rows;
    forEachResultLine(gbkResults, [&](std::string_view line, std::string_view) {
        if (line.empty()) return;
        std::string number = std::to_string(rows.size() + 1);
        const ResultLine parsed = parseResultLine(line);
        switch (parsed.kind) {
        case ResultLine::Forfeit:
            rows.push_back({std::move(number), utf8(parsed.who), forfeitMark});
            break;
        case ResultLine::Winner:
            rows.push_back({std::move(number), utf8(parsed.who), utf8(parsed.prize)});
            break;
        case ResultLine::Other:
            rows.push_back({std::move(number), utf8(line), std::string()});
            break;
        }
    });
    return rows;
}

} // namespace luckdial
