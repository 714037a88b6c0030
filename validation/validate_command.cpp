#include "validation/validate_command.h"

#include "addin/text/conversions.h"
#include "addin/workbook/base_table.h"

namespace velmora {

void ValidateWorkbook(const workbook::Application& excel, const std::function<void()>& open_dialog) {
  const std::optional<workbook::Workbook> book = excel.ActiveWorkbook();
  if (!book) return;
  book->Save();
  const workbook::Worksheet first = book->Sheet(base_table::kFirstSheet);
  const std::string information = base_table::ReadCell(first, base_table::kInfoStringCell);
  if (Trim(information).empty()) return;
  if (information.substr(0, 4) != base_table::kYear) return;
  base_table::UnprotectedSheet guard(first);
  guard.Protect();
  book->Save();
  open_dialog();
}

}  // namespace velmora
