#include "draw/core/resultrows.h"

#include "host/core/text.h"

namespace luckdial {

std::string forfeitLine(std::string_view who) {
    return gbk("（") + std::string(who) + gbk("---放弃领奖）") + "\r\n";
}

std::vector<std::string> resultColumns() {
    return {"序号", "中奖者", "奖项"};
}

std::vector<std::vector<std::string>> resultRows(std::string_view gbkResults) {
    // Searching GBK bytes for ASCII is safe: no second byte of a GBK or
    // GB18030 character is a line feed, a space or a hyphen.
    const std::string open = gbk("（");
    const std::string forfeitEnd = gbk("---放弃领奖）");
    const std::string forfeitMark = "放弃领奖";
    std::vector<std::vector<std::string>> rows;
    std::size_t start = 0;
    while (start < gbkResults.size()) {
        std::size_t end = gbkResults.find('\n', start);
        if (end == std::string_view::npos) end = gbkResults.size();
        std::string_view line = gbkResults.substr(start, end - start);
        start = end + 1;
        if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
        if (line.empty()) continue;

        std::string number = std::to_string(rows.size() + 1);
        if (line.size() >= open.size() + forfeitEnd.size() && line.substr(0, open.size()) == open &&
            line.substr(line.size() - forfeitEnd.size()) == forfeitEnd) {
            const std::string_view who =
                line.substr(open.size(), line.size() - open.size() - forfeitEnd.size());
            rows.push_back({std::move(number), utf8(who), forfeitMark});
            continue;
        }
        // The last separator: an entry may hold anything, a prize name is
        // what the panel holds.
        const std::size_t at = line.rfind(kWinnerSeparator);
        if (at == std::string_view::npos) {
            rows.push_back({std::move(number), utf8(line), std::string()});
        } else {
            rows.push_back({std::move(number), utf8(line.substr(0, at)),
                            utf8(line.substr(at + kWinnerSeparator.size()))});
        }
    }
    return rows;
}

} // namespace luckdial
