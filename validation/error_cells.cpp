#include "validation/error_cells.h"

#include <exception>

#include "addin/text/conversions.h"
#include "addin/text/item_split.h"
#include "addin/workbook/base_table.h"
#include "platform/forms/application.h"
#include "validation/rule_file.h"
#include "validation/validation_context.h"

namespace velmora {

void ForEachCellPosition(std::string_view cell_list, const std::function<void(int sheet, int row, int column)>& visit) {
  for (const std::string& position : SplitItems(cell_list, "|", " ")) {
    const std::vector<std::string> items = SplitItems(position, ",", " ");
    const int sheet = TextToInt(ItemAt(items, 0));
    const int row = TextToInt(ItemAt(items, 1));
    const int column = TextToInt(ItemAt(items, 2));
    visit(sheet, row, column);
  }
}

void SetXxCellInfoOnExcel(const workbook::Application& excel, std::string_view cell_list) {
  base_table::UnprotectedSheet first(ActiveWorkbookOf(excel).Sheet(base_table::kFirstSheet));
  base_table::WriteCell(first.sheet(), base_table::kCellListCell, cell_list);
  base_table::WriteCell(first.sheet(), base_table::kSwitchCounterCell, "");
  first.Protect();
}

void MarkErrorCell(const workbook::Application& excel, int sheet_number, int row, int column) {
  const workbook::Worksheet sheet = excel.Worksheets(sheet_number);
  sheet.Activate();
  base_table::UnprotectedSheet guard(sheet);
  const workbook::Range cell = sheet.Between(row, column, row, column);
  if (!cell.Locked()) cell.SetColorIndex(kErrorCellColor);
  cell.Select();
  guard.Protect();
}

void SetXxCellColorOnExcel(const workbook::Application& excel, int sheet_number, int row, int column, int flag) {
  const workbook::Workbook book = ActiveWorkbookOf(excel);
  base_table::UnprotectedSheet guard(book.Sheet(sheet_number));
  const workbook::Range cell = guard.sheet().Between(row, column, row, column);
  if (!cell.Locked()) cell.SetColorIndex(flag == 0 ? kNoFill : kErrorCellColor);
  guard.Protect();
  book.Save();
}

void ClearCellInfo(const workbook::Application& excel) {
  try {
    const workbook::Worksheet first = ActiveWorkbookOf(excel).Sheet(base_table::kFirstSheet);
    const std::string cell_list = base_table::ReadCell(first, base_table::kCellListCell);
    if (cell_list.empty()) return;
    ForEachCellPosition(cell_list, [&](int sheet, int row, int column) {
      SetXxCellColorOnExcel(excel, sheet, row, column, 0);
    });
  } catch (const std::exception& error) {
    forms::ShowException(error);
  }
}

}  // namespace velmora
