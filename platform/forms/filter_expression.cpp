#include "filter_expression.h"

#include "error.h"
#include "platform/win/code_page.h"

namespace forms {
namespace {

bool IsBlank(char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n'; }

// Reads the expression left to right; every fault names the expression.
class Parser {
 public:
  Parser(std::string_view text, const std::function<std::size_t(std::string_view)>& field_index)
      : text_(text), field_index_(field_index) {}

  FilterExpression Parse() {
    FilterExpression expression;
    SkipBlanks();
    if (AtEnd()) return expression;
    for (;;) {
      expression.comparisons.push_back(Comparison());
      SkipBlanks();
      if (AtEnd()) return expression;
      if (!TakeWord("and")) Fail("\"and\" or the end expected");
    }
  }

 private:
  FilterExpression::Comparison Comparison() {
    SkipBlanks();
    std::string_view name = FieldName();
    SkipBlanks();
    if (AtEnd() || text_[pos_] != '=') Fail("\"=\" expected after field " + std::string(name));
    ++pos_;
    SkipBlanks();
    FilterExpression::Comparison comparison{field_index_(name), Literal(), false};
    if (!comparison.value.empty() && comparison.value.back() == '*' && EndsWithWholeStar(comparison.value)) {
      comparison.value.pop_back();
      comparison.prefix = true;
    }
    return comparison;
  }

  std::string_view FieldName() {
    if (!AtEnd() && text_[pos_] == '[') {
      std::size_t close = text_.find(']', pos_);
      if (close == std::string_view::npos) Fail("\"]\" expected");
      std::string_view name = text_.substr(pos_ + 1, close - pos_ - 1);
      pos_ = close + 1;
      if (name.empty()) Fail("field name expected");
      return name;
    }
    std::size_t start = pos_;
    while (!AtEnd() && !IsBlank(text_[pos_]) && text_[pos_] != '=' && text_[pos_] != '\'') {
      pos_ += win::CharLength(text_, pos_);
    }
    if (pos_ == start) Fail("field name expected");
    return text_.substr(start, pos_ - start);
  }

  std::string Literal() {
    if (AtEnd() || text_[pos_] != '\'') Fail("quoted value expected");
    ++pos_;
    std::string value;
    for (;;) {
      if (AtEnd()) Fail("unterminated string");
      if (text_[pos_] == '\'') {
        if (pos_ + 1 < text_.size() && text_[pos_ + 1] == '\'') {
          value += '\'';
          pos_ += 2;
          continue;
        }
        ++pos_;
        return value;
      }
      std::size_t length = win::CharLength(text_, pos_);
      value.append(text_.substr(pos_, length));
      pos_ += length;
    }
  }

  // The last byte "*" is a character of its own, not the trail byte of a
  // double-byte character.
  static bool EndsWithWholeStar(const std::string& value) {
    std::size_t pos = 0;
    while (pos + win::CharLength(value, pos) < value.size()) pos += win::CharLength(value, pos);
    return pos == value.size() - 1;
  }

  bool TakeWord(std::string_view word) {
    if (text_.size() - pos_ < word.size()) return false;
    for (std::size_t i = 0; i < word.size(); ++i) {
      char c = text_[pos_ + i];
      if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
      if (c != word[i]) return false;
    }
    std::size_t after = pos_ + word.size();
    if (after < text_.size() && !IsBlank(text_[after]) && text_[after] != '[') return false;
    pos_ = after;
    return true;
  }

  void SkipBlanks() {
    while (!AtEnd() && IsBlank(text_[pos_])) ++pos_;
  }
  bool AtEnd() const { return pos_ >= text_.size(); }

  [[noreturn]] void Fail(const std::string& why) const {
    throw Error("Invalid filter expression \"" + std::string(text_) + "\": " + why + " at position " +
                std::to_string(pos_ + 1));
  }

  std::string_view text_;
  const std::function<std::size_t(std::string_view)>& field_index_;
  std::size_t pos_ = 0;
};

}  // namespace

FilterExpression FilterExpression::Parse(std::string_view text,
                                         const std::function<std::size_t(std::string_view)>& field_index) {
  return Parser(text, field_index).Parse();
}

bool FilterExpression::Matches(const std::vector<std::optional<std::string>>& record) const {
  for (const Comparison& comparison : comparisons) {
    const std::optional<std::string>& value = record.at(comparison.field);
    if (!value) return false;
    bool match = comparison.prefix ? value->starts_with(comparison.value) : *value == comparison.value;
    if (!match) return false;
  }
  return true;
}

}  // namespace forms
