#pragma once
// The run of one rule file: every rule of "<table>.txt", in file order,
// split into condition and action and evaluated; the failed actions fill the
// result list. An error while a rule is read or evaluated stops the run at
// that rule: a message box shows the current expression, "||" and the
// error's text, and the rows found so far stay.
#include <memory>
#include <string>
#include <string_view>

#include "platform/forms/client_dataset.h"
#include "validation/validation_context.h"

namespace velmora {

// One rule: a conditional rule's action is evaluated only when its condition
// gives exactly "True".
void jiaoyanCalcGongShi(forms::ClientDataSet& results, std::string_view expression, std::string_view kind,
                        std::string_view message, std::string_view table, const ValidationContext& context);

// How a run ended.
struct RunOutcome {
  bool completed = true;  // every rule of the file was evaluated
  std::string message;    // what the message box showed when it stopped (GBK)
};

// Runs "<table>.txt" (table "1", "2" or "3") into results. For tables 1 and
// 2 the position file is read first as well. A missing file raises
// FileError before any rule is evaluated. Lines holding only blanks are
// skipped.
RunOutcome jiaoyanj(forms::ClientDataSet& results, std::string_view table, const ValidationContext& context);

// JiaoYan1..3: a new result list with the failures of the table's rule file,
// sorted by type.
struct RunResult {
  std::unique_ptr<forms::ClientDataSet> results;
  RunOutcome outcome;
};
RunResult JiaoYan(std::string_view table, const ValidationContext& context);

}  // namespace velmora
