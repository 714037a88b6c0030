#pragma once
// The script engine a rule is evaluated with: the class registered under the
// ProgID "MSScriptControl.ScriptControl", reached late-bound through its
// IDispatch, its "Language" set to "VBScript". One engine per evaluation; it
// is released with the object.
//
//   ScriptEngine engine;                     // throws com::ComError
//   std::string verdict = engine.Eval("5+7=12");   // "True"; throws ScriptFailure
#include <stdexcept>
#include <string>
#include <string_view>

#include "com/com_ptr.h"
#include "com/dispatch.h"

namespace velmora {

// The engine could not evaluate an expression (a syntax error, a division by
// zero, an overflow, a type mismatch, a result that has no text). The
// message is the engine's description (GBK).
class ScriptFailure : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

class ScriptEngine {
 public:
  // Creates the engine by its ProgID and sets its language; a failure of
  // either throws com::ComError with the description the call left.
  ScriptEngine();

  // The result of the expression (GBK) as text: a Boolean "True" or
  // "False", a number its decimal text, Empty and Null the empty text.
  std::string Eval(std::string_view expression) const;

 private:
  com::ComPtr<com::IDispatch> control_;
  com::DISPID eval_id_ = com::DISPID_UNKNOWN;
};

}  // namespace velmora
