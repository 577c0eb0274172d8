#pragma once
// The stored form of the settings panel's access password. It only keeps the
// password from being read at a glance in the configuration file; it is not
// a protection against anyone who can edit that file.

#include <optional>
#include <string>
#include <string_view>

namespace luckdial {

/// Stored form of a password (any bytes): upper-case hex digits of the
/// scrambled bytes, so it is one printable line. The empty password gives "".
std::string encodePassword(std::string_view password);

/// The password of a stored form; "" gives "". Nothing when the text is not a
/// form encodePassword produces (odd length or a character that is not a hex
/// digit).
std::optional<std::string> decodePassword(std::string_view stored);

} // namespace luckdial
