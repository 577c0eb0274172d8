#include "loopbackclient.h"

#include <arpa/inet.h>
#include <cerrno>
#include <chrono>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

namespace luckdial::testing {

LoopbackClient::LoopbackClient(std::uint16_t port, int timeoutMs) {
    fd_ = ::socket(AF_INET, SOCK_STREAM, 0);
    if (fd_ < 0) return;
    timeval tv{timeoutMs / 1000, (timeoutMs % 1000) * 1000};
    ::setsockopt(fd_, SOL_SOCKET, SO_RCVTIMEO, &tv, sizeof tv);
    ::setsockopt(fd_, SOL_SOCKET, SO_SNDTIMEO, &tv, sizeof tv);
    sockaddr_in a{};
    a.sin_family = AF_INET;
    a.sin_port = htons(port);
    a.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    connected_ = ::connect(fd_, reinterpret_cast<sockaddr*>(&a), sizeof a) == 0;
}

LoopbackClient::~LoopbackClient() {
    if (fd_ >= 0) ::close(fd_);
}

bool LoopbackClient::send(std::string_view bytes) {
    while (!bytes.empty()) {
        const ssize_t n = ::send(fd_, bytes.data(), bytes.size(), MSG_NOSIGNAL);
        if (n <= 0) return false;
        bytes.remove_prefix(static_cast<std::size_t>(n));
    }
    return true;
}

std::string LoopbackClient::readAll() {
    std::string out;
    char buf[4096];
    for (ssize_t n; (n = ::recv(fd_, buf, sizeof buf, 0)) > 0;)
        out.append(buf, static_cast<std::size_t>(n));
    return out;
}

std::string LoopbackClient::readHead() {
    std::string out;
    char c;
    while (out.find("\r\n\r\n") == std::string::npos && ::recv(fd_, &c, 1, 0) == 1)
        out += c;
    return out;
}

void LoopbackClient::drain() {
    char buf[4096];
    while (::recv(fd_, buf, sizeof buf, MSG_DONTWAIT) > 0) {
    }
}

bool LoopbackClient::closedWithin(int ms) {
    const auto end = std::chrono::steady_clock::now() + std::chrono::milliseconds(ms);
    do {
        pollfd p{fd_, POLLIN, 0};
        if (::poll(&p, 1, 50) <= 0) continue;
        char buf[512];
        const ssize_t n = ::recv(fd_, buf, sizeof buf, MSG_DONTWAIT);
        if (n == 0 || (n < 0 && errno != EAGAIN && errno != EWOULDBLOCK)) return true;
    } while (std::chrono::steady_clock::now() < end);
    return false;
}

} // namespace luckdial::testing
