#pragma once
// Whether the script engine can parse an expression: it is evaluated by a
// new engine, as the validator evaluates a rule, and only a compilation
// error of the engine counts (a syntax error, an unexpected or missing
// token, an invalid character, an unterminated string). An error raised
// while evaluating (a division by zero or a type mismatch on the sample
// values) means the expression parsed.
#include <optional>
#include <string>
#include <string_view>

#include "validation/script_engine.h"

namespace velmora::lint {

// The engine's description of the compilation error (GBK); nothing when the
// expression parses. An engine that cannot be created throws com::ComError.
std::optional<std::string> CompilationError(ScriptEngines& engines, std::string_view expression);

}  // namespace velmora::lint
