#include "validation/cell_position.h"

#include <algorithm>
#include <optional>

#include "addin/text/conversions.h"
#include "addin/text/item_split.h"
#include "addin/text/string_ops.h"
#include "addin/text/text_file.h"
#include "platform/win/code_page.h"
#include "platform/win/path.h"
#include "validation/rule_file.h"

namespace velmora {

namespace {

// The upper-case form of the position file last read: the file is read on
// every call, and when its bytes are those of the last call their upper-case
// form is taken again instead of being made anew.
const std::string& UpperCase(const std::string& text) {
  static std::string last_text, last_upper;
  if (text != last_text || last_upper.size() != text.size()) {
    last_upper = win::AnsiUpperCase(text);
    last_text = text;
  }
  return last_upper;
}

// The first line holding both parts; nothing when none does.
std::optional<std::string_view> FirstLineWith(const std::string& text, std::string_view key, std::string_view id) {
  std::optional<std::string_view> first;
  ForEachLineWith(text, key, id, [&](std::string_view line) {
    first = line;
    return false;
  });
  return first;
}

}  // namespace

// The text is upper-cased as a whole (double-byte characters stepped over
// whole, as for each line alone). The lines holding the longer of the two
// parts are visited in file order (both are word characters, so neither
// spans two lines), and those that hold the other as well are the ones.
void ForEachLineWith(const std::string& text, std::string_view key, std::string_view id,
                     const std::function<bool(std::string_view line)>& visit) {
  const std::string_view upper_text = UpperCase(text);
  std::string needle = win::AnsiUpperCase(id), other = win::AnsiUpperCase(key);
  if (needle.size() < other.size()) std::swap(needle, other);
  if (needle.empty()) {  // every line holds the empty texts
    for (std::size_t start = 0; start < text.size();) {
      std::size_t end = std::min(text.find_first_of("\r\n", start), text.size());
      if (!visit(std::string_view(text).substr(start, end - start))) return;
      if (end < text.size() && text[end] == '\r' && end + 1 < text.size() && text[end + 1] == '\n') ++end;
      start = end + 1;
    }
    return;
  }
  for (std::size_t at = upper_text.find(needle); at != std::string_view::npos;) {
    const std::size_t before = upper_text.find_last_of("\r\n", at);
    const std::size_t start = before == std::string_view::npos ? 0 : before + 1;
    std::size_t end = upper_text.find_first_of("\r\n", at);
    if (end == std::string_view::npos) end = upper_text.size();
    if (upper_text.substr(start, end - start).find(other) != std::string_view::npos &&
        !visit(std::string_view(text).substr(start, end - start)))
      return;
    at = upper_text.find(needle, end);
  }
}

std::string getCellPosition(std::string_view table, std::string_view A, std::string_view Y, std::string_view Z,
                            const std::string& directory) {
  const std::string path = directory + PositionFileName(table);
  std::string content;
  if (!win::ReadFile(path, content)) throw FileError("Cannot open file \"" + path + "\"");
  const std::string sheet_key = GetStrBybeginendIndex(A, 3, 1);
  const std::optional<std::string_view> line = FirstLineWith(content, sheet_key, Y);
  if (!line) return {};
  const std::string cell = ItemAt(SplitItems(*line, "|", " "), 2);
  const std::string sheet_number = GetStrBybeginendIndex(sheet_key, 3, 1);
  if (Z == "1") return sheet_number + "," + cell;
  const std::vector<std::string> row_column = SplitItems(cell, ",", " ");
  const int row = TextToInt(ItemAt(row_column, 0));
  const int shift = TextToInt(Z);
  const std::string& column = ItemAt(row_column, 1);
  return sheet_number + "," + std::to_string(static_cast<long long>(row) + shift - 1) + "," + column;
}

}  // namespace velmora
