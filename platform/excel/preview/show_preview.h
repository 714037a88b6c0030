#pragma once
// What Worksheet.PrintPreview does: the sheet printed into a temporary PDF
// file, which the UI driver shows (modally: the call returns when the
// preview is closed); the file is removed afterwards.
#include "excel/xlsx/model.h"

namespace excel::preview {

// Throws ExcelError ("PrintPreview method of Worksheet class failed" and
// why) when the file cannot be made; what the driver throws passes through.
void ShowPrintPreview(const xlsx::Worksheet& sheet);

}  // namespace excel::preview
