// velmora type FILE SHEET REF VALUE: types a value into a cell as a user
// would in a spreadsheet program, and saves. A locked cell of a protected
// sheet refuses it with the program's message, and the file stays as it was.
#include <iostream>

#include "../command_registry.h"
#include "excel/rules.h"
#include "excel/xlsx/model.h"

namespace velmora::cli {
namespace {

const Registration type{"type", [](CLI::App& app) {
  auto* cmd = app.add_subcommand("type", "Type a value into a cell of a workbook, as a user would, and save");
  static std::string file, sheet, ref, value;
  cmd->add_option("FILE", file, "The workbook (.xlsx)")->required();
  cmd->add_option("SHEET", sheet, "The sheet: a 1-based number or a name")->required();
  cmd->add_option("REF", ref, "The cell, as A1")->required();
  cmd->add_option("VALUE", value, "What to type (an empty text clears the cell)")->required();
  cmd->callback([] {
    try {
      auto book = xlsx::Workbook::Load(file);
      xlsx::Worksheet* s = nullptr;
      if (!sheet.empty() && sheet.find_first_not_of("0123456789") == std::string::npos) {
        int n = std::stoi(sheet);
        if (n >= 1 && n <= book->SheetCount()) s = &book->Sheet(n);
      } else {
        s = book->FindSheet(sheet);
      }
      if (!s || !s->IsWorksheet()) {
        std::cerr << "velmora: the workbook has no worksheet " << sheet << ".\n";
        SetExitStatus(1);
        return;
      }
      int row = 0, column = 0;
      if (!xlsx::ParseCellName(ref, row, column)) {
        std::cerr << "velmora: \"" << ref << "\" is not a cell reference.\n";
        SetExitStatus(2);
        return;
      }
      excel::UserType(*book, *s, row, column, value);
      book->Save(file);
      SetExitStatus(0);
    } catch (const excel::ExcelError& e) {
      std::cerr << e.what() << "\n";
      SetExitStatus(1);
    } catch (const std::exception& e) {
      std::cerr << "velmora: " << e.what() << "\n";
      SetExitStatus(1);
    }
  });
}};

}  // namespace
}  // namespace velmora::cli
