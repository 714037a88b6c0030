#pragma once
// Cell switching, behind "切换单元格": each run moves the selection to the
// next cell of the cell list F40 that the validation dialog stored for the
// failed rule last picked, cycling through it by the counter G40 and
// skipping cells that are locked. Every step saves the workbook first and
// raises G40 by one; the first sheet is protected again at the end of every
// step, also when the step failed. A step's error is shown in a plain box.
#include <string>

#include "addin/workbook/excel_ops.h"

namespace velmora::tools {

// Entry number index mod c of F40 cut at "|" (c entries), or the empty text
// when F40 is blank. c 0 (F40 only separators) throws; so does a negative
// index.
std::string GetSwitchEntry(const workbook::Application& excel, long long index);

// One step at depth (the locked cells skipped so far in this run); a locked
// cell leads to the step at depth + 1 while the list has at least depth + 1
// entries.
void SwitchCell(const workbook::Application& excel, int depth);

}  // namespace velmora::tools
