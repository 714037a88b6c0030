#pragma once
// The lint of a rule set: every rule line of "1.txt" to "3.txt" is read as
// the validator reads it (the same cutting, framing, keyword rewriting,
// reference pattern and position lookup) and checked for what would go
// wrong in a school's validation before any school runs it:
//
//   items         the line does not cut into four items (the run stops);
//   quotes        the expression is not in double quotes;
//   framing       "=(ACTION)" or "WHEN(CONDITION)|=(ACTION);" not as expected;
//   no-position   no position-file line holds the sheet key and the indicator
//                 (the run stops);
//   loose-match   the loose lookup takes a line that is not the indicator's
//                 own: the line that wins and why;
//   bad-position  the row shift or the line's row is no decimal integer;
//   not-input     the cell is no input cell of the table's template;
//   syntax        the rewritten expression, every reference replaced by 1 and
//                 the keyword tests decided for a sample school, does not
//                 parse (the rule would pass whatever the figures).
//
// A table is linted when its rule file lies in the folder; its position file
// and its template ("TANVIK1" ...) must lie there too.
#include <stdexcept>
#include <string>
#include <vector>

#include "validation/lint/finding.h"

namespace velmora::lint {

// The folder cannot be linted: no rule file, or a table without its position
// file or template, or no script engine. The message says which (GBK).
class LintError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

struct LintReport {
  std::vector<std::string> files;  // the rule files linted, "1.txt" ...
  std::size_t rules = 0;           // rule lines read (blank lines not counted)
  std::vector<Finding> findings;   // in file and line order
};

// Lints the rule sets in directory (GBK, ending with "/"). Needs COM
// initialised on the thread and the script engine registered.
LintReport LintRuleSet(const std::string& directory);

}  // namespace velmora::lint
