#include "host/core/text.h"
#include "support/corehost.h"
#include "support/tempdir.h"

#include <gtest/gtest.h>

#include <csignal>
#include <filesystem>
#include <fstream>
#include <sys/resource.h>
#include <sys/stat.h>

using namespace luckdial;
namespace fs = std::filesystem;

namespace {

std::size_t entriesIn(const fs::path& dir) {
    return static_cast<std::size_t>(std::distance(fs::directory_iterator(dir), {}));
}

class HostBaseTest : public ::testing::Test {
protected:
    TempDir dir;
    CoreHost host{dir.path()};
    fs::path disk(const std::string& utf8Name) const { return fs::path(dir.path()) / utf8Name; }
};

} // namespace

TEST_F(HostBaseTest, PathsUseEitherSeparatorAndUtf8OnDisk) {
    EXPECT_EQ(host.path("peizhi.a"), dir.path() + "\\peizhi.a");
    const std::string pool = gbk("抽奖号码库.txt");
    ASSERT_TRUE(host.writeFile(host.path(pool), "001\r\n"));
    EXPECT_EQ(readBytes(disk("抽奖号码库.txt")), "001\r\n");
    EXPECT_EQ(host.readFile(dir.path() + "/" + pool), "001\r\n");
    ASSERT_TRUE(host.createDirectory(host.path(gbk("奖品图片"))));
    ASSERT_TRUE(host.writeFile(host.path(gbk("奖品图片\\1.jpg")), "jpg"));
    EXPECT_EQ(readBytes(disk("奖品图片/1.jpg")), "jpg");
    EXPECT_EQ(host.readFile(dir.path() + gbk("/奖品图片/1.jpg")), "jpg");
    // The second byte of this character is 0x5C and must not become a separator.
    EXPECT_EQ(HostBase::nativePath("\x81\x5C"
                                   "\\x"),
              "乗/x");
}

TEST_F(HostBaseTest, ReadFileGivesEmptyForMissingDirectoryOrEmptyPath) {
    EXPECT_EQ(host.readFile(host.path("missing")), "");
    EXPECT_EQ(host.readFile(dir.path()), "");
    EXPECT_EQ(host.readFile(""), "");
    std::string big(3 << 20, 'x');
    big[12345] = '\0';
    writeBytes(disk("big"), big);
    EXPECT_EQ(host.readFile(host.path("big")), big);
}

TEST_F(HostBaseTest, WriteFileJoinsPartsAndReplaces) {
    const std::string p = host.path("f.txt");
    ASSERT_TRUE(host.writeFile(p, {"ab", "", "cd"}));
    EXPECT_EQ(host.readFile(p), "abcd");
    ASSERT_TRUE(host.writeFile(p, ""));
    EXPECT_TRUE(host.fileExists(p));
    EXPECT_EQ(host.readFile(p), "");
    EXPECT_FALSE(host.writeFile("", "x"));
    EXPECT_EQ(entriesIn(dir.path()), 1u); // no temporary file left
}

TEST_F(HostBaseTest, WriteFileKeepsModeAndSymlink) {
    writeBytes(disk("cfg"), "old");
    fs::permissions(disk("cfg"), fs::perms(0640));
    ASSERT_TRUE(host.writeFile(host.path("cfg"), "new"));
    EXPECT_EQ(fs::status(disk("cfg")).permissions(), fs::perms(0640));

    fs::create_symlink(disk("cfg"), disk("link"));
    ASSERT_TRUE(host.writeFile(host.path("link"), "via link"));
    EXPECT_TRUE(fs::is_symlink(disk("link")));
    EXPECT_EQ(readBytes(disk("cfg")), "via link");
}

