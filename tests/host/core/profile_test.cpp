#include "host/core/profile.h"

#include <gtest/gtest.h>

using namespace luckdial;

namespace {
const std::string kFile = "; made by hand\r\n"
                          "[zbt]\r\n"
                          "Title = Annual party \r\n"
                          "count=5\r\n"
                          "count=6\r\n"
                          "\r\n"
                          "[yanse]\r\n"
                          "count=7\r\n";
} // namespace

TEST(Profile, ReadsWithWindowsRules) {
    EXPECT_EQ(profile::read(kFile, "zbt", "title"), "Annual party");
    EXPECT_EQ(profile::read(kFile, "ZBT", "TITLE"), "Annual party");
    EXPECT_EQ(profile::read(kFile, "zbt", "count"), "5"); // the first of duplicates
    EXPECT_EQ(profile::read(kFile, "yanse", "count"), "7");
    EXPECT_EQ(profile::read(kFile, "zbt", "missing"), std::nullopt);
    EXPECT_EQ(profile::read(kFile, "nosection", "count"), std::nullopt);
    EXPECT_EQ(profile::read("", "zbt", "count"), std::nullopt);
    EXPECT_EQ(profile::read("[s]\nk=\n", "s", "k"), "");
    EXPECT_EQ(profile::read("[ s ]\nk=v", "s", "k"), "v"); // LF only, no final line end
    EXPECT_EQ(profile::read("k=top\n[s]\nk=v\n", "s", "k"), "v");
    EXPECT_EQ(profile::read("[s]\nk=a=b\n", "s", "k"), "a=b");
    EXPECT_EQ(profile::read("[s]\njust text\n", "s", "just text"), std::nullopt);
}

TEST(Profile, GbkNamesAreNotCaseFoldedInsideCharacters) {
    // 0x81 0x41 and 0x81 0x61 are two different characters whose second
    // bytes look like 'A' and 'a'.
    EXPECT_EQ(profile::read("[s]\r\n\x81\x41=1\r\n", "s", "\x81\x61"), std::nullopt);
    EXPECT_EQ(profile::read("[s]\r\n\x81\x41=1\r\n", "S", "\x81\x41"), "1");
    // 0x5D (']') as the second byte of a character does not close the name.
    EXPECT_EQ(profile::read("[\x81\x5D]\r\nk=v\r\n", "\x81\x5D", "k"), "v");
    std::string key = "\xBC\xC6\xCA\xFD"
                      "1"; // 计数1
    EXPECT_EQ(profile::read("[jindu]\r\n" + key + "=3\r\n", "jindu", key), "3");
}

TEST(Profile, LongValuesAreCut) {
    std::string value(20000, 'x');
    std::string text = "[s]\r\nk=" + value + "\r\n";
    EXPECT_EQ(profile::read(text, "s", "k")->size(), 10239u);
}

TEST(Profile, WriteReplacesInPlaceAndKeepsEverythingElse) {
    std::string out = profile::write(kFile, "ZBT", "COUNT", "9");
    EXPECT_EQ(out, "; made by hand\r\n"
                   "[zbt]\r\n"
                   "Title = Annual party \r\n"
                   "count=9\r\n"
                   "count=6\r\n"
                   "\r\n"
                   "[yanse]\r\n"
                   "count=7\r\n");
    EXPECT_EQ(profile::read(out, "zbt", "count"), "9");
}

TEST(Profile, WriteAppendsNewKeyAtEndOfItsSection) {
    std::string out = profile::write(kFile, "zbt", "new", "x y");
    EXPECT_EQ(out, "; made by hand\r\n"
                   "[zbt]\r\n"
                   "Title = Annual party \r\n"
                   "count=5\r\n"
                   "count=6\r\n"
                   "new=x y\r\n"
                   "\r\n"
                   "[yanse]\r\n"
                   "count=7\r\n");
    EXPECT_EQ(profile::write("[a]\r\n[b]\r\n", "a", "k", "1"), "[a]\r\nk=1\r\n[b]\r\n");
}

