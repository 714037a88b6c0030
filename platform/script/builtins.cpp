#include "builtins.h"

#include <cmath>
#include <string>

#include "convert.h"
#include "error.h"
#include "operators.h"

namespace vbs {
namespace {

using Args = std::span<const Value>;

constexpr std::int64_t kCurrencyScale = 10000;

// A numeric argument with Empty as Integer 0, Booleans as Integers and
// numeric strings as Doubles; Null stays Null.
Value NumericOf(const Value& v0) {
  const Value v = Dereference(v0);
  switch (v.type()) {
    case Subtype::Empty:
      return Value::Integer(0);
    case Subtype::Boolean:
      return Value::Integer(static_cast<std::int16_t>(v.whole()));
    case Subtype::String:
      return Value::Double(ToDouble(v));
    default:
      return v;
  }
}

bool IsNegative(const Value& n) { return n.IsWhole() ? n.whole() < 0 : n.real() < 0; }

// Floor or truncation of a numeric argument, keeping its subtype.
template <double (*Fn)(double)>
Value WholePart(const Value& v) {
  const Value n = NumericOf(v);
  switch (n.type()) {
    case Subtype::Null:
      return n;
    case Subtype::Currency: {
      const double whole = Fn(static_cast<double>(n.whole()) / kCurrencyScale);
      return Value::Currency(static_cast<std::int64_t>(whole) * kCurrencyScale);
    }
    case Subtype::Double:
      return Value::Double(Fn(n.real()));
    case Subtype::Date:
      return Value::Date(Fn(n.real()));
    default:
      return n;
  }
}

std::u16string Text(const Value& v) { return ToString(Dereference(v)); }

std::int32_t Count(const Value& v) {
  const std::int32_t n = ToLong(v);
  if (n < 0) ThrowRuntime(err::kInvalidProcedureCall);
  return n;
}

char16_t Upper(char16_t c) {
  if (c >= u'a' && c <= u'z') return c - u'a' + u'A';
  if ((c >= 0xE0 && c <= 0xFE && c != 0xF7)) return c - 0x20;
  return c;
}
char16_t Lower(char16_t c) {
  if (c >= u'A' && c <= u'Z') return c - u'A' + u'a';
  if ((c >= 0xC0 && c <= 0xDE && c != 0xD7)) return c + 0x20;
  return c;
}

template <char16_t (*Fn)(char16_t)>
Value MapChars(const Value& v) {
  if (Dereference(v).IsNull()) return Value::Null();
  std::u16string s = Text(v);
  for (auto& c : s) c = Fn(c);
  return Value::String(std::move(s));
}

Value Trimmed(const Value& v, bool left, bool right) {
  if (Dereference(v).IsNull()) return Value::Null();
  const std::u16string s = Text(v);
  std::size_t b = 0, e = s.size();
  if (left)
    while (b < e && s[b] == u' ') ++b;
  if (right)
    while (e > b && s[e - 1] == u' ') --e;
  return Value::String(s.substr(b, e - b));
}

double Real(const Value& v) { return ToDouble(Dereference(v)); }

Value CheckedDouble(double d) {
  if (!std::isfinite(d)) ThrowRuntime(err::kOverflow);
  return Value::Double(d);
}

Value Abs(Args a, const ObjectFactory&) {
  const Value n = NumericOf(a[0]);
  if (n.IsNull() || !IsNegative(n)) return n;
  return Apply(UnaryOp::Negate, n);
}

Value Int(Args a, const ObjectFactory&) { return WholePart<std::floor>(a[0]); }
Value Fix(Args a, const ObjectFactory&) { return WholePart<std::trunc>(a[0]); }

Value Round(Args a, const ObjectFactory&) {
  const Value n = NumericOf(a[0]);
  const std::int32_t places = a.size() > 1 ? ToLong(a[1]) : 0;
  if (places < 0) ThrowRuntime(err::kInvalidProcedureCall);
  if (n.IsNull()) return n;
  switch (n.type()) {
    case Subtype::Currency: {
      if (places >= 4) return n;
      const std::int64_t unit = places == 0 ? 10000 : places == 1 ? 1000 : places == 2 ? 100 : 10;
      const double q = RoundHalfEven(static_cast<double>(n.whole()) / static_cast<double>(unit));
      return Value::Currency(static_cast<std::int64_t>(q) * unit);
    }
    case Subtype::Double:
    case Subtype::Date: {
      // Not verified against Windows for a half that the binary Double cannot
      // hold exactly (Round(2.675, 2)): the Double as held is rounded.
      double d = n.real();
      if (places == 0) {
        d = RoundHalfEven(d);
      } else if (places <= 22) {
        const double scale = std::pow(10.0, places);
        const double scaled = d * scale;
        if (std::isfinite(scaled)) d = RoundHalfEven(scaled) / scale;
      }
      return n.type() == Subtype::Date ? Value::Date(d) : Value::Double(d);
    }
    default:
      return n;
  }
}

Value Sgn(Args a, const ObjectFactory&) {
  const double d = Real(a[0]);
  return Value::Integer(d > 0 ? 1 : d < 0 ? -1 : 0);
}

Value Sqr(Args a, const ObjectFactory&) {
  const double d = Real(a[0]);
  if (d < 0) ThrowRuntime(err::kInvalidProcedureCall);
  return Value::Double(std::sqrt(d));
}

Value Exp(Args a, const ObjectFactory&) { return CheckedDouble(std::exp(Real(a[0]))); }

Value Log(Args a, const ObjectFactory&) {
  const double d = Real(a[0]);
  if (d <= 0) ThrowRuntime(err::kInvalidProcedureCall);
  return Value::Double(std::log(d));
}

Value Atn(Args a, const ObjectFactory&) { return Value::Double(std::atan(Real(a[0]))); }
Value Sin(Args a, const ObjectFactory&) { return Value::Double(std::sin(Real(a[0]))); }
Value Cos(Args a, const ObjectFactory&) { return Value::Double(std::cos(Real(a[0]))); }
Value Tan(Args a, const ObjectFactory&) { return CheckedDouble(std::tan(Real(a[0]))); }

Value CInt(Args a, const ObjectFactory&) { return Value::Integer(ToInteger(Dereference(a[0]))); }
Value CLng(Args a, const ObjectFactory&) { return Value::Long(ToLong(Dereference(a[0]))); }
Value CByte(Args a, const ObjectFactory&) { return Value::Byte(ToByte(Dereference(a[0]))); }
Value CDbl(Args a, const ObjectFactory&) { return Value::Double(Real(a[0])); }
Value CCur(Args a, const ObjectFactory&) { return Value::Currency(ToCurrency(Dereference(a[0]))); }
Value CBool(Args a, const ObjectFactory&) { return Value::Boolean(ToBoolean(Dereference(a[0]))); }
Value CStr(Args a, const ObjectFactory&) { return Value::String(Text(a[0])); }

Value Len(Args a, const ObjectFactory&) {
  if (Dereference(a[0]).IsNull()) return Value::Null();
  return Value::Long(static_cast<std::int32_t>(Text(a[0]).size()));
}

Value Left(Args a, const ObjectFactory&) {
  const std::size_t n = static_cast<std::size_t>(Count(a[1]));
  if (Dereference(a[0]).IsNull()) return Value::Null();
  return Value::String(Text(a[0]).substr(0, n));
}

Value Right(Args a, const ObjectFactory&) {
  const std::size_t n = static_cast<std::size_t>(Count(a[1]));
  if (Dereference(a[0]).IsNull()) return Value::Null();
  const std::u16string s = Text(a[0]);
  return Value::String(n >= s.size() ? s : s.substr(s.size() - n));
}

Value Mid(Args a, const ObjectFactory&) {
  const std::int32_t start = ToLong(a[1]);
  if (start < 1) ThrowRuntime(err::kInvalidProcedureCall);
  const std::size_t length =
      a.size() > 2 ? static_cast<std::size_t>(Count(a[2])) : std::u16string::npos;
  if (Dereference(a[0]).IsNull()) return Value::Null();
  const std::u16string s = Text(a[0]);
  const std::size_t from = static_cast<std::size_t>(start) - 1;
  if (from >= s.size()) return Value::String({});
  return Value::String(s.substr(from, length));
}

// InStr([start, ]string1, string2[, compare]); compare 1 ignores letter case.
Value InStr(Args a, const ObjectFactory&) {
  std::int32_t start = 1;
  std::size_t first = 0;
  if (a.size() >= 3) {
    start = ToLong(a[0]);
    if (start < 1) ThrowRuntime(err::kInvalidProcedureCall);
    first = 1;
  }
  bool text_compare = false;
  if (a.size() == 4) {
    const std::int32_t compare = ToLong(a[3]);
    if (compare != 0 && compare != 1) ThrowRuntime(err::kInvalidProcedureCall);
    text_compare = compare == 1;
  }
  if (Dereference(a[first]).IsNull() || Dereference(a[first + 1]).IsNull()) return Value::Null();
  std::u16string haystack = Text(a[first]), needle = Text(a[first + 1]);
  const std::size_t from = static_cast<std::size_t>(start) - 1;
  if (from > haystack.size()) return Value::Long(0);
  if (needle.empty()) return Value::Long(start);
  if (text_compare) {
    for (auto& c : haystack) c = Upper(c);
    for (auto& c : needle) c = Upper(c);
  }
  const std::size_t at = haystack.find(needle, from);
  return Value::Long(at == std::u16string::npos ? 0 : static_cast<std::int32_t>(at + 1));
}

Value Trim(Args a, const ObjectFactory&) { return Trimmed(a[0], true, true); }
Value LTrim(Args a, const ObjectFactory&) { return Trimmed(a[0], true, false); }
Value RTrim(Args a, const ObjectFactory&) { return Trimmed(a[0], false, true); }
Value UCase(Args a, const ObjectFactory&) { return MapChars<Upper>(a[0]); }
Value LCase(Args a, const ObjectFactory&) { return MapChars<Lower>(a[0]); }

Value IsNumeric(Args a, const ObjectFactory&) {
  const Value& v = a[0];
  switch (v.type()) {
    case Subtype::Null:
    case Subtype::Date:
    case Subtype::Object:
      return Value::Boolean(false);
    case Subtype::String:
      return Value::Boolean(ParseNumber(v.string()).has_value());
    default:
      return Value::Boolean(true);
  }
}

Value IsEmpty(Args a, const ObjectFactory&) { return Value::Boolean(a[0].IsEmpty()); }
Value IsNull(Args a, const ObjectFactory&) { return Value::Boolean(a[0].IsNull()); }
Value IsObject(Args a, const ObjectFactory&) { return Value::Boolean(a[0].IsObject()); }
Value TypeNameOf(Args a, const ObjectFactory&) {
  return Value::String(std::u16string(TypeName(a[0])));
}
Value VarTypeOf(Args a, const ObjectFactory&) {
  return Value::Integer(static_cast<std::int16_t>(VarType(a[0])));
}

template <int kBitsPerDigit>
Value InRadix(Args a, const ObjectFactory&) {
  const Value n = NumericOf(a[0]);
  if (n.IsNull()) return n;
  std::uint32_t bits;
  if (n.type() == Subtype::Byte || n.type() == Subtype::Integer)
    bits = static_cast<std::uint16_t>(n.whole());
  else
    bits = static_cast<std::uint32_t>(ToLong(n));
  std::u16string out;
  do {
    const unsigned digit = bits & ((1u << kBitsPerDigit) - 1);
    out.insert(out.begin(), static_cast<char16_t>(digit < 10 ? u'0' + digit : u'A' + digit - 10));
    bits >>= kBitsPerDigit;
  } while (bits != 0);
  return Value::String(std::move(out));
}

Value CreateObject(Args a, const ObjectFactory& create_object) {
  const std::u16string prog_id = Text(a[0]);
  if (!create_object) ThrowRuntime(err::kCannotCreateObject, prog_id);
  ObjectRef object = create_object(prog_id);
  if (!object) ThrowRuntime(err::kCannotCreateObject, prog_id);
  return Value::Object(std::move(object));
}

constexpr Builtin kBuiltins[] = {
    {u"ABS", 1, 1, Abs},
    {u"ATN", 1, 1, Atn},
    {u"CBOOL", 1, 1, CBool},
    {u"CBYTE", 1, 1, CByte},
    {u"CCUR", 1, 1, CCur},
    {u"CDBL", 1, 1, CDbl},
    {u"CINT", 1, 1, CInt},
    {u"CLNG", 1, 1, CLng},
    {u"COS", 1, 1, Cos},
    {u"CREATEOBJECT", 1, 2, CreateObject},
    {u"CSTR", 1, 1, CStr},
    {u"EXP", 1, 1, Exp},
    {u"FIX", 1, 1, Fix},
    {u"HEX", 1, 1, InRadix<4>},
    {u"INSTR", 2, 4, InStr},
    {u"INT", 1, 1, Int},
    {u"ISEMPTY", 1, 1, IsEmpty},
    {u"ISNULL", 1, 1, IsNull},
    {u"ISNUMERIC", 1, 1, IsNumeric},
    {u"ISOBJECT", 1, 1, IsObject},
    {u"LCASE", 1, 1, LCase},
    {u"LEFT", 2, 2, Left},
    {u"LEN", 1, 1, Len},
    {u"LOG", 1, 1, Log},
    {u"LTRIM", 1, 1, LTrim},
    {u"MID", 2, 3, Mid},
    {u"OCT", 1, 1, InRadix<3>},
    {u"RIGHT", 2, 2, Right},
    {u"ROUND", 1, 2, Round},
    {u"RTRIM", 1, 1, RTrim},
    {u"SGN", 1, 1, Sgn},
    {u"SIN", 1, 1, Sin},
    {u"SQR", 1, 1, Sqr},
    {u"TAN", 1, 1, Tan},
    {u"TRIM", 1, 1, Trim},
    {u"TYPENAME", 1, 1, TypeNameOf},
    {u"UCASE", 1, 1, UCase},
    {u"VARTYPE", 1, 1, VarTypeOf},
};

}  // namespace

const Builtin* FindBuiltin(std::u16string_view name) {
  if (name.size() > 12) return nullptr;
  for (const Builtin& b : kBuiltins) {
    if (b.name.size() != name.size()) continue;
    bool same = true;
    for (std::size_t i = 0; i < name.size() && same; ++i) {
      char16_t c = name[i];
      if (c >= u'a' && c <= u'z') c = c - u'a' + u'A';
      same = c == b.name[i];
    }
    if (same) return &b;
  }
  return nullptr;
}

}  // namespace vbs
