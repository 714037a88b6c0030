#pragma once
// The names a rewritten rule may still hold once its references are
// replaced: the script language's operators and constants and the built-in
// functions rule authors use. Any other name is an undefined variable to the
// engine — Empty in a comparison, an error when called — so a rule holding
// one does not test what its author meant (a reference written "f1(" instead
// of "F1(", say).
#include <string>
#include <string_view>
#include <vector>

namespace velmora::lint {

// The names of the expression that are none of those, in order, each once.
// Names inside string literals, hexadecimal and octal literals (&H1F) and
// exponents (1E5) are not names.
std::vector<std::string> UnknownNames(std::string_view expression);

}  // namespace velmora::lint
