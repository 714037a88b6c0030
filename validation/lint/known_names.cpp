#include "validation/lint/known_names.h"

#include <algorithm>
#include <iterator>
#include <cctype>

namespace velmora::lint {
namespace {

constexpr std::string_view kKnown[] = {
    "and",  "or",   "not",   "xor",  "eqv",  "imp",   "mod",   "is",        "true",    "false",  "empty",
    "null", "nothing", "abs", "int", "fix",  "round", "sgn",   "sqr",       "cint",    "clng",   "cdbl",
    "cstr", "cbool", "len",  "left", "right", "mid",  "instr", "trim",      "ucase",   "lcase",  "isnumeric",
    "isempty", "isnull", "createobject"};

bool Known(std::string name) {
  std::transform(name.begin(), name.end(), name.begin(), [](unsigned char c) { return std::tolower(c); });
  return std::find(std::begin(kKnown), std::end(kKnown), name) != std::end(kKnown);
}

bool NameByte(char c) { return std::isalnum(static_cast<unsigned char>(c)) || c == '_'; }

}  // namespace

std::vector<std::string> UnknownNames(std::string_view expression) {
  std::vector<std::string> names;
  for (std::size_t i = 0; i < expression.size();) {
    const char c = expression[i];
    if (c == '"') {  // a string literal; "" stands for a quote inside it
      std::size_t j = i + 1;
      while (j < expression.size() && !(expression[j] == '"' && (j + 1 == expression.size() || expression[j + 1] != '"')))
        j += expression[j] == '"' ? 2 : 1;
      i = j + 1;
    } else if (std::isdigit(static_cast<unsigned char>(c)) || c == '&' || c == '.') {
      // A number with its exponent, a hexadecimal or octal literal, or a
      // member after "." (an automation object's method: the object's to know).
      for (++i; i < expression.size() && (NameByte(expression[i]) || expression[i] == '.'); ++i) {
      }
    } else if (std::isalpha(static_cast<unsigned char>(c))) {
      std::size_t end = i;
      while (end < expression.size() && NameByte(expression[end])) ++end;
      std::string name(expression.substr(i, end - i));
      if (!Known(name) && std::find(names.begin(), names.end(), name) == names.end()) names.push_back(name);
      i = end;
    } else {
      ++i;
    }
  }
  return names;
}

}  // namespace velmora::lint
