#pragma once
// The system's ANSI code page (GBK, code page 936) and its conversions.
// Texts inside the add-in are GBK byte strings held in std::string; automation
// strings are UTF-16; files and the terminal outside the add-in are UTF-8.
// An unmappable character becomes "?", as the platform's conversion does; so
// does a byte sequence that is no character of the source encoding (a GBK lead
// byte with no valid second byte, broken UTF-8, a lone surrogate).
#include <cstddef>
#include <string>
#include <string_view>

namespace win {

std::string AnsiToUtf8(std::string_view gbk);
std::string Utf8ToAnsi(std::string_view utf8);
std::u16string AnsiToWide(std::string_view gbk);
std::string WideToAnsi(std::u16string_view utf16);
std::u16string Utf8ToWide(std::string_view utf8);
std::string WideToUtf8(std::u16string_view utf16);

// True for a byte that opens a double-byte GBK character (0x81..0xFE).
constexpr bool IsLeadByte(unsigned char byte) { return byte >= 0x81 && byte <= 0xFE; }

// Byte length of the character that starts at text[pos]: 2 for a GBK lead byte
// (0x81..0xFE) followed by another byte, otherwise 1 (a lead byte at the very
// end is a single byte). 0 when pos is at or beyond the end.
std::size_t CharLength(std::string_view text, std::size_t pos);

// The longest prefix of text of at most max_bytes bytes that ends on a
// character boundary (never half a double-byte character).
std::string_view PrefixWithin(std::string_view text, std::size_t max_bytes);

// ASCII letters upper- or lower-cased; double-byte characters are stepped over
// whole, so their second bytes are never changed.
std::string AnsiUpperCase(std::string_view text);
std::string AnsiLowerCase(std::string_view text);

}  // namespace win
