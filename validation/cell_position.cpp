#include "validation/cell_position.h"

#include "addin/text/conversions.h"
#include "addin/text/item_split.h"
#include "addin/text/string_ops.h"
#include "addin/text/text_file.h"
#include "platform/win/code_page.h"
#include "platform/win/path.h"
#include "validation/rule_file.h"

namespace velmora {

namespace {

// The first line (CR LF, lone CR or lone LF ending it) that contains both
// parts, letter case ignored; nothing when none does. The text is
// upper-cased once as a whole (double-byte characters stepped over whole,
// as for each line alone), and its lines are compared in place.
std::optional<std::string_view> FirstLineWith(std::string_view text, std::string_view key, std::string_view id) {
  const std::string upper_text = win::AnsiUpperCase(text);
  const std::string upper_key = win::AnsiUpperCase(key);
  const std::string upper_id = win::AnsiUpperCase(id);
  std::size_t start = 0;
  while (start < text.size()) {
    std::size_t end = text.find_first_of("\r\n", start);
    if (end == std::string_view::npos) end = text.size();
    const std::string_view line(upper_text.data() + start, end - start);
    if (line.find(upper_key) != std::string_view::npos && line.find(upper_id) != std::string_view::npos)
      return text.substr(start, end - start);
    start = end + (text.compare(end, 2, "\r\n") == 0 ? 2 : 1);
  }
  return std::nullopt;
}

}  // namespace

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
