#pragma once
// The operator's log of the remote, kept on the thread that reads the
// requests: the lines the operator must see, handed to the window in
// batches, and wrong secrets counted per address into one line each
// `refusalWindowMs`. However fast a client floods, the window gets a few
// lines a second and at most one batch each `logBatchMs`. No clock of its
// own: times come in as milliseconds.

#include "remote/core/limits.h"

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace luckdial::remote {

class RemoteLog {
public:
    explicit RemoteLog(const Limits& limits) : limits_(limits) {}

    /// A line as the operator reads it. Counts still open are closed first,
    /// so that the log keeps the order in which things happened.
    void note(std::string line);
    /// `address` presented a secret that was refused.
    void wrongSecret(std::string_view address, std::uint64_t nowMs);

    /// A batch should leave now: a line is waiting or a count is complete,
    /// and the previous batch left at least `logBatchMs` ago.
    bool due(std::uint64_t nowMs) const;
    /// The batch, oldest line first: waiting lines and complete counts.
    std::vector<std::string> take(std::uint64_t nowMs);
    /// Every line, open counts included (the remote is switched off).
    std::vector<std::string> takeAll();

private:
    struct Count {
        std::string address; ///< "" for the addresses beyond `refusalAddresses`
        std::uint64_t openedMs = 0;
        std::uint64_t tries = 0;
    };
    bool complete(const Count& c, std::uint64_t nowMs) const;
    /// Moves counts to the waiting lines: those complete by `nowMs`, or all.
    void close(std::optional<std::uint64_t> nowMs);

    const Limits& limits_;
    std::vector<std::string> ready_;
    std::vector<Count> counts_; ///< in the order they were opened
    std::optional<std::uint64_t> lastBatchMs_;
};

/// The line of a count: "192.168.1.20：12 次错误的密钥".
std::string wrongSecretLine(std::string_view address, std::uint64_t tries);

} // namespace luckdial::remote
