#include "validation/school_codes.h"

#include "addin/text/item_split.h"
#include "addin/workbook/base_table.h"
#include "validation/rule_file.h"
#include "validation/validation_context.h"

namespace velmora {

namespace {

std::string InformationItem(const workbook::Application& excel, std::size_t index) {
  const workbook::Worksheet first = ActiveWorkbookOf(excel).Sheet(base_table::kFirstSheet);
  const std::vector<std::string> items = SplitItems(base_table::ReadCell(first, base_table::kInfoStringCell), "|", " ");
  if (items.empty()) return {};
  return ItemAt(items, index);
}

}  // namespace

std::string GetXxdm(const workbook::Application& excel) { return InformationItem(excel, 4); }
std::string GetXxlbDm(const workbook::Application& excel) { return InformationItem(excel, 3); }
std::string GetLsgxDm(const workbook::Application& excel) { return InformationItem(excel, 2); }
std::string GetDqDm(const workbook::Application& excel) { return InformationItem(excel, 1); }

}  // namespace velmora
