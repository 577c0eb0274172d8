#pragma once
// A blocking client socket on 127.0.0.1 with time-outs, for the bytes no
// browser would send: the remote's hostile tests and its benchmark.

#include <cstdint>
#include <string>
#include <string_view>

namespace luckdial::testing {

class LoopbackClient {
public:
    /// Connects to 127.0.0.1:port; every read and write waits `timeoutMs` at most.
    explicit LoopbackClient(std::uint16_t port, int timeoutMs = 2000);
    ~LoopbackClient();
    LoopbackClient(const LoopbackClient&) = delete;
    LoopbackClient& operator=(const LoopbackClient&) = delete;

    bool connected() const { return connected_; }
    /// Sends all of `bytes`; false when the server stopped taking them.
    bool send(std::string_view bytes);
    /// Reads until the server closes (or a time-out passes without a byte).
    std::string readAll();
    /// Reads up to the end of a response head.
    std::string readHead();
    /// Drops whatever has arrived, without waiting.
    void drain();
    /// The server has closed the connection within `ms` (bytes before the
    /// close, such as a WebSocket close frame, are read and dropped).
    bool closedWithin(int ms);

private:
    int fd_ = -1;
    bool connected_ = false;
};

} // namespace luckdial::testing
