#include "pool/pool.h"

#include "host/core/linereader.h"
#include "host/core/text.h"
#include "support/corehost.h"
#include "support/tempdir.h"

#include <gtest/gtest.h>

#include <chrono>
#include <cstdio>
#include <fstream>
#include <random>

using namespace luckdial;

namespace {

/// A read-only text handle over bytes in memory.
class MemoryTextFile : public TextFile {
public:
    explicit MemoryTextFile(std::string text) : text_(std::move(text)), reader_(text_) {}
    bool isOpen() const override { return true; }
    bool atEnd() const override { return reader_.atEnd(); }
    std::string readLine() override { return std::string(reader_.readLine()); }
    std::uint64_t position() const override { return reader_.position(); }
    std::uint64_t length() const override { return text_.size(); }
    std::string readAll() override { return text_; }
    bool writeText(std::string_view) override { return false; }
    bool deleteBytes(std::uint64_t) override { return false; }
    void close() override {}

private:
    std::string text_;
    LineReader reader_;
};

std::vector<std::string> entries(const Pool& pool) {
    std::vector<std::string> out;
    for (std::size_t i = 0; i < pool.count(); ++i)
        out.emplace_back(pool.entryAt(i));
    return out;
}

Pool load(std::string text) {
    Pool pool;
    MemoryTextFile file(std::move(text));
    loadPool(pool, file, {}, {});
    return pool;
}

using V = std::vector<std::string>;

} // namespace

TEST(Pool, ListOperations) {
    Pool pool;
    EXPECT_EQ(pool.count(), 0u);
    EXPECT_EQ(pool.entryAt(0), "");
    pool.removeAt(0); // nothing to remove
    pool.append("001");
    pool.append("002");
    pool.append("001");
    pool.append("  003 ");
    EXPECT_EQ(entries(pool), (V{"001", "002", "001", "  003 "}));
    EXPECT_EQ(pool.entryAt(4), "");
    EXPECT_EQ(pool.entryAt(static_cast<std::size_t>(-1)), "");
    pool.removeAt(1);
    EXPECT_EQ(entries(pool), (V{"001", "001", "  003 "}));
    pool.removeAt(3); // out of range
    EXPECT_EQ(pool.count(), 3u);
    pool.append("004");
    pool.removeAt(0);
    EXPECT_EQ(entries(pool), (V{"001", "  003 ", "004"}));
    pool.clear();
    EXPECT_EQ(pool.count(), 0u);
    EXPECT_EQ(pool.entryAt(0), "");
}

TEST(Pool, MatchesAVectorUnderRandomOperations) {
    std::mt19937 rng(12345);
    Pool pool;
    std::vector<std::string> model;
    for (int step = 0; step < 60000; ++step) {
        int op = static_cast<int>(rng() % 10);
        if (op < 5 || model.empty()) {
            std::string e = std::to_string(rng() % 100000);
            if (rng() % 8 == 0) e += "\xD5\xC5"; // some GBK bytes
            pool.append(e);
            model.push_back(e);
        } else if (op < 8) {
            std::size_t pos = rng() % (model.size() + 2); // sometimes out of range
            pool.removeAt(pos);
            if (pos < model.size()) model.erase(model.begin() + static_cast<std::ptrdiff_t>(pos));
        } else {
            std::size_t pos = rng() % (model.size() + 2);
            ASSERT_EQ(pool.entryAt(pos), pos < model.size() ? model[pos] : std::string());
        }
        ASSERT_EQ(pool.count(), model.size());
        if (step % 10000 == 0) {
            ASSERT_EQ(entries(pool), model);
        }
    }
    EXPECT_EQ(entries(pool), model);
    std::string expected;
    for (const auto& e : model)
        expected += e + "\r\n";
    EXPECT_EQ(progressText(pool), expected);
    // Remove down to nothing from random positions.
    while (!model.empty()) {
        std::size_t pos = rng() % model.size();
        ASSERT_EQ(pool.entryAt(pos), model[pos]);
        pool.removeAt(pos);
        model.erase(model.begin() + static_cast<std::ptrdiff_t>(pos));
    }
    EXPECT_EQ(pool.count(), 0u);
    EXPECT_EQ(progressText(pool), "");
}

TEST(Pool, ProgressTextEndsEveryEntryWithCrLf) {
    Pool pool;
    EXPECT_EQ(progressText(pool), "");
    pool.append("001");
    pool.append("002");
    std::string text = progressText(pool);
    EXPECT_EQ(text, "001\r\n002\r\n");
    EXPECT_EQ(text.size(), 10u);
    EXPECT_EQ(entries(load(text)), (V{"001", "002"}));
}

