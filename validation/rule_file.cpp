#include "validation/rule_file.h"

#include "addin/text/conversions.h"
#include "addin/text/item_split.h"
#include "addin/text/string_ops.h"
#include "platform/regex/regex.h"
#include "validation/validation_context.h"

namespace velmora {

ListIndexError::ListIndexError(std::size_t index)
    : std::out_of_range("List index out of bounds (" + std::to_string(index) + ")") {}

const std::string& ItemAt(const std::vector<std::string>& items, std::size_t index) {
  if (index >= items.size()) throw ListIndexError(index);
  return items[index];
}

std::optional<RuleLine> ParseRuleLine(std::string_view line) {
  if (Trim(line).empty()) return std::nullopt;
  const std::vector<std::string> items = SplitItems(line, ",", " ");
  const std::string quoted = GetStrBybeginendIndex(ItemAt(items, 3), 2, 2);
  return RuleLine{items[0], items[2], regex::ReplaceAll(quoted, "-", "_")};
}

const std::string& MandatoryType() {
  static const std::string text = Gbk("强制");
  return text;
}

const std::string& HintType() {
  static const std::string text = Gbk("提示");
  return text;
}

std::string TypeText(std::string_view kind) { return kind == "1" ? MandatoryType() : HintType(); }

RuleParts SplitRule(std::string_view expression) {
  const std::vector<std::string> items = SplitItems(expression, "|", " ");
  if (items.size() == 2) return {GetStrBybeginendIndex(items[0], 6, 2), GetStrBybeginendIndex(items[1], 3, 3)};
  return {std::nullopt, GetStrBybeginendIndex(ItemAt(items, 0), 3, 2)};
}

std::string RuleFileName(std::string_view table) { return std::string(table) + ".txt"; }
std::string PositionFileName(std::string_view table) { return "d" + std::string(table) + ".txt"; }

}  // namespace velmora
