#include "convert.h"

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "error.h"
#include "number_text.h"

namespace vbs {
namespace {

constexpr std::int64_t kCurrencyScale = 10000;

std::u16string Ascii(std::string_view s) { return std::u16string(s.begin(), s.end()); }

bool IsBlank(char16_t c) { return c == u' ' || c == u'\t' || c == u'\r' || c == u'\n'; }

bool EqualsIgnoringCase(std::u16string_view a, std::u16string_view ascii_word) {
  if (a.size() != ascii_word.size()) return false;
  for (std::size_t i = 0; i < a.size(); ++i) {
    char16_t c = a[i];
    if (c >= u'a' && c <= u'z') c = c - u'a' + u'A';
    char16_t w = ascii_word[i];
    if (w >= u'a' && w <= u'z') w = w - u'a' + u'A';
    if (c != w) return false;
  }
  return true;
}

// A Currency amount rounded half to even to a whole number.
std::int64_t RoundCurrency(std::int64_t ten_thousandths) {
  std::int64_t q = ten_thousandths / kCurrencyScale;
  const std::int64_t r = ten_thousandths % kCurrencyScale;
  const std::int64_t half = kCurrencyScale / 2;
  if (r > half || (r == half && (q & 1))) ++q;
  if (r < -half || (r == -half && (q & 1))) --q;
  return q;
}

// Any value as a number, whole or not: the common step of the C* functions.
double NumberOf(const Value& v) {
  switch (v.type()) {
    case Subtype::Empty:
      return 0;
    case Subtype::Null:
      ThrowRuntime(err::kInvalidUseOfNull);
    case Subtype::Boolean:
    case Subtype::Byte:
    case Subtype::Integer:
    case Subtype::Long:
      return static_cast<double>(v.whole());
    case Subtype::Currency:
      return static_cast<double>(v.whole()) / kCurrencyScale;
    case Subtype::Date:
    case Subtype::Double:
      return v.real();
    case Subtype::String: {
      if (auto d = ParseNumber(v.string())) return *d;
      ThrowRuntime(err::kTypeMismatch);
    }
    case Subtype::Object:
      return NumberOf(Dereference(v));
  }
  ThrowRuntime(err::kTypeMismatch);
}

std::int64_t WholeIn(const Value& v, std::int64_t lo, std::int64_t hi) {
  std::int64_t n;
  if (v.type() == Subtype::Currency) {
    n = RoundCurrency(v.whole());
  } else if (v.IsWhole()) {
    n = v.whole();
  } else {
    const double d = RoundHalfEven(NumberOf(v));
    if (!(d >= static_cast<double>(lo) && d <= static_cast<double>(hi)))
      ThrowRuntime(err::kOverflow);
    n = static_cast<std::int64_t>(d);
  }
  if (n < lo || n > hi) ThrowRuntime(err::kOverflow);
  return n;
}

std::u16string Decimal(std::int64_t n) { return Ascii(std::to_string(n)); }

void CivilFromDays(std::int64_t z, std::int64_t& y, unsigned& m, unsigned& d) {
  // Days since 1970-01-01 to a proleptic Gregorian date.
  z += 719468;
  const std::int64_t era = (z >= 0 ? z : z - 146096) / 146097;
  const unsigned doe = static_cast<unsigned>(z - era * 146097);
  const unsigned yoe = (doe - doe / 1460 + doe / 36524 - doe / 146096) / 365;
  y = static_cast<std::int64_t>(yoe) + era * 400;
  const unsigned doy = doe - (365 * yoe + yoe / 4 - yoe / 100);
  const unsigned mp = (5 * doy + 2) / 153;
  d = doy - (153 * mp + 2) / 5 + 1;
  m = mp < 10 ? mp + 3 : mp - 9;
  if (m <= 2) ++y;
}

}  // namespace

Value Dereference(const Value& v) {
  if (!v.IsObject()) return v;
  if (!v.object()) ThrowRuntime(err::kObjectVariableNotSet);
  return v.object()->DefaultValue();
}

std::optional<double> ParseNumber(std::u16string_view text) {
  std::size_t b = 0, e = text.size();
  while (b < e && IsBlank(text[b])) ++b;
  while (e > b && IsBlank(text[e - 1])) --e;
  text = text.substr(b, e - b);
  bool negative = false;
  if (!text.empty() && (text[0] == u'+' || text[0] == u'-')) {
    negative = text[0] == u'-';
    text.remove_prefix(1);
  }
  if (text.size() >= 2 && text[0] == u'&') {
    const char16_t radix = text[1];
    int base = 0;
    if (radix == u'H' || radix == u'h') base = 16;
    if (radix == u'O' || radix == u'o') base = 8;
    if (base == 0) return std::nullopt;
    const auto r = ReadRadix(text.substr(2), base);
    if (!r) return std::nullopt;
    return negative ? -static_cast<double>(r->value) : static_cast<double>(r->value);
  }
  std::string ascii;
  ascii.reserve(text.size());
  for (char16_t c : text) {
    if (c > 0x7F) return std::nullopt;
    ascii.push_back(static_cast<char>(c));
  }
  const DecimalNumber n = ReadDecimal(ascii);
  if (n.status != NumberRead::Ok) return std::nullopt;
  return negative ? -n.value : n.value;
}

double RoundHalfEven(double d) {
  const double f = std::floor(d);
  const double diff = d - f;
  if (diff > 0.5) return f + 1;
  if (diff < 0.5) return f;
  return std::fmod(f, 2.0) == 0 ? f : f + 1;
}

double ToDouble(const Value& v) { return NumberOf(v); }

std::int32_t ToLong(const Value& v) {
  return static_cast<std::int32_t>(WholeIn(v, INT32_MIN, INT32_MAX));
}

std::int16_t ToInteger(const Value& v) {
  return static_cast<std::int16_t>(WholeIn(v, INT16_MIN, INT16_MAX));
}

std::uint8_t ToByte(const Value& v) { return static_cast<std::uint8_t>(WholeIn(v, 0, 255)); }

std::int64_t ToCurrency(const Value& v) {
  if (v.type() == Subtype::Currency) return v.whole();
  if (v.IsWhole()) return v.whole() * kCurrencyScale;
  return CurrencyFromDouble(NumberOf(v));
}

std::int64_t CurrencyFromDouble(double amount) {
  // Scaled in Double arithmetic, as Round scales (Round(0.12345, 4) is 0.1234).
  const double scaled = RoundHalfEven(amount * kCurrencyScale);
  if (!(std::fabs(scaled) < 9223372036854775808.0)) ThrowRuntime(err::kOverflow);  // 2^63
  return static_cast<std::int64_t>(scaled);
}

bool ToBoolean(const Value& v) {
  switch (v.type()) {
    case Subtype::Empty:
      return false;
    case Subtype::Null:
      ThrowRuntime(err::kInvalidUseOfNull);
    case Subtype::String: {
      if (EqualsIgnoringCase(v.string(), u"True")) return true;
      if (EqualsIgnoringCase(v.string(), u"False")) return false;
      if (auto d = ParseNumber(v.string())) return *d != 0;
      ThrowRuntime(err::kTypeMismatch);
    }
    case Subtype::Object:
      return ToBoolean(Dereference(v));
    default:
      return v.IsWhole() ? v.whole() != 0 : v.real() != 0;
  }
}

std::u16string ToString(const Value& v) {
  switch (v.type()) {
    case Subtype::Empty:
      return {};
    case Subtype::Null:
      ThrowRuntime(err::kInvalidUseOfNull);
    case Subtype::Boolean:
      return v.boolean() ? u"True" : u"False";
    case Subtype::Byte:
    case Subtype::Integer:
    case Subtype::Long:
      return Decimal(v.whole());
    case Subtype::Currency:
      return FormatCurrency(v.whole());
    case Subtype::Date:
      return FormatDate(v.real());
    case Subtype::Double:
      return FormatDouble(v.real());
    case Subtype::String:
      return v.string();
    case Subtype::Object:
      return ToString(Dereference(v));
  }
  return {};
}

std::u16string FormatDouble(double d) {
  if (d == 0) return u"0";  // also -0
  if (!std::isfinite(d)) return std::isnan(d) ? u"NaN" : (d > 0 ? u"Infinity" : u"-Infinity");
  // "%.14e" rounds to 15 significant digits: d.dddddddddddddde±x.
  char buf[40];
  std::snprintf(buf, sizeof buf, "%.14e", d);
  const char* p = buf;
  std::u16string out;
  if (*p == '-') {
    out += u'-';
    ++p;
  }
  std::string digits;
  for (; *p != 'e'; ++p)
    if (*p != '.') digits += *p;
  const int exponent = std::atoi(p + 1);
  while (digits.size() > 1 && digits.back() == '0') digits.pop_back();

  if (exponent < -4 || exponent >= 15) {
    out += static_cast<char16_t>(digits[0]);
    if (digits.size() > 1) {
      out += u'.';
      out += Ascii(std::string_view(digits).substr(1));
    }
    char exp[16];
    std::snprintf(exp, sizeof exp, "E%c%02d", exponent < 0 ? '-' : '+', std::abs(exponent));
    out += Ascii(exp);
  } else if (exponent >= 0) {
    const std::size_t whole = static_cast<std::size_t>(exponent) + 1;
    if (digits.size() <= whole) {
      out += Ascii(digits);
      out.append(whole - digits.size(), u'0');
    } else {
      out += Ascii(std::string_view(digits).substr(0, whole));
      out += u'.';
      out += Ascii(std::string_view(digits).substr(whole));
    }
  } else {
    out += u"0.";
    out.append(static_cast<std::size_t>(-exponent - 1), u'0');
    out += Ascii(digits);
  }
  return out;
}

std::u16string FormatCurrency(std::int64_t ten_thousandths) {
  std::u16string out;
  std::uint64_t magnitude = ten_thousandths < 0 ? 0 - static_cast<std::uint64_t>(ten_thousandths)
                                                : static_cast<std::uint64_t>(ten_thousandths);
  if (ten_thousandths < 0) out += u'-';
  out += Ascii(std::to_string(magnitude / kCurrencyScale));
  std::uint64_t fraction = magnitude % kCurrencyScale;
  if (fraction != 0) {
    std::string f = std::to_string(fraction + kCurrencyScale).substr(1);
    while (f.back() == '0') f.pop_back();
    out += u'.';
    out += Ascii(f);
  }
  return out;
}

std::u16string FormatDate(double automation_date) {
  // The whole part counts days from 1899-12-30, the fraction is the time of
  // day whatever the sign of the date.
  // Beyond the years 100 to 9999 a date has no calendar form here.
  if (!(automation_date >= -657434.0 && automation_date < 2958466.0))
    return FormatDouble(automation_date);
  const double whole = std::trunc(automation_date);
  const double fraction = std::fabs(automation_date - whole);
  std::int64_t days = static_cast<std::int64_t>(whole);
  std::int64_t seconds = static_cast<std::int64_t>(std::llround(fraction * 86400.0));
  if (seconds >= 86400) {
    seconds -= 86400;
    days += automation_date < 0 ? -1 : 1;
  }
  char buf[64];
  std::u16string out;
  if (days != 0 || seconds == 0) {
    std::int64_t y;
    unsigned m, d;
    CivilFromDays(days - 25569, y, m, d);  // 25569 days from 1899-12-30 to 1970-01-01
    std::snprintf(buf, sizeof buf, "%lld/%u/%u", static_cast<long long>(y), m, d);
    out += Ascii(buf);
  }
  if (seconds != 0) {
    if (!out.empty()) out += u' ';
    std::snprintf(buf, sizeof buf, "%lld:%02lld:%02lld", static_cast<long long>(seconds / 3600),
                  static_cast<long long>(seconds / 60 % 60), static_cast<long long>(seconds % 60));
    out += Ascii(buf);
  }
  return out;
}

std::u16string_view TypeName(const Value& v) {
  switch (v.type()) {
    case Subtype::Empty:
      return u"Empty";
    case Subtype::Null:
      return u"Null";
    case Subtype::Boolean:
      return u"Boolean";
    case Subtype::Byte:
      return u"Byte";
    case Subtype::Integer:
      return u"Integer";
    case Subtype::Long:
      return u"Long";
    case Subtype::Currency:
      return u"Currency";
    case Subtype::Date:
      return u"Date";
    case Subtype::Double:
      return u"Double";
    case Subtype::String:
      return u"String";
    case Subtype::Object:
      return v.object() ? u"Object" : u"Nothing";
  }
  return u"Unknown";
}

int VarType(const Value& v) {
  switch (v.type()) {
    case Subtype::Empty:
      return 0;
    case Subtype::Null:
      return 1;
    case Subtype::Integer:
      return 2;
    case Subtype::Long:
      return 3;
    case Subtype::Double:
      return 5;
    case Subtype::Currency:
      return 6;
    case Subtype::Date:
      return 7;
    case Subtype::String:
      return 8;
    case Subtype::Object:
      return 9;
    case Subtype::Boolean:
      return 11;
    case Subtype::Byte:
      return 17;
  }
  return 0;
}

}  // namespace vbs
