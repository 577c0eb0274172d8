#pragma once
// GBK text helpers. The logic holds text as GBK bytes; source literals are UTF-8
// and pass through gbk() once. Conversions use glibc iconv with GB18030 (a
// superset of GBK) so that nothing a user types is lost.

#include <string>
#include <string_view>

namespace luckdial {

/// UTF-8 -> GBK/GB18030 bytes. Invalid UTF-8 sequences become '?'.
std::string gbk(std::string_view utf8);
/// GBK/GB18030 bytes -> UTF-8. Invalid bytes become U+FFFD; never throws.
std::string utf8(std::string_view gbkText);

/// How bytes read as UTF-8: pure ASCII; UTF-8 (a byte-order mark, or valid
/// UTF-8 with at least one multi-byte sequence); or anything else (GBK).
enum class TextKind { Ascii, Utf8, Other };
TextKind textKind(std::string_view bytes);
/// True when the bytes start with the UTF-8 byte-order mark, or are entirely
/// valid UTF-8 holding at least one multi-byte sequence.
bool isUtf8Text(std::string_view bytes);
/// Content of a pool, progress or title file as GBK: a UTF-8 file (isUtf8Text)
/// is converted, its byte-order mark dropped; anything else is returned as is.
std::string fileTextToGbk(std::string bytes);

/// Host "to number": leading decimal number as C atof, without locale, hex, inf
/// or nan; no number gives 0.
double toNumber(std::string_view text);
/// toNumber truncated toward zero and clamped to the 32-bit range.
int toInt(std::string_view text);
/// Host "to text" of numbers: plain decimal for integers, "%.13g" for doubles.
std::string toText(long long value);
std::string toText(double value);
/// Host "middle of text": 1-based byte positions; out of range gives "".
std::string middle(std::string_view text, long long start, long long length);

} // namespace luckdial
