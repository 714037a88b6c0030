// velmora school [FILE] [--pick XXDM] [--xxdm ...] [--save PATH]: the school
// information dialog on the command line. FILE, when given, is the workbook
// open in the spreadsheet (the one the dialog may rewrite); the options are
// the user's answers: a school picked from the list, values typed or chosen,
// the path given to the save dialog, and whether an existing file may be
// replaced. Every form, message box and dialog is printed with what was
// answered, then the workbook written, which is saved as the user would on
// closing the spreadsheet (the cell locking leaves its changes unsaved).
#include <iostream>
#include <optional>
#include <sstream>

#include "../command_registry.h"
#include "addin/text/module_directory.h"
#include "addin/workbook/base_table.h"
#include "addin/workbook/excel_ops.h"
#include "excel/com/excel.h"
#include "platform/forms/scripted_driver.h"
#include "platform/win/code_page.h"
#include "schoolinfo/txxinfo.h"

namespace velmora::cli {
namespace {

struct SchoolOptions {
  std::string file;
  std::string pick;
  std::string xxdm, xxmc, dqdm, dqmc, lsgx, xxlb, zgbm;
  std::string save;
  bool replace = false;
};

// The answers the options stand for, in the order a user gives them: the
// picked school first, then the typed codes (rule A follows them), the
// affiliation (rule B follows it), the category and the other values.
std::string Answers(const SchoolOptions& o) {
  std::ostringstream a;
  const auto quoted = [](const std::string& text) { return "\"" + text + "\""; };
  if (!o.pick.empty()) a << "click btnXXSelect\nset edt1 " << o.pick << "\ndblclick xxdbgrd 1\n";
  if (!o.dqdm.empty()) a << "set txtdqdm " << quoted(o.dqdm) << "\n";
  if (!o.xxdm.empty()) a << "set txtxxdm " << quoted(o.xxdm) << "\n";
  if (!o.lsgx.empty()) a << "pick cblsgx " << o.lsgx << "\n";
  if (!o.xxlb.empty()) a << "pick cbxxlb " << o.xxlb << "\n";
  if (!o.xxmc.empty()) a << "set txtxxname " << quoted(o.xxmc) << "\n";
  if (!o.dqmc.empty()) a << "set txtdqmc " << quoted(o.dqmc) << "\n";
  if (!o.zgbm.empty()) a << "set txtzgbm " << quoted(o.zgbm) << "\n";
  a << "click btnok\n";
  if (!o.save.empty()) a << "save " << o.save << "\n";
  if (o.replace) a << "box yes\n";
  return a.str();
}

int School(const SchoolOptions& options) {
  auto driver = forms::ScriptedDriver::FromText(Answers(options));
  driver->SetEcho([](const std::string& line) { std::cout << line << "\n"; });
  forms::ScriptedDriver::Install installed(driver);

  com::ComPtr<excel::_Application> app = excel::CreateApplication();
  workbook::Application excel(app);
  if (!options.file.empty()) {
    try {
      excel.Open(win::Utf8ToAnsi(options.file));
    } catch (const std::exception& error) {
      std::cerr << "velmora school: " << options.file
                << " cannot be opened: " << win::AnsiToUtf8(error.what()) << "\n";
      return 2;
    }
  }
  SchoolInfoEnvironment environment;
  environment.excel_app = [app] { return com::ComPtr<com::IDispatch>(app); };
  environment.module_dir = getFilePath();
  auto dialog = forms::CreateForm<Txxinfo>(environment);
  dialog->ShowModal();
  if (driver->PendingAnswers() > 0)
    std::cout << driver->PendingAnswers() << " answers left unused\n";

  if (dialog->WrittenWorkbook().empty()) {
    std::cout << "no workbook written\n";
    return 1;
  }
  std::optional<workbook::Workbook> book = excel.ActiveWorkbook();
  if (!book || book->FullName() != dialog->WrittenWorkbook()) {
    std::cout << "no workbook written\n";
    return 1;
  }
  try {
    book->Save();
    const workbook::Worksheet first = book->Sheet(base_table::kFirstSheet);
    std::cout << "wrote " << win::AnsiToUtf8(book->FullName()) << "\n"
              << "  A40 "
              << win::AnsiToUtf8(base_table::ReadCell(first, base_table::kInfoStringCell)) << "\n"
              << "  E40 "
              << win::AnsiToUtf8(base_table::ReadCell(first, base_table::kTemplateNameCell)) << "\n"
              << "  T40 " << win::AnsiToUtf8(base_table::ReadCell(first, base_table::kYearCell))
              << "\n";
  } catch (const std::exception& error) {
    std::cerr << "velmora school: " << win::AnsiToUtf8(error.what()) << "\n";
    return 2;
  }
  return 0;
}

const Registration school{
    "school", [](CLI::App& app) {
      auto* cmd = app.add_subcommand(
          "school",
          "Set the school information: the school information dialog, answered by the options");
      static SchoolOptions o;
      cmd->add_option("file", o.file,
                      "The workbook open in the spreadsheet (.xlsx, any extension)");
      cmd->add_option("--pick", o.pick, "Pick the school with this code from the school list");
      cmd->add_option("--xxdm", o.xxdm, "School code (学校代码)");
      cmd->add_option("--xxmc", o.xxmc, "School name (学校名称)");
      cmd->add_option("--dqdm", o.dqdm, "Region code (地区代码)");
      cmd->add_option("--dqmc", o.dqmc, "Region name (地区名称)");
      cmd->add_option("--lsgx", o.lsgx, "Affiliation, by its name (隶属关系)");
      cmd->add_option("--xxlb", o.xxlb, "School category, by its name (学校类别)");
      cmd->add_option("--zgbm", o.zgbm, "Supervising department (主管部门)");
      cmd->add_option("--save", o.save,
                      "The path given to the save dialog when a new workbook is made");
      cmd->add_flag("--replace", o.replace, "Answer yes when the save dialog's file exists");
      cmd->callback([] { SetExitStatus(School(o)); });
    }};

}  // namespace
}  // namespace velmora::cli
