#pragma once
// The remote's answers to HTTP requests: which request gets what, and the
// bytes of the response with the headers every answer carries (no framing,
// nothing from elsewhere, nothing kept in a cache).

#include "remote/core/request.h"
#include "remote/core/session.h"

#include <cstdint>
#include <string>
#include <string_view>

namespace luckdial::remote {

struct HttpAnswer {
    int status = 200;
    std::string contentType;
    std::string body;
    /// The request opens the WebSocket: the connection is handed over, no answer.
    bool webSocket = false;
    /// What a request with a secret came to; Off when it carried none.
    Claim claim = Claim::Off;
    bool presentedSecret = false;
};

/// What the request gets. A request with "k=" presents the QR code's secret.
HttpAnswer answerRequest(const RequestHead& head, std::string_view address, std::uint64_t nowMs,
                         Session& session);

/// The whole response: status line, headers, the body unless `headOnly`.
/// `host` (already checked) goes into the page's connect rule for its WebSocket.
std::string responseBytes(int status, std::string_view contentType, std::string_view body,
                          bool headOnly, std::string_view host);

/// A refusal: status and a one-line text.
std::string refusalBytes(int status);

const char* reasonPhrase(int status);

/// The phone page; the controller's token, when given, rides in it once.
std::string pageHtml(std::string_view token);
std::string_view pageScript();
std::string_view pageStyle();

} // namespace luckdial::remote
