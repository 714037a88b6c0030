#include "item_split.h"

#include "platform/win/code_page.h"

namespace velmora {
namespace {

bool IsLineEnd(char c) { return c == '\r' || c == '\n'; }
bool IsQuote(char c) { return c == '\'' || c == '"'; }
bool In(std::string_view set, char c) { return set.find(c) != std::string_view::npos; }

}  // namespace

std::vector<std::string> SplitItems(std::string_view text, std::string_view separators,
                                    std::string_view skipped) {
  text = text.substr(0, text.find('\0'));
  std::vector<std::string> items;
  std::size_t pos = 0;
  while (pos < text.size()) {
    while (pos < text.size() && win::CharLength(text, pos) == 1 &&
           (In(skipped, text[pos]) || IsLineEnd(text[pos]))) {
      ++pos;
    }
    const std::size_t start = pos;
    char quote = 0;
    while (pos < text.size()) {
      const std::size_t length = win::CharLength(text, pos);
      if (length == 1) {
        const char c = text[pos];
        if (quote != 0) {
          if (c == quote) quote = 0;
        } else if (IsQuote(c)) {
          quote = c;
        } else if (In(separators, c) || IsLineEnd(c)) {
          break;
        }
      }
      pos += length;
    }
    if (pos > start) items.emplace_back(text.substr(start, pos - start));
    ++pos;  // past the character that ended the item
  }
  return items;
}

}  // namespace velmora
