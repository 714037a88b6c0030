#include "host/check/cell_refs.h"

#include <exception>

#include "addin/text/item_split.h"
#include "addin/workbook/base_table.h"
#include "excel/xlsx/model.h"
#include "platform/win/code_page.h"

namespace velmora::check {

std::vector<CellRef> CellRefs(const workbook::Application& excel, std::string_view cell_list) {
  std::vector<CellRef> cells;
  for (const std::string& position : SplitItems(cell_list, "|", " ")) {
    try {
      const base_table::CellPosition cell = base_table::ParseCellPosition(position);
      cells.push_back({win::AnsiToUtf8(excel.Worksheets(cell.sheet).Name()),
                       xlsx::CellName(cell.row, cell.column)});
    } catch (const std::exception&) {
      cells.push_back({"", win::AnsiToUtf8(position)});
    }
  }
  return cells;
}

}  // namespace velmora::check
