#pragma once
// The evaluation of one rule expression against the active workbook. The
// expression is rewritten into plain VBScript: keyword tests and references
// become literals, every cell reference F1(A,Y,Z) the number typed into its
// cell, "==" "=", "_" "-", "!=" "<>", and a plain equation holding decimals
// its whole-number form; then a new script engine evaluates it. An error of
// that final evaluation passes quietly (the empty result); every other error
// (the engine's creation, a reference without a position, an unreadable or
// negative cell, A40 without the code asked for) travels to the caller.
#include <string>
#include <string_view>

#include "platform/forms/client_dataset.h"
#include "validation/validation_context.h"

namespace velmora {

// The number in cell (row, column) of worksheet sheet_number of the active
// workbook: 0 for a blank cell. Any failure (Excel refusing the sheet or the
// cell, a text that is no number, a number below 0) raises
// std::runtime_error "填报数据只能为正整数,请检查填报的数据！" + row + "," + column.
double GetCellInfo(const workbook::Application& excel, int sheet_number, int row, int column);

// The expression with the first occurrence of target (exact) replaced.
std::string rp(std::string_view expression, std::string_view target, std::string_view replacement);

// The whole-number form of a plain equation holding a decimal number: an
// expression without ">=", "<=" and "<>" that cuts at "=" into exactly two
// pieces, each evaluating to a number, becomes the two numbers rounded to the
// nearest integer (a half to the even one) joined by "=" (12.4+3.3=15.7 gives
// 16=16). Any other expression comes back unchanged and is left to the final
// evaluation.
std::string ParseInt(std::string_view expression, ScriptEngines& engines);
std::string ParseInt(std::string_view expression);

// What an evaluation produced.
struct Evaluation {
  std::string result;     // the result text; empty when the final evaluation failed
  std::string cell_list;  // the cell positions read, joined by "|"
  std::string rewritten;  // the expression as it was handed to the engine
};
Evaluation Evaluate(std::string_view expression, std::string_view table, const ValidationContext& context);

// The result text of a condition; the empty text when its evaluation failed.
std::string ifstringCalc(std::string_view condition, std::string_view table, const ValidationContext& context);

// Evaluates an action; when its result text is exactly "False" it adds the
// row (type of kind, message, cell list) to the result list.
void thenstringCalc(forms::ClientDataSet& results, std::string_view action, std::string_view kind,
                    std::string_view message, std::string_view table, const ValidationContext& context);

}  // namespace velmora
