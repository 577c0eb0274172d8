#pragma once
// Groups (departments) beside a pool text that stays one entry per line: the
// group file holds the group names, each entry's group number and the groups
// of the winners drawn so far, tied to the entries by a check value, so a
// pool text edited by hand is noticed rather than matched to wrong groups.
// Pure byte work, no files.
//
// Group file (GBK; keywords ASCII), every line ending in CR LF:
//   "LUCKDIAL GROUPS 1"
//   "entries <check of the entries as a progress text holds them>"
//   "names <k>", then k lines: the group names, number 1 first
//   "members <n>", then n lines: each entry's group number (0: none)
//   "winners <m>", then m lines: "<row> <forfeited 0|1> <group number>" TAB entry

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace luckdial {

class Pool;

/// The group of one winner, in the order of the draws.
struct WinnerGroup {
    int row = 0;       ///< prize row 1 to 8
    std::string entry; ///< as the results line holds it
    std::string group; ///< empty: no group
    bool forfeited = false;
    bool operator==(const WinnerGroup&) const = default;
};

struct GroupFile {
    /// progressCheck of the entries it belongs to.
    std::string check;
    std::vector<std::string> names;
    std::vector<std::uint16_t> members;
    std::vector<WinnerGroup> winners;
};

/// progressCheck(progressText(pool)), without building the text.
std::string entriesCheck(const Pool& pool);

/// The group file of a pool (its names, each entry's number) and winners.
std::string groupFileText(const Pool& pool, const std::vector<WinnerGroup>& winners);
/// The group file of entries whose progress text has the given check.
std::string groupFileText(const GroupFile& file);

/// The content, or nothing when the text is not a whole group file.
std::optional<GroupFile> parseGroupFile(std::string_view text);

/// Gives the pool the file's groups when the file belongs to its entries
/// (same check, one number per entry); false, with the pool unchanged, when not.
bool applyGroupFile(Pool& pool, GroupFile file);

/// Marks the latest winner of the row whose entry equals `entry` as
/// forfeited and returns that winner's group; nothing when there is none.
std::optional<std::string> forfeitWinnerGroup(std::vector<WinnerGroup>& winners, int row,
                                              std::string_view entry);

/// Group names in the order of their size, largest first, with their sizes.
std::vector<std::pair<std::string, std::size_t>> groupSizes(const Pool& pool);

} // namespace luckdial
