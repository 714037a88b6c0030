#pragma once
// The validation flag B40 of the active workbook's first sheet: "ok" after a
// run that evaluated the whole rule file and found no "强制" failure, empty
// otherwise. A run stopped by an error empties it: its verdict covers only
// part of the rules, and the flag must never pass a return that was not
// checked through. B40 is written without unprotecting the sheet.
#include "platform/forms/client_dataset.h"
#include "validation/rule_run.h"

namespace velmora {

// Writes "ok" and saves the workbook when the run completed, no row is
// "强制" and B40 is blank; leaves a B40 that holds a text alone (and
// unsaved); otherwise writes the empty text (not saved here).
void SetJiaoYanFlagOnExcel(const workbook::Application& excel, forms::ClientDataSet& results,
                           const RunOutcome& outcome);

}  // namespace velmora