TEST_F(HostBaseTest, FailedWriteLeavesOldFileAndNoTemporary) {
    writeBytes(disk("results.txt"), "old results");
    // A file size limit makes the write itself fail half way, even for root.
    auto oldHandler = std::signal(SIGXFSZ, SIG_IGN);
    rlimit old{};
    getrlimit(RLIMIT_FSIZE, &old);
    rlimit small = old;
    small.rlim_cur = 1000;
    ASSERT_EQ(setrlimit(RLIMIT_FSIZE, &small), 0);
    bool written = host.writeFile(host.path("results.txt"), std::string(5000, 'n'));
    setrlimit(RLIMIT_FSIZE, &old);
    std::signal(SIGXFSZ, oldHandler);
    EXPECT_FALSE(written);
    EXPECT_EQ(readBytes(disk("results.txt")), "old results");
    EXPECT_EQ(entriesIn(dir.path()), 1u);

    // Parent is a regular file: nothing can be created there.
    EXPECT_FALSE(host.writeFile(host.path("results.txt\\inner.txt"), "x"));
    EXPECT_EQ(readBytes(disk("results.txt")), "old results");
    // A directory in the way is not replaced.
    fs::create_directory(disk("sub"));
    EXPECT_FALSE(host.writeFile(host.path("sub"), "x"));
    EXPECT_TRUE(fs::is_directory(disk("sub")));
}

TEST_F(HostBaseTest, FileOperations) {
    const std::string a = host.path("a"), b = host.path("b"), c = host.path("c");
    EXPECT_FALSE(host.fileExists(a));
    EXPECT_FALSE(host.fileExists(""));
    EXPECT_TRUE(host.fileExists(dir.path()));
    ASSERT_TRUE(host.writeFile(a, "A"));
    EXPECT_TRUE(host.fileExists(a));

    EXPECT_TRUE(host.copyFile(a, b));
    EXPECT_EQ(host.readFile(b), "A");
    ASSERT_TRUE(host.writeFile(a, "A2"));
    EXPECT_TRUE(host.copyFile(a, b)); // overwrites
    EXPECT_EQ(host.readFile(b), "A2");
    EXPECT_FALSE(host.copyFile(host.path("none"), c));
    EXPECT_FALSE(host.fileExists(c));

    EXPECT_FALSE(host.moveFile(a, b)); // never replaces a target
    EXPECT_EQ(host.readFile(b), "A2");
    EXPECT_TRUE(host.moveFile(a, c));
    EXPECT_FALSE(host.fileExists(a));
    EXPECT_EQ(host.readFile(c), "A2");
    EXPECT_FALSE(host.moveFile(a, host.path("d")));

    EXPECT_TRUE(host.deleteFile(c));
    EXPECT_FALSE(host.deleteFile(c));
    EXPECT_FALSE(host.deleteFile(""));

    EXPECT_TRUE(host.createDirectory(host.path("wav")));
    EXPECT_FALSE(host.createDirectory(host.path("wav"))); // already there
    EXPECT_FALSE(host.deleteFile(host.path("wav")));      // not a file
    EXPECT_TRUE(fs::is_directory(disk("wav")));

    EXPECT_TRUE(host.setFileHidden(b, true));
    EXPECT_TRUE(fs::exists(disk("b")));
    EXPECT_FALSE(host.setFileHidden(host.path("none"), true));
}

