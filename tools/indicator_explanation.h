#pragma once
// The indicator explanation, behind "查看指标解释": the active cell of a data
// sheet is looked up in the position file of the sheet's code (J40) and its
// indicator's name and explanation read from "zbjs_xml\" + code + ".xml" in
// the module directory, to be shown in the dialog TfrmZBJS. Texts are GBK;
// directory is the module directory, ending with a separator.
#include <functional>
#include <string>
#include <string_view>

#include "addin/workbook/excel_ops.h"

namespace velmora::tools {

// "d1.txt" for "J1_1" to "J1_4", "d2.txt" for "J2_1" to "J2_4", "d3.txt" for
// every other code (the empty one too).
std::string PositionFileOfSheetCode(std::string_view sheet_code);

// The indicator number of the active cell: the first line of the position
// file whose item 0 is sheet_code and whose item 2, trimmed, is "row,column"
// of the active cell (items cut at "|", "*" skipped). Empty when no line
// matches or there is no active cell; an error (the file, a short line)
// is shown in a plain box and gives the empty text.
std::string FindIndicatorNumber(const workbook::Application& excel, const std::string& directory,
                                const std::string& sheet_code);

// Fills name and explanation from the indicator's element of the sheet's
// explanation file (its children "ZBMC" and "ZBJS"). A file that cannot be
// loaded, a document without root and an indicator that is not there are
// told in a box and leave both empty; an element without "ZBMC" or "ZBJS",
// or whose content is no plain text, ends silently with what was set.
void LoadIndicatorExplanation(const std::string& directory, const std::string& sheet_code,
                              const std::string& indicator_code, std::string& name, std::string& explanation);

// What the command reads and writes: the add-in object's fields and the
// module-wide texts its dialog reads.
struct IndicatorState {
  std::string& FSheetCode;
  std::string& FIndicatorCode;
  std::string& gIndicatorCode;
  std::string& gIndicatorName;
  std::string& gIndicatorExplanation;
};

// The command: 1. no active workbook: return; 2. E40 of the first sheet;
// 3. the active sheet (errors of 1–3 go to the caller); from here errors are
// shown in a plain box: 4. no base table: return; 5. J40 of the active sheet
// into FSheetCode; 6. the number into FIndicatorCode and gIndicatorCode;
// 7. none: the hint, return; 8. name and explanation loaded; 9. an
// explanation: open_dialog.
void ShowIndicatorExplanation(const workbook::Application& excel, const std::string& directory,
                              IndicatorState state, const std::function<void()>& open_dialog);

}  // namespace velmora::tools
