#include "number_text.h"

#include <locale.h>
#include <cerrno>
#include <clocale>
#include <cmath>
#include <cstdlib>
#include <string>

namespace vbs {
namespace {

locale_t CLocale() {
  static const locale_t c = newlocale(LC_NUMERIC_MASK, "C", locale_t{});
  return c;
}

bool IsDigit(char c) { return c >= '0' && c <= '9'; }

bool IsDecimalSyntax(std::string_view s) {
  std::size_t i = 0, digits = 0;
  while (i < s.size() && IsDigit(s[i])) ++i, ++digits;
  if (i < s.size() && s[i] == '.') {
    ++i;
    while (i < s.size() && IsDigit(s[i])) ++i, ++digits;
  }
  if (digits == 0) return false;
  if (i < s.size() && (s[i] == 'E' || s[i] == 'e')) {
    ++i;
    if (i < s.size() && (s[i] == '+' || s[i] == '-')) ++i;
    std::size_t exp_digits = 0;
    while (i < s.size() && IsDigit(s[i])) ++i, ++exp_digits;
    if (exp_digits == 0) return false;
  }
  return i == s.size();
}

}  // namespace

DecimalNumber ReadDecimal(std::string_view ascii) {
  if (!IsDecimalSyntax(ascii)) return {};
  // Whole numbers of up to 18 digits need no library call.
  if (ascii.size() <= 18 && ascii.find_first_not_of("0123456789") == std::string_view::npos) {
    std::int64_t n = 0;
    for (char c : ascii) n = n * 10 + (c - '0');
    return {NumberRead::Ok, static_cast<double>(n)};
  }
  const std::string text(ascii);
  errno = 0;
  char* end = nullptr;
  const double d = strtod_l(text.c_str(), &end, CLocale());
  if (errno == ERANGE && std::isinf(d)) return {NumberRead::Overflow, 0};
  return {NumberRead::Ok, errno == ERANGE ? 0.0 : d};
}

std::optional<RadixNumber> ReadRadix(std::u16string_view digits, int base) {
  if (digits.empty()) return std::nullopt;
  std::uint64_t n = 0;
  for (char16_t c : digits) {
    int d;
    if (c >= u'0' && c <= u'9')
      d = c - u'0';
    else if (c >= u'A' && c <= u'F')
      d = c - u'A' + 10;
    else if (c >= u'a' && c <= u'f')
      d = c - u'a' + 10;
    else
      return std::nullopt;
    if (d >= base) return std::nullopt;
    n = n * base + d;
    if (n > 0xFFFFFFFFu) return std::nullopt;
  }
  if (n <= 0xFFFF) return RadixNumber{static_cast<std::int16_t>(n), false};
  return RadixNumber{static_cast<std::int32_t>(static_cast<std::uint32_t>(n)), true};
}

}  // namespace vbs
