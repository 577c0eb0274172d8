#pragma once
// Names used in the configuration file "peizhi.a", as GBK bytes.

#include <string>

namespace luckdial::config {

inline constexpr const char* kGeneral = "zbt";
inline constexpr const char* kColours = "yanse";

/// "peizhi.a" (ASCII, the same in GBK).
inline constexpr const char* kFileName = "peizhi.a";

/// Level word of prize row n (1 = "特等奖" ... 8 = "七等奖"), GBK.
std::string levelWord(int n);
/// "真" or "假", GBK.
std::string boolText(bool value);
/// True exactly when the text is "真".
bool isTrueText(const std::string& text);

} // namespace luckdial::config
