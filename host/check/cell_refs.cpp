#include "host/check/cell_refs.h"

#include <exception>

#include "addin/text/item_split.h"
#include "addin/workbook/base_table.h"
#include "platform/win/code_page.h"

namespace velmora::check {

std::string ColumnLetters(int column) {
  std::string letters;
  for (; column > 0; column = (column - 1) / 26)
    letters.insert(letters.begin(), static_cast<char>('A' + (column - 1) % 26));
  return letters;
}

std::vector<CellRef> CellRefs(const workbook::Application& excel, std::string_view cell_list) {
  std::vector<CellRef> cells;
  for (const std::string& position : SplitItems(cell_list, "|", " ")) {
    try {
      const base_table::CellPosition cell = base_table::ParseCellPosition(position);
      cells.push_back({win::AnsiToUtf8(excel.Worksheets(cell.sheet).Name()),
                       ColumnLetters(cell.column) + std::to_string(cell.row)});
    } catch (const std::exception&) {
      cells.push_back({"", win::AnsiToUtf8(position)});
    }
  }
  return cells;
}

}  // namespace velmora::check
