#include "validation/cell_position.h"

#include "addin/text/conversions.h"
#include "addin/text/item_split.h"
#include "addin/text/string_ops.h"
#include "addin/text/text_file.h"
#include "platform/win/code_page.h"
#include "validation/rule_file.h"

namespace velmora {

std::string getCellPosition(std::string_view table, std::string_view A, std::string_view Y, std::string_view Z,
                            const std::string& directory) {
  const std::string sheet_key = GetStrBybeginendIndex(A, 3, 1);
  const std::string key = win::AnsiUpperCase(sheet_key);
  const std::string id = win::AnsiUpperCase(Y);
  for (const std::string& line : LoadLines(directory + PositionFileName(table))) {
    const std::string upper = win::AnsiUpperCase(line);
    if (upper.find(key) == std::string::npos || upper.find(id) == std::string::npos) continue;
    const std::string cell = ItemAt(SplitItems(line, "|", " "), 2);
    const std::string sheet_number = GetStrBybeginendIndex(sheet_key, 3, 1);
    if (Z == "1") return sheet_number + "," + cell;
    const std::vector<std::string> row_column = SplitItems(cell, ",", " ");
    const int row = TextToInt(ItemAt(row_column, 0));
    const int shift = TextToInt(Z);
    const std::string& column = ItemAt(row_column, 1);
    return sheet_number + "," + std::to_string(static_cast<long long>(row) + shift - 1) + "," + column;
  }
  return {};
}

}  // namespace velmora
