// velmora explain FILE --sheet N --cell REF: starts the spreadsheet host with
// its add-ins, opens FILE, makes cell REF (A1 form) of sheet N the active
// cell and clicks "查看指标解释". Prints the indicator-explanation dialog
// (its name box and explanation) or the message boxes shown. Exit status 0
// when the dialog was shown, 1 when it was not, 2 when the run could not be
// done.
#include <cctype>
#include <iostream>

#include "../command_registry.h"
#include "command_session.h"
#include "platform/win/code_page.h"

namespace velmora::cli {
namespace {

// "E12" -> row 12, column 5; false for anything else.
bool ParseReference(const std::string& ref, int& row, int& column) {
  std::size_t i = 0;
  column = 0;
  for (; i < ref.size() && std::isalpha(static_cast<unsigned char>(ref[i])); ++i)
    column = column * 26 + (std::toupper(static_cast<unsigned char>(ref[i])) - 'A' + 1);
  if (i == 0 || i == ref.size() || i > 3) return false;
  row = 0;
  for (; i < ref.size(); ++i) {
    if (!std::isdigit(static_cast<unsigned char>(ref[i])) || row > 1048576) return false;
    row = row * 10 + (ref[i] - '0');
  }
  return row > 0;
}

int Explain(const std::string& file, int sheet, const std::string& ref) {
  int row = 0, column = 0;
  if (!ParseReference(ref, row, column)) {
    std::cerr << "velmora explain: \"" << ref << "\" is no cell reference\n";
    return 2;
  }
  CommandSession session("explain");
  const std::optional<workbook::Workbook> book = session.Open(file);
  if (!book) return 2;
  try {
    const workbook::Worksheet target = book->Sheet(sheet);
    target.Activate();
    target.Cell(row, column).Select();
  } catch (const std::exception& error) {
    return session.Fail(win::AnsiToUtf8(error.what()));
  }
  if (!session.Click("查看指标解释1", "查看指标解释")) return 2;
  bool shown = false;
  for (const auto& form : session.Driver().Forms()) shown |= form.shown.name == "frmZBJS";
  session.Host().Close();
  return shown ? 0 : 1;
}

const Registration registration{"explain", [](CLI::App& app) {
  auto* cmd = app.add_subcommand("explain", "Show the indicator explanation of a cell as \"查看指标解释\" does");
  static std::string file, cell;
  static int sheet = 1;
  cmd->add_option("file", file, "The workbook (.xlsx)")->required();
  cmd->add_option("--sheet", sheet, "The sheet (1-based)")->required()->check(CLI::PositiveNumber);
  cmd->add_option("--cell", cell, "The cell, as E12")->required();
  cmd->callback([] {
    try {
      SetExitStatus(Explain(file, sheet, cell));
    } catch (const std::exception& error) {
      std::cerr << "velmora explain: " << error.what() << "\n";
      SetExitStatus(2);
    }
  });
}};

}  // namespace
}  // namespace velmora::cli
