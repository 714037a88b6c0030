// The code page conversions on any bytes: GBK to UTF-8 gives valid UTF-8 that
// comes back unchanged through GBK, the UTF-16 road gives the same text, and
// the character stepping stays inside the text.
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <string>
#include <string_view>

#include "platform/win/code_page.h"

namespace {

void Check(bool condition) {
  if (!condition) __builtin_trap();
}

bool IsValidUtf8(std::string_view text) {
  std::u16string wide = win::Utf8ToWide(text);
  return win::WideToUtf8(wide) == text;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string_view bytes(reinterpret_cast<const char*>(data), size);

  const std::string utf8 = win::AnsiToUtf8(bytes);
  Check(IsValidUtf8(utf8));
  Check(win::AnsiToUtf8(win::Utf8ToAnsi(utf8)) == utf8);
  Check(win::WideToUtf8(win::AnsiToWide(bytes)) == utf8);

  // The same bytes read as UTF-8 and as UTF-16.
  const std::string ansi = win::Utf8ToAnsi(bytes);
  Check(win::Utf8ToAnsi(win::AnsiToUtf8(ansi)) == ansi);
  std::u16string units(size / 2, u'\0');
  if (!units.empty()) std::memcpy(units.data(), data, units.size() * 2);
  Check(IsValidUtf8(win::WideToUtf8(units)));
  (void)win::WideToAnsi(units);

  std::size_t steps = 0;
  for (std::size_t pos = 0; pos < bytes.size(); pos += win::CharLength(bytes, pos)) ++steps;
  Check(steps <= bytes.size());
  if (size > 0) {
    const std::string_view prefix = win::PrefixWithin(bytes, data[0]);
    Check(prefix.size() <= data[0] && prefix.size() <= size);
  }
  Check(win::AnsiUpperCase(bytes).size() == size);
  return 0;
}
