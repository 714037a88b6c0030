// The worksheet tools as the add-in object's methods: the click handlers of
// "切换单元格", "基表打印" and "查看指标解释" call them. Compiled into the
// add-in's object library; the work is done by velmora_tools on ExcelApp.
#include <stdexcept>

#include "addin/module_values.h"
#include "addin/my_outlook_addin.h"
#include "addin/pending_commands.h"
#include "addin/text/module_directory.h"
#include "tools/indicator_explanation.h"
#include "tools/print_command.h"
#include "tools/supplementary_notes.h"
#include "tools/switch_cell.h"

namespace velmora {

namespace {
workbook::Application Excel() { return workbook::Application(ExcelApp); }
}  // namespace

void TMyOutLookAddIn::SwitchCell(int depth) {
  if (depth == 0) NotifyCommand("SwitchCell");  // the handlers' tests watch the command being reached
  if (!ExcelApp) return;
  tools::SwitchCell(Excel(), depth);
}

std::string TMyOutLookAddIn::GetSwitchEntry(int index) {
  if (!ExcelApp) return {};
  return tools::GetSwitchEntry(Excel(), index);
}

void TMyOutLookAddIn::PrintBaseTable() {
  NotifyCommand("PrintBaseTable");
  PrintJiBiao();
}

void TMyOutLookAddIn::PrintJiBiao() {
  if (!ExcelApp) return;
  tools::PrintJiBiao(Excel(), [this] { RunDllForm("velmora.dll", "frm_PrintSet", "showform"); }, gPaperSize);
}

void TMyOutLookAddIn::WriteJiBiao1Notes() {
  if (ExcelApp) tools::WriteNotes(Excel(), base_table::Kind::One);
}
void TMyOutLookAddIn::WriteJiBiao2Notes() {
  if (ExcelApp) tools::WriteNotes(Excel(), base_table::Kind::Two);
}
void TMyOutLookAddIn::WriteJiBiao3Notes() {
  if (ExcelApp) tools::WriteNotes(Excel(), base_table::Kind::Three);
}

std::string TMyOutLookAddIn::ReadNoteValue(int worksheet, int row, int column) {
  if (!ExcelApp) throw std::runtime_error("ReadNoteValue: no spreadsheet application");
  return tools::ReadNoteValue(Excel(), worksheet, row, column);
}

void TMyOutLookAddIn::ShowIndicator() {
  NotifyCommand("ShowIndicator");
  if (!ExcelApp) return;
  tools::ShowIndicatorExplanation(Excel(), getFilePath(),
                                  {FSheetCode, FIndicatorCode, gIndicatorCode, gIndicatorName, gIndicatorExplanation},
                                  [this] { RunDllForm("velmora.dll", "frmZBJS", "showform"); });
}

std::string TMyOutLookAddIn::FindIndicatorNumber() {
  if (!ExcelApp) return {};
  return tools::FindIndicatorNumber(Excel(), getFilePath(), FSheetCode);
}

void TMyOutLookAddIn::LoadIndicatorExplanation() {
  tools::LoadIndicatorExplanation(getFilePath(), FSheetCode, FIndicatorCode, gIndicatorName, gIndicatorExplanation);
}

}  // namespace velmora
