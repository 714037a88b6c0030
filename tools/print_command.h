#pragma once
// The print command behind "基表打印": asks for the paper size, writes the
// supplementary notes of the workbook's base table into the print sheet, sets
// the print sheet's page up for that paper and shows the print preview. The
// print sheet is visible only while the preview is shown and hidden again on
// every path.
#include <functional>
#include <string>

#include "addin/workbook/excel_ops.h"

namespace velmora::tools {

// PaperSize, Zoom for a paper choice: "A3" 8 and 77, anything else 9 and 55.
struct PageSetup {
  long paper_size;
  long zoom;
};
PageSetup PageSetupOf(const std::string& paper);
inline constexpr long kLandscape = 2;

// 1. no active workbook: return; 2. E40 of the first sheet (an error here
// goes to the caller); from here every error is shown in a plain box:
// 3. no base table: return; 4. open_dialog (the print-settings dialog, which
// sets paper_size); 5. paper_size empty: return; 6. the notes; 7. the print
// sheet shown and activated; 8. the page set-up; 9. the preview (modal);
// 10. the print sheet hidden.
void PrintJiBiao(const workbook::Application& excel, const std::function<void()>& open_dialog,
                 const std::string& paper_size);

}  // namespace velmora::tools
