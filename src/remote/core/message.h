#pragma once
// What the phone page says over its WebSocket, and what it is told. Client
// messages are short ASCII lines "VERB" or "VERB TOKEN"; answers are JSON
// objects in UTF-8.

#include <cstdint>
#include <string>
#include <string_view>

namespace luckdial::remote {

enum class Verb {
    Invalid,
    Hello, ///< "hello TOKEN": a controller's page (re)connects
    Ask,   ///< "ask": a device without a token asks the operator
    Ping,  ///< "ping" or "ping TOKEN": keeps the connection open
    Press, ///< start or stop, as Space does
    Prev,  ///< the previous prize level
    Next,  ///< the next prize level
    Page,  ///< the next page of a paged draw's winners
};

struct ClientMessage {
    Verb verb = Verb::Invalid;
    std::string token; ///< empty when the verb takes none
};

/// Reads one message; anything that is not exactly one of the forms above
/// (a missing or malformed token where one is needed, extra blanks, other
/// bytes) is Invalid.
ClientMessage parseMessage(std::string_view text);

/// The verb's name as the log and the page spell it ("press", ...).
const char* verbName(Verb verb);

/// What the hall shows of the draw, and nothing more: no names.
struct DrawView {
    std::string level;    ///< the selected level, UTF-8
    std::string progress; ///< the progress caption, UTF-8
    std::uint64_t pool = 0;
    bool running = false; ///< the scroll is on
    bool busy = false;    ///< a draw run is under way (scroll or final draw)
};

/// JSON string contents for `text` (UTF-8 passes; quotes, backslashes and
/// control characters escaped; "<" escaped so no text closes a script).
std::string jsonEscaped(std::string_view text);

std::string stateJson(const DrawView& view);
/// {"role":"controller","token":T}: the page keeps the token.
std::string grantedJson(std::string_view token);
/// {"role":"waiting","code":N}: the code the operator sees beside the request.
std::string waitingJson(std::uint32_t code);
/// {"role":"ask","reason":R}: no control (refused, denied, replaced, locked).
std::string askJson(std::string_view reason);

} // namespace luckdial::remote
