#pragma once
// The rule language's files and framing. Texts are GBK; positions count
// bytes.
//
// A rule line, cut at "," with blank skipped: item 0 the message, item 1 not
// read, item 2 the kind ("1" mandatory), item 3 the expression in double
// quotes. An expression cut at "|" (blank skipped) into exactly two items is
// a conditional rule: the condition is item 0 from its 6th to its
// second-to-last byte, the action item 1 from its 3rd to its third-to-last
// byte. Any other number of items makes a plain rule whose action is item 0
// from its 3rd to its second-to-last byte.
#include <optional>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

namespace velmora {

// The string list's index error, raised for an item a line does not have.
class ListIndexError : public std::out_of_range {
 public:
  explicit ListIndexError(std::size_t index);
};

// items[index], or ListIndexError.
const std::string& ItemAt(const std::vector<std::string>& items, std::size_t index);

struct RuleLine {
  std::string message;
  std::string kind;
  // The expression without its quotes, every "-" turned into "_".
  std::string expression;
};

// The rule of one line; nothing for a line that holds only blanks (and
// control characters). A line with fewer than four items raises
// ListIndexError.
std::optional<RuleLine> ParseRuleLine(std::string_view line);

// "强制" for the kind "1", "提示" for any other (GBK).
std::string TypeText(std::string_view kind);
const std::string& MandatoryType();
const std::string& HintType();

struct RuleParts {
  std::optional<std::string> condition;  // conditional rules only
  std::string action;
};
RuleParts SplitRule(std::string_view expression);

// "1.txt" and "d1.txt" for the table number "1".
std::string RuleFileName(std::string_view table);
std::string PositionFileName(std::string_view table);

}  // namespace velmora
