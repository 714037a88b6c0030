#include "host/check/return_check.h"

#include <exception>
#include <optional>

#include "addin/text/conversions.h"
#include "addin/text/item_split.h"
#include "addin/workbook/base_table.h"
#include "com/variant.h"
#include "excel/com/excel.h"
#include "platform/win/code_page.h"
#include "validation/error_cells.h"
#include "validation/result_list.h"
#include "validation/rule_run.h"
#include "validation/validate_command.h"
#include "validation/validation_flag.h"

namespace velmora::check {

namespace {

// A workbook open in the application for the length of one check; closed
// without saving on every path (what should be kept has been saved).
class OpenWorkbook {
 public:
  OpenWorkbook(const workbook::Application& excel, const std::string& utf8_file)
      : book_(excel.Open(win::Utf8ToAnsi(utf8_file))) {}
  ~OpenWorkbook() {
    const com::Variant no = false, missing = com::Variant::Missing();
    book_.Get()->Close(no, missing, missing);
  }
  OpenWorkbook(const OpenWorkbook&) = delete;
  OpenWorkbook& operator=(const OpenWorkbook&) = delete;

  const workbook::Workbook& Book() const { return book_; }

 private:
  workbook::Workbook book_;
};

std::string Utf8(const std::string& gbk) { return win::AnsiToUtf8(gbk); }

// Why the validate command would not open the dialog for this A40.
std::optional<std::string> NotABaseTable(const std::string& information) {
  if (Trim(information).empty()) return "A40 is empty: the workbook is no return of this system";
  if (information.substr(0, 4) != base_table::kYear)
    return "A40 does not begin with " + std::string(base_table::kYear) +
           ": the workbook is no 2010 return (\"" + Utf8(information.substr(0, 20)) + "\")";
  return std::nullopt;
}

void ReadSchool(ReturnReport& report, const std::string& information) {
  const std::vector<std::string> items = SplitItems(information, "|", " ");
  if (items.size() > 4) report.school_code = Utf8(items[4]);
  if (items.size() > 5) report.school_name = Utf8(items[5]);
}

void ReadFailures(ReturnReport& report, forms::ClientDataSet& results,
                  const workbook::Application& excel) {
  forms::Field& type = results.FieldByName(TypeField());
  forms::Field& message = results.FieldByName(MessageField());
  forms::Field& cells = results.FieldByName(kCellInfoField);
  for (results.First(); !results.Eof(); results.Next())
    report.failures.push_back(
        {Utf8(type.AsString()), Utf8(message.AsString()), CellRefs(excel, cells.AsString())});
}

}  // namespace

ReturnChecker::ReturnChecker(std::string directory, bool write)
    : context_{workbook::Application(excel::CreateApplication()), std::move(directory)},
      write_(write) {}

void ReturnChecker::RequireScriptEngine() const { context_.engines->New(); }

ReturnReport ReturnChecker::Check(const std::string& utf8_file) const {
  ReturnReport report;
  report.file = utf8_file;
  try {
    Run(report, utf8_file);
  } catch (const std::exception& error) {
    report.verdict = Verdict::Error;
    report.error = Utf8(error.what());
  }
  return report;
}

void ReturnChecker::Run(ReturnReport& report, const std::string& utf8_file) const {
  std::optional<OpenWorkbook> open;
  try {
    open.emplace(context_.excel, utf8_file);
  } catch (const std::exception& error) {
    throw std::runtime_error(win::Utf8ToAnsi("cannot be opened: ") + error.what());
  }
  const workbook::Workbook& book = open->Book();
  const workbook::Worksheet first = book.Sheet(base_table::kFirstSheet);
  const std::string information = base_table::ReadCell(first, base_table::kInfoStringCell);
  ReadSchool(report, information);

  // The validate command's own checks come first; with write set the command
  // itself runs them, with its saves, and the run takes the dialog's place.
  bool dialog = false;
  if (write_) {
    ValidateWorkbook(context_.excel, [&dialog] { dialog = true; });
  } else {
    dialog = !NotABaseTable(information);
  }
  if (!dialog)
    throw std::runtime_error(win::Utf8ToAnsi(NotABaseTable(information).value_or("not validated")));

  const std::string template_name = base_table::ReadCell(first, base_table::kTemplateNameCell);
  report.kind = Utf8(template_name);
  if (write_ && !Trim(template_name).empty()) ClearCellInfo(context_.excel);
  const base_table::Kind kind = base_table::KindOfTemplateName(template_name);
  if (kind == base_table::Kind::None)
    throw std::runtime_error(
        win::Utf8ToAnsi("E40 names no kind of base table (\"" + report.kind + "\")"));

  RunResult run = JiaoYan(std::to_string(static_cast<int>(kind)), context_);
  if (write_) {
    // Saved after the flag as velmora validate saves on leaving: a return that
    // has stopped passing does not keep its "ok" on disk.
    SetJiaoYanFlagOnExcel(context_.excel, *run.results, run.outcome);
    book.Save();
  }
  ReadFailures(report, *run.results, context_.excel);

  bool mandatory = false;
  for (const Failure& failure : report.failures) mandatory |= failure.type == "强制";
  report.verdict = mandatory               ? Verdict::Failed
                   : run.outcome.completed ? Verdict::Passed
                                           : Verdict::Error;
  if (!run.outcome.completed) report.error = Utf8(run.outcome.message);
}

}  // namespace velmora::check
