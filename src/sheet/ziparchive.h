#pragma once
// A workbook's zip container, read part by part. Every part is read through a
// count: a part whose declared size or whose inflated bytes pass the limit is
// refused, so a small file that inflates to gigabytes cannot fill memory.

#include "sheet/sheet.h"

#include <QIODevice>

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

    /// The entry's index: the exact name, or else one differing in case only.
    std::optional<std::uint64_t> find(const std::string& name) const;
    /// A small part read whole, TooLarge past maxBytes.
    ReadError readAll(std::uint64_t index, std::string& out, std::uint64_t maxBytes) const;

    zip* handle() const { return zip_; }

private:
    zip* zip_ = nullptr;
    ReadError error_ = ReadError::None;
    ReadLimits limits_;
};

/// One part of the archive, inflated in order. Reading stops with an error
/// at the byte limit (maxUnzippedBytes) or on a broken stream, and status()
/// tells why.
class ZipEntryStream {
public:
    ZipEntryStream(const ZipArchive& archive, std::uint64_t index);
    ~ZipEntryStream();
    ZipEntryStream(const ZipEntryStream&) = delete;
    ZipEntryStream& operator=(const ZipEntryStream&) = delete;

    /// None while the part reads well; TooLarge or Damaged once it did not.
    ReadError status() const { return status_; }
    /// Up to size bytes into data: the count read, 0 at the end, -1 once
    /// status() is not None.
    std::int64_t read(char* data, std::size_t size);

private:
    zip_file* file_ = nullptr;
    std::uint64_t read_ = 0;
    std::uint64_t limit_ = 0;
    ReadError status_ = ReadError::None;
};

/// The same as a sequential device for QXmlStreamReader: when the stream
/// fails, the reader sees the document end early and status() tells why.
class ZipEntryDevice : public QIODevice {
public:
    ZipEntryDevice(const ZipArchive& archive, std::uint64_t index);

    ReadError status() const { return stream_.status(); }
    bool isSequential() const override { return true; }

protected:
    qint64 readData(char* data, qint64 maxSize) override;
    qint64 writeData(const char*, qint64) override { return -1; }

private:
    ZipEntryStream stream_;
};

} // namespace luckdial::sheet
