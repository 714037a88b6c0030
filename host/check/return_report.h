#pragma once
// What the check of one return found, in UTF-8: the school, the kind, the
// verdict, the failed rules with their cells, and the error that stopped the
// check. Its JSON form is the report's entry for the file and also what a
// worker process hands back to the parent.
#include <nlohmann/json.hpp>

#include <string>
#include <vector>

#include "host/check/cell_refs.h"

namespace velmora::check {

// passed: the whole rule file ran and no "强制" rule failed. failed: a
// "强制" rule failed (even when the run stopped later). error: the return
// could not be checked (not a workbook, no 2010 base table, a run stopped by
// an error before any "强制" failure).
enum class Verdict { Passed, Failed, Error };
const char* VerdictName(Verdict verdict);  // "passed", "failed", "error"

struct Failure {
  std::string type;     // "强制" or "提示"
  std::string message;  // the rule's message
  std::vector<CellRef> cells;
  bool operator==(const Failure&) const = default;
};

struct ReturnReport {
  std::string file;         // as found under the paths given
  std::string school_code;  // item 4 of A40
  std::string school_name;  // item 5 of A40
  std::string kind;         // E40, the template name
  Verdict verdict = Verdict::Error;
  std::vector<Failure> failures;  // in the result list's order, mandatory first
  std::string error;              // what stopped the check or the run; empty when nothing did
};

void to_json(nlohmann::json& out, const Failure& failure);
void from_json(const nlohmann::json& in, Failure& failure);
void to_json(nlohmann::json& out, const ReturnReport& report);
void from_json(const nlohmann::json& in, ReturnReport& report);

}  // namespace velmora::check
