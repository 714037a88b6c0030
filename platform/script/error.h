#pragma once
// Errors of the expression engine, carried as VBScript carries them: a number
// (6 Overflow, 11 Division by zero, 13 Type mismatch, 1002 Syntax error, ...)
// and a description. Compilation errors are found before anything runs.
#include <cstdint>
#include <exception>
#include <string>
#include <string_view>

namespace vbs {

enum class ErrorKind : std::uint8_t {
  Compilation,  // the expression is not well formed; nothing was evaluated
  Runtime,      // raised while evaluating
};

class ScriptError : public std::exception {
 public:
  ScriptError(ErrorKind kind, std::int32_t number, std::u16string description)
      : kind_(kind), number_(number), description_(std::move(description)) {}

  ErrorKind kind() const { return kind_; }
  // VBScript's error number (the low word of an HRESULT of facility 0x0A), or
  // the full HRESULT of a failure that an automation object reported.
  std::int32_t number() const { return number_; }
  const std::u16string& description() const { return description_; }
  const char* what() const noexcept override { return "VBScript error"; }

 private:
  ErrorKind kind_;
  std::int32_t number_;
  std::u16string description_;
};

// The errors this engine raises, with VBScript's numbers.
namespace err {
inline constexpr std::int32_t kInvalidProcedureCall = 5;
inline constexpr std::int32_t kOverflow = 6;
inline constexpr std::int32_t kOutOfMemory = 7;
inline constexpr std::int32_t kDivisionByZero = 11;
inline constexpr std::int32_t kTypeMismatch = 13;
inline constexpr std::int32_t kOutOfStackSpace = 28;
inline constexpr std::int32_t kObjectVariableNotSet = 91;
inline constexpr std::int32_t kInvalidUseOfNull = 94;
inline constexpr std::int32_t kObjectRequired = 424;
inline constexpr std::int32_t kCannotCreateObject = 429;
inline constexpr std::int32_t kNoSuchMember = 438;
inline constexpr std::int32_t kWrongArgumentCount = 450;

inline constexpr std::int32_t kSyntaxError = 1002;
inline constexpr std::int32_t kExpectedRightParen = 1006;
inline constexpr std::int32_t kExpectedIdentifier = 1010;
inline constexpr std::int32_t kExpectedEndOfStatement = 1025;
inline constexpr std::int32_t kIdentifierTooLong = 1030;
inline constexpr std::int32_t kInvalidNumber = 1031;
inline constexpr std::int32_t kInvalidCharacter = 1032;
inline constexpr std::int32_t kUnterminatedString = 1033;
}  // namespace err

// VBScript's own description of one of its error numbers ("Overflow",
// "Syntax error"); empty for a number it does not describe.
std::u16string_view ErrorDescription(std::int32_t number);

// Throws the error with its standard description; `detail`, when given, is
// appended as VBScript does for names: "Type mismatch: 'F1'".
[[noreturn]] void ThrowRuntime(std::int32_t number, std::u16string_view detail = {});
[[noreturn]] void ThrowCompilation(std::int32_t number);

}  // namespace vbs
