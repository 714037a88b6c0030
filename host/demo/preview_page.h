#pragma once
// The print preview as a page a reader can open: the sheet the preview shows,
// its used cells as a table on a landscape page of the paper chosen.
#include <string>

#include "addin/workbook/excel_ops.h"

namespace velmora::demo {

// Writes the page (HTML, UTF-8) to path; paper is "A3" or "A4". Raises
// std::runtime_error when the file cannot be written.
void WritePreviewPage(const std::string& path, const workbook::Worksheet& sheet, const std::string& paper);

}  // namespace velmora::demo
