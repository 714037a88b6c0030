#include "gbk.h"

#include "platform/win/code_page.h"

namespace velmora::schoolinfo {

std::string G(std::string_view utf8) { return win::Utf8ToAnsi(utf8); }

std::string FirstChar(std::string_view text) {
  std::size_t pos = 0;
  while (pos < text.size() && static_cast<unsigned char>(text[pos]) <= ' ') ++pos;
  if (pos == text.size()) return {};
  return std::string(text.substr(pos, win::CharLength(text, pos)));
}

bool HoldsChar(std::string_view text, char c) {
  for (std::size_t pos = 0; pos < text.size(); pos += win::CharLength(text, pos))
    if (text[pos] == c) return true;
  return false;
}

}  // namespace velmora::schoolinfo
