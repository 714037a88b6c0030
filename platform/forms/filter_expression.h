#pragma once
// The filter expression of a client dataset, read once when filtering starts:
//   expression := comparison { "and" comparison }      (empty: every record)
//   comparison := field "=" literal
//   literal    := "'" { character | "''" } "'"           ('' stands for one ')
// A literal that ends in "*" matches every value that begins with the text
// before the "*"; any other literal matches the equal value. A null value
// matches nothing. "and" is ASCII case-insensitive; a field is a name (of
// any characters but blanks, "=" and quotes) or a name in brackets.
#include <cstddef>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace forms {

struct FilterExpression {
  struct Comparison {
    std::size_t field;  // index of the field in the record
    std::string value;  // GBK, without the closing "*" of a prefix
    bool prefix = false;
  };
  std::vector<Comparison> comparisons;  // all must hold

  // Raises forms::Error for an expression that cannot be read; field_index
  // raises for an unknown field.
  static FilterExpression Parse(std::string_view text,
                                const std::function<std::size_t(std::string_view name)>& field_index);

  bool Matches(const std::vector<std::optional<std::string>>& record) const;
};

}  // namespace forms
