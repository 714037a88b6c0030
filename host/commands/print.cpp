// velmora print FILE --paper A3|A4|cancel [--preview PATH]: starts the
// spreadsheet host with its add-ins, opens FILE and clicks "基表打印". The
// print-settings dialog is answered with the paper size (or 取消). Prints the
// dialog, the message boxes, the print preview shown (the print sheet's
// name) and the notes written into column B of the print sheet. With
// --preview the print preview's PDF (the print sheet on the paper chosen,
// landscape, zoomed and centred) is copied to PATH. The workbook is not
// saved. Exit status 0 when the preview was shown, 1 when it was not, 2
// when the run could not be done.
#include <iostream>

#include "../command_registry.h"
#include "addin/workbook/base_table.h"
#include "command_session.h"
#include "platform/win/code_page.h"

namespace velmora::cli {
namespace {

int Print(const std::string& file, const std::string& paper, const std::string& preview_path) {
  CommandSession session("print", paper == "cancel" ? "click btn_Cancel\n"
                                                    : "pick cbb_PaperSize " + paper + "\nclick btn_OK\n");
  session.Driver().SetPreviewPath(preview_path);
  std::optional<workbook::Workbook> book = session.Open(file);
  if (!book) return 2;
  if (!session.Click("基表打印1", "基表打印")) return 2;
  try {
    if (book->SheetCount() >= base_table::kPrintSheet) {
      const workbook::Worksheet print = book->Sheet(base_table::kPrintSheet);
      for (int row = 1; row <= 80; ++row)
        if (const std::string note = print.Text(row, 2); note.rfind(win::Utf8ToAnsi("补充资料"), 0) == 0 ||
                                                         note.rfind("          ", 0) == 0)
          std::cout << "B" << row << ": " << win::AnsiToUtf8(note) << "\n";
      std::cout << "print sheet " << (print.Visible() == excel::xlSheetHidden ? "hidden" : "visible") << ", "
                << (print.ProtectContents() ? "protected" : "unprotected") << "\n";
    }
  } catch (const std::exception& error) {
    return session.Fail(win::AnsiToUtf8(error.what()));
  }
  session.Host().Close();
  return session.Driver().PrintPreviews().empty() ? 1 : 0;
}

const Registration registration{"print", [](CLI::App& app) {
  auto* cmd = app.add_subcommand("print", "Print a base table as the button \"基表打印\" does");
  static std::string file, paper, preview;
  cmd->add_option("file", file, "The workbook (.xlsx)")->required();
  cmd->add_option("--paper", paper, "The answer of the print-settings dialog")
      ->required()
      ->check(CLI::IsMember({"A3", "A4", "cancel"}));
  cmd->add_option("--preview", preview, "Copy the print preview (a PDF file) to this path");
  cmd->callback([] {
    try {
      SetExitStatus(Print(file, paper, preview));
    } catch (const std::exception& error) {
      std::cerr << "velmora print: " << error.what() << "\n";
      SetExitStatus(2);
    }
  });
}};

}  // namespace
}  // namespace velmora::cli
