#include "support/app_fixture.h"

#include "pool/pool.h"
#include "ui/mainwindow.h"

namespace luckdial::testing {

std::vector<std::string> AppTest::poolEntries() {
    std::vector<std::string> entries;
    const Pool& pool = app_->window().pool();
    for (std::size_t i = 0; i < pool.count(); ++i)
        entries.emplace_back(pool.entryAt(i));
    return entries;
}

std::string resumeQuestion() {
    return gbk("    是否继续上次抽奖?\r\n\r\n    选 【是】 为继续上一次保存的抽奖进度\r\n\r\n"
               "    选 【否】 为完全重新开始抽奖");
}

std::string exitQuestion() {
    return gbk("    您希望退出软件，并保存当前抽奖进度吗？\r\n\r\n"
               "    选择 【是】 保存当前抽奖进度并退出\r\n\r\n"
               "    选择 【否】 不保存直接退出\r\n\r\n"
               "    选择 【取消】 则返回软件\r\n\r\n"
               "    注意：若本次抽奖完全结束，请导出抽奖结果另外保存，以免丢失！");
}

} // namespace luckdial::testing
