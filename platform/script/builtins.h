#pragma once
// VBScript's built-in functions that expressions may call: the conversions,
// the arithmetic and string functions, the Is* tests and CreateObject.
#include <cstdint>
#include <functional>
#include <span>
#include <string_view>

#include "value.h"

namespace vbs {

// Creates the automation object of a ProgID for CreateObject; throws
// ScriptError when it cannot.
using ObjectFactory = std::function<ObjectRef(std::u16string_view prog_id)>;

struct Builtin {
  std::u16string_view name;
  std::uint8_t min_args;
  std::uint8_t max_args;
  Value (*call)(std::span<const Value> args, const ObjectFactory& create_object);
};

// The built-in function of that name in any letter case; null if none.
const Builtin* FindBuiltin(std::u16string_view name);

}  // namespace vbs
