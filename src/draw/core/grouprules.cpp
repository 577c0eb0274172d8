#include "draw/core/grouprules.h"

#include "draw/core/resultrows.h"
#include "host/core/displaytext.h"
#include "host/core/text.h"
#include "pool/pool.h"

#include <algorithm>
#include <cmath>
#include <limits>
#include <optional>
#include <unordered_map>
#include <utility>

namespace luckdial {

namespace {

/// Splits GBK text at every separator that starts on a character boundary
/// (a two-byte character's second byte is never taken for part of one).
std::vector<std::string> splitGbk(std::string_view text, const std::vector<std::string>& seps) {
    std::vector<std::string> parts;
    std::string part;
    std::size_t i = 0;
    while (i < text.size()) {
        bool cut = false;
        for (const std::string& sep : seps) {
            if (!sep.empty() && text.substr(i, sep.size()) == sep) {
                parts.push_back(std::move(part));
                part.clear();
                i += sep.size();
                cut = true;
                break;
            }
        }
        if (cut) continue;
        const std::size_t width = static_cast<unsigned char>(text[i]) >= 0x80 ? 2 : 1;
        part.append(text.substr(i, width));
        i += width;
    }
    parts.push_back(std::move(part));
    return parts;
}

std::string trimmed(std::string_view s) {
    const auto blank = [](char c) { return c == ' ' || c == '\t'; };
    while (!s.empty() && blank(s.front()))
        s.remove_prefix(1);
    while (!s.empty() && blank(s.back()))
        s.remove_suffix(1);
    return std::string(s);
}

const std::string& listSep() {
    static const std::string s = gbk("、");
    return s;
}

std::string number(std::int64_t n) {
    return toText(static_cast<long long>(n));
}

} // namespace

LevelRule parseLevelRule(std::string_view eligibleText, std::string_view quotaText) {
    LevelRule rule;
    const std::vector<std::string> listSeps = {listSep(), ","};
    for (const std::string& raw : splitGbk(eligibleText, listSeps)) {
        std::string g = trimmed(raw);
        if (!g.empty() &&
            std::find(rule.eligible.begin(), rule.eligible.end(), g) == rule.eligible.end())
            rule.eligible.push_back(std::move(g));
    }
    for (const std::string& raw : splitGbk(quotaText, listSeps)) {
        std::vector<std::string> pair = splitGbk(raw, {":", gbk("：")});
        if (pair.size() < 2) continue;
        // The seats follow the last colon, so a name may hold one.
        const std::string seatsText = trimmed(pair.back());
        pair.pop_back();
        std::string g;
        for (std::size_t k = 0; k < pair.size(); ++k)
            g += (k ? ":" : "") + pair[k];
        g = trimmed(g);
        const double seats = std::trunc(toNumber(seatsText));
        if (g.empty() || !(seats >= 1)) continue;
        const auto n = static_cast<std::int32_t>(std::min<double>(seats, 1e9));
        auto it = std::find_if(rule.quotas.begin(), rule.quotas.end(),
                               [&](const GroupQuota& q) { return q.group == g; });
        if (it != rule.quotas.end())
            it->seats = n;
        else
            rule.quotas.push_back({std::move(g), n});
    }
    return rule;
}

std::string eligibleText(const LevelRule& rule) {
    std::string s;
    for (const std::string& g : rule.eligible)
        s += (s.empty() ? "" : listSep()) + g;
    return s;
}

std::string quotaText(const LevelRule& rule) {
    std::string s;
    for (const GroupQuota& q : rule.quotas)
        s += (s.empty() ? "" : listSep()) + q.group + ":" + number(q.seats);
    return s;
}

std::string ruleCaption(const LevelRule& rule) {
    std::string s;
    if (!rule.eligible.empty()) s = gbk("仅限 ") + eligibleText(rule);
    std::string seats;
    for (const GroupQuota& q : rule.quotas)
        seats += (seats.empty() ? "" : listSep()) + q.group + number(q.seats) + gbk("名");
    if (!seats.empty()) s += (s.empty() ? "" : " ") + seats;
    return s;
}

GroupSeats::GroupSeats(LevelRule rule, std::int32_t quota, std::int32_t drawn, GroupTally taken)
    : rule_(std::move(rule)), quota_(quota), drawn_(drawn), taken_(std::move(taken)) {}

bool GroupSeats::listed(std::string_view group) const {
    if (rule_.eligible.empty()) return true;
    return std::find(rule_.eligible.begin(), rule_.eligible.end(), group) != rule_.eligible.end();
}

const GroupQuota* GroupSeats::quotaOf(std::string_view group) const {
    if (group.empty()) return nullptr;
    for (const GroupQuota& q : rule_.quotas)
        if (q.group == group) return &q;
    return nullptr;
}

std::int32_t GroupSeats::takenBy(std::string_view group) const {
    const auto it = taken_.find(group);
    return it == taken_.end() ? 0 : it->second;
}

std::int32_t GroupSeats::reservedLeft(std::string_view group) const {
    const GroupQuota* q = quotaOf(group);
    return q ? std::max(0, q->seats - takenBy(group)) : 0;
}

std::int32_t GroupSeats::freeSeats() const {
    std::int64_t reserved = 0;
    for (const GroupQuota& q : rule_.quotas)
        reserved += reservedLeft(q.group);
    return static_cast<std::int32_t>(std::clamp<std::int64_t>(
        std::int64_t{remaining()} - reserved, std::numeric_limits<std::int32_t>::min(),
        std::numeric_limits<std::int32_t>::max()));
}

std::int32_t GroupSeats::heldBy(std::string_view group) const {
    return static_cast<std::int32_t>(std::count_if(
        held_.begin(), held_.end(), [&](const PendingPreset& p) { return p.group == group; }));
}

std::int32_t GroupSeats::reservedForDraws(std::string_view group) const {
    return std::max(0, reservedLeft(group) - heldBy(group));
}

std::int64_t GroupSeats::freeForDraws() const {
    // A preset beyond its group's seats still takes one of the level's.
    std::int64_t reserved = 0;
    for (const GroupQuota& q : rule_.quotas)
        reserved += reservedForDraws(q.group);
    return std::int64_t{remaining()} - static_cast<std::int64_t>(held_.size()) - reserved;
}

bool GroupSeats::open(std::string_view group) const {
    if (std::int64_t{remaining()} - static_cast<std::int64_t>(held_.size()) <= 0) return false;
    if (quotaOf(group)) return reservedForDraws(group) > 0;
    return listed(group) && freeForDraws() > 0;
}

void GroupSeats::take(std::string_view group) {
    ++drawn_;
    if (!group.empty()) ++taken_[std::string(group)];
}

void GroupSeats::holdForPresets(std::vector<PendingPreset> presets) {
    held_ = std::move(presets);
}

bool GroupSeats::release(std::int32_t winnerNumber) {
    const auto it = std::find_if(held_.begin(), held_.end(), [&](const PendingPreset& p) {
        return p.winnerNumber == winnerNumber;
    });
    if (it == held_.end()) return false;
    held_.erase(it);
    return true;
}

GroupSeats GroupSeats::withoutPresets() const {
    GroupSeats plain = *this;
    plain.held_.clear();
    return plain;
}

std::string GroupSeats::presetProblem(const std::string& name) const {
    const std::string fix = gbk("，无法抽取！请修改预设中奖人或分组规则。");
    std::int64_t inFree = 0;
    for (const PendingPreset& p : held_) {
        const std::string who = name + gbk("第") + number(p.winnerNumber) + gbk("名的预设中奖人");
        if (quotaOf(p.group)) {
            if (heldBy(p.group) > reservedLeft(p.group))
                return who + gbk("属于分组“") + p.group + gbk("”，但该分组在本奖项只剩") +
                       number(reservedLeft(p.group)) + gbk("个名额") + fix;
            continue;
        }
        if (!listed(p.group)) {
            const std::string rule = gbk("（仅限 ") + eligibleText(rule_) + gbk("）");
            return who +
                   (p.group.empty() ? gbk("不属于名单的任何分组")
                                    : gbk("属于分组“") + p.group + gbk("”")) +
                   gbk("，不符合本奖项的分组规则") + rule + fix;
        }
        ++inFree;
    }
    if (inFree > 0 && inFree > freeSeats())
        return name + gbk("有") + number(inFree) +
               gbk("名预设中奖人不占分组名额，但本奖项分组名额以外只剩") +
               number(std::max(0, freeSeats())) + gbk("个名额") + fix;
    return {};
}

std::string GroupSeats::problem(const Pool& pool, bool allowRepeat, std::string_view level,
                                const std::vector<std::string>& presetTexts) const {
    const std::string name = gbk("“") + std::string(level) + gbk("”");
    std::int64_t reservedSum = 0;
    for (const GroupQuota& q : rule_.quotas)
        reservedSum += q.seats;
    if (reservedSum > quota_)
        return name + gbk("的分组名额合计") + number(reservedSum) + gbk("名，超过了本奖项的名额") +
               number(quota_) + gbk("名，无法抽取！请修改分组规则。");
    if (std::string held = presetProblem(name); !held.empty()) return held;

    // Entries per group number; then what each group can still give. A
    // group holding an entry equal to a preset never runs out: a random win
    // of that entry leaves it in the pool.
    std::vector<std::int64_t> perId(pool.groupNames().size() + 1, 0);
    std::vector<char> stickyById(perId.size(), 0);
    const bool anyPreset = std::any_of(presetTexts.begin(), presetTexts.end(),
                                       [](const std::string& t) { return !t.empty(); });
    pool.forEachGroup([&](std::size_t position, std::uint16_t id) {
        ++perId[id];
        if (anyPreset && !stickyById[id]) {
            const std::string_view entry = pool.entryAt(position);
            stickyById[id] =
                std::find(presetTexts.begin(), presetTexts.end(), entry) != presetTexts.end();
        }
    });
    const auto idOf = [&](std::string_view group) -> std::optional<std::size_t> {
        if (group.empty()) return 0;
        const auto& names = pool.groupNames();
        const auto it = std::find(names.begin(), names.end(), group);
        if (it == names.end()) return std::nullopt;
        return static_cast<std::size_t>(it - names.begin()) + 1;
    };
    const auto usable = [&](std::int64_t entries, std::int64_t seats, bool sticky) {
        if (seats <= 0) return std::int64_t{0};
        return allowRepeat || sticky ? (entries > 0 ? seats : 0) : std::min(entries, seats);
    };
    const auto besides = [&](std::int64_t presets) {
        return presets > 0 ? gbk("（另有预设中奖人") + number(presets) + gbk("名）")
                           : std::string();
    };

    std::int64_t reachable = 0;
    for (const GroupQuota& q : rule_.quotas) {
        const std::int64_t left = reservedForDraws(q.group);
        const std::optional<std::size_t> id = idOf(q.group);
        const std::int64_t have = id ? perId[*id] : 0;
        if (usable(have, left, id && stickyById[*id]) < left)
            return name + gbk("的分组“") + q.group + gbk("”还需抽取") + number(left) + gbk("名") +
                   besides(heldBy(q.group)) + gbk("，但参与抽奖的该分组只剩") + number(have) +
                   gbk("名，无法抽取！");
        reachable += left;
    }
    std::int64_t others = 0;
    bool othersSticky = false;
    for (std::size_t id = 0; id < perId.size(); ++id) {
        const std::string_view g =
            id == 0 ? std::string_view{} : pool.groupName(static_cast<std::uint16_t>(id));
        if (!quotaOf(g) && listed(g)) {
            others += perId[id];
            othersSticky = othersSticky || (perId[id] > 0 && stickyById[id]);
        }
    }
    reachable += usable(others, freeForDraws(), othersSticky);
    const std::int64_t atRandom =
        std::int64_t{remaining()} - static_cast<std::int64_t>(held_.size());
    if (reachable < atRandom) {
        std::string which = rule_.eligible.empty()
                                ? std::string()
                                : gbk("（仅限 ") + eligibleText(rule_) + gbk("）");
        return name + which + gbk("还需抽取") + number(atRandom) + gbk("名") +
               besides(static_cast<std::int64_t>(held_.size())) + gbk("，但符合条件的参与者只有") +
               number(reachable) + gbk("名，无法抽取！");
    }
    return {};
}

std::vector<std::uint32_t> eligiblePositions(const Pool& pool, const GroupSeats& seats) {
    const auto& names = pool.groupNames();
    std::vector<char> openById(names.size() + 1);
    openById[0] = seats.open({});
    for (std::size_t id = 1; id <= names.size(); ++id)
        openById[id] = seats.open(names[id - 1]);
    std::vector<std::uint32_t> positions;
    pool.forEachGroup([&](std::size_t position, std::uint16_t id) {
        if (openById[id]) positions.push_back(static_cast<std::uint32_t>(position));
    });
    return positions;
}

std::string buildEligibleFrame(const Pool& pool, DrawGenerator& gen, std::int32_t entries,
                               const std::vector<std::uint32_t>& eligible, double columns,
                               std::vector<std::string_view>& scratch) {
    scratch.clear();
    if (eligible.empty() || entries <= 0) return {};
    const std::int32_t shown = std::min(entries, kMaxFrameEntries);
    const auto max = static_cast<std::int32_t>(std::min<std::size_t>(
        eligible.size(), static_cast<std::size_t>(std::numeric_limits<std::int32_t>::max())));
    for (std::int32_t k = 0; k < shown; ++k) {
        const std::int32_t idx = gen.randomIndex(1, max);
        scratch.push_back(pool.entryAt(eligible[static_cast<std::size_t>(idx - 1)]));
    }
    DisplayTextBuilder frame;
    for (std::int32_t k = 1; k <= shown; ++k) {
        if (!frame.append(scratch[static_cast<std::size_t>(k - 1)],
                          layoutSeparator(k, entries, columns)))
            break;
    }
    return frame.take();
}

namespace {

std::string groupOfFirst(const Pool& pool, std::string_view entry) {
    std::uint16_t found = 0;
    bool done = false;
    std::size_t k = 0;
    pool.forEach([&](std::string_view e) {
        if (!done && e == entry) {
            found = pool.groupAt(k);
            done = true;
        }
        ++k;
    });
    return std::string(pool.groupName(found));
}

/// The preset text fixed to winner number w, or empty: NNN is winner Q - 2,
/// NN Q - 1, N Q, tested in that order as the plain draw does.
const std::string& presetFor(const DrawInputs& in, std::int64_t w, std::int64_t quota) {
    static const std::string none;
    const std::string* text = &none;
    if (w == quota - 2 && !in.presetNNN.empty()) text = &in.presetNNN;
    if (w == quota - 1 && !in.presetNN.empty()) text = &in.presetNN;
    if (w == quota && !in.presetN.empty()) text = &in.presetN;
    return *text;
}

} // namespace

std::vector<PendingPreset> pendingPresets(const Pool& pool, const DrawInputs& in,
                                          std::int32_t winnerNumber, std::int32_t levelLimit) {
    std::vector<PendingPreset> pending;
    const std::int64_t quota = static_cast<std::int64_t>(levelLimit) - 1;
    for (std::int64_t w = std::max<std::int64_t>({winnerNumber, quota - 2, 1}); w <= quota; ++w) {
        const std::string& text = presetFor(in, w, quota);
        if (!text.empty())
            pending.push_back({static_cast<std::int32_t>(w), groupOfFirst(pool, text)});
    }
    return pending;
}

RuleOutcome drawWinnersByRule(Pool& pool, DrawGenerator& gen, const DrawInputs& in,
                              GroupSeats& seats, std::int32_t& winnerNumber,
                              std::int32_t levelLimit,
                              const std::function<std::uint32_t()>& clockMs,
                              const std::function<void(const DrawnWinner&, std::string_view group,
                                                       const std::string& label)>& onWinner) {
    RuleOutcome outcome;
    DisplayTextBuilder label;
    const std::int64_t quota = static_cast<std::int64_t>(levelLimit) - 1;
    std::vector<std::uint32_t> eligible = eligiblePositions(pool, seats);

    for (std::int32_t i = 1; i <= in.perDrawCount; ++i) {
        if (pool.count() == 0) {
            outcome.draw.poolEmptied = true;
            break;
        }
        const std::string& preset = presetFor(in, winnerNumber, quota);
        // The seat held for this preset is its own turn's: the random draw
        // that still happens ranges over whoever could take the seat.
        if (!preset.empty() && seats.release(winnerNumber))
            eligible = eligiblePositions(pool, seats);
        if (eligible.empty() && preset.empty()) {
            outcome.noneEligible = true;
            break;
        }
        gen.reseed(clockMs());
        const bool picked = !eligible.empty();
        const std::int32_t idx =
            picked ? gen.randomIndex(1, static_cast<std::int32_t>(eligible.size())) : 0;
        const std::uint32_t position = picked ? eligible[static_cast<std::size_t>(idx - 1)] : 0;

        DrawnWinner winner;
        std::string group;
        if (picked) {
            winner.entry = std::string(pool.entryAt(position));
            group = pool.groupName(pool.groupAt(position));
        }
        if (!preset.empty()) {
            winner.entry = preset;
            group = groupOfFirst(pool, winner.entry);
        }
        winner.group = group;

        winner.shown = shownEntry(winner.entry, in.mask);
        label.append(winner.shown, layoutSeparator(i, in.perDrawCount, in.columns));

        const bool isPreset = winner.entry == in.presetN || winner.entry == in.presetNN ||
                              winner.entry == in.presetNNN;
        bool removed = false;
        if (!in.allowRepeat && !isPreset && picked) {
            pool.removeAt(position);
            removed = true;
        }

        // Re-list only when a group opened or closed; otherwise the removal
        // just closes its gap.
        const auto& names = pool.groupNames();
        std::vector<char> before(names.size() + 1);
        for (std::size_t id = 0; id <= names.size(); ++id)
            before[id] = seats.open(id ? std::string_view(names[id - 1]) : std::string_view{});
        seats.take(group);
        bool changed = false;
        for (std::size_t id = 0; id <= names.size() && !changed; ++id)
            changed =
                before[id] != seats.open(id ? std::string_view(names[id - 1]) : std::string_view{});
        if (changed) {
            eligible = eligiblePositions(pool, seats);
        } else if (removed) {
            eligible.erase(eligible.begin() + (idx - 1));
            for (std::size_t k = static_cast<std::size_t>(idx - 1); k < eligible.size(); ++k)
                --eligible[k];
        }

        winner.winnerNumber = winnerNumber;
        ++winnerNumber;
        outcome.draw.winners.push_back(std::move(winner));
        outcome.groups.push_back(group);
        if (onWinner) onWinner(outcome.draw.winners.back(), group, label.text());

        if (pool.count() == 0) {
            outcome.draw.poolEmptied = true;
            break;
        }
        if (winnerNumber == levelLimit) break;
    }
    outcome.draw.label = label.take();
    return outcome;
}

namespace {

/// For each line, the recorded winner it names: the next one, after the
/// winner the line before took, whose key is the line's key (lineKey gives
/// nothing for a line that names no winner). Each line finds its winner by
/// a search, not a scan, so a long results text of lines no winner matches
/// stays quick to show.
template <typename LineKey, typename WinnerKey>
std::vector<const WinnerGroup*> matchWinners(std::size_t lines,
                                             const std::vector<WinnerGroup>& winners,
                                             LineKey lineKey, WinnerKey winnerKey) {
    std::unordered_map<std::string, std::vector<std::size_t>> byKey;
    for (std::size_t k = 0; k < winners.size(); ++k)
        byKey[winnerKey(winners[k])].push_back(k);
    std::vector<const WinnerGroup*> matched(lines, nullptr);
    std::size_t next = 0;
    for (std::size_t line = 0; line < lines; ++line) {
        const std::optional<std::string> key = lineKey(line);
        if (!key) continue;
        const auto it = byKey.find(*key);
        if (it == byKey.end()) continue;
        const auto at = std::lower_bound(it->second.begin(), it->second.end(), next);
        if (at == it->second.end()) continue;
        matched[line] = &winners[*at];
        next = *at + 1;
    }
    return matched;
}

} // namespace

std::vector<std::string> resultLineGroups(std::string_view gbkResults,
                                          const std::vector<WinnerGroup>& winners) {
    std::vector<ResultLine> lines;
    forEachResultLine(gbkResults, [&](std::string_view line, std::string_view) {
        if (!line.empty()) lines.push_back(parseResultLine(line));
    });
    const std::vector<const WinnerGroup*> matched = matchWinners(
        lines.size(), winners,
        [&](std::size_t k) -> std::optional<std::string> {
            if (lines[k].kind != ResultLine::Winner) return std::nullopt;
            return std::string(lines[k].who);
        },
        [](const WinnerGroup& w) { return w.entry; });
    std::vector<std::string> groups;
    groups.reserve(matched.size());
    for (const WinnerGroup* w : matched)
        groups.push_back(w ? w->group : std::string());
    return groups;
}

std::string resultsWithGroups(std::string_view gbkResults,
                              const std::vector<WinnerGroup>& winners) {
    const std::vector<std::string> groups = resultLineGroups(gbkResults, winners);
    std::string shown;
    std::size_t k = 0;
    forEachResultLine(gbkResults, [&](std::string_view line, std::string_view lineEnd) {
        shown += displayText(line);
        if (!line.empty()) {
            const std::string& group = groups[k++];
            if (!group.empty()) {
                shown += kWinnerSeparator;
                shown += displayText(group);
            }
        }
        shown += lineEnd;
    });
    return shown;
}

void addGroupColumn(std::vector<std::string>& columns, std::vector<std::vector<std::string>>& rows,
                    const std::vector<WinnerGroup>& winners) {
    columns.push_back("分组");
    const std::vector<const WinnerGroup*> matched = matchWinners(
        rows.size(), winners,
        [&](std::size_t k) -> std::optional<std::string> {
            if (rows[k].size() < 3 || rows[k][2] == "放弃领奖") return std::nullopt;
            return rows[k][1];
        },
        [](const WinnerGroup& w) { return utf8(w.entry); });
    for (std::size_t k = 0; k < rows.size(); ++k)
        rows[k].push_back(matched[k] ? utf8(matched[k]->group) : std::string());
}

} // namespace luckdial
