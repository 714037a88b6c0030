#include "validation/rule_run.h"

#include <exception>

#include "addin/text/text_file.h"
#include "platform/forms/application.h"
#include "platform/win/message_box.h"
#include "validation/expression_evaluation.h"
#include "validation/result_list.h"
#include "validation/rule_file.h"

namespace velmora {

void jiaoyanCalcGongShi(forms::ClientDataSet& results, std::string_view expression, std::string_view kind,
                        std::string_view message, std::string_view table, const ValidationContext& context) {
  const RuleParts rule = SplitRule(expression);
  if (rule.condition) {
    if (ifstringCalc(*rule.condition, table, context) == "True")
      thenstringCalc(results, rule.action, kind, message, table, context);
  } else {
    thenstringCalc(results, rule.action, kind, message, table, context);
  }
}

RunOutcome jiaoyanj(forms::ClientDataSet& results, std::string_view table, const ValidationContext& context) {
  const std::vector<std::string> lines = LoadLines(context.directory + RuleFileName(table));
  if (table == "1" || table == "2") LoadLines(context.directory + PositionFileName(table));
  std::string current_expression;
  try {
    for (const std::string& line : lines) {
      const std::optional<RuleLine> rule = ParseRuleLine(line);
      if (!rule) continue;
      current_expression = rule->expression;
      jiaoyanCalcGongShi(results, rule->expression, rule->kind, rule->message, table, context);
    }
  } catch (const std::exception& error) {
    RunOutcome stopped{false, current_expression + "||" + error.what()};
    win::MessageBox(stopped.message, forms::ApplicationTitle(), win::MB_OK);
    return stopped;
  }
  return {};
}

RunResult JiaoYan(std::string_view table, const ValidationContext& context) {
  RunResult run{CreateResultDataSet(), {}};
  run.outcome = jiaoyanj(*run.results, table, context);
  SortByType(*run.results);
  return run;
}

}  // namespace velmora
