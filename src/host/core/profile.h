#pragma once
// Configuration items in the Windows profile-file layout, on a GBK byte text:
// "[section]" lines and "key=value" lines, CR LF ends, names matched without
// regard to ASCII case, spaces around keys and values ignored on read, the
// first of duplicate keys wins, unrelated lines kept on write, a value in one
// pair of matching double or single quotes read without them, values cut at
// 10239 bytes. Pure functions over the file's bytes.

#include <optional>
#include <string>
#include <string_view>

namespace luckdial::profile {

/// The value of key in section, or nothing when absent.
std::optional<std::string> read(std::string_view fileText, std::string_view section,
                                std::string_view key);
/// fileText with key set to value (added to the section, or a new section at the end).
std::string write(std::string_view fileText, std::string_view section, std::string_view key,
                  std::string_view value);
/// fileText without the key.
std::string removeKey(std::string_view fileText, std::string_view section, std::string_view key);
/// fileText without the section and its keys.
std::string removeSection(std::string_view fileText, std::string_view section);

} // namespace luckdial::profile
