// Removing stale temporaries, dated copies and several items in one replace.

#include "host/core/text.h"
#include "support/corehost.h"
#include "support/tempdir.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <regex>
#include <set>
#include <sys/stat.h>

using namespace luckdial;
namespace fs = std::filesystem;

namespace {

std::set<std::string> namesIn(const fs::path& dir) {
    std::set<std::string> names;
    for (const auto& entry : fs::directory_iterator(dir))
        names.insert(entry.path().filename().string());
    return names;
}

class Housekeeping : public ::testing::Test {
protected:
    TempDir dir;
    CoreHost host{dir.path()};
    fs::path disk(const std::string& utf8Name) const { return fs::path(dir.path()) / utf8Name; }
};

/// A host whose clock shows one fixed moment.
class FixedTimeHost : public CoreHost {
public:
    using CoreHost::CoreHost;
    std::string timeStamp() override { return "20261208-153000"; }
};

TEST_F(Housekeeping, StaleTemporariesOfTheNamedFilesOnlyAreRemoved) {
    const std::vector<std::string> ours = {".进度.txt.Ab3xZ9", ".peizhi.a.000000",
                                           ".抽奖结果.txt.qqqqqq"};
    const std::vector<std::string> others = {
        ".进度.txt.Ab3xZ",    // five characters
        ".进度.txt.Ab3xZ99",  // seven
        ".进度.txt.Ab3-Z9",   // not a letter or digit
        "进度.txt.Ab3xZ9",    // no leading dot
        ".进度.txt",          // the name alone
        ".其他.txt.Ab3xZ9",   // another file's
        ".peizhi.a.b.Ab3xZ9", // a name that only starts like ours
        "进度.txt",           "peizhi.a", ".hidden"};
    for (const auto& name : ours)
        writeBytes(disk(name), "x");
    for (const auto& name : others)
        writeBytes(disk(name), "x");
    fs::create_directory(disk(".进度.txt.DIR123"));
    fs::create_symlink(disk("进度.txt"), disk(".进度.txt.LNK123"));

    const std::vector<std::string> names = {gbk("进度.txt"), "peizhi.a", gbk("抽奖结果.txt")};
    EXPECT_EQ(host.removeStaleTemporaries(dir.path(), names), 3);

    std::set<std::string> expected(others.begin(), others.end());
    expected.insert(".进度.txt.DIR123");
    expected.insert(".进度.txt.LNK123");
    EXPECT_EQ(namesIn(dir.path()), expected);
    EXPECT_EQ(host.removeStaleTemporaries(dir.path(), names), 0);
    EXPECT_EQ(host.removeStaleTemporaries(dir.path() + "/missing", names), 0);
}

TEST_F(Housekeeping, TimeStampIsTheLocalDateAndTime) {
    const std::string stamp = host.timeStamp();
    EXPECT_TRUE(std::regex_match(stamp, std::regex("20[0-9]{2}[01][0-9][0-3][0-9]-[0-2][0-9][0-5]"
                                                   "[0-9][0-6][0-9]")))
        << stamp;
}

TEST(KeepAside, CopiesOrMovesToADatedFreeName) {
    TempDir dir;
    FixedTimeHost host{dir.path()};
    const fs::path base(dir.path());
    const std::string results = host.path(gbk("抽奖结果.txt"));
    ASSERT_TRUE(host.writeFile(results, "old\r\n"));

    // A copy leaves the file in place.
    EXPECT_EQ(host.keepAside(results, false),
              dir.path() + "\\" + gbk("抽奖结果_20261208-153000.txt"));
    EXPECT_EQ(readBytes(base / "抽奖结果_20261208-153000.txt"), "old\r\n");
    EXPECT_EQ(readBytes(base / "抽奖结果.txt"), "old\r\n");

    // The same second again: the name is taken, so a number is added; a
    // taken name is never overwritten.
    ASSERT_TRUE(host.writeFile(results, "newer\r\n"));
    EXPECT_EQ(host.keepAside(results, true),
              dir.path() + "\\" + gbk("抽奖结果_20261208-153000-2.txt"));
    EXPECT_FALSE(fs::exists(base / "抽奖结果.txt"));
    EXPECT_EQ(readBytes(base / "抽奖结果_20261208-153000-2.txt"), "newer\r\n");
    EXPECT_EQ(readBytes(base / "抽奖结果_20261208-153000.txt"), "old\r\n");

    // Nothing to keep.
    EXPECT_EQ(host.keepAside(results, false), "");
    EXPECT_EQ(host.keepAside("", true), "");
}

TEST(KeepAside, NamePartsAreFoundByCharacters) {
    TempDir dir;
    FixedTimeHost host{dir.path()};
    // A directory whose name's second byte is 0x5C and holds a dot after it,
    // and a file without an extension.
    const std::string folder = host.path("\x81\x5C.d");
    ASSERT_TRUE(host.createDirectory(folder));
    const std::string file = folder + "\\record";
    ASSERT_TRUE(host.writeFile(file, "r"));
    EXPECT_EQ(host.keepAside(file, true), folder + "\\record_20261208-153000");
    EXPECT_EQ(readBytes(fs::path(dir.path()) / "乗.d" / "record_20261208-153000"), "r");

    const std::string dotted = host.path(".hidden");
    ASSERT_TRUE(host.writeFile(dotted, "h"));
    EXPECT_EQ(host.keepAside(dotted, false), host.path(".hidden_20261208-153000"));
}

TEST_F(Housekeeping, WriteItemsSetsEveryKeyInOneReplace) {
    const std::string config = host.path("peizhi.a");
    writeBytes(disk("peizhi.a"), "[zbt]\r\nzbt=title\r\n[jindu]\r\nA=old\r\n");
    const auto inodeBefore = [&] {
        struct stat st {};
        stat(disk("peizhi.a").c_str(), &st);
        return st.st_ino;
    };
    const auto before = inodeBefore();
    ASSERT_TRUE(host.writeItems(config, "jindu", {{"A", "1"}, {"B", "2"}, {"C", ""}}));
    EXPECT_EQ(host.readItem(config, "jindu", "A"), "1");
    EXPECT_EQ(host.readItem(config, "jindu", "B"), "2");
    EXPECT_EQ(host.readItem(config, "jindu", "C", "absent"), "");
    EXPECT_EQ(host.readItem(config, "zbt", "zbt"), "title");
    // Replaced as a whole (a new file took the name), not edited in place.
    EXPECT_NE(inodeBefore(), before);
    EXPECT_TRUE(namesIn(dir.path()) == std::set<std::string>{"peizhi.a"});

    // A missing file is created; an empty key or section writes nothing.
    const std::string other = host.path("other.a");
    ASSERT_TRUE(host.writeItems(other, "s", {{"k", "v"}}));
    EXPECT_EQ(host.readItem(other, "s", "k"), "v");
    EXPECT_FALSE(host.writeItems(other, "s", {{"k", "w"}, {"", "x"}}));
    EXPECT_FALSE(host.writeItems(other, "", {{"k", "w"}}));
    EXPECT_EQ(host.readItem(other, "s", "k"), "v");
}

TEST_F(Housekeeping, WriteItemsLeavesAFileItCannotReadAlone) {
    // A directory in the file's place cannot be read (nor replaced).
    fs::create_directory(disk("peizhi.a"));
    EXPECT_FALSE(host.writeItems(host.path("peizhi.a"), "jindu", {{"A", "1"}}));
    EXPECT_TRUE(fs::is_directory(disk("peizhi.a")));
}

} // namespace
