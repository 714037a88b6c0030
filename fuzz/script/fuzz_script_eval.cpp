// Any byte sequence, read as GBK text as the validator hands it over, gives
// the engine's result or its error; nothing else may happen.
#include <cstddef>
#include <cstdint>
#include <string_view>

#include "platform/win/code_page.h"
#include "script/convert.h"
#include "script/engine.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  static vbs::Engine engine;
  const std::u16string expression =
      win::AnsiToWide(std::string_view(reinterpret_cast<const char*>(data), size));
  try {
    const vbs::Value result = engine.Eval(expression);
    if (!result.IsNull() && !result.IsObject()) (void)vbs::ToString(result);
  } catch (const vbs::ScriptError& e) {
    if (e.number() == 0 || e.description().empty()) __builtin_trap();
  }
  return 0;
}
