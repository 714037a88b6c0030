#include "validation/lint/template_workbook.h"

#include "addin/workbook/base_table.h"
#include "com/error_info.h"
#include "excel/com/excel.h"
#include "excel/xlsx/model.h"
#include "platform/win/path.h"

namespace velmora::lint {

namespace {

std::string CellName(int sheet, int row, int column) {
  return "sheet " + std::to_string(sheet) + " " + xlsx::CellName(row, column);
}

}  // namespace

TemplateWorkbook::TemplateWorkbook(const std::string& path)
    : name_(win::ExtractFileName(path)),
      excel_(excel::CreateApplication()),
      book_(excel_.Open(path)) {
  base_table::WriteCell(book_.Sheet(base_table::kFirstSheet), base_table::kInfoStringCell, kSampleInfoString);
}

std::optional<std::string> TemplateWorkbook::WhyNotInput(int sheet, int row, int column) const {
  const std::string cell = CellName(sheet, row, column);
  if (sheet < 1 || sheet > base_table::kDataSheetCount || sheet > book_.SheetCount())
    return cell + " is not on a data sheet of " + name_ + " (sheets 1 to " +
           std::to_string(base_table::kDataSheetCount) + ")";
  if (row == base_table::kInfoStringCell.row) return cell + " is in the bookkeeping row 40 of " + name_;
  try {
    if (book_.Sheet(sheet).Cell(row, column).Locked())
      return cell + " is locked in " + name_ +
             ": a label, a header or a cell that only a lock list opens, so schools cannot type into it";
  } catch (const com::ComError& error) {
    return cell + " is no cell of " + name_ + ": " + error.what();
  }
  return std::nullopt;
}

}  // namespace velmora::lint
