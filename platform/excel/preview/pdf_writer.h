#pragma once
// The print of a worksheet as a PDF file: every page of its page layout at
// the paper's size, the cells' fills and texts at the sheet's scale, in a
// CJK font (cairo and pango). Gridlines are not printed, as the page set-up
// of a sheet leaves them off by default.
#include <string>

#include "excel/xlsx/model.h"

namespace excel::preview {

// Throws std::runtime_error with a description when the file cannot be
// written.
void WritePdf(const xlsx::Worksheet& sheet, const std::string& path);

}  // namespace excel::preview
