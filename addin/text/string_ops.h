#pragma once
// The string operations shared by the school-information code and the
// validation code. Positions are 1-based and count bytes (a Chinese
// character counts as two).
#include <string>
#include <string_view>
#include <vector>

namespace velmora {

// The items of text with separator "|" and blank, "#" and "." skipped at the
// start of an item. The character argument is not used.
std::vector<std::string> GetStringsByChar(char character, std::string_view text);

// The count bytes starting at position index; an index below 1 counts as 1.
// Cut at the end of the text; empty when index lies beyond the end or count
// is not positive.
std::string GetStrByIndex(std::string_view text, int index, int count);

// The bytes from position begin up to position length - end + 1, both
// included: GetStrByIndex(text, begin, length - end - begin + 2). With end 1
// the tail from position begin.
std::string GetStrBybeginendIndex(std::string_view text, int begin, int end);

}  // namespace velmora
