#pragma once
// The bounds the remote holds every client to. One struct, so that tests can
// shrink a bound (an idle time of a second rather than ten) without touching
// the rules that use it.

#include <cstddef>
#include <cstdint>

namespace luckdial::remote {

struct Limits {
    /// Request line and headers together, CR LF CR LF included.
    std::size_t headBytes = 4096;
    std::size_t headerLines = 40;
    /// Open connections in all, and from one address.
    std::size_t connections = 32;
    std::size_t connectionsPerAddress = 8;
    /// New connections taken in: a burst, then this many a second. Beyond
    /// that the port stops accepting for a while, so that a flood costs the
    /// machine a bounded share of a processor however fast it comes, while
    /// the controller's open connection is served as ever.
    std::uint32_t connectionBurst = 40;
    std::uint32_t connectionsPerSecond = 100;
    /// A connection that has not sent a whole request head by then is closed.
    std::uint32_t requestIdleMs = 5000;
    /// A WebSocket that has sent nothing for this long is closed (the page
    /// sends a keep-alive every 15 s and reconnects when cut off).
    std::uint32_t socketIdleMs = 45000;
    /// A WebSocket that has not said who it is by then is closed.
    std::uint32_t helloMs = 5000;
    /// One WebSocket message (and frame).
    std::size_t messageBytes = 256;
    /// Messages of one WebSocket: a burst, then this many a second.
    std::uint32_t messageBurst = 20;
    std::uint32_t messagesPerSecond = 10;
    /// Secret or token checks from one address: a burst, then one every interval.
    std::uint32_t attemptBurst = 3;
    std::uint32_t attemptIntervalMs = 1000;
    /// Wrong secrets (from any address) after which no device can claim the
    /// remote until the operator re-arms it.
    std::uint32_t wrongTriesToLock = 5;
    /// Devices waiting for the operator's approval at one time.
    std::size_t pendingAsks = 4;
    /// Addresses whose attempts are remembered; the oldest goes first.
    std::size_t trackedAddresses = 256;
    /// The operator's log reaches the window at most once in this time.
    std::uint32_t logBatchMs = 200;
    /// Wrong secrets of one address within this time make one line.
    std::uint32_t refusalWindowMs = 1000;
    /// Addresses counted apart within one such time; the rest share a line.
    std::size_t refusalAddresses = 16;
};

} // namespace luckdial::remote
