#include "string_ops.h"

#include "item_split.h"

namespace velmora {

std::vector<std::string> GetStringsByChar(char /*character*/, std::string_view text) {
  return SplitItems(text, "|", " #.");
}

std::string GetStrByIndex(std::string_view text, int index, int count) {
  if (index < 1) index = 1;
  const auto start = static_cast<std::size_t>(index - 1);
  if (count <= 0 || start >= text.size()) return {};
  return std::string(text.substr(start, static_cast<std::size_t>(count)));
}

std::string GetStrBybeginendIndex(std::string_view text, int begin, int end) {
  const long long count = static_cast<long long>(text.size()) - end - begin + 2;
  if (count <= 0) return {};
  return GetStrByIndex(text, begin, count > INT32_MAX ? INT32_MAX : static_cast<int>(count));
}

}  // namespace velmora
