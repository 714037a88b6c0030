#pragma once
// The system's ANSI code page (GBK, code page 936) and its conversions.
// Texts inside the add-in are GBK byte strings held in std::string; automation
// strings are UTF-16; files and the terminal outside the add-in are UTF-8.
// An unmappable character becomes "?", as the platform's conversion does.
#include <string>
#include <string_view>

namespace win {

std::string AnsiToUtf8(std::string_view gbk);
std::string Utf8ToAnsi(std::string_view utf8);
std::u16string AnsiToWide(std::string_view gbk);
std::string WideToAnsi(std::u16string_view utf16);
std::u16string Utf8ToWide(std::string_view utf8);
std::string WideToUtf8(std::u16string_view utf16);

// Byte length of the character that starts at text[pos]: 2 for a GBK lead byte
// (0x81..0xFE) followed by another byte, otherwise 1. pos must be < size.
std::size_t CharLength(std::string_view text, std::size_t pos);

}  // namespace win