TEST_F(HostBaseTest, ConfigurationItems) {
    const std::string cfg = host.path("peizhi.a");
    const std::string key = gbk("计数1");
    EXPECT_EQ(host.readItem(cfg, "jindu", key, "dflt"), "dflt"); // no file yet
    EXPECT_EQ(host.readItem(cfg, "jindu", key), "");
    EXPECT_FALSE(host.deleteItem(cfg, "", key));
    EXPECT_TRUE(host.deleteItem(cfg, "jindu", key));
    EXPECT_FALSE(fs::exists(disk("peizhi.a"))); // deleting creates nothing

    ASSERT_TRUE(host.writeItem(cfg, "jindu", key, "3"));
    ASSERT_TRUE(host.writeItem(dir.path() + "/peizhi.a", "zbt", "zbt", gbk("公司")));
    EXPECT_EQ(readBytes(disk("peizhi.a")),
              "[jindu]\r\n" + key + "=3\r\n[zbt]\r\nzbt=" + gbk("公司") + "\r\n");
    EXPECT_EQ(host.readItem(cfg, "JINDU", key, "0"), "3");
    EXPECT_EQ(host.readItem(cfg, "zbt", "ZBT"), gbk("公司"));

    EXPECT_EQ(host.readItem("", "zbt", "zbt", "d"), "");
    EXPECT_EQ(host.readItem(cfg, "", "zbt", "d"), "");
    EXPECT_EQ(host.readItem(cfg, "zbt", "", "d"), "");
    EXPECT_FALSE(host.writeItem(cfg, "zbt", "", "x"));
    EXPECT_FALSE(host.writeItem("", "zbt", "k", "x"));

    ASSERT_TRUE(host.deleteItem(cfg, "jindu", key));
    EXPECT_EQ(host.readItem(cfg, "jindu", key, "dflt"), "dflt");
    ASSERT_TRUE(host.deleteSection(cfg, "zbt"));
    EXPECT_EQ(host.readItem(cfg, "zbt", "zbt", "d"), "d");
    EXPECT_EQ(readBytes(disk("peizhi.a")), "[jindu]\r\n");
}

TEST_F(HostBaseTest, WriteItemKeepsAHandMadeFile) {
    writeBytes(disk("peizhi.a"), "[zbt]\r\n; note\r\nfbt=x\r\n\r\n[yanse]\r\nc=1\r\n");
    ASSERT_TRUE(host.writeItem(host.path("peizhi.a"), "zbt", "new", "y"));
    EXPECT_EQ(readBytes(disk("peizhi.a")),
              "[zbt]\r\n; note\r\nfbt=x\r\nnew=y\r\n\r\n[yanse]\r\nc=1\r\n");
}

TEST_F(HostBaseTest, WriteProtectedConfigurationKeepsItsBytes) {
    const std::string frozen = gbk("[zbt]\r\n奖项1=特等奖\r\n");
    writeBytes(disk("peizhi.a"), frozen);
    fs::permissions(disk("peizhi.a"), fs::perms(0444));
    EXPECT_FALSE(host.writeItem(host.path("peizhi.a"), "zbt", "k", "v"));
    EXPECT_FALSE(host.deleteItem(host.path("peizhi.a"), "zbt", gbk("奖项1")));
    EXPECT_FALSE(host.deleteSection(host.path("peizhi.a"), "zbt"));
    EXPECT_EQ(readBytes(disk("peizhi.a")), frozen);
    EXPECT_EQ(host.readItem(host.path("peizhi.a"), "zbt", gbk("奖项1")), gbk("特等奖"));
    EXPECT_EQ(fs::status(disk("peizhi.a")).permissions(), fs::perms(0444));
}

TEST_F(HostBaseTest, Utf8ConfigurationIsRewrittenOnceInGbk) {
    const std::string table = "[zbt]\r\n奖项1=特等奖\r\n奖项人数1=3\r\nzbt=\"某某公司 年会\"\r\n";
    const std::string config = host.path("peizhi.a");
    for (std::string bom : {"", "\xEF\xBB\xBF"}) {
        writeBytes(disk("peizhi.a"), bom + table);
        EXPECT_EQ(host.readItem(config, "zbt", gbk("奖项1")), gbk("特等奖"));
        EXPECT_EQ(readBytes(disk("peizhi.a")), gbk(table));
        EXPECT_EQ(host.readItem(config, "zbt", gbk("奖项人数1")), "3");
        EXPECT_EQ(host.readItem(config, "zbt", "zbt"), gbk("某某公司 年会"));
    }
    // The first access may be a write: the table survives it too.
    writeBytes(disk("peizhi.a"), table);
    ASSERT_TRUE(host.writeItem(config, "jindu", gbk("计数1"), "2"));
    EXPECT_EQ(readBytes(disk("peizhi.a")), gbk(table + "[jindu]\r\n计数1=2\r\n"));
    // A write-protected one is read converted and left as it is.
    writeBytes(disk("peizhi.a"), table);
    fs::permissions(disk("peizhi.a"), fs::perms(0444));
    EXPECT_EQ(host.readItem(config, "zbt", gbk("奖项1")), gbk("特等奖"));
    EXPECT_EQ(readBytes(disk("peizhi.a")), table);
}

