#include "validation/expression_evaluation.h"

#include <cmath>
#include <map>
#include <stdexcept>

#include "addin/text/conversions.h"
#include "addin/text/item_split.h"
#include "addin/text/string_ops.h"
#include "platform/regex/regex.h"
#include "validation/cell_position.h"
#include "validation/keyword_rewriting.h"
#include "validation/result_list.h"
#include "validation/rule_file.h"
#include "validation/script_engine.h"

namespace velmora {

namespace {

// A number a piece of an equation evaluates to; nothing when the engine
// fails on it or its result is no number.
std::optional<double> NumberOf(std::string_view piece, ScriptEngines& engines) {
  const ScriptEngine engine = engines.New();
  try {
    return TextToFloat(engine.Eval(piece));
  } catch (const ScriptFailure&) {
    return std::nullopt;
  } catch (const ConversionError&) {
    return std::nullopt;
  }
}

std::string WholeNumberText(double value) { return FormatNumber(std::nearbyint(value)); }

// The fixed patterns of the evaluation, compiled once.
const regex::Regex& Pattern(const char* pattern) {
  static std::map<std::string, regex::Regex, std::less<>> compiled;
  auto found = compiled.find(pattern);
  if (found == compiled.end()) found = compiled.emplace(pattern, regex::Regex(pattern)).first;
  return found->second;
}

}  // namespace

std::string ParseInt(std::string_view expression) {
  ScriptEngines engines;
  return ParseInt(expression, engines);
}

double GetCellInfo(const workbook::Application& excel, int sheet_number, int row, int column) {
  try {
    const workbook::Worksheet sheet = excel.Worksheets(sheet_number);
    if (Trim(sheet.Text(row, column)).empty()) return 0;
    const double number = TextToFloat(sheet.Text(row, column));
    if (number < 0) throw std::range_error("negative");
    return number;
  } catch (const std::exception&) {
    throw std::runtime_error(Gbk("填报数据只能为正整数,请检查填报的数据！") + std::to_string(row) + "," +
                             std::to_string(column));
  }
}

std::string rp(std::string_view expression, std::string_view target, std::string_view replacement) {
  std::string result(expression);
  const std::size_t at = target.empty() ? std::string::npos : result.find(target);
  if (at != std::string::npos) result.replace(at, target.size(), replacement);
  return result;
}

std::string ParseInt(std::string_view expression, ScriptEngines& engines) {
  if (!Pattern(R"(\d+\.{1}\d+)").IsMatch(expression)) return std::string(expression);
  for (const char* comparison : {">=", "<=", "<>"})
    if (expression.find(comparison) != std::string_view::npos) return std::string(expression);
  if (expression.find('=') == std::string_view::npos) return std::string(expression);
  const std::vector<std::string> pieces = SplitItems(expression, "=", " ");
  if (pieces.size() != 2) return std::string(expression);
  const std::optional<double> left = NumberOf(pieces[0], engines);
  const std::optional<double> right = NumberOf(pieces[1], engines);
  if (!left || !right) return std::string(expression);
  return WholeNumberText(*left) + "=" + WholeNumberText(*right);
}

Evaluation Evaluate(std::string_view expression, std::string_view table, const ValidationContext& context) {
  const ScriptEngine engine = context.engines->New();
  std::string rewritten = RewriteKeywords(std::string(expression), context.excel);

  const std::vector<regex::Match> references = Pattern(kCellReferencePattern).FindAll(rewritten);
  std::vector<std::string> positions, values;
  for (const regex::Match& reference : references) {
    const std::vector<std::string> parts = SplitItems(GetStrBybeginendIndex(reference.text, 4, 2), ",", " ");
    const std::string position =
        getCellPosition(table, ItemAt(parts, 0), ItemAt(parts, 1), ItemAt(parts, 2), context.directory);
    positions.push_back(position);
    const std::vector<std::string> cell = SplitItems(position, ",", " ");
    const int sheet = TextToInt(ItemAt(cell, 0));
    const int row = TextToInt(ItemAt(cell, 1));
    const int column = TextToInt(ItemAt(cell, 2));
    values.push_back(FormatNumber(GetCellInfo(context.excel, sheet, row, column)));
  }

  Evaluation evaluation;
  for (std::size_t i = 0; i < references.size(); ++i) {
    rewritten = rp(rewritten, references[i].text, values[i]);
    evaluation.cell_list += (i ? "|" : "") + positions[i];
  }
  rewritten = Pattern("==").ReplaceAll(rewritten, "=");
  rewritten = Pattern("_").ReplaceAll(rewritten, "-");
  rewritten = Pattern("!=").ReplaceAll(rewritten, "<>");
  rewritten = ParseInt(rewritten, *context.engines);
  try {
    evaluation.result = engine.Eval(rewritten);
  } catch (const ScriptFailure&) {
    evaluation.result.clear();
  }
  evaluation.rewritten = std::move(rewritten);
  return evaluation;
}

std::string ifstringCalc(std::string_view condition, std::string_view table, const ValidationContext& context) {
  return Evaluate(condition, table, context).result;
}

void thenstringCalc(forms::ClientDataSet& results, std::string_view action, std::string_view kind,
                    std::string_view message, std::string_view table, const ValidationContext& context) {
  const Evaluation evaluation = Evaluate(action, table, context);
  if (evaluation.result == "False") AddResultRow(TypeText(kind), message, evaluation.cell_list, results);
}

}  // namespace velmora
