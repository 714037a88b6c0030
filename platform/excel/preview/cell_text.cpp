#include "excel/preview/cell_text.h"

#include <string_view>

namespace excel::preview {

namespace {

constexpr int kMaxReferenceDepth = 16;  // beyond this (a cycle) the cached value is shown

// "'name'!A1", "name!A1", "A1", "$A$1": the sheet (null for the formula's
// own) and the cell; false for any other formula.
bool ParseReference(const xlsx::Worksheet& own, std::string_view formula, const xlsx::Worksheet*& sheet, int& row,
                    int& column) {
  sheet = &own;
  const std::size_t bang = formula.rfind('!');
  if (bang != std::string_view::npos) {
    std::string_view name = formula.substr(0, bang);
    std::string unquoted;
    if (name.size() >= 2 && name.front() == '\'' && name.back() == '\'') {
      name = name.substr(1, name.size() - 2);
      for (std::size_t i = 0; i < name.size(); ++i) {
        unquoted += name[i];
        if (name[i] == '\'' && i + 1 < name.size() && name[i + 1] == '\'') ++i;  // '' stands for '
      }
    } else {
      unquoted = name;
    }
    sheet = own.workbook().FindSheet(unquoted);
    if (sheet == nullptr || !sheet->IsWorksheet()) return false;
    formula = formula.substr(bang + 1);
  }
  return xlsx::ParseCellName(formula, row, column);
}

xlsx::Value ShownValue(const xlsx::Worksheet& sheet, int row, int column, int depth) {
  const xlsx::Cell* cell = sheet.Find(row, column);
  if (cell == nullptr) return {};
  if (!cell->has_formula || depth >= kMaxReferenceDepth) return cell->value;
  const xlsx::Worksheet* target = nullptr;
  int r = 0, c = 0;
  if (!ParseReference(sheet, cell->formula, target, r, c)) return cell->value;
  xlsx::Value value = ShownValue(*target, r, c, depth + 1);
  return value.empty() ? xlsx::Value::Number(0) : value;
}

}  // namespace

CellText DisplayedText(const xlsx::Worksheet& sheet, int row, int column) {
  const xlsx::Value value = ShownValue(sheet, row, column, 0);
  switch (value.type) {
    case xlsx::ValueType::Empty: return {};
    case xlsx::ValueType::Text: return {value.text, Align::Left};
    case xlsx::ValueType::Number: return {xlsx::GeneralNumberText(value.number), Align::Right};
    case xlsx::ValueType::Boolean: return {value.boolean ? "TRUE" : "FALSE", Align::Center};
    case xlsx::ValueType::Error: return {value.text, Align::Center};
  }
  return {};
}

}  // namespace excel::preview
