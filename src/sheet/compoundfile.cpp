#include "sheet/compoundfile.h"

#include <algorithm>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

namespace luckdial::sheet {

namespace {

constexpr std::uint32_t kEndOfChain = 0xFFFFFFFE;
constexpr std::uint32_t kMaxRegular = 0xFFFFFFFA;

std::uint32_t u32(const std::string& b, std::size_t at) {
    if (at + 4 > b.size()) return kEndOfChain;
    return static_cast<std::uint32_t>(static_cast<unsigned char>(b[at])) |
           static_cast<std::uint32_t>(static_cast<unsigned char>(b[at + 1])) << 8 |
           static_cast<std::uint32_t>(static_cast<unsigned char>(b[at + 2])) << 16 |
           static_cast<std::uint32_t>(static_cast<unsigned char>(b[at + 3])) << 24;
}

std::uint16_t u16(const std::string& b, std::size_t at) {
    if (at + 2 > b.size()) return 0;
    return static_cast<std::uint16_t>(static_cast<unsigned char>(b[at]) |
                                      static_cast<unsigned char>(b[at + 1]) << 8);
}

class Container {
public:
    explicit Container(const std::string& path) {
        fd_ = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
        struct stat st {};
        if (fd_ < 0 || fstat(fd_, &st) != 0) return;
        size_ = static_cast<std::uint64_t>(st.st_size);
        ok_ = readAt(0, 512, header_) &&
              header_.compare(0, 8, "\xD0\xCF\x11\xE0\xA1\xB1\x1A\xE1") == 0;
        if (!ok_) return;
        const unsigned shift = u16(header_, 0x1E), miniShift = u16(header_, 0x20);
        ok_ = (shift == 9 || shift == 12) && miniShift == 6;
        sector_ = 1u << shift;
        ok_ = ok_ && loadFat();
    }
    ~Container() {
        if (fd_ >= 0) ::close(fd_);
    }
    Container(const Container&) = delete;
    Container& operator=(const Container&) = delete;

    bool ok() const { return ok_; }
    std::uint32_t sector() const { return sector_; }
    std::uint64_t sectors() const { return size_ / sector_ + 1; }

    bool readAt(std::uint64_t offset, std::size_t n, std::string& out) const {
        out.resize(n);
        ssize_t got = ::pread(fd_, out.data(), n, static_cast<off_t>(offset));
        return got == static_cast<ssize_t>(n);
    }
    bool readSector(std::uint32_t id, std::string& out) const {
        return id <= kMaxRegular &&
               readAt((static_cast<std::uint64_t>(id) + 1) * sector_, sector_, out);
    }
    /// The sector after id in a chain of the allocation table.
    std::uint32_t next(const std::vector<std::uint32_t>& table, std::uint32_t id) const {
        return id < table.size() ? table[id] : kEndOfChain;
    }
    /// Visits the chain from start; false when it is broken or loops.
    template <class F>
    bool chain(const std::vector<std::uint32_t>& table, std::uint32_t start, F&& f) const {
        std::uint64_t steps = 0;
        for (std::uint32_t id = start; id != kEndOfChain; id = next(table, id)) {
            if (id > kMaxRegular || id >= table.size() || ++steps > table.size()) return false;
            if (!f(id)) return true;
        }
        return true;
    }

    const std::vector<std::uint32_t>& fat() const { return fat_; }
    const std::string& header() const { return header_; }

private:
    bool loadFat() {
        // The allocation table's sectors: 109 in the header, the rest in a
        // chain of extension sectors.
        std::vector<std::uint32_t> ids;
        for (std::size_t i = 0; i < 109; ++i) {
            std::uint32_t id = u32(header_, 0x4C + 4 * i);
            if (id <= kMaxRegular) ids.push_back(id);
        }
        std::uint32_t ext = u32(header_, 0x44);
        std::string block;
        for (std::uint64_t steps = 0; ext <= kMaxRegular; ++steps) {
            if (steps > sectors() || !readSector(ext, block)) return false;
            for (std::size_t i = 0; i + 1 < sector_ / 4; ++i) {
                std::uint32_t id = u32(block, 4 * i);
                if (id <= kMaxRegular) ids.push_back(id);
            }
            ext = u32(block, sector_ - 4);
        }
        if (ids.size() > sectors()) return false;
        for (std::uint32_t id : ids) {
            if (!readSector(id, block)) return false;
            for (std::size_t i = 0; i < sector_ / 4; ++i)
                fat_.push_back(u32(block, 4 * i));
        }
        return !fat_.empty();
    }

