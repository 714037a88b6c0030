#pragma once
// A compiled expression: postfix code for a small stack machine, so that
// evaluation needs no recursion however long the expression is.
#include <cstdint>
#include <string_view>
#include <vector>

#include "builtins.h"
#include "operators.h"
#include "value.h"

namespace vbs {

enum class OpCode : std::uint8_t {
  PushConstant,  // constants[a]
  PushEmpty,     // an identifier that names nothing: Empty
  CallBuiltin,   // builtins[a] with the top b values as its arguments
  CallUnknown,   // names[a](...) with b arguments: not a function
  Member,        // (object, b arguments) -> object.names[a](arguments)
  Unary,         // unary operator `unary`
  Binary,        // binary operator `binary`
};

struct Instruction {
  OpCode op = OpCode::PushEmpty;
  std::uint32_t a = 0;
  std::uint32_t b = 0;
  BinaryOp binary = BinaryOp::Add;  // of Binary
  UnaryOp unary = UnaryOp::Plus;    // of Unary
};

struct Program {
  std::vector<Instruction> code;
  std::vector<Value> constants;
  std::vector<const Builtin*> builtins;
  // Names as written in the source, which outlives the program's use.
  std::vector<std::u16string_view> names;

  void Clear() {
    code.clear();
    constants.clear();
    builtins.clear();
    names.clear();
  }
};

// Limits that keep any input harmless: longer input is refused with "Out of
// memory", deeper nesting with "Out of stack space".
inline constexpr std::size_t kMaxExpressionLength = 1 << 20;
inline constexpr int kMaxNestingDepth = 256;

// Compiles one expression (no statements; "=" compares) into `program`,
// which is cleared first. Throws ScriptError of kind Compilation.
void Compile(std::u16string_view source, Program& program);

}  // namespace vbs
