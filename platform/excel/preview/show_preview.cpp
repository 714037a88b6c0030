#include "excel/preview/show_preview.h"

#include <optional>

#include "excel/preview/pdf_writer.h"
#include "excel/preview/temporary_file.h"
#include "excel/rules.h"
#include "platform/ui/ui_driver.h"

namespace excel::preview {

void ShowPrintPreview(const xlsx::Worksheet& sheet) {
  std::optional<TemporaryFile> file;
  try {
    file.emplace(".pdf");
    WritePdf(sheet, file->path());
  } catch (const std::runtime_error& error) {
    throw ExcelError(kExcelError, std::string("PrintPreview method of Worksheet class failed: ") + error.what());
  }
  ui::CurrentDriver().ShowPrintPreview(file->path(), sheet.name());
}

}  // namespace excel::preview
