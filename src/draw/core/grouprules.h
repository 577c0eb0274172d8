#pragma once
// Prize rules by group: which groups (departments) a level may draw from and
// how many seats of the level's quota each group has. A level without rules
// never comes here; the plain draw stays as it is. Pure logic, GBK text.

#include "draw/core/winners.h"
#include "pool/groupfile.h"

#include <cstdint>
#include <functional>
#include <map>
#include <string>
#include <string_view>
#include <vector>

namespace luckdial {

class Pool;

struct GroupQuota {
    std::string group;
    std::int32_t seats = 0;
};

/// The rule of one prize level.
struct LevelRule {
    /// Groups that may win; empty: every entry, with or without a group.
    std::vector<std::string> eligible;
    /// Seats reserved for a group inside the level's quota; such a group may
    /// win up to its seats even when it is not listed in `eligible`.
    std::vector<GroupQuota> quotas;
    bool active() const { return !eligible.empty() || !quotas.empty(); }
};

/// Reads the stored texts: groups separated by "、" ("销售部、研发部"), quotas
/// as group, ":" (or "："), a whole number ("销售部:5、研发部:5"). Empty parts
/// and quotas that are not a positive number are left out; a group named
/// twice keeps its first place and its last quota.
LevelRule parseLevelRule(std::string_view eligibleText, std::string_view quotaText);
std::string eligibleText(const LevelRule& rule);
std::string quotaText(const LevelRule& rule);
/// What the operator sees beside the level: "仅限 销售部、研发部", with the
/// quotas after it ("销售部5名、研发部5名"); empty for a level without rules.
std::string ruleCaption(const LevelRule& rule);

/// Seats each group has taken in one level.
using GroupTally = std::map<std::string, std::int32_t, std::less<>>;

/// A preset winner the level has still to draw: the winner number its field
/// is fixed to and the group it counts for (that of the first equal pool
/// entry; empty when the pool holds none).
struct PendingPreset {
    std::int32_t winnerNumber = 0;
    std::string group;
    bool operator==(const PendingPreset&) const = default;
};

/// The inputs' preset winners fixed to winner numbers from winnerNumber up
/// to the quota (levelLimit - 1), in the order of their numbers.
std::vector<PendingPreset> pendingPresets(const Pool& pool, const DrawInputs& in,
                                          std::int32_t winnerNumber, std::int32_t levelLimit);

/// The seats of one level: its rule, its quota and what each group has won.
class GroupSeats {
public:
    GroupSeats(LevelRule rule, std::int32_t quota, std::int32_t drawn, GroupTally taken);

    /// An entry of this group may win the next seat: the group is eligible and
    /// has a seat of its own left, or it has no quota and a free seat is left.
    /// Seats held for preset winners are not open to anyone else.
    bool open(std::string_view group) const;
    /// A winner of this group takes a seat.
    void take(std::string_view group);

    /// Holds a seat for each preset winner still to come, in its group's
    /// quota when the group has one, otherwise among the free seats.
    void holdForPresets(std::vector<PendingPreset> presets);
    /// Frees the seat held for the preset of this winner number, so that the
    /// preset's own turn can take it; false when none was held.
    bool release(std::int32_t winnerNumber);
    /// The same seats with nothing held for presets.
    GroupSeats withoutPresets() const;
    /// Seats of the level not yet drawn.
    std::int32_t remaining() const { return quota_ - drawn_; }
    /// Seats still reserved for the group (0 for a group without quota).
    std::int32_t reservedLeft(std::string_view group) const;
    /// Seats not reserved for any group (negative when the quotas overrun).
    std::int32_t freeSeats() const;
    const LevelRule& rule() const { return rule_; }

    /// What keeps the level from being drawn as its rule says, as the
    /// message to show before the scroll, or empty. With repeats allowed an
    /// entry may win again, so one entry is enough for any number of seats;
    /// so is an entry equal to one of the presets, which a random win leaves
    /// in the pool. Held presets must fit their groups' seats and the rule.
    std::string problem(const Pool& pool, bool allowRepeat, std::string_view level,
                        const std::vector<std::string>& presetTexts = {}) const;

private:
    bool listed(std::string_view group) const;
    const GroupQuota* quotaOf(std::string_view group) const;
    std::int32_t takenBy(std::string_view group) const;
    std::int32_t heldBy(std::string_view group) const;
    /// Seats of the group's quota left for winners drawn at random.
    std::int32_t reservedForDraws(std::string_view group) const;
    /// Seats of no group's quota left for winners drawn at random.
    std::int64_t freeForDraws() const;
    std::string presetProblem(const std::string& name) const;

    LevelRule rule_;
    std::int32_t quota_;
    std::int32_t drawn_;
    GroupTally taken_;
    std::vector<PendingPreset> held_;
};

/// 0-based pool positions, in order, of the entries that may win now.
std::vector<std::uint32_t> eligiblePositions(const Pool& pool, const GroupSeats& seats);

/// One scroll frame drawn from the eligible positions only, with the same
/// generator steps and layout as the plain scroll.
std::string buildEligibleFrame(const Pool& pool, DrawGenerator& gen, std::int32_t entries,
                               const std::vector<std::uint32_t>& eligible, double columns,
                               std::vector<std::string_view>& scratch);

/// The final draw of a level with rules: each winner by the same reseed,
/// generator step and index rule as the plain draw, over the entries still
/// eligible; presets, masking, removal and the early ends as there. A
/// preset winner counts for the group of the first equal entry of the pool.
/// Ends early (noneEligible) when nobody may win the next seat.
struct RuleOutcome {
    DrawOutcome draw;
    /// Group of each winner, in the order of draw.winners.
    std::vector<std::string> groups;
    bool noneEligible = false;
};
RuleOutcome drawWinnersByRule(Pool& pool, DrawGenerator& gen, const DrawInputs& in,
                              GroupSeats& seats, std::int32_t& winnerNumber,
                              std::int32_t levelLimit,
                              const std::function<std::uint32_t()>& clockMs,
                              const std::function<void(const DrawnWinner&, std::string_view group,
                                                       const std::string& label)>& onWinner = {});

/// The group of each non-empty line of the results text (GBK; the rows of
/// resultRows, in order): a winner line takes the group of the next recorded
/// winner with the same entry; forfeit lines and lines no winner recorded
/// have none.
std::vector<std::string> resultLineGroups(std::string_view gbkResults,
                                          const std::vector<WinnerGroup>& winners);

/// The results text as the results window shows it: every line bounded as
/// on screen, and each winner line with a group followed by the winner
/// separator and the group (a column 分组).
std::string resultsWithGroups(std::string_view gbkResults, const std::vector<WinnerGroup>& winners);

/// Adds the column 分组 to the winners spreadsheet's rows (resultRows of the
/// results text): each winner row takes the group of the next recorded
/// winner with the same entry, in order; forfeit rows and rows with no such
/// winner stay empty. Cells are UTF-8.
void addGroupColumn(std::vector<std::string>& columns, std::vector<std::vector<std::string>>& rows,
                    const std::vector<WinnerGroup>& winners);

} // namespace luckdial
