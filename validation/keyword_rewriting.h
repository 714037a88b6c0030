#pragma once
// The keyword steps of a rule's rewriting: the school-code tests and the
// keyword references become literals before the cell references are read.
// Patterns are run through the regular-expression wrapper, letter case
// ignored.
//
//   "xxdm", "xxlbdm", "lsgxdm", "dqdm": every F1(A,<KEYWORD>,Z) becomes the
//       school's code of that keyword, read afresh from A40;
//   "$": every region-code middle test F1(A,dqdm,Z)>=V$ becomes "True" when
//       the region code is at least 6 bytes long and its bytes from the 5th
//       to the third-to-last equal V, else "False";
//   "%": every region-code prefix test F1(A,dqdm,Z)==V% becomes "True" when
//       the region code begins with V, else "False"; only when there is none,
//       the school-code prefix tests F1(A,xxdm,Z)==V% likewise with the
//       school code.
#include <string>
#include <string_view>

#include "addin/workbook/excel_ops.h"

namespace velmora {

// The expression rewritten for one keyword ("%", "$", "xxdm", "xxlbdm",
// "lsgxdm" or "dqdm"); unchanged when it holds nothing to rewrite or the
// keyword is none of these.
std::string ReplaceOtherKeyWords(std::string_view expression, std::string_view keyword,
                                 const workbook::Application& excel);

// Step 2 of the evaluation: each keyword in the order "%", "$", "xxdm",
// "xxlbdm", "lsgxdm", "dqdm", each only when the expression contains it
// (letter case ignored).
std::string RewriteKeywords(std::string expression, const workbook::Application& excel);

}  // namespace velmora
