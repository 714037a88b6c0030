#include "validation/validation_flag.h"

#include "addin/text/conversions.h"
#include "addin/workbook/base_table.h"
#include "validation/result_list.h"

namespace velmora {

void SetJiaoYanFlagOnExcel(const workbook::Application& excel, forms::ClientDataSet& results,
                           const RunOutcome& outcome) {
  const workbook::Workbook book = ActiveWorkbookOf(excel);
  const workbook::Worksheet first = book.Sheet(base_table::kFirstSheet);
  const std::string flag = base_table::ReadCell(first, base_table::kValidationFlagCell);
  if (CheckIsValidated(results) && outcome.completed) {
    if (Trim(flag).empty()) {
      base_table::WriteCell(first, base_table::kValidationFlagCell, base_table::kValidationOk);
      book.Save();
    }
  } else {
    base_table::WriteCell(first, base_table::kValidationFlagCell, "");
  }
}

}  // namespace velmora
