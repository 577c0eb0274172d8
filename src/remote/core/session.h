#pragma once
// Who may press: the one-time secret of the QR code, the controller's token,
// the devices waiting for the operator, the throttle on guesses per address
// and the lock after too many wrong secrets. No clock and no randomness of
// its own: times come in as milliseconds, fresh tokens from the caller.

#include "remote/core/limits.h"

#include <cstdint>
#include <deque>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace luckdial::remote {

enum class Claim {
    Granted,   ///< the secret was right: the device is the controller now
    Wrong,     ///< a wrong (or spent) secret or token: counted
    Throttled, ///< too many attempts from this address just now: not even checked
    Locked,    ///< too many wrong secrets: nobody can claim until re-armed
    Off,       ///< the remote is not armed
};

struct ClaimResult {
    Claim claim = Claim::Off;
    std::string token; ///< the controller's token when Granted
};

struct PendingAsk {
    std::uint32_t id = 0;
    std::string address;
};

class Session {
public:
    /// `newToken` gives a fresh random token text each call.
    Session(const Limits& limits, std::function<std::string()> newToken);

    /// A fresh one-time secret: unlocks, forgets wrong tries and waiting
    /// devices; the controller (if any) keeps its token.
    void arm(std::string secret);
    /// Everything forgotten: no secret, no controller, nobody waiting.
    void disarm();
    bool armed() const { return armed_; }
    bool locked() const { return locked_; }
    /// The secret has made a controller and opens nothing more.
    bool secretSpent() const { return secret_.empty(); }
    std::uint32_t wrongTries() const { return wrongTries_; }

    /// A device presents the QR code's secret.
    ClaimResult claim(std::string_view address, std::string_view secret, std::uint64_t nowMs);
    /// A device presents a controller token (each message does). Wrong
    /// tokens count towards the throttle of their address, not the lock: an
    /// old controller reconnecting after the operator moved control is no attack.
    Claim check(std::string_view address, std::string_view token, std::uint64_t nowMs);
    /// The token is the controller's, compared in constant time.
    bool isController(std::string_view token) const;
    bool hasController() const { return !controllerToken_.empty(); }
    const std::string& controllerAddress() const { return controllerAddress_; }

    /// A device asks the operator for control. 0 when refused (off, locked,
    /// throttled or too many waiting).
    std::uint32_t ask(std::string_view address, std::uint64_t nowMs);
    /// The operator's answer. Approval makes the device the controller (the
    /// previous controller's token stops working) and gives its token.
    std::optional<std::string> approve(std::uint32_t id);
    bool deny(std::uint32_t id);
    /// Forgets a device that went away while waiting.
    void withdraw(std::uint32_t id);
    const std::vector<PendingAsk>& pending() const { return pending_; }

private:
    /// Takes one attempt from the address's allowance; false when none is left.
    bool allowAttempt(std::string_view address, std::uint64_t nowMs);
    struct Allowance {
        std::string address;
        double tokens = 0;
        std::uint64_t updatedMs = 0;
    };

    const Limits& limits_;
    std::function<std::string()> newToken_;
    bool armed_ = false;
    bool locked_ = false;
    std::string secret_;
    std::string controllerToken_;
    std::string controllerAddress_;
    std::uint32_t wrongTries_ = 0;
    std::uint32_t nextAskId_ = 1;
    std::vector<PendingAsk> pending_;
    std::deque<Allowance> allowances_;
};

} // namespace luckdial::remote
