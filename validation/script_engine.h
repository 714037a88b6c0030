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
#include "com/unknown.h"

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
  // Creates the engine from the class object of that ProgID.
  explicit ScriptEngine(com::IClassFactory& factory);

  // The result of the expression (GBK) as text: a Boolean "True" or
  // "False", a number its decimal text, Empty and Null the empty text.
  std::string Eval(std::string_view expression) const;

 private:
  void SetLanguage();
  com::ComPtr<com::IDispatch> control_;
  com::DISPID eval_id_ = com::DISPID_UNKNOWN;
};

// The engines of one validation run: the class object of the ProgID is
// looked up (through the registry) when the first engine is needed and kept
// for the run; every evaluation still gets an engine of its own. A failed
// look-up is tried again for the next engine.
class ScriptEngines {
 public:
  ScriptEngine New();

 private:
  com::ComPtr<com::IClassFactory> factory_;
};

}  // namespace velmora
