#include "remote/core/session.h"

#include "remote/core/secret.h"

#include <algorithm>
#include <utility>

namespace luckdial::remote {

Session::Session(const Limits& limits, std::function<std::string()> newToken)
    : limits_(limits), newToken_(std::move(newToken)) {}

void Session::arm(std::string secret) {
    armed_ = true;
    locked_ = false;
    wrongTries_ = 0;
    secret_ = std::move(secret);
    pending_.clear();
    allowances_.clear();
}

void Session::disarm() {
    armed_ = false;
    locked_ = false;
    wrongTries_ = 0;
    secret_.clear();
    controllerToken_.clear();
    controllerAddress_.clear();
    pending_.clear();
    allowances_.clear();
}

bool Session::allowAttempt(std::string_view address, std::uint64_t nowMs) {
    auto it = std::find_if(allowances_.begin(), allowances_.end(),
                           [&](const Allowance& a) { return a.address == address; });
    if (it == allowances_.end()) {
        // A flood of new addresses pushes out the oldest; each new one starts
        // with the burst, which the lock bounds in total anyway.
        if (allowances_.size() >= limits_.trackedAddresses) allowances_.pop_front();
        allowances_.push_back({std::string(address), double(limits_.attemptBurst), nowMs});
        it = std::prev(allowances_.end());
    }
    const double interval = std::max<double>(1, limits_.attemptIntervalMs);
    if (nowMs > it->updatedMs)
        it->tokens = std::min<double>(limits_.attemptBurst,
                                      it->tokens + double(nowMs - it->updatedMs) / interval);
    it->updatedMs = std::max(it->updatedMs, nowMs);
    if (it->tokens < 1) return false;
    it->tokens -= 1;
    return true;
}

ClaimResult Session::claim(std::string_view address, std::string_view secret, std::uint64_t nowMs) {
    if (!armed_) return {Claim::Off, {}};
    if (locked_) return {Claim::Locked, {}};
    if (!allowAttempt(address, nowMs)) return {Claim::Throttled, {}};
    if (!constantTimeEqual(secret_, secret)) {
        if (++wrongTries_ >= limits_.wrongTriesToLock) {
            locked_ = true;
            secret_.clear();
            pending_.clear();
        }
        return {Claim::Wrong, {}};
    }
    secret_.clear();
    controllerToken_ = newToken_();
    controllerAddress_ = std::string(address);
    return {Claim::Granted, controllerToken_};
}

Claim Session::check(std::string_view address, std::string_view token, std::uint64_t nowMs) {
    if (!armed_) return Claim::Off;
    if (isController(token)) return Claim::Granted;
    if (!allowAttempt(address, nowMs)) return Claim::Throttled;
    return Claim::Wrong;
}

bool Session::isController(std::string_view token) const {
    return armed_ && constantTimeEqual(controllerToken_, token);
}

std::uint32_t Session::ask(std::string_view address, std::uint64_t nowMs) {
    if (!armed_ || locked_) return 0;
    if (pending_.size() >= limits_.pendingAsks) return 0;
    if (!allowAttempt(address, nowMs)) return 0;
    const std::uint32_t id = nextAskId_++;
    pending_.push_back({id, std::string(address)});
    return id;
}

std::optional<std::string> Session::approve(std::uint32_t id) {
    const auto it = std::find_if(pending_.begin(), pending_.end(),
                                 [&](const PendingAsk& p) { return p.id == id; });
    if (it == pending_.end() || !armed_) return std::nullopt;
    controllerToken_ = newToken_();
    controllerAddress_ = it->address;
    pending_.erase(it);
    return controllerToken_;
}

bool Session::deny(std::uint32_t id) {
    const auto it = std::find_if(pending_.begin(), pending_.end(),
                                 [&](const PendingAsk& p) { return p.id == id; });
    if (it == pending_.end()) return false;
    pending_.erase(it);
    return true;
}

void Session::withdraw(std::uint32_t id) {
    (void)deny(id);
}

} // namespace luckdial::remote
