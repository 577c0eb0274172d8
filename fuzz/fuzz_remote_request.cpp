// The phone remote's readers: whatever a client sends, the request screen
// keeps within its bound, reads the same however the bytes are split, and
// takes only heads whose fields are clean; a message is taken only in one of
// its exact forms.
//
// Input: one byte s, then the client's bytes; the bytes are fed whole and
// again split at s * length / 256.

#include "remote/core/message.h"
#include "remote/core/request.h"
#include "remote/core/secret.h"

#include "check.h"

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

namespace {

bool clean(std::string_view s) {
    for (char c : s) {
        const auto u = static_cast<unsigned char>(c);
        if (u <= 32 || u >= 127) return false;
    }
    return true;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace luckdial::remote;
    if (size == 0) return 0;
    const std::size_t cut = (size - 1) * data[0] / 256;
    const std::string_view bytes(reinterpret_cast<const char*>(data + 1), size - 1);
    Limits limits;
    limits.headBytes = 1024;
    limits.headerLines = 12;

    RequestScreen whole(limits);
    const Verdict v = whole.feed(bytes);
    RequestScreen split(limits);
    split.feed(bytes.substr(0, cut));
    const Verdict w = split.feed(bytes.substr(cut));
    FUZZ_CHECK(v == w);
    FUZZ_CHECK(whole.status() == split.status());
    FUZZ_CHECK(whole.headSize() <= limits.headBytes + 1);

    if (v == Verdict::Complete) {
        const RequestHead& h = whole.head();
        FUZZ_CHECK(h.method == "GET" || h.method == "HEAD");
        FUZZ_CHECK(!h.path.empty() && h.path.front() == '/' && clean(h.path));
        FUZZ_CHECK(h.path.find('?') == std::string::npos);
        if (h.key) FUZZ_CHECK(clean(*h.key) && h.key->find('&') == std::string::npos);
        FUZZ_CHECK(h.host.find_first_of("\r\n \"'<>;") == std::string::npos);
        FUZZ_CHECK(h.origin.find_first_of("\r\n") == std::string::npos);
        FUZZ_CHECK(whole.headSize() <= limits.headBytes);
        // The head read again alone reads the same.
        RequestHead again;
        FUZZ_CHECK(parseRequestHead(bytes.substr(0, whole.headSize()), limits, again) == 0);
        FUZZ_CHECK(again.path == h.path && again.key == h.key && again.webSocket == h.webSocket);
    } else if (v == Verdict::Refused) {
        const int s = whole.status();
        FUZZ_CHECK(s == 400 || s == 405 || s == 413 || s == 414 || s == 431 || s == 501 ||
                   s == 505);
    }

    // The same bytes as a WebSocket message.
    const ClientMessage m = parseMessage(bytes);
    if (m.verb != Verb::Invalid) {
        const std::string rebuilt =
            std::string(verbName(m.verb)) + (m.token.empty() ? "" : " ") + m.token;
        FUZZ_CHECK(rebuilt == bytes);
        FUZZ_CHECK(m.token.empty() || isTokenText(m.token));
    }
    // And as text for the page: nothing in it can end a string or a script.
    for (char c : jsonEscaped(bytes)) {
        const auto u = static_cast<unsigned char>(c);
        FUZZ_CHECK(u >= 0x20 && c != '<' && c != '>' && u != 0x7f);
    }
    return 0;
}
