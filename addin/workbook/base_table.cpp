#include "addin/workbook/base_table.h"

#include <stdexcept>

#include "addin/text/conversions.h"
#include "addin/text/item_split.h"

namespace velmora::base_table {

namespace {
// "基表" in GBK.
constexpr char kBaseTable[] = "\xBB\xF9\xB1\xED";
}  // namespace

std::string TemplateName(Kind kind) {
  if (kind == Kind::None) return {};
  return std::string(kBaseTable) + std::to_string(static_cast<int>(kind)) + ".xls";
}

std::string TemplateFile(Kind kind) {
  if (kind == Kind::None) return {};
  return "TANVIK" + std::to_string(static_cast<int>(kind));
}

Kind KindOfTemplateName(std::string_view gbk) {
  for (Kind k : {Kind::One, Kind::Two, Kind::Three})
    if (gbk == TemplateName(k)) return k;
  return Kind::None;
}

std::string SheetCode(Kind kind, int sheet) {
  if (kind != Kind::One && kind != Kind::Two) return {};
  return "J" + std::to_string(static_cast<int>(kind)) + "_" + std::to_string(sheet);
}

int SheetNumberOfCode(std::string_view code) { return TextToInt(code.size() > 3 ? code.substr(3) : std::string_view()); }

std::string ReadCell(const workbook::Worksheet& sheet, CellAddress cell) { return sheet.Text(cell.row, cell.column); }

void WriteCell(const workbook::Worksheet& sheet, CellAddress cell, std::string_view gbk) {
  sheet.Write(cell.row, cell.column, gbk);
}

void ProtectSheet(const workbook::Worksheet& sheet) {
  sheet.Protect(kSheetPassword, kStandardProtection.drawing_objects, kStandardProtection.contents,
                kStandardProtection.scenarios, kStandardProtection.user_interface_only);
}

void UnprotectSheet(const workbook::Worksheet& sheet) { sheet.Unprotect(kSheetPassword); }

UnprotectedSheet::UnprotectedSheet(workbook::Worksheet sheet, AfterProtect after)
    : sheet_(std::move(sheet)), after_(after) {
  UnprotectSheet(sheet_);
}

void UnprotectedSheet::ProtectNow() {
  ProtectSheet(sheet_);
  protected_ = true;
  if (after_ == AfterProtect::UnlockedCellsOnly) sheet_.SetEnableSelection(excel::xlUnlockedCells);
}

void UnprotectedSheet::Protect() {
  if (protected_) return;
  ProtectNow();
}

UnprotectedSheet::~UnprotectedSheet() {
  if (protected_) return;
  try {
    ProtectNow();
  } catch (...) {
    // The error that brought us here is the one the caller reports.
  }
}

std::string CellPositionText(const CellPosition& p) {
  return std::to_string(p.sheet) + "," + std::to_string(p.row) + "," + std::to_string(p.column);
}

std::string CellListText(const std::vector<CellPosition>& positions) {
  std::string out;
  for (const auto& p : positions) {
    if (!out.empty()) out += '|';
    out += CellPositionText(p);
  }
  return out;
}

CellPosition ParseCellPosition(std::string_view text) {
  auto items = SplitItems(text, ",", " ");
  if (items.size() < 3)
    throw std::invalid_argument("'" + std::string(text) + "' is not a cell position (sheet,row,column)");
  return {TextToInt(items[0]), TextToInt(items[1]), TextToInt(items[2])};
}

std::vector<CellPosition> ParseCellList(std::string_view text) {
  std::vector<CellPosition> out;
  for (const auto& item : SplitItems(text, "|", " ")) out.push_back(ParseCellPosition(item));
  return out;
}

}  // namespace velmora::base_table
