// What a printed cell shows, including formulas that refer to one cell.
#include "excel/preview/cell_text.h"

#include <gtest/gtest.h>

namespace excel::preview {
namespace {

TEST(CellTextTest, ValuesAndReferencesAsTheyArePrinted) {
  auto book = xlsx::Workbook::Create();
  xlsx::Worksheet& data = book->AddSheet("基本情况");
  xlsx::Worksheet& other = book->AddSheet("it's");
  xlsx::Worksheet& print = book->AddSheet("打印");
  data.SetValue(10, 8, xlsx::Value::Number(1234.5));
  other.SetValue(1, 1, xlsx::Value::Text("引用"));
  print.SetValue(1, 1, xlsx::Value::Text("补充资料"));
  print.SetValue(1, 2, xlsx::Value::Number(0.1 + 0.2));
  print.SetValue(1, 3, xlsx::Value::Bool(true));
  print.SetValue(1, 4, xlsx::Value::Err("#DIV/0!"));
  print.SetFormula(2, 1, "'基本情况'!H10");
  print.SetFormula(2, 2, "'基本情况'!$H$11");  // an empty cell
  print.SetFormula(2, 3, "'it''s'!A1");
  print.SetFormula(2, 4, "A1");
  print.SetFormula(2, 5, "SUM(A1:B1)", xlsx::Value::Number(7));  // no reference: its cached value
  print.SetFormula(2, 6, "F2");                                  // a cycle: 0, as the spreadsheet shows it
  print.SetFormula(2, 7, "'无此表'!A1", xlsx::Value::Number(3));
  struct Case {
    int row, column;
    std::string text;
    Align align;
  };
  for (const Case& c : {Case{1, 1, "补充资料", Align::Left}, Case{1, 2, "0.3", Align::Right},
                        Case{1, 3, "TRUE", Align::Center}, Case{1, 4, "#DIV/0!", Align::Center},
                        Case{2, 1, "1234.5", Align::Right}, Case{2, 2, "0", Align::Right},
                        Case{2, 3, "引用", Align::Left}, Case{2, 4, "补充资料", Align::Left},
                        Case{2, 5, "7", Align::Right}, Case{2, 6, "0", Align::Right}, Case{2, 7, "3", Align::Right},
                        Case{3, 1, "", Align::Left}}) {
    SCOPED_TRACE(xlsx::CellName(c.row, c.column));
    const CellText shown = DisplayedText(print, c.row, c.column);
    EXPECT_EQ(shown.text, c.text);
    EXPECT_EQ(shown.align, c.align);
  }
}

}  // namespace
}  // namespace excel::preview
