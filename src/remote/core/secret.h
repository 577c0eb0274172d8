#pragma once
// Secrets and tokens: random bytes written as lower-case base-32 letters
// (easy to read, case-insensitive in a QR code), compared in constant time.

#include <string>
#include <string_view>

namespace luckdial::remote {

/// Equal texts, in a time that depends only on the length of `presented`
/// and not on where the texts first differ. An empty `expected` matches nothing.
bool constantTimeEqual(std::string_view expected, std::string_view presented);

/// The bytes as base-32 letters a-z and 2-7, five bits per letter.
std::string base32(std::string_view bytes);

/// Letters a token or secret may hold; anything else is refused unread.
bool isTokenText(std::string_view text);

} // namespace luckdial::remote