TEST(PoolLoad, SkipsEmptyLinesAndKeepsSpaces) {
    EXPECT_EQ(entries(load("001\r\n\r\n002\r\n  003\r\n")), (V{"001", "002", "  003"}));
    EXPECT_EQ(entries(load("001\r\n002")), (V{"001", "002"}));
    EXPECT_EQ(load("\r\n\r\n\n").count(), 0u);
    EXPECT_EQ(entries(load("7\r\n7\r\n")), (V{"7", "7"}));
    EXPECT_EQ(entries(load("001\r\n002\r\n\x1A"
                           "003\r\n")),
              (V{"001", "002"}));
}

TEST(PoolLoad, ClearsThePoolFirst) {
    Pool pool;
    pool.append("old");
    MemoryTextFile file("new\r\n");
    loadPool(pool, file, {}, {});
    EXPECT_EQ(entries(pool), V{"new"});
}

TEST(PoolLoad, ReportsProgressByTheClock) {
    std::string text;
    for (int i = 0; i < 200000; ++i)
        text += std::to_string(10000000 + i) + "\r\n";
    MemoryTextFile file(text);
    std::uint32_t clock = 0;
    std::vector<std::pair<std::uint32_t, std::size_t>> calls;
    std::vector<double> shares;
    Pool pool;
    loadPool(
        pool, file, [&] { return clock += 25; },
        [&](std::size_t n, double done) {
            calls.emplace_back(clock, n);
            shares.push_back(done);
        });
    EXPECT_EQ(pool.count(), 200000u);
    ASSERT_GE(calls.size(), 3u); // some on the way, one at the end
    EXPECT_EQ(calls.back().second, 200000u);
    EXPECT_EQ(shares.back(), 1.0);
    for (std::size_t i = 1; i + 1 < calls.size(); ++i) {
        EXPECT_GE(calls[i].first - calls[i - 1].first, 30u);
        EXPECT_GT(calls[i].second, calls[i - 1].second);
        EXPECT_GT(shares[i], shares[i - 1]);
        EXPECT_LT(shares[i], 1.0);
    }
    // Without a clock only the final report comes.
    MemoryTextFile again(text);
    std::vector<std::size_t> counts;
    loadPool(pool, again, {}, [&](std::size_t n, double) { counts.push_back(n); });
    EXPECT_EQ(counts, std::vector<std::size_t>{200000u});
}

TEST(PoolLoad, FilesThroughTheHost) {
    TempDir dir;
    CoreHost host(dir.path());
    const std::string name = host.path(gbk("抽奖号码库.txt"));
    Pool pool;

    ASSERT_TRUE(host.writeFile(name, gbk("张三\r\n李四\r\n")));
    loadPool(pool, *host.openTextFile(name), {}, {});
    EXPECT_EQ(entries(pool), (V{gbk("张三"), gbk("李四")}));

    // A UTF-8 file: one three-byte character per line would join lines if it
    // were read as GBK.
    ASSERT_TRUE(host.writeFile(name, "中\n国\n王五\n"));
    loadPool(pool, *host.openTextFile(name), {}, {});
    EXPECT_EQ(entries(pool), (V{gbk("中"), gbk("国"), gbk("王五")}));

    // The progress file reads back unchanged.
    pool.removeAt(1);
    ASSERT_TRUE(host.writeFile(host.path(gbk("进度.txt")), progressText(pool)));
    Pool resumed;
    loadPool(resumed, *host.openTextFile(host.path(gbk("进度.txt"))), {}, {});
    EXPECT_EQ(entries(resumed), entries(pool));

    loadPool(pool, *host.openTextFile(host.path("missing.txt")), {}, {});
    EXPECT_EQ(pool.count(), 0u);
}

TEST(PoolLoad, OneMoreThanTheLimitLoadsCompactly) {
    TempDir dir;
    const std::size_t n = Pool::kLimit + 1;
    std::string text;
    text.reserve(n * 10);
    char line[16];
    for (std::size_t i = 0; i < n; ++i) {
        std::snprintf(line, sizeof line, "%08zu\r\n", i);
        text.append(line, 10);
    }
    CoreHost host(dir.path());
    ASSERT_TRUE(host.writeFile(host.path("big.txt"), text));

    auto start = std::chrono::steady_clock::now();
    Pool pool;
    loadPool(pool, *host.openTextFile(host.path("big.txt")), {}, {});
    auto seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    EXPECT_LT(seconds, 5.0);
    ASSERT_EQ(pool.count(), n);
    EXPECT_EQ(pool.entryAt(0), "00000000");
    EXPECT_EQ(pool.entryAt(n - 1), "03276000");
    EXPECT_LE(static_cast<double>(pool.memoryBytes()) / static_cast<double>(text.size()), 2.0);

    pool.removeAt(0);
    pool.removeAt(1234567);
    EXPECT_EQ(pool.entryAt(0), "00000001");
    EXPECT_EQ(pool.entryAt(1234566), "01234567");
    EXPECT_EQ(pool.entryAt(1234567), "01234569");
    EXPECT_EQ(pool.entryAt(n - 3), "03276000");
    EXPECT_EQ(progressText(pool).size(), text.size() - 20);
}

