#include "settings/configkeys.h"

#include "host/core/text.h"

#include <array>

namespace luckdial::config {

std::string levelWord(int n) {
    static const std::array<std::string, 8> words = {gbk("特等奖"), gbk("一等奖"), gbk("二等奖"),
                                                     gbk("三等奖"), gbk("四等奖"), gbk("五等奖"),
                                                     gbk("六等奖"), gbk("七等奖")};
    return (n >= 1 && n <= 8) ? words[static_cast<std::size_t>(n - 1)] : std::string();
}

std::string boolText(bool value) {
    static const std::string yes = gbk("真"), no = gbk("假");
    return value ? yes : no;
}

bool isTrueText(const std::string& text) {
    return text == boolText(true);
}

} // namespace luckdial::config
