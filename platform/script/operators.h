#pragma once
// VBScript's operators on Variants.
//
// Arithmetic widens instead of overflowing: a Byte result that does not fit
// becomes an Integer, an Integer a Long, a Long a Double; only a Double or a
// Currency out of range raises "Overflow". "/" and "^" give a Double; "\" and
// Mod round their operands half to even to whole numbers first. Booleans are
// -1 and 0. Null in an operand makes the result Null (except where And, Or
// and Imp decide without it). Comparisons of a number with a string follow
// the language reference: the number is less than the string.
#include "value.h"

namespace vbs {

enum class BinaryOp : std::uint8_t {
  Power,
  Multiply,
  Divide,
  IntDivide,
  Mod,
  Add,
  Subtract,
  Concat,
  Equal,
  NotEqual,
  Less,
  Greater,
  LessEqual,
  GreaterEqual,
  Is,
  And,
  Or,
  Xor,
  Eqv,
  Imp,
};
enum class UnaryOp : std::uint8_t { Negate, Plus, Not };

Value Apply(BinaryOp op, const Value& a, const Value& b);
Value Apply(UnaryOp op, const Value& a);

}  // namespace vbs
