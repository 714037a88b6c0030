#include "engine.h"

#include <span>

namespace vbs {

Value Engine::Eval(std::u16string_view expression) {
  Compile(expression, program_);
  return Run();
}

Value Engine::Run() {
  stack_.clear();
  for (const Instruction& i : program_.code) {
    switch (i.op) {
      case OpCode::PushConstant:
        stack_.push_back(program_.constants[i.a]);
        break;
      case OpCode::PushEmpty:
        stack_.emplace_back();
        break;
      case OpCode::CallBuiltin: {
        const Builtin& builtin = *program_.builtins[i.a];
        if (i.b < builtin.min_args || i.b > builtin.max_args)
          ThrowRuntime(err::kWrongArgumentCount, builtin.name);
        const std::size_t first = stack_.size() - i.b;
        Value result =
            builtin.call(std::span<const Value>(stack_.data() + first, i.b), create_object_);
        stack_.resize(first);
        stack_.push_back(std::move(result));
        break;
      }
      case OpCode::CallUnknown:
        ThrowRuntime(err::kTypeMismatch, program_.names[i.a]);
      case OpCode::Member: {
        const std::size_t first = stack_.size() - i.b;
        const Value& target = stack_[first - 1];
        if (!target.IsObject() || !target.object())
          ThrowRuntime(err::kObjectRequired, program_.names[i.a]);
        Value result = target.object()->Invoke(program_.names[i.a],
                                               std::span<const Value>(stack_.data() + first, i.b));
        stack_.resize(first - 1);
        stack_.push_back(std::move(result));
        break;
      }
      case OpCode::Unary:
        stack_.back() = Apply(i.unary, stack_.back());
        break;
      case OpCode::Binary: {
        Value result = Apply(i.binary, stack_[stack_.size() - 2], stack_.back());
        stack_.pop_back();
        stack_.back() = std::move(result);
        break;
      }
    }
  }
  Value result = std::move(stack_.back());
  stack_.clear();
  return result;
}

}  // namespace vbs
