#pragma once
// The remote's HTTP requests, read before anything else sees them: bytes
// arrive in pieces, and a request is taken only when its whole head is in,
// within the bounds, and asks for something the remote serves (GET or HEAD,
// no body). One request per connection: the answer closes it.

#include "remote/core/limits.h"

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>

namespace luckdial::remote {

struct RequestHead {
    std::string method; ///< "GET" or "HEAD"
    std::string path;   ///< from "/", without the query
    /// The value of "k=" in the query; absent when the query has none.
    std::optional<std::string> key;
    std::string host;   ///< the Host header as sent (checked characters)
    std::string origin; ///< the Origin header, empty when absent
    /// A WebSocket opening handshake (Upgrade: websocket, Connection:
    /// upgrade, a key and version 13).
    bool webSocket = false;
};

/// What a connection's bytes amount to so far.
enum class Verdict {
    NeedMore, ///< no whole head yet, nothing wrong so far
    Complete, ///< a whole, acceptable head: see head()
    Refused,  ///< answer with status() and close
};

/// Watches one connection's bytes until its head is complete or refused.
class RequestScreen {
public:
    explicit RequestScreen(const Limits& limits) : limits_(limits) {}

    /// Takes the next bytes of the connection. Once the verdict is Complete or
    /// Refused it stays so, and later bytes are not looked at.
    Verdict feed(std::string_view bytes);
    Verdict verdict() const { return verdict_; }
    /// The HTTP status of a refusal (400, 405, 413, 414, 431, 501, 505).
    int status() const { return status_; }
    const RequestHead& head() const { return head_; }
    /// Bytes of the head (the whole head once Complete).
    std::size_t headSize() const { return buffer_.size(); }

private:
    Verdict refuse(int status);
    const Limits& limits_;
    std::string buffer_;
    Verdict verdict_ = Verdict::NeedMore;
    int status_ = 0;
    RequestHead head_;
};

/// Reads a whole head (request line and header lines, each ended by CR LF,
/// then an empty line). On refusal returns the HTTP status; 0 on success.
int parseRequestHead(std::string_view head, const Limits& limits, RequestHead& out);

} // namespace luckdial::remote
