#pragma once
// What the commands that play the spreadsheet host share: the scripted
// driver installed as form and UI driver (every line it writes echoed to
// stdout), the host started with its add-ins, and one workbook opened; the
// failures of these steps told on stderr as "velmora <command>: ...".
//
//   CommandSession session("print", "click btn_OK\n");
//   const auto book = session.Open(file);     // nothing when it cannot be opened
//   if (!book) return 2;
//   if (!session.Click("基表打印1", "基表打印")) return 2;
#include <memory>
#include <optional>
#include <string>

#include "addin/workbook/excel_ops.h"
#include "host/app/excel_host.h"
#include "platform/forms/scripted_driver.h"

namespace velmora::cli {

class CommandSession {
 public:
  // command: the sub-command's name, for messages; answers: the scripted
  // user's answers (answers.h).
  explicit CommandSession(std::string command, std::string_view answers = "");
  CommandSession(const CommandSession&) = delete;
  CommandSession& operator=(const CommandSession&) = delete;

  // Opens the workbook (a UTF-8 path). When it cannot be opened, writes
  // "velmora <command>: FILE cannot be opened: <why>" and gives nothing.
  std::optional<workbook::Workbook> Open(const std::string& file);
  // Clicks the toolbar button with this id; when the toolbar has none,
  // writes that the button (caption) is missing and gives false.
  bool Click(const std::string& button_id, const std::string& caption);
  // Writes "velmora <command>: message" to stderr; gives 2, the exit status of
  // a run that could not be done.
  int Fail(const std::string& message) const;

  forms::ScriptedDriver& Driver() { return *driver_; }
  host::ExcelHost& Host() { return host_; }
  const workbook::Application& Excel() const { return excel_; }

 private:
  std::string command_;
  std::shared_ptr<forms::ScriptedDriver> driver_;
  forms::ScriptedDriver::Install installed_;
  host::ExcelHost host_;
  workbook::Application excel_;
};

}  // namespace velmora::cli
