#include "app/notices.h"

#include "host/core/text.h"
#include "settings/core/names.h"

namespace luckdial::notices {

namespace {

std::string number(std::size_t n) {
    return toText(static_cast<long long>(n));
}

const char* const kFreeSpace =
    "    请清理磁盘空间（删除不需要的大文件），或检查软件所在的文件夹能否写入";

} // namespace

std::string unsavedCaption() {
    return gbk("中奖记录没有保存");
}

std::string unsavedWinners(bool recordSaved, const std::string& programDir) {
    std::string text;
    if (recordSaved) {
        text = gbk("    抽奖结果文件“") + names::resultsFile() +
               gbk("”没有能写入磁盘！\r\n\r\n"
                   "    刚才的中奖者已经记入恢复记录：软件意外关闭后重新启动，选择继续即可找回。"
                   "但结果文件里还缺少他们。\r\n\r\n");
    } else {
        text = gbk("    刚才的中奖者没有能保存到磁盘！\r\n\r\n"
                   "    他们现在只显示在屏幕上：如果此时断电或软件被关闭，这些中奖记录会丢失，"
                   "重新启动后他们会回到抽奖名单中，可能再次中奖。\r\n\r\n");
    }
    text += gbk(kFreeSpace) + gbk("（") + programDir + gbk("），然后：\r\n\r\n");
    text += gbk("    选 【是】 立即重新保存\r\n\r\n"
                "    选 【否】 先继续抽奖，下一次抽奖后会自动再试");
    return text;
}

std::string savedAgain() {
    return gbk("    之前没有保存的中奖记录，现在已经全部保存到磁盘。");
}

std::string exitSaveFailed(bool progressSaved, bool resultsSaved, bool recordKept) {
    std::string text = progressSaved ? gbk("抽奖结果没有能保存，请检查磁盘或文件权限！")
                                     : gbk("抽奖进度保存失败，请检查磁盘或文件权限！");
    text += gbk("\r\n\r\n    没有保存的有：");
    if (!progressSaved) text += gbk("\r\n        抽奖进度（剩余名单和各奖项已抽人数）");
    if (!resultsSaved) text += gbk("\r\n        抽奖结果文件“") + names::resultsFile() + gbk("”");
    text += gbk("\r\n\r\n");
    if (recordKept)
        text += gbk("    恢复记录保存了最后一次抽奖之后的全部状态；不保存直接退出时它会保留，"
                    "下次启动可以从那里继续。\r\n\r\n");
    else
        text +=
            gbk("    最近的中奖记录也没有能写入恢复记录：不保存直接退出，这些记录会丢失。\r\n\r\n");
    text += gbk(kFreeSpace) + gbk("，然后：\r\n\r\n");
    text += gbk("    选 【是】 返回软件（可以再次退出并保存）\r\n\r\n"
                "    选 【否】 不保存，直接退出");
    return text;
}

std::string exitResultsUnsaved(bool recordKept) {
    std::string text = gbk("    抽奖结果文件“") + names::resultsFile() +
                       gbk("”没有能写入磁盘，里面缺少最近的中奖者。\r\n\r\n");
    if (recordKept)
        text += gbk("    恢复记录保留了全部中奖者：下次启动时选择从最后一次抽奖之后继续，"
                    "即可找回并写入结果文件。");
    else
        text += gbk("    恢复记录也没有能保存，这些中奖者只能按屏幕或打印的名单补记。");
    return text;
}

std::string listStoppedEarly(const std::string& fileName, std::size_t line, std::size_t entries) {
    return gbk("    名单文件“") + fileName + gbk("”在第 ") + number(line) +
           gbk(" 行遇到无效字符（空字符或文件结束符），从那里往后的内容没有读入。\r\n\r\n"
               "    本次只读入了 ") +
           number(entries) +
           gbk(" 条号码（或名单）。\r\n\r\n"
               "    如果名单不完整，请先不要抽奖：退出软件，用文本编辑器删除那个字符并保存后，"
               "再重新启动。");
}

std::string damagedRecord(const std::string& recordName, const std::string& keptName) {
    std::string text =
        gbk("    上次抽奖的恢复记录“") + recordName + gbk("”已经损坏，不能用来继续抽奖。\r\n\r\n");
    if (keptName.empty())
        text += gbk("    它没有能改名另存，仍留在原处。\r\n\r\n");
    else
        text += gbk("    它已改名保存为“") + keptName + gbk("”，没有删除。\r\n\r\n");
    text += gbk("    软件将按正常方式启动：有保存的抽奖进度时，可以选择继续上次保存的进度。");
    return text;
}

} // namespace luckdial::notices
