#include "remote/core/message.h"

#include "remote/core/secret.h"

#include <cstdio>

namespace luckdial::remote {

ClientMessage parseMessage(std::string_view text) {
    if (text.size() > 128) return {};
    const std::size_t space = text.find(' ');
    const std::string_view verb = text.substr(0, space);
    const std::string_view token =
        space == std::string_view::npos ? std::string_view() : text.substr(space + 1);
    const bool hasToken = space != std::string_view::npos;
    if (hasToken && !isTokenText(token)) return {};

    struct Form {
        std::string_view name;
        Verb verb;
        int token; // 0 none, 1 required, 2 optional
    };
    static constexpr Form kForms[] = {
        {"hello", Verb::Hello, 1}, {"ask", Verb::Ask, 0},   {"ping", Verb::Ping, 2},
        {"press", Verb::Press, 1}, {"prev", Verb::Prev, 1}, {"next", Verb::Next, 1},
        {"page", Verb::Page, 1},
    };
    for (const Form& f : kForms) {
        if (f.name != verb) continue;
        if ((f.token == 1 && !hasToken) || (f.token == 0 && hasToken)) return {};
        return {f.verb, std::string(token)};
    }
    return {};
}

const char* verbName(Verb verb) {
    switch (verb) {
    case Verb::Hello:
        return "hello";
    case Verb::Ask:
        return "ask";
    case Verb::Ping:
        return "ping";
    case Verb::Press:
        return "press";
    case Verb::Prev:
        return "prev";
    case Verb::Next:
        return "next";
    case Verb::Page:
        return "page";
    case Verb::Invalid:
        break;
    }
    return "invalid";
}

std::string jsonEscaped(std::string_view text) {
    std::string out;
    out.reserve(text.size());
    for (char c : text) {
        const auto u = static_cast<unsigned char>(c);
        switch (c) {
        case '"':
            out += "\\\"";
            break;
        case '\\':
            out += "\\\\";
            break;
        case '<':
            out += "\\u003c";
            break;
        case '>':
            out += "\\u003e";
            break;
        case '&':
            out += "\\u0026";
            break;
        default:
            if (u < 0x20 || u == 0x7f) {
                char buf[8];
                std::snprintf(buf, sizeof buf, "\\u%04x", u);
                out += buf;
            } else {
                out += c;
            }
        }
    }
    return out;
}

std::string stateJson(const DrawView& view) {
    return "{\"role\":\"controller\",\"level\":\"" + jsonEscaped(view.level) +
           "\",\"progress\":\"" + jsonEscaped(view.progress) +
           "\",\"pool\":" + std::to_string(view.pool) +
           ",\"running\":" + (view.running ? "true" : "false") +
           ",\"busy\":" + (view.busy ? "true" : "false") + "}";
}

std::string grantedJson(std::string_view token) {
    return "{\"role\":\"controller\",\"token\":\"" + jsonEscaped(token) + "\"}";
}

std::string waitingJson(std::uint32_t code) {
    return "{\"role\":\"waiting\",\"code\":" + std::to_string(code) + "}";
}

std::string askJson(std::string_view reason) {
    return "{\"role\":\"ask\",\"reason\":\"" + jsonEscaped(reason) + "\"}";
}

} // namespace luckdial::remote
