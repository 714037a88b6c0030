// Item splitting on any bytes, with each of the separator and skip sets the
// system uses: it never reads past the text, never produces an empty item,
// never cuts inside a double-byte character, and produces the items in order.
#include <cstddef>
#include <cstdint>
#include <string_view>
#include <vector>

#include "addin/text/item_split.h"
#include "platform/win/code_page.h"

namespace {

struct Sets {
  const char* separators;
  const char* skipped;
};
constexpr Sets kSets[] = {{"|", " "}, {"|", "."}, {"|", " #."}, {",", "*"},        {",", " "},
                          {"=", " "}, {"|", "*"}, {"\\", ""},   {"|,'\"", " \r\n"}};

void Check(bool condition) {
  if (!condition) __builtin_trap();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size == 0) return 0;
  const Sets& sets = kSets[data[0] % (sizeof kSets / sizeof kSets[0])];
  const std::string_view text(reinterpret_cast<const char*>(data + 1), size - 1);
  const std::string_view visible = text.substr(0, text.find('\0'));

  std::vector<bool> boundary(visible.size() + 1, false);
  for (std::size_t pos = 0; pos < visible.size(); pos += win::CharLength(visible, pos))
    boundary[pos] = true;
  boundary[visible.size()] = true;

  std::size_t from = 0;
  for (const std::string& item : velmora::SplitItems(text, sets.separators, sets.skipped)) {
    Check(!item.empty());
    Check(item.find('\0') == std::string::npos);
    Check(std::string_view(sets.skipped).find(item.front()) == std::string_view::npos);
    Check(item.front() != '\r' && item.front() != '\n');
    const std::size_t pos = visible.find(item, from);
    Check(pos != std::string_view::npos);
    Check(boundary[pos] && boundary[pos + item.size()]);
    from = pos + item.size();
  }
  return 0;
}
