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

/// What the bytes of a pool, title or configuration file are taken to be.
enum class TextKind { Ascii, Utf8, Gbk };
/// Recognises a file's encoding. UTF-8 when the bytes start with a byte-order
/// mark, or when they read as UTF-8 with three- or four-byte sequences (which
/// Chinese text in UTF-8 always has), few bytes that are not UTF-8, and at
/// least as many such characters as the GBK reading has common Chinese
/// characters; otherwise GBK. Text that is valid both ways with only two-byte
/// UTF-8 sequences (a quarter of the common GBK characters look like that) is
/// GBK.
TextKind textKind(std::string_view bytes);

/// A file's content as GBK text, and how the file was encoded.
struct DecodedText {
    std::string gbk;
    bool wasUtf8 = false;
    bool hadBom = false;
};
/// Content of a pool, title or configuration file as GBK: UTF-8 (textKind)
/// is converted and its byte-order mark dropped; GBK comes back byte for byte.
/// Either way a byte that fits neither encoding is read as a Western
/// (Windows-1252) letter, so that it can never pair with the line end after
/// it and join two lines.
DecodedText decodeFileText(std::string bytes);
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
