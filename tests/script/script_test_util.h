#pragma once
// Helpers of the script engine's tests: expressions written as UTF-8 in the
// test source, results as "text", "Null" or "error N".
#include <string>
#include <string_view>

#include "script/convert.h"
#include "script/engine.h"

namespace vbs::testing {

inline std::u16string Utf16(std::string_view utf8) {
  std::u16string out;
  for (std::size_t i = 0; i < utf8.size();) {
    const unsigned char c = utf8[i];
    char32_t cp;
    int n;
    if (c < 0x80)
      cp = c, n = 1;
    else if (c < 0xE0)
      cp = c & 0x1F, n = 2;
    else if (c < 0xF0)
      cp = c & 0x0F, n = 3;
    else
      cp = c & 0x07, n = 4;
    for (int k = 1; k < n; ++k) cp = (cp << 6) | (utf8[i + k] & 0x3F);
    i += n;
    if (cp >= 0x10000) {
      cp -= 0x10000;
      out += static_cast<char16_t>(0xD800 + (cp >> 10));
      out += static_cast<char16_t>(0xDC00 + (cp & 0x3FF));
    } else {
      out += static_cast<char16_t>(cp);
    }
  }
  return out;
}

inline std::string Utf8(std::u16string_view s) {
  std::string out;
  for (char16_t c : s) {
    if (c < 0x80) {
      out += static_cast<char>(c);
    } else if (c < 0x800) {
      out += static_cast<char>(0xC0 | (c >> 6));
      out += static_cast<char>(0x80 | (c & 0x3F));
    } else {  // the tests use no characters beyond the BMP
      out += static_cast<char>(0xE0 | (c >> 12));
      out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
      out += static_cast<char>(0x80 | (c & 0x3F));
    }
  }
  return out;
}

struct Outcome {
  std::string text;       // CStr of the result, "Null", or "error N"
  std::string type_name;  // TypeName of the result; empty on error
};

inline Outcome Evaluate(Engine& engine, std::string_view expression) {
  try {
    const Value v = engine.Eval(Utf16(expression));
    const std::string type = Utf8(TypeName(v));
    if (v.IsNull()) return {"Null", type};
    if (v.IsObject()) return {"[object]", type};
    return {Utf8(ToString(v)), type};
  } catch (const ScriptError& e) {
    return {"error " + std::to_string(e.number()), {}};
  }
}

}  // namespace vbs::testing
