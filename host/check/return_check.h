#pragma once
// The check of one return on a spreadsheet application of its own: the
// workbook is opened, the rule file of its kind run exactly as the
// validation dialog runs it (the same rule and position files, the same
// evaluation, the same sorting and "强制" test), and the workbook closed
// again without saving. With write set, the workbook is treated as the
// validate command treats it: saved, its first sheet's protection put back
// into the standard state, the marks of the last run cleared, B40 written,
// and saved again when the run left anything unsaved.
//
//   ReturnChecker checker(folder_of_rule_files, false);   // COM started by the caller
//   ReturnReport report = checker.Check("returns/11069.xlsx");
#include <string>

#include "host/check/return_report.h"
#include "validation/validation_context.h"

namespace velmora::check {

class ReturnChecker {
 public:
  // directory: the folder of the rule and position files (GBK, ending with
  // "/"). Creates the application; COM must be initialised on this thread.
  ReturnChecker(std::string directory, bool write);

  // Creates one script engine, so that a missing registration shows before
  // any return is checked; throws with the reason.
  void RequireScriptEngine() const;

  // Never throws for what a return holds: every failure is in the report.
  ReturnReport Check(const std::string& utf8_file) const;

 private:
  void Run(ReturnReport& report, const std::string& utf8_file) const;

  ValidationContext context_;
  bool write_;
};

}  // namespace velmora::check
