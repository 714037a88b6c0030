// velmora validate FILE [--pick N] [--json]: starts the spreadsheet host
// with its add-ins, opens FILE and clicks "校验": the validate command saves
// the workbook and opens the validation dialog, which runs the rule set of
// the workbook's kind. Prints the result list as the dialog shows it (type
// and message, mandatory first) with each failure's cells as sheet name and
// A1 reference, the messages shown and the flag B40. --pick N double-clicks
// row N: its cells are marked and its cell list stored in F40. The workbook
// is saved as the user would on leaving, so that the flag on disk is this
// run's (a return that fails no longer keeps an earlier "ok"). Exit status: 0 when the run was done
// and no "强制" rule failed, 1 when one did, 2 when the run could not be done
// (the file, the add-in, a workbook that is no 2010 base table, a run
// stopped by an error before any "强制" failure).
#include <nlohmann/json.hpp>

#include <iostream>
#include <optional>

#include "../command_registry.h"
#include "addin/text/conversions.h"
#include "addin/text/item_split.h"
#include "addin/workbook/base_table.h"
#include "addin/workbook/excel_ops.h"
#include "host/app/excel_host.h"
#include "host/check/cell_refs.h"
#include "platform/forms/client_dataset.h"
#include "platform/forms/db_grid.h"
#include "platform/forms/form.h"
#include "platform/forms/form_driver.h"
#include "platform/forms/modal_session.h"
#include "platform/ui/ui_driver.h"
#include "platform/win/code_page.h"

namespace velmora::cli {
namespace {

struct ResultRow {
  std::string type, message, cell_list;  // UTF-8; the cell list as stored
};

// Plays the user of a validation: reads the dialog's result list, double-
// clicks the row asked for, and closes every other form and box as their
// close buttons would, recording the message boxes.
class ValidateDriver : public forms::FormDriver, public ui::UiDriver {
 public:
  explicit ValidateDriver(int pick) : pick_(pick) {}

  void ShowModal(forms::ModalSession& session) override {
    forms::Form& form = session.GetForm();
    if (form.Name() == "form2") {
      shown_ = true;
      ReadRows(form);
      if (pick_ > 0 && session.Open()) {
        if (pick_ > static_cast<int>(rows_.size())) {
          pick_error_ = "there is no row " + std::to_string(pick_) + " to pick";
        } else {
          session.DoubleClick("DBGrid1", pick_);
          picked_ = true;
        }
      }
    }
    if (session.Open()) session.CloseBox();
  }
  std::optional<std::string> ExecuteSaveDialog(const forms::SaveDialogRequest&) override { return std::nullopt; }
  ui::Answer MessageBox(const std::string& text, const std::string&, ui::Buttons buttons) override {
    messages_.push_back(text);
    return ui::DefaultAnswer(buttons);
  }

  bool Shown() const { return shown_; }
  bool Picked() const { return picked_; }
  const std::string& PickError() const { return pick_error_; }
  const std::vector<ResultRow>& Rows() const { return rows_; }
  const std::vector<std::string>& Messages() const { return messages_; }

 private:
  void ReadRows(forms::Form& form) {
    auto* grid = dynamic_cast<forms::DBGrid*>(form.FindComponent("DBGrid1"));
    forms::ClientDataSet* results = grid ? grid->DataSet() : nullptr;
    if (!results) return;
    const int current = results->RecNo();
    const std::vector<forms::Field*> fields = {&results->FieldByName(win::Utf8ToAnsi("校验类型")),
                                               &results->FieldByName(win::Utf8ToAnsi("提示信息")),
                                               &results->FieldByName("CellInfo")};
    for (results->First(); !results->Eof(); results->Next())
      rows_.push_back({win::AnsiToUtf8(fields[0]->AsString()), win::AnsiToUtf8(fields[1]->AsString()),
                       fields[2]->AsString()});
    if (current > 0) results->SetRecNo(current);
  }