namespace {

/// Where a pool text is cut short: told only when more than line ends and
/// stop bytes would have followed; the entries are those of the line rules.
TEST(PoolTextStop, TellsTheLineWhereTheTextStoppedEarly) {
    using namespace std::string_literals;
    struct Case {
        const char* what;
        std::string text;
        bool early;
        std::size_t line;
        std::size_t entries;
    };
    const std::vector<Case> cases = {
        {"no stop byte", "1\r\n2\r\n3\r\n", false, 0, 3},
        {"NUL after the fifth line",
         "1\r\n2\r\n3\r\n4\r\n5\r\n\0"
         "6\r\n7\r\n"s,
         true, 6, 5},
        {"NUL inside the third line", "1\r\n2\r\n3\0x\r\n4\r\n"s, true, 3, 3},
        {"NUL as the first byte",
         "\0"
         "1\r\n"s,
         true, 1, 0},
        {"NUL after a lead byte",
         "1\r\n\xB0\0"
         "2\r\n"s,
         true, 2, 2},
        {"Ctrl-Z with lines after it",
         "1\r\n\x1A"
         "2\r\n",
         true, 2, 1},
        {"Ctrl-Z as the end-of-file mark", "1\r\n2\r\n\x1A", false, 0, 2},
        {"NUL padding at the end", "1\r\n2\r\n\0\0\r\n"s, false, 0, 2},
        {"empty lines before the NUL count",
         "1\r\n\r\n\r\n\0"
         "2"s,
         true, 4, 1},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        Pool pool;
        const TextStop stop = pool.assignLines(c.text);
        EXPECT_EQ(stop.early, c.early);
        EXPECT_EQ(stop.line, c.line);
        EXPECT_EQ(pool.count(), c.entries);
        MemoryTextFile file(c.text);
        Pool loaded;
        const TextStop viaLoader = loadPool(loaded, file, nullptr, nullptr);
        EXPECT_EQ(viaLoader.early, c.early);
        EXPECT_EQ(viaLoader.line, c.line);
        EXPECT_EQ(entries(loaded), entries(pool));
    }
}

} // namespace

TEST(PoolGroups, GroupsFollowTheirEntriesThroughRemovals) {
    struct Case {
        std::vector<std::size_t> removals; // 0-based positions, in turn
        std::vector<std::string> entries;
        std::vector<std::uint16_t> groups;
    };
    // Entries a..f in groups 1,2,1,0,2,1.
    const std::vector<Case> cases = {
        {{}, {"a", "b", "c", "d", "e", "f"}, {1, 2, 1, 0, 2, 1}},
        {{0}, {"b", "c", "d", "e", "f"}, {2, 1, 0, 2, 1}},
        {{2, 2}, {"a", "b", "e", "f"}, {1, 2, 2, 1}},
        {{5, 0, 3}, {"b", "c", "d"}, {2, 1, 0}},
    };
    for (const Case& c : cases) {
        Pool pool;
        for (const char* e : {"a", "b", "c", "d", "e", "f"})
            pool.append(e);
        ASSERT_TRUE(pool.setGroups({"S", "R"}, {1, 2, 1, 0, 2, 1}));
        for (const std::size_t p : c.removals)
            pool.removeAt(p);
        std::vector<std::string> entries;
        std::vector<std::uint16_t> groups;
        std::vector<std::uint16_t> walked;
        for (std::size_t k = 0; k < pool.count(); ++k) {
            entries.emplace_back(pool.entryAt(k));
            groups.push_back(pool.groupAt(k));
        }
        pool.forEachGroup([&](std::size_t position, std::uint16_t id) {
            EXPECT_EQ(position, walked.size());
            walked.push_back(id);
        });
        EXPECT_EQ(entries, c.entries);
        EXPECT_EQ(groups, c.groups);
        EXPECT_EQ(walked, c.groups);
        EXPECT_EQ(pool.groupName(1), "S");
        EXPECT_EQ(pool.groupName(2), "R");
        EXPECT_EQ(pool.groupName(0), "");
        EXPECT_EQ(pool.groupName(3), "");
    }
}

TEST(PoolGroups, RefusedUnlessOneNumberPerEntryBeforeAnyRemoval) {
    Pool pool;
    for (const char* e : {"a", "b", "c"})
        pool.append(e);
    EXPECT_FALSE(pool.setGroups({"S"}, {1, 1}));
    EXPECT_FALSE(pool.hasGroups());
    // A number beyond the names is no group.
    EXPECT_TRUE(pool.setGroups({"S"}, {1, 7, 0}));
    EXPECT_EQ(pool.groupAt(1), 0);
    pool.append("d");
    EXPECT_EQ(pool.groupAt(3), 0);
    pool.removeAt(0);
    EXPECT_FALSE(pool.setGroups({"S"}, {1, 1, 1}));
    EXPECT_FALSE(pool.hasGroups());
    EXPECT_EQ(pool.groupAt(0), 0);
    pool.assignLines("x\r\ny\r\n");
    EXPECT_FALSE(pool.hasGroups());
}
