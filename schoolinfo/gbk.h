#pragma once
// The texts of this folder are written in UTF-8 in its sources and held in
// GBK, as every text inside the add-in.
#include <string>
#include <string_view>

namespace velmora::schoolinfo {

// The GBK form of a UTF-8 text of the sources.
std::string G(std::string_view utf8);

// The first character of text with leading blanks (and control
// characters) removed, a double-byte character whole; empty when nothing is left.
std::string FirstChar(std::string_view text);

// True when text holds the character c (single-byte), stepping over
// double-byte characters whole, so their second bytes never match.
bool HoldsChar(std::string_view text, char c);

}  // namespace velmora::schoolinfo