TEST_F(HostBaseTest, WriteItemRefusesAFileItCannotRead) {
    fs::create_directory(disk("peizhi.a"));
    EXPECT_FALSE(host.writeItem(host.path("peizhi.a"), "zbt", "k", "v"));
    EXPECT_TRUE(fs::is_directory(disk("peizhi.a")));
}

TEST_F(HostBaseTest, TextFileThatCannotOpenBehavesAsEmpty) {
    for (const std::string& p : {host.path("missing.txt"), dir.path(), std::string()}) {
        auto f = host.openTextFile(p);
        ASSERT_TRUE(f);
        EXPECT_FALSE(f->isOpen());
        EXPECT_TRUE(f->atEnd());
        EXPECT_EQ(f->readLine(), "");
        EXPECT_EQ(f->length(), 0u);
        EXPECT_EQ(f->readAll(), "");
        EXPECT_FALSE(f->writeText("x"));
        EXPECT_FALSE(f->deleteBytes(1));
    }
    EXPECT_FALSE(fs::exists(disk("missing.txt"))); // never created
}

TEST_F(HostBaseTest, WriteProtectedTextFileReadsButIsNeverWritten) {
    // A pool on a write-protected stick, or a title the organiser froze.
    writeBytes(disk("ro.txt"), "001\r\n002\r\n");
    fs::permissions(disk("ro.txt"), fs::perms(0444));
    auto f = host.openTextFile(host.path("ro.txt"));
    ASSERT_TRUE(f->isOpen());
    EXPECT_EQ(f->readLine(), "001");
    EXPECT_FALSE(f->writeText("x"));
    EXPECT_FALSE(f->deleteBytes(1));
    EXPECT_EQ(readBytes(disk("ro.txt")), "001\r\n002\r\n");
    EXPECT_FALSE(host.writeFile(host.path("ro.txt"), "new"));
    EXPECT_EQ(readBytes(disk("ro.txt")), "001\r\n002\r\n");
    EXPECT_EQ(entriesIn(dir.path()), 1u); // no temporary left behind
}

TEST_F(HostBaseTest, TheProgramsOwnFilesAreReadAsGbkWithoutRecognition) {
    // Any GBK text, even one that a guess would take for UTF-8, comes back as
    // written; pool and title files are recognised.
    const std::string utf8Looking = "\xE5\xBC\xA0\r\n\xE4\xB8\x89\r\n";
    writeBytes(disk("own.txt"), utf8Looking);
    auto own = host.openTextFile(host.path("own.txt"), TextEncoding::Gbk);
    EXPECT_EQ(own->takeRest(), utf8Looking);
    auto guessed = host.openTextFile(host.path("own.txt"));
    EXPECT_EQ(guessed->takeRest(), gbk("张\r\n三\r\n"));
}

TEST_F(HostBaseTest, TextFileReadsLinesOfGbkAndUtf8Files) {
    writeBytes(disk("gbk.txt"), gbk("张三\r\n李四\r\n"));
    auto f = host.openTextFile(host.path("gbk.txt"));
    ASSERT_TRUE(f->isOpen());
    EXPECT_EQ(f->length(), 12u);
    EXPECT_EQ(f->readLine(), gbk("张三"));
    EXPECT_EQ(f->position(), 6u);
    EXPECT_EQ(f->readLine(), gbk("李四"));
    EXPECT_TRUE(f->atEnd());

    // UTF-8 (the Linux default), with and without byte-order mark: converted
    // first, so no name swallows the next line.
    for (std::string bom : {"", "\xEF\xBB\xBF"}) {
        writeBytes(disk("utf8.txt"), bom + "中\n王五\r\n");
        auto u = host.openTextFile(host.path("utf8.txt"));
        EXPECT_EQ(u->readLine(), gbk("中"));
        EXPECT_EQ(u->readLine(), gbk("王五"));
        EXPECT_TRUE(u->atEnd());
    }
}

