#pragma once
// A workbook's zip container, read part by part. Every part is read through a
// count: a part whose declared size, or the parts whose inflated bytes
// together, pass the limit are refused, so a small file that inflates to
// gigabytes can neither fill memory nor keep the reader busy for minutes.

#include "sheet/sheet.h"

#include <memory>
#include <optional>
#include <string>

struct zip;
struct zip_file;

namespace luckdial::sheet {

class ZipArchive {
public:
    /// Opens the file as a zip: TooLarge past maxFileBytes, CannotOpen when it
    /// cannot be read, Damaged when it starts like a zip but is not a whole
    /// one, NotSpreadsheet when it is no zip at all.
    ZipArchive(const std::string& path, const ReadLimits& limits);
    ~ZipArchive();
    ZipArchive(const ZipArchive&) = delete;
    ZipArchive& operator=(const ZipArchive&) = delete;

    ReadError error() const { return error_; }
    const ReadLimits& limits() const { return limits_; }

    /// The entry's index: the exact name, or else one differing in case or in
    /// its separators only (some writers name parts "xl\\workbook.xml").
    std::optional<std::uint64_t> find(const std::string& name) const;
    /// Entries in the archive.
    std::uint64_t entries() const { return entries_; }
    /// The entry's name with "/" as separator; empty when there is none.
    std::string name(std::uint64_t index) const;
    /// A small part read whole, TooLarge past maxBytes.
    ReadError readAll(std::uint64_t index, std::string& out, std::uint64_t maxBytes) const;

    zip* handle() const { return zip_; }

private:
    friend class ZipEntryStream;

    zip* zip_ = nullptr;
    ReadError error_ = ReadError::None;
    ReadLimits limits_;
    std::uint64_t entries_ = 0;
    /// Bytes inflated from every part so far, against maxUnzippedBytes.
    mutable std::uint64_t inflated_ = 0;
};

/// One part of the archive, inflated in order. Reading stops with an error
/// at the byte limit (maxUnzippedBytes, for all parts together), on a broken
/// stream or when the read is cancelled, and status() tells why.
class ZipEntryStream {
public:
    ZipEntryStream(const ZipArchive& archive, std::uint64_t index);
    ~ZipEntryStream();
    ZipEntryStream(const ZipEntryStream&) = delete;
    ZipEntryStream& operator=(const ZipEntryStream&) = delete;

    /// None while the part reads well; TooLarge, Damaged, PasswordProtected
    /// or Cancelled once it did not.
    ReadError status() const { return status_; }
    /// Up to size bytes into data: the count read, 0 at the end, -1 once
    /// status() is not None.
    std::int64_t read(char* data, std::size_t size);

private:
    const ZipArchive& archive_;
    zip_file* file_ = nullptr;
    std::uint64_t read_ = 0;
    std::uint64_t size_ = 0;
    ReadError status_ = ReadError::None;
};

} // namespace luckdial::sheet
