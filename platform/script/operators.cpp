#include "operators.h"

#include <cmath>
#include <cstdint>
#include <optional>

#include "convert.h"
#include "error.h"

namespace vbs {
namespace {

using Int128 = __int128;
constexpr std::int64_t kCurrencyScale = 10000;

// The arithmetic type of an operand, from narrow to wide. Date is kept apart:
// it only matters for + and -.
enum class Rank : std::uint8_t { Byte, Integer, Long, Double, Currency, Date };

struct Number {
  Rank rank;
  std::int64_t whole = 0;  // Byte, Integer, Long; Currency in ten-thousandths
  double real = 0;         // Double, Date
  double AsDouble() const {
    if (rank == Rank::Currency) return static_cast<double>(whole) / kCurrencyScale;
    return rank == Rank::Double || rank == Rank::Date ? real : static_cast<double>(whole);
  }
};

Number ArithmeticOperand(const Value& v) {
  switch (v.type()) {
    case Subtype::Empty:
      return {Rank::Integer};
    case Subtype::Boolean:
    case Subtype::Integer:
      return {Rank::Integer, v.whole()};
    case Subtype::Byte:
      return {Rank::Byte, v.whole()};
    case Subtype::Long:
      return {Rank::Long, v.whole()};
    case Subtype::Currency:
      return {Rank::Currency, v.whole()};
    case Subtype::Double:
      return {Rank::Double, 0, v.real()};
    case Subtype::Date:
      return {Rank::Date, 0, v.real()};
    case Subtype::String: {
      if (auto d = ParseNumber(v.string())) return {Rank::Double, 0, *d};
      ThrowRuntime(err::kTypeMismatch);
    }
    case Subtype::Object:
      return ArithmeticOperand(Dereference(v));
    case Subtype::Null:
      break;  // callers handle Null first
  }
  ThrowRuntime(err::kTypeMismatch);
}

// The narrowest type at least as wide as `rank` that holds n.
Value FitWhole(std::int64_t n, Rank rank) {
  if (rank == Rank::Byte && n >= 0 && n <= 255) return Value::Byte(static_cast<std::uint8_t>(n));
  if (rank <= Rank::Integer && n >= INT16_MIN && n <= INT16_MAX)
    return Value::Integer(static_cast<std::int16_t>(n));
  if (n >= INT32_MIN && n <= INT32_MAX) return Value::Long(static_cast<std::int32_t>(n));
  return Value::Double(static_cast<double>(n));
}

Value FitDouble(double d) {
  if (!std::isfinite(d)) ThrowRuntime(err::kOverflow);
  return Value::Double(d);
}

Value FitDate(double d) {
  if (!std::isfinite(d)) ThrowRuntime(err::kOverflow);
  return Value::Date(d);
}

Value FitCurrency(Int128 ten_thousandths) {
  if (ten_thousandths < INT64_MIN || ten_thousandths > INT64_MAX) ThrowRuntime(err::kOverflow);
  return Value::Currency(static_cast<std::int64_t>(ten_thousandths));
}

Int128 ScaledCurrency(const Number& n) {
  return n.rank == Rank::Currency ? Int128(n.whole) : Int128(n.whole) * kCurrencyScale;
}

// +, - and * once both operands are numbers.
Value Arithmetic(BinaryOp op, const Number& a, const Number& b) {
  const Rank rank = a.rank > b.rank ? a.rank : b.rank;
  if (rank == Rank::Date && op != BinaryOp::Multiply) {
    const double x = a.AsDouble(), y = b.AsDouble();
    if (op == BinaryOp::Add) return FitDate(x + y);
    if (a.rank == Rank::Date && b.rank == Rank::Date) return FitDouble(x - y);
    return FitDate(x - y);
  }
  if (rank <= Rank::Long) {
    const std::int64_t x = a.whole, y = b.whole;
    switch (op) {
      case BinaryOp::Add:
        return FitWhole(x + y, rank);
      case BinaryOp::Subtract:
        return FitWhole(x - y, rank);
      default:
        return FitWhole(x * y, rank);
    }
  }
  const bool has_real = a.rank == Rank::Double || a.rank == Rank::Date || b.rank == Rank::Double ||
                        b.rank == Rank::Date;
  if (rank == Rank::Currency && !has_real) {
    const Int128 x = ScaledCurrency(a), y = ScaledCurrency(b);
    switch (op) {
      case BinaryOp::Add:
        return FitCurrency(x + y);
      case BinaryOp::Subtract:
        return FitCurrency(x - y);
      default: {
        Int128 p = x * y;
        Int128 q = p / kCurrencyScale, r = p % kCurrencyScale;
        if (r < 0) r = -r;
        if (r * 2 > kCurrencyScale || (r * 2 == kCurrencyScale && (q & 1))) q += p < 0 ? -1 : 1;
        return FitCurrency(q);
      }
    }
  }
  const double x = a.AsDouble(), y = b.AsDouble();
  const double r = op == BinaryOp::Add ? x + y : op == BinaryOp::Subtract ? x - y : x * y;
  return rank == Rank::Currency ? Value::Currency(CurrencyFromDouble(r)) : FitDouble(r);
}

Value Add(const Value& a0, const Value& b0) {
  const Value a = Dereference(a0), b = Dereference(b0);
  if (a.IsNull() || b.IsNull()) return Value::Null();
  if (a.IsEmpty() && b.IsEmpty()) return Value::Integer(0);
  if (a.IsEmpty()) return b;
  if (b.IsEmpty()) return a;
  if (a.IsString() && b.IsString()) return Value::String(a.string() + b.string());
  return Arithmetic(BinaryOp::Add, ArithmeticOperand(a), ArithmeticOperand(b));
}

double DoubleOperand(const Value& v) { return ArithmeticOperand(v).AsDouble(); }

Value Divide(const Value& a0, const Value& b0) {
  const Value a = Dereference(a0), b = Dereference(b0);
  if (a.IsNull() || b.IsNull()) return Value::Null();
  const double x = DoubleOperand(a), y = DoubleOperand(b);
  // 0/0 has no value at all: VBScript reports it as an overflow.
  if (y == 0) ThrowRuntime(x == 0 ? err::kOverflow : err::kDivisionByZero);
  return FitDouble(x / y);
}

Value Power(const Value& a0, const Value& b0) {
  const Value a = Dereference(a0), b = Dereference(b0);
  if (a.IsNull() || b.IsNull()) return Value::Null();
  const double x = DoubleOperand(a), y = DoubleOperand(b);
  if (x < 0 && y != std::floor(y)) ThrowRuntime(err::kInvalidProcedureCall);
  // Not verified against Windows: 0 raised to a negative power is reported
  // as a division by zero, which is what it amounts to.
  if (x == 0 && y < 0) ThrowRuntime(err::kDivisionByZero);
  return FitDouble(std::pow(x, y));
}

// An operand of \, Mod and the bitwise operators: a whole number of at most
// 32 bits, rounded half to even from anything wider.
struct WholeOperand {
  Rank rank;  // Byte, Integer or Long
  std::int64_t value;
};

WholeOperand WholeOperandOf(const Value& v) {
  switch (v.type()) {
    case Subtype::Empty:
      return {Rank::Integer, 0};
    case Subtype::Boolean:
    case Subtype::Integer:
      return {Rank::Integer, v.whole()};
    case Subtype::Byte:
      return {Rank::Byte, v.whole()};
    case Subtype::Long:
      return {Rank::Long, v.whole()};
    case Subtype::Object:
      return WholeOperandOf(Dereference(v));
    default:
      return {Rank::Long, ToLong(v)};
  }
}

Rank Wider(Rank a, Rank b) { return a > b ? a : b; }

Value IntegerDivision(BinaryOp op, const Value& a0, const Value& b0) {
  const Value a = Dereference(a0), b = Dereference(b0);
  if (a.IsNull() || b.IsNull()) return Value::Null();
  const WholeOperand x = WholeOperandOf(a), y = WholeOperandOf(b);
  if (y.value == 0) ThrowRuntime(err::kDivisionByZero);
  const std::int64_t r = op == BinaryOp::IntDivide ? x.value / y.value : x.value % y.value;
  if (r > INT32_MAX) ThrowRuntime(err::kOverflow);  // only -2147483648 \ -1
  return FitWhole(r, Wider(x.rank, y.rank));
}

// -1 and 0 for Booleans, the bits of the rank for numbers.
Value TypedBits(std::int64_t bits, Rank rank) {
  switch (rank) {
    case Rank::Byte:
      return Value::Byte(static_cast<std::uint8_t>(bits & 0xFF));
    case Rank::Integer:
      return Value::Integer(static_cast<std::int16_t>(bits & 0xFFFF));
    default:
      return Value::Long(static_cast<std::int32_t>(bits & 0xFFFFFFFF));
  }
}

std::int64_t AllOnes(Rank rank) { return rank == Rank::Byte ? 0xFF : -1; }

bool IsZero(const Value& v) {
  return v.type() == Subtype::Boolean ? !v.boolean() : WholeOperandOf(v).value == 0;
}

bool IsAllOnes(const Value& v) {
  if (v.type() == Subtype::Boolean) return v.boolean();
  const WholeOperand w = WholeOperandOf(v);
  return w.value == AllOnes(w.rank);
}

// `v` itself as the result of a logical operator: a Boolean stays Boolean.
Value AsLogical(const Value& v) {
  if (v.type() == Subtype::Boolean) return v;
  const WholeOperand w = WholeOperandOf(v);
  return TypedBits(w.value, w.rank);
}

Value TrueLike(const Value& v) {
  if (v.type() == Subtype::Boolean) return Value::Boolean(true);
  return TypedBits(-1, WholeOperandOf(v).rank);
}

std::int64_t Bitwise(BinaryOp op, std::int64_t x, std::int64_t y) {
  switch (op) {
    case BinaryOp::And:
      return x & y;
    case BinaryOp::Or:
      return x | y;
    case BinaryOp::Xor:
      return x ^ y;
    case BinaryOp::Eqv:
      return ~(x ^ y);
    default:
      return ~x | y;  // Imp
  }
}

// And, Or, Xor, Eqv and Imp with Null on one side or both, as the language
// reference's tables give them: And with False is False, Or with True is
// True, False Imp anything and anything Imp True are True; the rest is Null.
Value LogicalWithNull(BinaryOp op, const Value& a, const Value& b) {
  const bool a_null = a.IsNull(), b_null = b.IsNull();
  const Value& other = a_null ? b : a;
  if (a_null && b_null) return Value::Null();
  switch (op) {
    case BinaryOp::And:
      return IsZero(other) ? AsLogical(other) : Value::Null();
    case BinaryOp::Or:
      return IsAllOnes(other) ? AsLogical(other) : Value::Null();
    case BinaryOp::Imp:
      if (a_null) return IsAllOnes(b) ? AsLogical(b) : Value::Null();
      return IsZero(a) ? TrueLike(a) : Value::Null();
    default:
      return Value::Null();
  }
}

Value Logical(BinaryOp op, const Value& a0, const Value& b0) {
  const Value a = Dereference(a0), b = Dereference(b0);
  if (a.IsNull() || b.IsNull()) return LogicalWithNull(op, a, b);
  if (a.type() == Subtype::Boolean && b.type() == Subtype::Boolean)
    return Value::Boolean(Bitwise(op, a.whole(), b.whole()) & 1);
  const WholeOperand x = WholeOperandOf(a), y = WholeOperandOf(b);
  return TypedBits(Bitwise(op, x.value, y.value), Wider(x.rank, y.rank));
}

int CompareStrings(const std::u16string& a, const std::u16string& b) {
  const int c = a.compare(b);
  return c < 0 ? -1 : c > 0 ? 1 : 0;
}

template <typename T>
int Sign(T a, T b) {
  return a < b ? -1 : a > b ? 1 : 0;
}

// -1, 0 or 1; nothing when an operand is Null.
std::optional<int> Compare(const Value& a0, const Value& b0) {
  const Value a = Dereference(a0), b = Dereference(b0);
  if (a.IsNull() || b.IsNull()) return std::nullopt;
  if (a.IsString() || b.IsString()) {
    if (a.IsString() && b.IsString()) return CompareStrings(a.string(), b.string());
    if (a.IsEmpty()) return CompareStrings(std::u16string(), b.string());
    if (b.IsEmpty()) return CompareStrings(a.string(), std::u16string());
    // Not verified against Windows, where a literal operand is said to be
    // converted; the language reference says that a number is less than
    // a string, and that is what is done.
    return a.IsString() ? 1 : -1;
  }
  const Number x = ArithmeticOperand(a), y = ArithmeticOperand(b);
  if (x.rank <= Rank::Long && y.rank <= Rank::Long) return Sign(x.whole, y.whole);
  if ((x.rank <= Rank::Long || x.rank == Rank::Currency) &&
      (y.rank <= Rank::Long || y.rank == Rank::Currency))
    return Sign(ScaledCurrency(x), ScaledCurrency(y));
  return Sign(x.AsDouble(), y.AsDouble());
}

Value Comparison(BinaryOp op, const Value& a, const Value& b) {
  const std::optional<int> c = Compare(a, b);
  if (!c) return Value::Null();
  switch (op) {
    case BinaryOp::Equal:
      return Value::Boolean(*c == 0);
    case BinaryOp::NotEqual:
      return Value::Boolean(*c != 0);
    case BinaryOp::Less:
      return Value::Boolean(*c < 0);
    case BinaryOp::Greater:
      return Value::Boolean(*c > 0);
    case BinaryOp::LessEqual:
      return Value::Boolean(*c <= 0);
    default:
      return Value::Boolean(*c >= 0);
  }
}

Value Is(const Value& a, const Value& b) {
  if (!a.IsObject() || !b.IsObject()) ThrowRuntime(err::kObjectRequired);
  if (!a.object() || !b.object()) return Value::Boolean(!a.object() && !b.object());
  return Value::Boolean(a.object()->Is(*b.object()));
}

Value Concat(const Value& a0, const Value& b0) {
  const Value a = Dereference(a0), b = Dereference(b0);
  if (a.IsNull() && b.IsNull()) return Value::Null();
  std::u16string s = a.IsNull() ? std::u16string() : ToString(a);
  if (!b.IsNull()) s += ToString(b);
  return Value::String(std::move(s));
}

Value Negate(const Value& v0) {
  const Value v = Dereference(v0);
  if (v.IsNull()) return Value::Null();
  const Number n = ArithmeticOperand(v);
  switch (n.rank) {
    case Rank::Byte:
    case Rank::Integer:
      return FitWhole(-n.whole, Rank::Integer);
    case Rank::Long:
      return FitWhole(-n.whole, Rank::Long);
    case Rank::Currency:
      return FitCurrency(-Int128(n.whole));
    case Rank::Date:
      return Value::Date(-n.real);
    default:
      return Value::Double(-n.real);
  }
}

Value Not(const Value& v0) {
  const Value v = Dereference(v0);
  if (v.IsNull()) return Value::Null();
  if (v.type() == Subtype::Boolean) return Value::Boolean(!v.boolean());
  const WholeOperand w = WholeOperandOf(v);
  return TypedBits(~w.value, w.rank);
}

}  // namespace

Value Apply(BinaryOp op, const Value& a, const Value& b) {
  switch (op) {
    case BinaryOp::Power:
      return Power(a, b);
    case BinaryOp::Divide:
      return Divide(a, b);
    case BinaryOp::IntDivide:
    case BinaryOp::Mod:
      return IntegerDivision(op, a, b);
    case BinaryOp::Add:
      return Add(a, b);
    case BinaryOp::Subtract:
    case BinaryOp::Multiply: {
      const Value x = Dereference(a), y = Dereference(b);
      if (x.IsNull() || y.IsNull()) return Value::Null();
      return Arithmetic(op, ArithmeticOperand(x), ArithmeticOperand(y));
    }
    case BinaryOp::Concat:
      return Concat(a, b);
    case BinaryOp::Is:
      return Is(a, b);
    case BinaryOp::And:
    case BinaryOp::Or:
    case BinaryOp::Xor:
    case BinaryOp::Eqv:
    case BinaryOp::Imp:
      return Logical(op, a, b);
    default:
      return Comparison(op, a, b);
  }
}

Value Apply(UnaryOp op, const Value& a) {
  switch (op) {
    case UnaryOp::Negate:
      return Negate(a);
    case UnaryOp::Not:
      return Not(a);
    case UnaryOp::Plus:
      return Dereference(a);
  }
  return a;
}

}  // namespace vbs
