#include "tools/switch_cell.h"

#include <stdexcept>

#include "addin/text/conversions.h"
#include "addin/text/item_split.h"
#include "addin/workbook/base_table.h"
#include "platform/forms/application.h"

namespace velmora::tools {

namespace {

std::vector<std::string> Entries(std::string_view cell_list) { return SplitItems(cell_list, "|", " "); }

// One step; errors go to the caller.
void Step(const workbook::Application& excel, int depth) {
  const std::optional<workbook::Workbook> book = excel.ActiveWorkbook();
  if (!book) return;
  const workbook::Worksheet first = book->Sheet(base_table::kFirstSheet);
  book->Save();
  const std::string cell_list = Trim(base_table::ReadCell(first, base_table::kCellListCell));
  if (cell_list.empty()) return;
  const std::size_t n = Entries(cell_list).size();

  const std::string counter_text = base_table::ReadCell(first, base_table::kSwitchCounterCell);
  const long long counter = Trim(counter_text).empty() ? 0 : TextToInt(counter_text) + 1LL;
  const std::string entry = GetSwitchEntry(excel, counter);

  base_table::UnprotectedSheet guard(first);
  base_table::WriteCell(first, base_table::kSwitchCounterCell, std::to_string(counter));
  if (!entry.empty()) {
    const base_table::CellPosition position = base_table::ParseCellPosition(entry);
    const workbook::Worksheet sheet = book->Sheet(position.sheet);
    sheet.Activate();
    const workbook::Range cell = sheet.Cell(position.row, position.column);
    if (!cell.Locked())
      cell.Select();
    else if (n >= static_cast<std::size_t>(depth) + 1)
      SwitchCell(excel, depth + 1);
  }
  guard.Protect();
}

}  // namespace

std::string GetSwitchEntry(const workbook::Application& excel, long long index) {
  const std::optional<workbook::Workbook> book = excel.ActiveWorkbook();
  if (!book) return {};
  const std::string cell_list = base_table::ReadCell(book->Sheet(base_table::kFirstSheet), base_table::kCellListCell);
  if (Trim(cell_list).empty()) return {};
  const std::vector<std::string> entries = Entries(cell_list);
  if (entries.empty()) throw std::domain_error("Division by zero");
  if (index < 0) throw std::out_of_range("List index out of bounds (" + std::to_string(index) + ")");
  return entries[static_cast<std::size_t>(index % static_cast<long long>(entries.size()))];
}

void SwitchCell(const workbook::Application& excel, int depth) {
  try {
    Step(excel, depth);
  } catch (const std::exception& error) {
    forms::ShowException(error);
  }
}

}  // namespace velmora::tools
