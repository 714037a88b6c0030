#pragma once
// A cell's value as the add-in sees it: empty, a text (GBK), a number, a
// Boolean or an error value of the spreadsheet (such as #DIV/0!).
#include <string>
#include <variant>

namespace velmora {

// An error value of the spreadsheet, by its code (for example 2007 for #DIV/0!).
struct CellError {
  int code = 0;
  bool operator==(const CellError&) const = default;
};

class CellValue {
 public:
  enum class Kind { Empty, Text, Number, Boolean, Error };

  CellValue() = default;  // empty
  static CellValue Text(std::string text) { return CellValue(std::move(text)); }
  static CellValue Number(double number) { return CellValue(number); }
  static CellValue Boolean(bool value) { return CellValue(value); }
  static CellValue Error(int code) { return CellValue(CellError{code}); }

  Kind GetKind() const { return static_cast<Kind>(value_.index()); }
  bool IsEmpty() const { return GetKind() == Kind::Empty; }
  // Each of these is only valid for its kind.
  const std::string& AsText() const { return std::get<std::string>(value_); }
  double AsNumber() const { return std::get<double>(value_); }
  bool AsBoolean() const { return std::get<bool>(value_); }
  int AsErrorCode() const { return std::get<CellError>(value_).code; }

  bool operator==(const CellValue&) const = default;

 private:
  using Value = std::variant<std::monostate, std::string, double, bool, CellError>;
  explicit CellValue(Value value) : value_(std::move(value)) {}
  Value value_;
};

}  // namespace velmora
