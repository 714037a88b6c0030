#include "validation/lint/parse_check.h"

#include "com/error_info.h"

namespace velmora::lint {

namespace {

// The source the engine gives the errors it finds before evaluating anything.
constexpr std::u16string_view kCompilationSource = u"Microsoft VBScript compilation error";

}  // namespace

std::optional<std::string> CompilationError(ScriptEngines& engines, std::string_view expression) {
  const ScriptEngine engine = engines.New();
  com::SetErrorInfo(0, nullptr);  // no earlier call's error is taken for this one's
  try {
    engine.Eval(expression);
    return std::nullopt;
  } catch (const ScriptFailure& failure) {
    // The engine leaves its error, with its source, as the thread's error
    // information as well.
    const com::ComError error = com::ComError::FromLastCall(com::E_FAIL);
    if (error.Source() != kCompilationSource) return std::nullopt;
    return failure.what();
  }
}

}  // namespace velmora::lint
