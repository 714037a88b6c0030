#include "conversions.h"

#include <charconv>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <limits>

namespace velmora {
namespace {

bool IsBlankOrControl(char c) { return static_cast<unsigned char>(c) <= ' '; }
bool IsDigit(char c) { return c >= '0' && c <= '9'; }

[[noreturn]] void NotAnInteger(std::string_view text) {
  throw ConversionError("'" + std::string(text) + "' is not a valid integer value");
}
[[noreturn]] void NotAFloat(std::string_view text) {
  throw ConversionError("'" + std::string(text) + "' is not a valid floating point value");
}

// Position after the digits that start at pos.
std::size_t SkipDigits(std::string_view text, std::size_t pos) {
  while (pos < text.size() && IsDigit(text[pos])) ++pos;
  return pos;
}

}  // namespace

std::string Trim(std::string_view text) {
  std::size_t begin = 0;
  std::size_t end = text.size();
  while (begin < end && IsBlankOrControl(text[begin])) ++begin;
  while (end > begin && IsBlankOrControl(text[end - 1])) --end;
  return std::string(text.substr(begin, end - begin));
}

std::string FormatNumber(double number) {
  if (std::isnan(number)) return "NAN";
  if (std::isinf(number)) return number > 0 ? "INF" : "-INF";
  if (number == 0) return "0";
  // 15 significant digits, correctly rounded: d.dddddddddddddde[+-]x
  char buffer[40];
  std::snprintf(buffer, sizeof buffer, "%.14e", number);
  std::string_view printed(buffer);
  const bool negative = printed.front() == '-';
  if (negative) printed.remove_prefix(1);
  const std::size_t e = printed.find('e');
  std::string digits;
  for (char c : printed.substr(0, e)) {
    if (IsDigit(c)) digits += c;
  }
  const int exponent = std::atoi(std::string(printed.substr(e + 1)).c_str());
  while (digits.size() > 1 && digits.back() == '0') digits.pop_back();

  std::string out = negative ? "-" : "";
  if (exponent >= 15 || exponent < -4) {
    out += digits.front();
    if (digits.size() > 1) out += "." + digits.substr(1);
    out += "E";
    if (exponent < 0) out += "-";
    out += std::to_string(std::abs(exponent));
  } else if (exponent >= 0) {
    const auto whole = static_cast<std::size_t>(exponent) + 1;
    if (digits.size() <= whole) {
      out += digits + std::string(whole - digits.size(), '0');
    } else {
      out += digits.substr(0, whole) + "." + digits.substr(whole);
    }
  } else {
    out += "0." + std::string(static_cast<std::size_t>(-exponent - 1), '0') + digits;
  }
  return out;
}

std::string CellText(const CellValue& value) {
  switch (value.GetKind()) {
    case CellValue::Kind::Empty:
      return {};
    case CellValue::Kind::Text:
      return value.AsText();
    case CellValue::Kind::Number:
      return FormatNumber(value.AsNumber());
    case CellValue::Kind::Boolean:
      return value.AsBoolean() ? "True" : "False";
    case CellValue::Kind::Error:
      break;
  }
  throw ConversionError("Could not convert variant of type (Error) into type (String)");
}

int TextToInt(std::string_view text) {
  std::size_t pos = 0;
  while (pos < text.size() && text[pos] == ' ') ++pos;
  bool negative = false;
  if (pos < text.size() && (text[pos] == '+' || text[pos] == '-')) negative = text[pos++] == '-';
  const std::size_t digits_end = SkipDigits(text, pos);
  if (digits_end == pos || digits_end != text.size()) NotAnInteger(text);
  long long value = 0;
  for (; pos < digits_end; ++pos) {
    value = value * 10 + (text[pos] - '0');
    if (value > static_cast<long long>(std::numeric_limits<int>::max()) + 1) NotAnInteger(text);
  }
  if (negative) value = -value;
  if (value > std::numeric_limits<int>::max()) NotAnInteger(text);
  return static_cast<int>(value);
}

double TextToFloat(std::string_view text) {
  std::size_t begin = 0;
  std::size_t end = text.size();
  while (begin < end && text[begin] == ' ') ++begin;
  while (end > begin && text[end - 1] == ' ') --end;
  const std::string_view number = text.substr(begin, end - begin);
  // [sign] digits [. digits] [(E|e) [sign] digits], with at least one mantissa digit.
  std::size_t pos = 0;
  bool negative = false;
  if (pos < number.size() && (number[pos] == '+' || number[pos] == '-'))
    negative = number[pos++] == '-';
  const std::size_t mantissa = pos;
  std::size_t mantissa_digits = SkipDigits(number, pos) - pos;
  pos += mantissa_digits;
  if (pos < number.size() && number[pos] == '.') {
    const std::size_t fraction_end = SkipDigits(number, pos + 1);
    mantissa_digits += fraction_end - pos - 1;
    pos = fraction_end;
  }
  if (mantissa_digits == 0) NotAFloat(text);
  if (pos < number.size() && (number[pos] == 'E' || number[pos] == 'e')) {
    std::size_t exponent = pos + 1;
    if (exponent < number.size() && (number[exponent] == '+' || number[exponent] == '-'))
      ++exponent;
    const std::size_t exponent_end = SkipDigits(number, exponent);
    if (exponent_end == exponent) NotAFloat(text);
    pos = exponent_end;
  }
  if (pos != number.size()) NotAFloat(text);

  // The sign is taken off above: from_chars takes no leading "+".
  std::string plain(number.substr(mantissa));
  if (!plain.empty() && plain.front() == '.') plain.insert(plain.begin(), '0');
  double value = 0;
  auto [rest, error] = std::from_chars(plain.data(), plain.data() + plain.size(), value);
  if (error != std::errc() || rest != plain.data() + plain.size()) NotAFloat(text);
  return negative ? -value : value;
}

}  // namespace velmora
