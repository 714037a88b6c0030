#pragma once
// What the rule-set lint reports: one finding per fault of a rule line, in
// the rule file's terms (file name, 1-based line number). Explanations are
// GBK, as the files they quote.
#include <cstddef>
#include <string>
#include <string_view>

namespace velmora::lint {

enum class FindingKind {
  Items,        // the line does not cut into message, number, kind and expression
  Quotes,       // the expression is not enclosed in double quotes
  Framing,      // the bytes around the condition or action are not the expected ones
  NoPosition,   // a reference whose indicator has no line in the position file
  LooseMatch,   // the loose lookup takes a line that is not the indicator's own
  BadPosition,  // the position line or the row shift is no decimal integer
  NotInput,     // the referenced cell is no input cell of the template
  Syntax,       // the rewritten expression does not parse
  UnknownName,  // the rewritten expression holds a name the script engine does not know
};

// "items", "quotes", "framing", "no-position", "loose-match", "bad-position",
// "not-input", "syntax", "unknown-name".
std::string_view KindName(FindingKind kind);

struct Finding {
  std::string file;  // "1.txt"
  std::size_t line = 0;
  FindingKind kind = FindingKind::Items;
  std::string explanation;

  bool operator==(const Finding&) const = default;
};

// "1.txt:17: no-position: explanation"
std::string FormatFinding(const Finding& finding);

}  // namespace velmora::lint