TEST(Profile, WriteAppendsNewSectionAtEndOfFile) {
    EXPECT_EQ(profile::write("", "jindu", "k", "1"), "[jindu]\r\nk=1\r\n");
    // A last line without line end gets one; LF-only lines come out as CR LF.
    EXPECT_EQ(profile::write("[a]\nx=1", "b", "y", "2"), "[a]\r\nx=1\r\n[b]\r\ny=2\r\n");
    EXPECT_EQ(profile::read(profile::write(kFile, "weizhi", "w", "800"), "weizhi", "w"), "800");
}

TEST(Profile, WriteCannotInjectLines) {
    std::string out = profile::write("", "s", "k", "a\r\n[t]\r\nx=1");
    EXPECT_EQ(out, "[s]\r\nk=a\r\n");
    EXPECT_EQ(profile::read(out, "t", "x"), std::nullopt);
}

TEST(Profile, RemoveKeyDropsEveryCopyInItsSectionOnly) {
    std::string out = profile::removeKey(kFile, "zbt", "count");
    EXPECT_EQ(out, "; made by hand\r\n"
                   "[zbt]\r\n"
                   "Title = Annual party \r\n"
                   "\r\n"
                   "[yanse]\r\n"
                   "count=7\r\n");
    EXPECT_EQ(profile::read(out, "zbt", "count"), std::nullopt);
    // Nothing to remove: the text comes back byte for byte.
    EXPECT_EQ(profile::removeKey("[a]\nx=1", "a", "y"), "[a]\nx=1");
}

TEST(Profile, RemoveSectionDropsHeaderAndKeys) {
    std::string out = profile::removeSection(kFile, "Zbt");
    EXPECT_EQ(out, "; made by hand\r\n"
                   "[yanse]\r\n"
                   "count=7\r\n");
    EXPECT_EQ(profile::removeSection("[a]\nx=1\n[b]\ny=2\n[a]\nz=3\n", "a"), "[b]\r\ny=2\r\n");
    EXPECT_EQ(profile::removeSection("[a]\nx=1", "b"), "[a]\nx=1");
}

TEST(Profile, QuotedValuesReadWithoutTheirQuotes) {
    EXPECT_EQ(profile::read("[s]\r\nk=\"Annual party\"\r\n", "s", "k"), "Annual party");
    EXPECT_EQ(profile::read("[s]\r\nk = ' two blanks  ' \r\n", "s", "k"), " two blanks  ");
    EXPECT_EQ(profile::read("[s]\r\nk=\"\"\r\n", "s", "k"), "");
    // Only one matching pair comes off.
    EXPECT_EQ(profile::read("[s]\r\nk=\"'x'\"\r\n", "s", "k"), "'x'");
    EXPECT_EQ(profile::read("[s]\r\nk=\"x'\r\n", "s", "k"), "\"x'");
    EXPECT_EQ(profile::read("[s]\r\nk=\"\r\n", "s", "k"), "\"");
    EXPECT_EQ(profile::read("[s]\r\nk=a \"b\"\r\n", "s", "k"), "a \"b\"");
    // A value that is quoted itself is written so that it reads back as given.
    for (std::string value : {"\"x\"", "'y'", "\"\"", "'", "\" \""}) {
        const std::string file = profile::write("[s]\r\n", "s", "k", value);
        EXPECT_EQ(profile::read(file, "s", "k"), value) << file;
    }
    EXPECT_EQ(profile::write("", "s", "k", "\"x\""), "[s]\r\nk=\"\"x\"\"\r\n");
    // Blanks around a quoted value are dropped by reading before the quotes
    // are looked at: such a value reads back as its trimmed self.
    for (std::string value : {"' \t' \t", " \"a\" ", "\t'' "}) {
        const std::string file = profile::write("[s]\r\n", "s", "k", value);
        const std::size_t first = value.find_first_not_of(" \t");
        const std::size_t last = value.find_last_not_of(" \t");
        EXPECT_EQ(profile::read(file, "s", "k"), value.substr(first, last - first + 1)) << file;
    }
}
