// Writes a small base-table-like workbook with the model alone, for the
// round trip through LibreOffice: excel_sample_writer OUT.xlsx
#include <iostream>

#include "excel/xlsx/model.h"

int main(int argc, char** argv) {
  if (argc != 2) {
    std::cerr << "usage: excel_sample_writer OUT.xlsx\n";
    return 2;
  }
  auto book = xlsx::Workbook::Create();
  const char* names[] = {"基表一", "收入", "支出", "资产", "打印"};
  for (int i = 0; i < 5; ++i) {
    auto& s = book->AddSheet(names[i]);
    s.SetValue(1, 1, xlsx::Value::Text(std::string(names[i]) + "（学校经费统计）"));
    s.AddMerge("A1:F1");
    s.SetColumnWidth(1, 1, 17.86);
    s.SetColumnWidth(2, 2, 11.16);
    s.SetValue(3, 1, xlsx::Value::Text("学校代码"));
    s.SetNumberFormat(3, 3, "@");
    s.SetValue(3, 3, xlsx::Value::Text("0050"));
    s.SetValue(6, 2, xlsx::Value::Number(12.5));
    if (i < 4) s.SetValue(40, 10, xlsx::Value::Text("J1_" + std::to_string(i + 1)));
    for (int c = 3; c <= 5; ++c) s.SetLocked(10, c, false);
    s.SetColorIndex(10, 3, 15);
    s.SetColorIndex(10, 4, 38);
    s.SetColorIndex(6, 3, 0);
    s.SetLocked(6, 3, false);
    s.SetColorIndex(12, 5, 15);
    if (i < 4) {
      s.Protect("Kq7vXr42ZpmLt", false, true, true);
      s.protection().select_locked_cells = true;
    }
  }
  book->Sheet(5).SetVisibility(xlsx::Visibility::Hidden);
  try {
    book->Save(argv[1]);
  } catch (const std::exception& e) {
    std::cerr << e.what() << "\n";
    return 1;
  }
  return 0;
}
