// Line reading and the pool loader against a plain model of the line rules.
// The model walks the bytes one at a time, so it shares nothing with the
// block scanning of the reader or the in-place compaction of the loader.

#include "host/core/linereader.h"
#include "pool/pool.h"

#include "check.h"

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace {

using Lines = std::vector<std::string>;

// What readLine returns until atEnd. A byte from 0x80 takes the next byte
// with it, so that byte is never a line feed or a Ctrl-Z; a NUL ends the text
// even there (after the lead byte). A line feed of its own ends a line; a NUL
// or a Ctrl-Z of its own ends the line and the text. One trailing CR of each
// line is dropped; nothing else is trimmed.
Lines modelLines(std::string_view t) {
    Lines lines;
    auto emit = [&](std::size_t from, std::size_t to) {
        std::string line(t.substr(from, to - from));
        if (!line.empty() && line.back() == '\r') line.pop_back();
        lines.push_back(std::move(line));
    };
    const std::size_t n = t.size();
    std::size_t start = 0;
    std::size_t i = 0;
    for (;;) {
        if (i >= n) {
            if (start < n) emit(start, n);
            return lines;
        }
        const auto b = static_cast<unsigned char>(t[i]);
        if (b >= 0x80) {
            if (i + 1 < n && t[i + 1] == '\0') {
                emit(start, i + 1);
                return lines;
            }
            i += 2;
        } else if (b == '\n') {
            emit(start, i);
            start = ++i;
        } else if (b == 0x00 || b == 0x1A) {
            emit(start, i);
            return lines;
        } else {
            ++i;
        }
    }
}

Lines readLines(std::string_view text) {
    luckdial::LineReader reader(text);
    Lines out;
    while (!reader.atEnd()) {
        out.emplace_back(reader.readLine());
        FUZZ_CHECK(out.size() <= text.size() + 1); // a reader that no longer moves
    }
    return out;
}

Lines poolEntries(const luckdial::Pool& pool) {
    Lines out;
    pool.forEach([&](std::string_view e) { out.emplace_back(e); });
    return out;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string text(reinterpret_cast<const char*>(data), size);
    const Lines expected = modelLines(text);

    FUZZ_CHECK(readLines(text) == expected);

    Lines each;
    luckdial::LineReader reader(text);
    reader.forEachLine([&](std::string_view line) { each.emplace_back(line); });
    FUZZ_CHECK(each == expected);

    // The loader keeps the non-empty lines, in file order, byte for byte.
    Lines entries;
    std::string progress;
    for (const std::string& line : expected) {
        if (line.empty()) continue;
        entries.push_back(line);
        progress += line + "\r\n";
    }
    luckdial::Pool pool;
    pool.assignLines(text);
    FUZZ_CHECK(pool.count() == entries.size());
    FUZZ_CHECK(poolEntries(pool) == entries);
    std::size_t bytes = 0;
    for (std::size_t k = 0; k < entries.size(); ++k) {
        FUZZ_CHECK(pool.entryAt(k) == entries[k]);
        bytes += entries[k].size();
    }
    FUZZ_CHECK(pool.entryAt(entries.size()).empty());
    FUZZ_CHECK(pool.entryBytes() == bytes);
    FUZZ_CHECK(luckdial::progressText(pool) == progress);

    // Removals at positions taken from the input keep the rest in order.
    for (std::size_t step = 0; step < 8 && !entries.empty() && size > 0; ++step) {
        const std::size_t at = data[(step * 7) % size] % (entries.size() + 1);
        pool.removeAt(at); // one past the end does nothing
        if (at < entries.size()) entries.erase(entries.begin() + static_cast<std::ptrdiff_t>(at));
        FUZZ_CHECK(pool.count() == entries.size());
        for (std::size_t k = 0; k < entries.size(); ++k)
            FUZZ_CHECK(pool.entryAt(k) == entries[k]);
        FUZZ_CHECK(poolEntries(pool) == entries);
    }
    return 0;
}
