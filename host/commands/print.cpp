// velmora print FILE --paper A3|A4|cancel [--preview PATH]: starts the
// spreadsheet host with its add-ins, opens FILE and clicks "基表打印". The
// print-settings dialog is answered with the paper size (or 取消). Prints the
// dialog, the message boxes, the print preview shown (the print sheet's
// name) and the notes written into column B of the print sheet. With
// --preview the print sheet as the preview shows it is written to PATH as an
// HTML page whose @page rule carries the paper and the orientation. The
// workbook is not saved. Exit status 0 when the preview was shown, 1 when it
// was not, 2 when the run could not be done.
#include <fstream>
#include <iostream>

#include "../command_registry.h"
#include "addin/text/conversions.h"
#include "addin/workbook/base_table.h"
#include "addin/workbook/excel_ops.h"
#include "excel/com/excel.h"
#include "host/app/excel_host.h"
#include "platform/forms/scripted_driver.h"
#include "platform/win/code_page.h"

namespace velmora::cli {
namespace {

std::string Html(const std::string& utf8) {
  std::string out;
  for (char c : utf8) {
    switch (c) {
      case '<': out += "&lt;"; break;
      case '>': out += "&gt;"; break;
      case '&': out += "&amp;"; break;
      default: out += c;
    }
  }
  return out;
}

// The used range of the sheet's first 80 rows and 20 columns as a table on
// a landscape page of the paper chosen, centred on it.
void WritePreview(const std::string& path, const workbook::Worksheet& sheet, const std::string& paper) {
  std::ofstream out(path, std::ios::binary);
  if (!out) throw std::runtime_error("cannot write " + path);
  out << "<!DOCTYPE html>\n<html><head><meta charset=\"utf-8\"><title>" << Html(win::AnsiToUtf8(sheet.Name()))
      << "</title>\n<style>\n@page { size: " << (paper == "A3" ? "A3" : "A4") << " landscape; margin: 15mm; }\n"
      << "body { display: flex; align-items: center; justify-content: center; min-height: 100vh; margin: 0;"
      << " font-family: 'Noto Sans CJK SC', sans-serif; }\n"
      << "table { border-collapse: collapse; font-size: " << (paper == "A3" ? "10pt" : "7pt") << "; }\n"
      << "td { padding: 1px 4px; white-space: pre; }\n</style></head><body><table>\n";
  for (int row = 1; row <= 80; ++row) {
    std::string cells;
    bool any = false;
    for (int column = 1; column <= 20; ++column) {
      std::string text;
      try {
        text = win::AnsiToUtf8(CellText(sheet.Value(row, column)));
      } catch (const std::exception&) {
        text = "#";
      }
      any |= !text.empty();
      cells += "<td>" + Html(text) + "</td>";
    }
    if (any) out << "<tr>" << cells << "</tr>\n";
  }
  out << "</table></body></html>\n";
}

int Print(const std::string& file, const std::string& paper, const std::string& preview_path) {
  const std::string answers =
      paper == "cancel" ? "click btn_Cancel\n" : "pick cbb_PaperSize " + paper + "\nclick btn_OK\n";
  auto driver = forms::ScriptedDriver::FromText(answers);
  driver->SetEcho([](const std::string& line) { std::cout << line << "\n"; });
  forms::ScriptedDriver::Install installed(driver);

  host::ExcelHost host;
  const workbook::Application excel(com::ComPtr<excel::_Application>(host.Application()));
  std::optional<workbook::Workbook> book;
  try {
    book = excel.Open(win::Utf8ToAnsi(file));
  } catch (const std::exception& error) {
    std::cerr << "velmora print: " << file << " cannot be opened: " << win::AnsiToUtf8(error.what()) << "\n";
    return 2;
  }
  bool previewed = false;
  std::string preview_error;
  excel::SetPrintPreviewHandler([&](excel::_Worksheet* sheet) {
    previewed = true;
    const workbook::Worksheet shown{com::ComPtr<excel::_Worksheet>(sheet)};
    std::cout << "print preview of \"" << win::AnsiToUtf8(shown.Name()) << "\"\n";
    if (preview_path.empty()) return;
    try {
      WritePreview(preview_path, shown, paper);
      std::cout << "preview written to " << preview_path << "\n";
    } catch (const std::exception& error) {
      preview_error = error.what();
    }
  });
  const bool found = host.CommandBars().Click("基表打印1").found;
  excel::SetPrintPreviewHandler(nullptr);
  if (!found) {
    std::cerr << "velmora print: the toolbar has no button \"基表打印\" (has velmora install been run?)\n";
    return 2;
  }
  if (!preview_error.empty()) {
    std::cerr << "velmora print: " << win::AnsiToUtf8(preview_error) << "\n";
    return 2;
  }
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
    std::cerr << "velmora print: " << win::AnsiToUtf8(error.what()) << "\n";
    return 2;
  }
  host.Close();
  return previewed ? 0 : 1;
}

const Registration registration{"print", [](CLI::App& app) {
  auto* cmd = app.add_subcommand("print", "Print a base table as the button \"基表打印\" does");
  static std::string file, paper, preview;
  cmd->add_option("file", file, "The workbook (.xlsx)")->required();
  cmd->add_option("--paper", paper, "The answer of the print-settings dialog")
      ->required()
      ->check(CLI::IsMember({"A3", "A4", "cancel"}));
  cmd->add_option("--preview", preview, "Write the print preview to this HTML file");
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
