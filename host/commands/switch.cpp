// velmora switch FILE: starts the spreadsheet host with its add-ins, opens
// FILE and clicks "切换单元格": the selection moves to the next cell of the
// cell list in F40 (the failed rule last picked in the validation dialog),
// skipping locked cells. Prints the message boxes shown, the sheet and cell
// now selected (or that nothing was) and the counter G40, and saves the
// workbook as the user would on leaving, so that the next run goes on from
// there. Exit status 0 when a cell was selected, 1 when none was, 2 when
// the run could not be done.
#include <iostream>

#include "../command_registry.h"
#include "addin/workbook/base_table.h"
#include "excel/fault.h"
#include "excel/xlsx/model.h"
#include "command_session.h"
#include "platform/win/code_page.h"

namespace velmora::cli {
namespace {

int Switch(const std::string& file) {
  CommandSession session("switch");
  const workbook::Application& excel = session.Excel();
  std::optional<workbook::Workbook> book = session.Open(file);
  if (!book) return 2;
  excel::fault::Clear();  // its trace tells whether a cell was selected
  if (!session.Click("切换单元格1", "切换单元格")) return 2;
  bool selected = false;
  for (const std::string& call : excel::fault::Trace()) selected |= call == "Range.Select";
  try {
    if (selected) {
      const workbook::Range cell = *excel.Selection();
      std::cout << "selected: " << win::AnsiToUtf8(book->ActiveSheet().Name()) << "!" << xlsx::ColumnName(static_cast<int>(cell.Column()))
                << cell.Row() << "\n";
    } else {
      std::cout << "nothing selected\n";
    }
    std::cout << "G40: \"" << win::AnsiToUtf8(base_table::ReadCell(book->Sheet(1), base_table::kSwitchCounterCell))
              << "\"\n";
    book->Save();
  } catch (const std::exception& error) {
    return session.Fail(win::AnsiToUtf8(error.what()));
  }
  session.Host().Close();
  return selected ? 0 : 1;
}

const Registration registration{"switch", [](CLI::App& app) {
  auto* cmd = app.add_subcommand("switch", "Move to the next cell of the failed rule as the button \"切换单元格\" does");
  static std::string file;
  cmd->add_option("file", file, "The workbook (.xlsx)")->required();
  cmd->callback([] {
    try {
      SetExitStatus(Switch(file));
    } catch (const std::exception& error) {
      std::cerr << "velmora switch: " << error.what() << "\n";
      SetExitStatus(2);
    }
  });
}};

}  // namespace
}  // namespace velmora::cli
