#include "remote/core/remotelog.h"

#include <algorithm>
#include <utility>

namespace luckdial::remote {

std::string wrongSecretLine(std::string_view address, std::uint64_t tries) {
    std::string line = address.empty() ? std::string("其他地址") : std::string(address);
    line += "：";
    line += std::to_string(tries);
    line += " 次错误的密钥";
    return line;
}

bool RemoteLog::complete(const Count& c, std::uint64_t nowMs) const {
    return nowMs >= c.openedMs + limits_.refusalWindowMs;
}

void RemoteLog::close(std::optional<std::uint64_t> nowMs) {
    auto done = [&](const Count& c) { return !nowMs || complete(c, *nowMs); };
    for (const Count& c : counts_)
        if (done(c)) ready_.push_back(wrongSecretLine(c.address, c.tries));
    counts_.erase(std::remove_if(counts_.begin(), counts_.end(), done), counts_.end());
}

void RemoteLog::note(std::string line) {
    close(std::nullopt);
    ready_.push_back(std::move(line));
}

void RemoteLog::wrongSecret(std::string_view address, std::uint64_t nowMs) {
    // A count whose time is up is a line already: the next try opens another.
    close(nowMs);
    auto it = std::find_if(counts_.begin(), counts_.end(),
                           [&](const Count& c) { return c.address == address; });
    if (it == counts_.end()) {
        const auto named = static_cast<std::size_t>(std::count_if(
            counts_.begin(), counts_.end(), [](const Count& c) { return !c.address.empty(); }));
        // Many addresses at once share one line, so that the lines stay few
        // however many devices a flood uses.
        const std::string_view key = named < limits_.refusalAddresses ? address : "";
        it = std::find_if(counts_.begin(), counts_.end(),
                          [&](const Count& c) { return c.address == key; });
        if (it == counts_.end()) {
            counts_.push_back({std::string(key), nowMs, 0});
            it = std::prev(counts_.end());
        }
    }
    ++it->tries;
}

bool RemoteLog::due(std::uint64_t nowMs) const {
    if (lastBatchMs_ && nowMs < *lastBatchMs_ + limits_.logBatchMs) return false;
    return !ready_.empty() || std::any_of(counts_.begin(), counts_.end(),
                                          [&](const Count& c) { return complete(c, nowMs); });
}

std::vector<std::string> RemoteLog::take(std::uint64_t nowMs) {
    close(nowMs);
    lastBatchMs_ = nowMs;
    return std::exchange(ready_, {});
}

std::vector<std::string> RemoteLog::takeAll() {
    close(std::nullopt);
    return std::exchange(ready_, {});
}

} // namespace luckdial::remote
