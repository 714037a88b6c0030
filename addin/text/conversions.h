#pragma once
// The small conversions every part of the add-in applies to cell values and
// items: trimming, cell text, number text and text to number. Texts are GBK.
#include <stdexcept>
#include <string>
#include <string_view>

#include "cell_value.h"

namespace velmora {

// A text that is no number of the kind asked for, or a value that has no
// text. The message names the text (GBK).
class ConversionError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

// Removes every leading and trailing byte whose code is at most that of the
// blank (blanks and control characters).
std::string Trim(std::string_view text);

// A number in the general form: the shortest form with up to 15 significant
// digits, "." as decimal point, no thousands separator, no decimal point for
// whole numbers (100, 12.5, 0.3 for 0.1+0.2). The exponent form, written
// mantissa "E" exponent with a "-" for negative exponents, no "+" and no
// leading zeros (1E20, 1.5E-7, -2E15), is taken when the number has more than
// 15 digits before the point (1E15 and up) or is smaller than 0.0001 in
// magnitude (1E-5 and below). Infinities and NaN give "INF", "-INF", "NAN".
std::string FormatNumber(double number);

// A cell's value as text: empty gives "", a text itself, a number its general
// form (FormatNumber), a Boolean "True" or "False". An error value raises
// ConversionError.
std::string CellText(const CellValue& value);

// A decimal 32-bit integer, optionally signed ("+" or "-"), leading blanks
// allowed. Anything else (trailing characters, a point, no digits, too large)
// raises ConversionError "'<text>' is not a valid integer value".
int TextToInt(std::string_view text);

// A decimal number with "." as decimal point and an optional exponent
// (E or e, optionally signed); blanks allowed before and after. Anything else
// raises ConversionError "'<text>' is not a valid floating point value".
double TextToFloat(std::string_view text);

}  // namespace velmora
