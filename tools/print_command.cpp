#include "tools/print_command.h"

#include "addin/workbook/base_table.h"
#include "platform/forms/application.h"
#include "tools/supplementary_notes.h"

namespace velmora::tools {

namespace {

// Hides the print sheet when the command leaves before it has hidden it
// itself (an error is on its way; that error is the one shown).
class HiddenOnExit {
 public:
  explicit HiddenOnExit(const workbook::Worksheet& sheet) : sheet_(sheet) {}
  HiddenOnExit(const HiddenOnExit&) = delete;
  HiddenOnExit& operator=(const HiddenOnExit&) = delete;
  ~HiddenOnExit() {
    if (hidden_) return;
    try {
      sheet_.SetVisible(excel::xlSheetHidden);
    } catch (const std::exception&) {
    }
  }
  void Hide() {
    sheet_.SetVisible(excel::xlSheetHidden);
    hidden_ = true;
  }

 private:
  const workbook::Worksheet& sheet_;
  bool hidden_ = false;
};

}  // namespace

PageSetup PageSetupOf(const std::string& paper) {
  if (paper == "A3") return {8, 77};
  return {9, 55};
}

void PrintJiBiao(const workbook::Application& excel, const std::function<void()>& open_dialog,
                 const std::string& paper_size) {
  const std::optional<workbook::Workbook> book = excel.ActiveWorkbook();
  if (!book) return;
  const std::string template_name = base_table::ReadCell(book->Sheet(base_table::kFirstSheet),
                                                         base_table::kTemplateNameCell);
  try {
    const base_table::Kind kind = base_table::KindOfTemplateName(template_name);
    if (kind == base_table::Kind::None) return;
    open_dialog();
    if (paper_size.empty()) return;
    WriteNotes(excel, kind);
    const workbook::Worksheet print = book->Sheet(base_table::kPrintSheet);
    HiddenOnExit hidden(print);
    // Shown before it is activated: a hidden sheet cannot be activated.
    print.SetVisible(excel::xlSheetVisible);
    print.Activate();
    const PageSetup setup = PageSetupOf(paper_size);
    print.SetPaperSize(setup.paper_size);
    print.SetZoom(setup.zoom);
    print.SetOrientation(kLandscape);
    print.SetCenterHorizontally(true);
    print.SetCenterVertically(true);
    print.PrintPreview(false);
    hidden.Hide();
  } catch (const std::exception& error) {
    forms::ShowException(error);
  }
}

}  // namespace velmora::tools
