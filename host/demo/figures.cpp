#include "figures.h"

#include "excel/rules.h"
#include "excel/xlsx/model.h"

namespace velmora::demo {

namespace {

constexpr int kDataSheets = 4;
constexpr int kBookkeepingRow = 40;

}  // namespace

std::string CellName(const Figure& figure) { return xlsx::CellName(figure.row, figure.column); }

std::vector<Figure> ReadFigures(const std::string& path) {
  const auto book = xlsx::Workbook::Load(path);
  std::vector<Figure> figures;
  for (int position = 1; position <= kDataSheets && position <= book->SheetCount(); ++position) {
    const xlsx::Worksheet& sheet = book->Sheet(position);
    if (!sheet.IsWorksheet()) continue;
    for (const auto& [row, cells] : sheet.rows()) {
      if (row >= kBookkeepingRow) break;
      for (const auto& [column, cell] : cells.cells) {
        if (cell.has_formula || sheet.Locked(row, column)) continue;
        if (cell.value.type == xlsx::ValueType::Number)
          figures.push_back({position, row, column, xlsx::GeneralNumberText(cell.value.number)});
        else if (cell.value.type == xlsx::ValueType::Text && !cell.value.text.empty())
          figures.push_back({position, row, column, cell.value.text});
      }
    }
  }
  return figures;
}

std::vector<TypingOutcome> TypeFigures(const std::string& path,
                                       const std::vector<Figure>& figures) {
  auto book = xlsx::Workbook::Load(path);
  std::vector<TypingOutcome> outcomes;
  bool typed = false;
  for (const Figure& figure : figures) {
    TypingOutcome outcome{figure, {}};
    if (figure.sheet < 1 || figure.sheet > book->SheetCount() ||
        !book->Sheet(figure.sheet).IsWorksheet()) {
      outcome.refusal = "the workbook has no worksheet " + std::to_string(figure.sheet);
    } else {
      try {
        excel::UserType(*book, book->Sheet(figure.sheet), figure.row, figure.column, figure.text);
        typed = true;
      } catch (const std::exception& refused) {  // a hidden sheet, a locked cell
        outcome.refusal = refused.what();
      }
    }
    outcomes.push_back(std::move(outcome));
  }
  if (typed) book->Save(path);
  return outcomes;
}

}  // namespace velmora::demo