  int pick_;
  bool shown_ = false, picked_ = false;
  std::string pick_error_;
  std::vector<ResultRow> rows_;
  std::vector<std::string> messages_;
};

int Validate(const std::string& file, int pick, bool json) {
  auto driver = std::make_shared<ValidateDriver>(pick);
  forms::ScopedFormDriver forms_driver(driver);
  ui::ScopedDriver ui_driver(driver);

  host::ExcelHost host;
  bool loaded = false;
  for (const auto& addin : host.AddIns()) loaded |= addin.object && addin.progid == "Velmora.MyOutLookAddIn";
  if (!loaded) {
    std::cerr << "velmora validate: the add-in Velmora.MyOutLookAddIn is not loaded (has velmora install been run?)\n";
    return 2;
  }
  const workbook::Application excel(com::ComPtr<excel::_Application>(host.Application()));
  std::optional<workbook::Workbook> book;
  try {
    book = excel.Open(win::Utf8ToAnsi(file));
  } catch (const std::exception& error) {
    std::cerr << "velmora validate: " << file << " cannot be opened: " << win::AnsiToUtf8(error.what()) << "\n";
    return 2;
  }
  if (!host.CommandBars().Click("校验1").found) {
    std::cerr << "velmora validate: the toolbar has no button \"校验\"\n";
    return 2;
  }
  if (!driver->PickError().empty()) {
    std::cerr << "velmora validate: " << driver->PickError() << "\n";
    return 2;
  }

  std::string flag;
  std::vector<std::vector<check::CellRef>> cells;
  try {
    flag = win::AnsiToUtf8(base_table::ReadCell(book->Sheet(1), base_table::kValidationFlagCell));
    for (const ResultRow& row : driver->Rows()) cells.push_back(check::CellRefs(excel, row.cell_list));
    // Saved as the user would on leaving: the flag of this run (an "ok"
    // cleared by a failure too), and the marks and F40 of a pick.
    if (driver->Shown()) book->Save();
  } catch (const std::exception& error) {
    std::cerr << "velmora validate: " << win::AnsiToUtf8(error.what()) << "\n";
    return 2;
  }
  host.Close();

  bool mandatory = false;
  for (const ResultRow& row : driver->Rows()) mandatory |= row.type == "强制";
  const int status = mandatory ? 1 : driver->Shown() && Trim(flag) == "ok" ? 0 : 2;

  if (json) {
    nlohmann::json out = {{"flag", flag}, {"rows", nlohmann::json::array()}, {"messages", driver->Messages()}};
    for (std::size_t i = 0; i < driver->Rows().size(); ++i) {
      nlohmann::json row_cells = nlohmann::json::array();
      for (const check::CellRef& cell : cells[i]) row_cells.push_back({{"sheet", cell.sheet}, {"ref", cell.ref}});
      out["rows"].push_back({{"type", driver->Rows()[i].type}, {"message", driver->Rows()[i].message},
                             {"cells", row_cells}});
    }
    std::cout << out.dump(2) << "\n";
    return status;
  }
  for (const std::string& message : driver->Messages()) std::cout << "message: " << message << "\n";
  if (!driver->Shown()) std::cout << "the validation dialog was not opened\n";
  for (std::size_t i = 0; i < driver->Rows().size(); ++i) {
    std::cout << i + 1 << ". " << driver->Rows()[i].type << " " << driver->Rows()[i].message << "\n  ";
    for (const check::CellRef& cell : cells[i]) std::cout << " " << cell.sheet << "!" << cell.ref;
    std::cout << "\n";
  }
  if (driver->Picked()) std::cout << "picked row " << pick << "\n";
  std::cout << "flag: \"" << flag << "\"\n";
  return status;
}

const Registration validate{"validate", [](CLI::App& app) {
  auto* cmd = app.add_subcommand("validate", "Validate a base-table workbook as the button \"校验\" does");
  static std::string file;
  static int pick = 0;
  static bool json = false;
  cmd->add_option("file", file, "The workbook (.xlsx)")->required();
  cmd->add_option("--pick", pick, "Double-click row N of the result list (1-based)")->check(CLI::PositiveNumber);
  cmd->add_flag("--json", json, "Print the result as JSON");
  cmd->callback([] {
    try {
      SetExitStatus(Validate(file, pick, json));
    } catch (const std::exception& error) {
      std::cerr << "velmora validate: " << error.what() << "\n";
      SetExitStatus(2);
    }
  });
}};

}  // namespace
}  // namespace velmora::cli