    int fd_ = -1;
    bool ok_ = false;
    std::uint64_t size_ = 0;
    std::uint32_t sector_ = 512;
    std::string header_;
    std::vector<std::uint32_t> fat_;
};

bool sameName(std::u16string_view a, std::string_view b) {
    if (a.size() != b.size()) return false;
    for (std::size_t i = 0; i < a.size(); ++i) {
        char16_t x = a[i];
        char y = b[i];
        if (x >= 'A' && x <= 'Z') x = static_cast<char16_t>(x - 'A' + 'a');
        if (y >= 'A' && y <= 'Z') y = static_cast<char>(y - 'A' + 'a');
        if (x != static_cast<char16_t>(static_cast<unsigned char>(y))) return false;
    }
    return true;
}

} // namespace

bool readCompoundStream(const std::string& path, std::initializer_list<std::string_view> names,
                        const std::function<bool(std::string_view)>& sink) {
    Container file(path);
    if (!file.ok()) return false;
    const std::string& header = file.header();
    // The directory: 128-byte entries in a chain of sectors.
    struct Entry {
        std::u16string name;
        int type = 0;
        std::uint32_t start = 0;
        std::uint64_t size = 0;
    };
    std::vector<Entry> entries;
    std::string block;
    bool sound = file.chain(file.fat(), u32(header, 0x30), [&](std::uint32_t id) {
        if (!file.readSector(id, block)) return false;
        for (std::size_t at = 0; at + 128 <= block.size(); at += 128) {
            Entry e;
            const std::size_t length = std::min<std::size_t>(u16(block, at + 64), 64) / 2;
            for (std::size_t k = 0; k + 1 < length; ++k)
                e.name += static_cast<char16_t>(u16(block, at + 2 * k));
            e.type = static_cast<unsigned char>(block[at + 66]);
            e.start = u32(block, at + 116);
            e.size = u32(block, at + 120);
            entries.push_back(std::move(e));
        }
        return true;
    });
    if (!sound || entries.empty()) return false;
    const Entry* stream = nullptr;
    for (std::string_view wanted : names)
        for (const Entry& e : entries)
            if (!stream && e.type == 2 && sameName(e.name, wanted)) stream = &e;
    if (!stream) return false;

    std::uint64_t left = stream->size;
    if (left >= u32(header, 0x38)) {
        return file.chain(file.fat(), stream->start, [&](std::uint32_t id) {
            if (!file.readSector(id, block)) return false;
            const std::size_t n =
                static_cast<std::size_t>(std::min<std::uint64_t>(left, block.size()));
            left -= n;
            return sink(std::string_view(block.data(), n)) && left > 0;
        });
    }
    // A small stream lives in the mini stream (the root entry's chain), in
    // 64-byte sectors of its own allocation table.
    std::vector<std::uint32_t> miniFat;
    bool ok = file.chain(file.fat(), u32(header, 0x3C), [&](std::uint32_t id) {
        if (!file.readSector(id, block) || miniFat.size() > file.sectors() * 8) return false;
        for (std::size_t i = 0; i < block.size() / 4; ++i)
            miniFat.push_back(u32(block, 4 * i));
        return true;
    });
    std::vector<std::uint32_t> rootSectors;
    ok = ok && file.chain(file.fat(), entries[0].start, [&](std::uint32_t id) {
        rootSectors.push_back(id);
        return true;
    });
    if (!ok) return false;
    const std::uint32_t perSector = file.sector() / 64;
    return file.chain(miniFat, stream->start, [&](std::uint32_t mini) {
        const std::uint32_t which = mini / perSector;
        if (which >= rootSectors.size() || !file.readSector(rootSectors[which], block))
            return false;
        const std::size_t n = static_cast<std::size_t>(std::min<std::uint64_t>(left, 64));
        left -= n;
        return sink(std::string_view(block.data() + (mini % perSector) * 64, n)) && left > 0;
    });
}

} // namespace luckdial::sheet
