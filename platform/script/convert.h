#pragma once
// VBScript's conversions between subtypes: the C* functions, numeric strings,
// and the text of a value as CStr gives it.
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "value.h"

namespace vbs {

// The value an object stands for where it meets an operator: its default
// property (Nothing raises "Object variable not set"). Other values unchanged.
Value Dereference(const Value& v);

// A numeric string as VBScript reads one: blanks around it, an optional sign,
// decimal digits with an optional point and exponent, or &H hex / &O octal.
// Nothing when the text is not a number.
std::optional<double> ParseNumber(std::u16string_view text);

// Round to the nearest whole number, a half to the even neighbour.
double RoundHalfEven(double d);

// The conversions of CDbl, CLng, CInt, CByte, CCur and CBool: Null raises
// "Invalid use of Null", a text that is not a number "Type mismatch", a number
// out of range "Overflow". Whole-number targets round a half to even.
double ToDouble(const Value& v);
std::int32_t ToLong(const Value& v);
std::int16_t ToInteger(const Value& v);
std::uint8_t ToByte(const Value& v);
std::int64_t ToCurrency(const Value& v);  // in ten-thousandths
// An amount as Currency ten-thousandths, rounded half to even; Overflow
// beyond the Currency range.
std::int64_t CurrencyFromDouble(double amount);
bool ToBoolean(const Value& v);

// CStr: "True"/"False", Empty as "", numbers with "." as the decimal point;
// Null raises "Invalid use of Null".
std::u16string ToString(const Value& v);

// A Double as VBScript writes it: up to 15 significant digits, no trailing
// zeros, E notation from 1E+15 up and below 0.0001 ("1E+20", "1E-05").
std::u16string FormatDouble(double d);
std::u16string FormatCurrency(std::int64_t ten_thousandths);
// A date as "yyyy/M/d", a time as "H:mm:ss", both when it has both.
std::u16string FormatDate(double automation_date);

std::u16string_view TypeName(const Value& v);
int VarType(const Value& v);

}  // namespace vbs
