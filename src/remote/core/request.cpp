#include "remote/core/request.h"

#include <algorithm>
#include <cctype>

namespace luckdial::remote {
namespace {

bool isTokenChar(char c) {
    const auto u = static_cast<unsigned char>(c);
    if (u <= 32 || u >= 127) return false;
    static constexpr std::string_view kSeparators = "()<>@,;:\\\"/[]?={}";
    return kSeparators.find(c) == std::string_view::npos;
}

bool isToken(std::string_view s) {
    return !s.empty() && std::all_of(s.begin(), s.end(), isTokenChar);
}

/// Visible ASCII and blanks: what a header value of ours may hold.
bool isPlainValue(std::string_view s) {
    return std::all_of(s.begin(), s.end(), [](char c) {
        const auto u = static_cast<unsigned char>(c);
        return u == '\t' || (u >= 32 && u < 127);
    });
}

std::string lowered(std::string_view s) {
    std::string out(s);
    for (char& c : out)
        c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return out;
}

std::string_view trimmed(std::string_view s) {
    while (!s.empty() && (s.front() == ' ' || s.front() == '\t'))
        s.remove_prefix(1);
    while (!s.empty() && (s.back() == ' ' || s.back() == '\t'))
        s.remove_suffix(1);
    return s;
}

/// A comma-separated header value holds `token` (case ignored).
bool listHas(std::string_view value, std::string_view token) {
    const std::string v = lowered(value);
    std::string_view rest = v;
    while (!rest.empty()) {
        const std::size_t comma = rest.find(',');
        if (trimmed(rest.substr(0, comma)) == token) return true;
        if (comma == std::string_view::npos) break;
        rest.remove_prefix(comma + 1);
    }
    return false;
}

/// Host names and addresses (with a port): letters, digits, "-._:[]".
bool isHostText(std::string_view s) {
    return !s.empty() && s.size() <= 255 && std::all_of(s.begin(), s.end(), [](char c) {
        return std::isalnum(static_cast<unsigned char>(c)) || c == '-' || c == '.' || c == '_' ||
               c == ':' || c == '[' || c == ']';
    });
}

/// Path and query: visible ASCII without '#' (fragments are never sent).
bool isTargetText(std::string_view s) {
    return std::all_of(s.begin(), s.end(), [](char c) {
        const auto u = static_cast<unsigned char>(c);
        return u > 32 && u < 127 && c != '#';
    });
}

std::optional<std::string> queryKey(std::string_view query) {
    while (!query.empty()) {
        const std::size_t amp = query.find('&');
        const std::string_view pair = query.substr(0, amp);
        if (pair.substr(0, 2) == "k=") return std::string(pair.substr(2));
        if (pair == "k") return std::string();
        if (amp == std::string_view::npos) break;
        query.remove_prefix(amp + 1);
    }
    return std::nullopt;
}

} // namespace

int parseRequestHead(std::string_view head, const Limits& limits, RequestHead& out) {
    out = RequestHead{};
    if (head.size() > limits.headBytes) return 431;
    if (head.size() < 4 || head.substr(head.size() - 4) != "\r\n\r\n") return 400;
    head.remove_suffix(2); // every line, the last included, now ends in CR LF

    const std::size_t lineEnd = head.find("\r\n");
    const std::string_view requestLine = head.substr(0, lineEnd);
    head.remove_prefix(lineEnd + 2);

    const std::size_t sp1 = requestLine.find(' ');
    const std::size_t sp2 = sp1 == std::string_view::npos ? sp1 : requestLine.find(' ', sp1 + 1);
    if (sp2 == std::string_view::npos || requestLine.find(' ', sp2 + 1) != std::string_view::npos)
        return 400;
    const std::string_view method = requestLine.substr(0, sp1);
    const std::string_view target = requestLine.substr(sp1 + 1, sp2 - sp1 - 1);
    const std::string_view version = requestLine.substr(sp2 + 1);
    if (!isToken(method)) return 400;
    if (version != "HTTP/1.1" && version != "HTTP/1.0") {
        if (version.substr(0, 5) == "HTTP/") return 505;
        return 400;
    }
    if (target.empty() || target.front() != '/' || !isTargetText(target)) return 400;
    if (target.size() > 1024) return 414;
    if (method != "GET" && method != "HEAD") return 405;
    out.method = std::string(method);
    const std::size_t question = target.find('?');
    out.path = std::string(target.substr(0, question));
    if (question != std::string_view::npos) out.key = queryKey(target.substr(question + 1));

    bool sawHost = false, sawLength = false, upgradeWebSocket = false, connectionUpgrade = false;
    bool version13 = false, sawKey = false;
    std::size_t lines = 0;
    while (!head.empty()) {
        const std::size_t end = head.find("\r\n");
        const std::string_view line = head.substr(0, end);
        head.remove_prefix(end + 2);
        if (++lines > limits.headerLines) return 431;
        // A bare CR or LF inside a line, or a folded line, is how requests
        // are smuggled past a reader that splits lines differently.
        if (line.find_first_of("\r\n") != std::string_view::npos) return 400;
        if (line.empty() || line.front() == ' ' || line.front() == '\t') return 400;
        const std::size_t colon = line.find(':');
        if (colon == std::string_view::npos) return 400;
        const std::string_view name = line.substr(0, colon);
        const std::string_view value = trimmed(line.substr(colon + 1));
        if (!isToken(name) || !isPlainValue(value)) return 400;
        const std::string key = lowered(name);
        if (key == "host") {
            if (sawHost || !isHostText(value)) return 400;
            sawHost = true;
            out.host = std::string(value);
        } else if (key == "content-length") {
            if (sawLength || value.empty() || !std::all_of(value.begin(), value.end(), [](char c) {
                    return c >= '0' && c <= '9';
                }))
                return 400;
            sawLength = true;
            // The remote takes no bodies: a leading-zero "0" is still zero.
            if (value.find_first_not_of('0') != std::string_view::npos) return 413;
        } else if (key == "transfer-encoding") {
            return 501;
        } else if (key == "upgrade") {
            upgradeWebSocket = listHas(value, "websocket");
        } else if (key == "connection") {
            connectionUpgrade = listHas(value, "upgrade");
        } else if (key == "sec-websocket-version") {
            version13 = value == "13";
        } else if (key == "sec-websocket-key") {
            sawKey = !value.empty();
        } else if (key == "origin") {
            if (!out.origin.empty() || value.size() > 255) return 400;
            out.origin = std::string(value);
        }
    }
    if (!sawHost && version == "HTTP/1.1") return 400;
    out.webSocket = upgradeWebSocket && connectionUpgrade && version13 && sawKey &&
                    method == "GET" && version == "HTTP/1.1";
    return 0;
}

Verdict RequestScreen::refuse(int status) {
    status_ = status;
    verdict_ = Verdict::Refused;
    return verdict_;
}

Verdict RequestScreen::feed(std::string_view bytes) {
    if (verdict_ != Verdict::NeedMore) return verdict_;
    // Only the head's bytes are kept: at most one byte past the bound, which
    // is enough to know the bound was passed.
    const std::size_t room = limits_.headBytes + 1 - buffer_.size();
    const std::size_t before = buffer_.size();
    buffer_.append(bytes.substr(0, room));
    // Bytes that do not even start a request line (a TLS greeting, noise)
    // are refused at once. Only the first 16 bytes decide, so that the
    // verdict does not depend on how the bytes were split.
    const std::string_view start = std::string_view(buffer_).substr(0, 16);
    if (start.size() == 16 || start.find('\n') != std::string_view::npos) {
        const std::size_t sp = start.find(' ');
        if (sp == std::string_view::npos || !isToken(start.substr(0, sp))) return refuse(400);
    }
    // The end of the head may straddle two pieces: search from 3 bytes back.
    const std::size_t from = before >= 3 ? before - 3 : 0;
    const std::size_t end = buffer_.find("\r\n\r\n", from);
    if (end == std::string::npos) {
        if (buffer_.size() > limits_.headBytes) return refuse(431);
        return verdict_;
    }
    buffer_.resize(end + 4);
    const int status = parseRequestHead(buffer_, limits_, head_);
    if (status != 0) return refuse(status);
    verdict_ = Verdict::Complete;
    return verdict_;
}

} // namespace luckdial::remote
