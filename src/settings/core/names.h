#pragma once
// Every name the program gives to its files, configuration sections and keys,
// and its default texts, spelled once, as GBK bytes. Header-only and free of
// Qt, so the draw engine, the presentation and the shell share it without
// linking the settings.

#include "host/core/text.h"

#include <array>
#include <string>

namespace luckdial::names {

// --- files of the program directory ----------------------------------------------
/// The configuration file (ASCII, the same in GBK).
inline constexpr const char* kConfigFile = "peizhi.a";
inline std::string resultsFile() {
    return gbk("抽奖结果.txt");
}
/// Where the winners spreadsheet is proposed.
inline std::string resultsWorkbookFile() {
    return gbk("抽奖结果.xlsx");
}
inline std::string progressFile() {
    return gbk("进度.txt");
}
inline std::string poolFile() {
    return gbk("抽奖号码库.txt");
}
inline std::string backgroundFile() {
    return gbk("底图.jpg");
}
/// Where an imported list keeps the pool it replaces.
inline std::string poolBackupFile() {
    return gbk("抽奖号码库_bak.txt");
}
/// Where a reset keeps the background picture.
inline std::string backgroundBackupFile() {
    return gbk("底图_bak.jpg");
}
inline std::string prizePictureDirectory() {
    return gbk("奖品图片");
}
/// The prize picture of row 1 to 8: "奖品图片\N.jpg".
inline std::string prizePicture(int row) {
    return prizePictureDirectory() + "\\" + toText(static_cast<long long>(row)) + ".jpg";
}
inline constexpr const char* kSoundDirectory = "wav";
/// Looped during the scroll; replaced by the music command.
inline constexpr const char* kScrollMusic = "wav\\bjyy.mp3";
/// Played once after a draw.
inline std::string endSound() {
    return gbk("wav\\结束.mp3");
}
/// The title file, in the working directory rather than the program directory.
inline constexpr const char* kTitleFile = "cjini.txt";

// --- sections of the configuration file --------------------------------------------
inline constexpr const char* kGeneral = "zbt";
inline constexpr const char* kColours = "yanse";
inline constexpr const char* kScreen = "weizhi";
inline constexpr const char* kPositions = "zweizhi";
inline constexpr const char* kProgress = "jindu";

// --- keys -------------------------------------------------------------------------------
inline constexpr const char* kMainTitleKey = "zbt";
inline constexpr const char* kSubTitleKey = "fbt";
// Masking keys of section zbt, as source text: pass them through gbk().
inline constexpr const char* kMaskEnabled = "屏蔽启用";
inline constexpr const char* kMaskLeft = "屏蔽左";
inline constexpr const char* kMaskRight = "屏蔽右";
inline constexpr const char* kMaskChars = "屏蔽字符";
// --- hundreds of winners: the automatic page turn -------------------------------
/// Seconds each page of a paged draw stays on the hall display before the
/// next turns by itself (section zbt, source text: pass it through gbk());
/// 0 or missing: pages turn only when the operator turns them.
inline constexpr const char* kPageTurnSeconds = "翻页秒数";
// --- participants' photos -----------------------------------------------------------
/// The event's photo folder: "照片\1001.jpg" is the photo of "1001 刘伟".
inline std::string photoDirectory() {
    return gbk("照片");
}
/// Per level, section zbt: "照片N" for row 1 to 8, "1" shows the level's
/// winners as cards with their photos, "0" as names; missing: cards when
/// most of the pool has photos.
inline std::string levelPhotosKey(int row) {
    return gbk("照片") + toText(static_cast<long long>(row));
}
/// Section zbt, source text: "1" shows cards in the scroll frames too.
inline constexpr const char* kScrollPhotos = "滚动显示照片";
/// The photos' small copies, a hidden folder inside the photo folder (source
/// text: UTF-8 on disk, the photos' own code reads it there).
inline constexpr const char* kSmallCopyFolder = ".缩略图";

/// Progress counter of row 1 to 8: "计数N" in section jindu.
inline std::string counterKey(int row) {
    return gbk("计数") + toText(static_cast<long long>(row));
}

/// Level word of prize row 1 to 8 ("特等奖" ... "七等奖"); empty outside.
inline std::string levelWord(int row) {
    static const std::array<std::string, 8> words = {gbk("特等奖"), gbk("一等奖"), gbk("二等奖"),
                                                     gbk("三等奖"), gbk("四等奖"), gbk("五等奖"),
                                                     gbk("六等奖"), gbk("七等奖")};
    return (row >= 1 && row <= 8) ? words[static_cast<std::size_t>(row - 1)] : std::string();
}
/// Keys of prize row 1 to 8 in section zbt: the name is stored under the
/// level word itself.
inline std::string quotaKey(int row) {
    return levelWord(row) + gbk("人数");
}
inline std::string perDrawKey(int row) {
    return levelWord(row) + gbk("一次抽取人数");
}
inline std::string columnsKey(int row) {
    return gbk("列") + toText(static_cast<long long>(row));
}

// Two screens: the hall display's screen, in section zbt, by name and, for
// when names change, by size ("1280x800"). Source text: pass through gbk().
inline constexpr const char* kHallScreenKey = "大屏幕";
inline constexpr const char* kHallScreenSizeKey = "大屏幕尺寸";

/// Stored booleans: "真" or "假".
inline std::string boolText(bool value) {
    return value ? gbk("真") : gbk("假");
}
/// True exactly when the text is "真".
inline bool isTrueText(const std::string& text) {
    return text == boolText(true);
}

// --- default texts ----------------------------------------------------------------------
/// Both titles when the configuration has none.
inline std::string defaultTitle() {
    return gbk("某某公司现场抽奖仪式");
}
/// The main title when the title file is empty.
inline std::string emptyTitleFileTitle() {
    return gbk("请在这里写入公司名称");
}
/// Shown when a pool holds more entries than Pool::kLimit (the number in
/// the text is the one the operator has always seen, not the limit).
inline std::string poolTooLargeMessage() {
    return gbk("抽奖号码库里面的号码（或者名单）超过了1000000条，软件无法支持！");
}

// --- prize rules by group ---------------------------------------------------------
/// Beside the pool file and the progress file: their entries' groups.
inline std::string poolGroupsFile() {
    return gbk("抽奖号码库_分组.dat");
}
inline std::string progressGroupsFile() {
    return gbk("进度_分组.dat");
}
/// Row 1 to 8's eligible groups ("销售部、研发部"; empty: everyone) and group
/// seats ("销售部:5、研发部:5") in section zbt.
inline std::string eligibleGroupsKey(int row) {
    return levelWord(row) + gbk("可抽分组");
}
inline std::string groupSeatsKey(int row) {
    return levelWord(row) + gbk("分组名额");
}

// --- phone remote -------------------------------------------------------------------
/// The port the remote listens on (section kGeneral); the remote itself is
/// never stored as switched on.
inline std::string remotePortKey() {
    return gbk("遥控端口");
}

} // namespace luckdial::names
