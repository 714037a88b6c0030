#pragma once
// The VBScript expression engine: evaluates one expression at a time as
// Windows VBScript does (Variant subtypes, widening arithmetic, VBScript's
// comparisons and error numbers). No statements; "=" compares. An identifier
// that names nothing is Empty. Cheap to create; one engine is not shared
// between threads.
#include <string_view>
#include <vector>

#include "builtins.h"
#include "error.h"
#include "program.h"
#include "value.h"

namespace vbs {

class Engine {
 public:
  // `create_object` serves CreateObject; without it CreateObject fails with
  // "ActiveX component can't create object".
  explicit Engine(ObjectFactory create_object = {}) : create_object_(std::move(create_object)) {}

  // The value of the expression; throws ScriptError. A compilation error is
  // reported before any part of the expression has run.
  Value Eval(std::u16string_view expression);

 private:
  Value Run();

  ObjectFactory create_object_;
  Program program_;
  std::vector<Value> stack_;
};

}  // namespace vbs
