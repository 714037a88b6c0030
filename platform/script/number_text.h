#pragma once
// Reading numbers from text, shared by the lexer (literals) and the
// conversions (numeric strings). Independent of the C locale.
#include <cstdint>
#include <optional>
#include <string_view>

namespace vbs {

enum class NumberRead : std::uint8_t { Ok, NotANumber, Overflow };

struct DecimalNumber {
  NumberRead status = NumberRead::NotANumber;
  double value = 0;
};
// `ascii` is exactly digits [. digits] [E|e [+|-] digits], with at least one
// digit before the exponent. A magnitude beyond Double is Overflow; one below
// the smallest Double reads as 0.
DecimalNumber ReadDecimal(std::string_view ascii);

// The value of &H / &O digits (without the prefix) as VBScript types them:
// up to 16 bits an Integer (so &HFFFF is -1), up to 32 bits a Long.
// Nothing when there are no digits, a digit is not of the base, or the value
// needs more than 32 bits.
struct RadixNumber {
  std::int32_t value = 0;
  bool is_long = false;
};
std::optional<RadixNumber> ReadRadix(std::u16string_view digits, int base);

}  // namespace vbs