TEST_F(HostBaseTest, TextFileRewriteKeepsTheFileEncoding) {
    // The title file: clear the content, write the new title.
    writeBytes(disk("cjini.txt"), "旧标题");
    auto t = host.openTextFile(host.path("cjini.txt"));
    EXPECT_EQ(t->readAll(), gbk("旧标题"));
    EXPECT_TRUE(t->atEnd());
    auto u = host.openTextFile(host.path("cjini.txt"));
    ASSERT_TRUE(u->deleteBytes(u->length()));
    EXPECT_EQ(readBytes(disk("cjini.txt")), "");
    ASSERT_TRUE(u->writeText(gbk("新标题")));
    u->close();
    EXPECT_FALSE(u->isOpen());
    EXPECT_EQ(readBytes(disk("cjini.txt")), "新标题");

    writeBytes(disk("gbk.txt"), gbk("旧标题"));
    auto g = host.openTextFile(host.path("gbk.txt"));
    ASSERT_TRUE(g->writeText("AB")); // overwrites two bytes at the position
    EXPECT_EQ(readBytes(disk("gbk.txt")), "AB" + gbk("标题"));
    ASSERT_TRUE(g->deleteBytes(2));
    EXPECT_EQ(readBytes(disk("gbk.txt")), "AB" + gbk("题"));
    EXPECT_EQ(g->readAll(), gbk("题"));
}

TEST_F(HostBaseTest, TakeRestHandsOverTheTextAndCloses) {
    writeBytes(disk("pool.txt"), "001\r\n002\r\n");
    auto f = host.openTextFile(host.path("pool.txt"));
    EXPECT_EQ(f->takeRest(), "001\r\n002\r\n");
    EXPECT_TRUE(f->atEnd());
    EXPECT_FALSE(f->writeText("x")); // nothing left to write back
    EXPECT_EQ(readBytes(disk("pool.txt")), "001\r\n002\r\n");

    auto g = host.openTextFile(host.path("pool.txt"));
    EXPECT_EQ(g->readLine(), "001");
    EXPECT_EQ(g->takeRest(), "002\r\n");
    EXPECT_EQ(host.openTextFile(host.path("missing"))->takeRest(), "");
}

TEST_F(HostBaseTest, TickCountMovesForward) {
    std::uint32_t a = host.tickCount();
    usleep(20000);
    std::uint32_t b = host.tickCount();
    EXPECT_GE(b - a, 15u);
    EXPECT_LT(b - a, 5000u);
}

TEST_F(HostBaseTest, RandomRules) {
    host.seedRandom(42);
    EXPECT_EQ(host.random(1, 1), 1); // does not advance the generator
    int first = host.random(0, 1000000);
    host.seedRandom(42);
    EXPECT_EQ(host.random(0, 1000000), first);

    EXPECT_EQ(host.random(-5, -1), 0);
    bool seen[6] = {};
    for (int i = 0; i < 400; ++i) {
        int v = host.random(5, 2);
        ASSERT_GE(v, 2);
        ASSERT_LE(v, 5);
        seen[v] = true;
    }
    EXPECT_TRUE(seen[2] && seen[3] && seen[4] && seen[5]);
    int wide = host.random(0, 2147483647);
    EXPECT_GE(wide, 0);

    // Two seedings in a row (the same millisecond, most likely) differ.
    host.seedRandom();
    std::vector<int> a, b;
    for (int i = 0; i < 4; ++i)
        a.push_back(host.random(0, 1000000));
    host.seedRandom();
    for (int i = 0; i < 4; ++i)
        b.push_back(host.random(0, 1000000));
    EXPECT_NE(a, b);
}
