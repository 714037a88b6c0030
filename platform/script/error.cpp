#include "error.h"

namespace vbs {

std::u16string_view ErrorDescription(std::int32_t number) {
  switch (number) {
    case err::kInvalidProcedureCall:
      return u"Invalid procedure call or argument";
    case err::kOverflow:
      return u"Overflow";
    case err::kOutOfMemory:
      return u"Out of memory";
    case err::kDivisionByZero:
      return u"Division by zero";
    case err::kTypeMismatch:
      return u"Type mismatch";
    case err::kOutOfStackSpace:
      return u"Out of stack space";
    case err::kObjectVariableNotSet:
      return u"Object variable not set";
    case err::kInvalidUseOfNull:
      return u"Invalid use of Null";
    case err::kObjectRequired:
      return u"Object required";
    case err::kCannotCreateObject:
      return u"ActiveX component can't create object";
    case err::kNoSuchMember:
      return u"Object doesn't support this property or method";
    case err::kWrongArgumentCount:
      return u"Wrong number of arguments or invalid property assignment";
    case err::kSyntaxError:
      return u"Syntax error";
    case err::kExpectedRightParen:
      return u"Expected ')'";
    case err::kExpectedIdentifier:
      return u"Expected identifier";
    case err::kExpectedEndOfStatement:
      return u"Expected end of statement";
    case err::kIdentifierTooLong:
      return u"Identifier too long";
    case err::kInvalidNumber:
      return u"Invalid number";
    case err::kInvalidCharacter:
      return u"Invalid character";
    case err::kUnterminatedString:
      return u"Unterminated string constant";
    default:
      return {};
  }
}

void ThrowRuntime(std::int32_t number, std::u16string_view detail) {
  std::u16string description(ErrorDescription(number));
  if (!detail.empty()) {
    description += u": '";
    description += detail;
    description += u"'";
  }
  throw ScriptError(ErrorKind::Runtime, number, std::move(description));
}

void ThrowCompilation(std::int32_t number) {
  throw ScriptError(ErrorKind::Compilation, number, std::u16string(ErrorDescription(number)));
}

}  // namespace vbs
