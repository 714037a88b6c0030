#pragma once
// A table's workbook template as the lint sees it: opened in a spreadsheet
// application of its own (never saved), with a sample school written into
// A40 so that the keyword steps of the rewriting have codes to work with, and
// asked which cells a school can type into.
#include <optional>
#include <string>

#include "addin/workbook/excel_ops.h"

namespace velmora::lint {

// The sample school: region 41010200, affiliation 21, category 112, school
// code 11069. Its codes only fill the keyword references and decide the
// keyword tests; both outcomes of a test are a single word to the engine.
inline constexpr char kSampleInfoString[] = "2010|41010200|21|112|11069|lint|lint|lint";

class TemplateWorkbook {
 public:
  // Opens the template file (GBK path); a file that is missing or no
  // workbook throws com::ComError with the spreadsheet's description.
  explicit TemplateWorkbook(const std::string& path);

  // The application whose active workbook is the template.
  const workbook::Application& excel() const { return excel_; }

  // Why the cell at (sheet, row, column) is no input cell: not on a data
  // sheet (1 to 4), in the bookkeeping row 40, outside the sheet, or locked.
  // Nothing for an input cell. (GBK)
  std::optional<std::string> WhyNotInput(int sheet, int row, int column) const;

 private:
  std::string name_;  // the template's file name, for the explanations
  workbook::Application excel_;
  workbook::Workbook book_;
};

}  // namespace velmora::lint
