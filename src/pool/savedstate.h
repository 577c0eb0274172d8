#pragma once
// The saved forms of an event's state beyond the plain progress file: the
// check value that ties the stored counters to one progress text, and the
// recovery record written after every draw. Pure byte work, no files.
//
// Recovery record (GBK; the header is ASCII):
//   "LUCKDIAL RECOVERY 1" CR LF
//   "counters" and the eight counters, each after one space, CR LF
//   "pool <entries> <bytes>" CR LF
//   "results <bytes>" CR LF
//   "check <CRC-32 of the four lines above and the body, 8 hex digits>" CR LF
//   CR LF
//   body: the pool as the progress file holds it, then the results text.
// A record of a pool with groups is version 2: "LUCKDIAL RECOVERY 2", a line
// "groups <bytes>" after the results line, and the group file's text (see
// groupfile.h) at the end of the body. Version 1 records are still read.

#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace luckdial {

/// CRC-32 (the polynomial of zip and PNG), continued from crc.
std::uint32_t crc32(std::string_view data, std::uint32_t crc = 0);

/// "<bytes> <CRC-32 as 8 hex digits>" of a progress text.
std::string progressCheck(std::string_view progressText);

struct RecoveryContent {
    std::array<std::int32_t, 8> counters{};
    std::size_t poolCount = 0;
    /// The pool as the progress file holds it: every entry followed by CR LF.
    std::string poolText;
    std::string results;
    /// The group file's text; empty in a version 1 record.
    std::string groups;
};

/// The header of a record holding these parts; the record is the header,
/// then poolText, then results, then groups (version 2 when groups are given).
std::string recoveryHeader(const std::array<std::int32_t, 8>& counters, std::size_t poolCount,
                           std::string_view poolText, std::string_view results,
                           std::string_view groups = {});

/// The content of a record, or nothing when it is damaged: a header that
/// does not parse, lengths that do not add up to the file, a check value that
/// fails, or a pool text that does not read back as the stated number of
/// entries.
std::optional<RecoveryContent> parseRecoveryRecord(std::string_view bytes);

} // namespace luckdial
