#pragma once
// Cuts an expression into VBScript's tokens: numbers (decimal with point and
// exponent, &H hex, &O octal), strings with "" for a quote, words
// (identifiers and keywords, in any letter case) and operators. A comment
// (') runs to the end of the line; a line end or ":" ends the statement.
#include <cstddef>
#include <cstdint>
#include <string_view>

#include "value.h"

namespace vbs {

enum class Token : std::uint8_t {
  End,
  EndOfStatement,
  Number,
  String,
  Word,
  LParen,
  RParen,
  Comma,
  Dot,
  Plus,
  Minus,
  Star,
  Slash,
  Backslash,
  Caret,
  Ampersand,
  Equal,
  NotEqual,
  Less,
  Greater,
  LessEqual,
  GreaterEqual,
};

// Words with a meaning of their own in an expression.
enum class Keyword : std::uint8_t {
  None,  // an identifier
  Mod,
  Is,
  Not,
  And,
  Or,
  Xor,
  Eqv,
  Imp,
  True,
  False,
  Empty,
  Null,
  Nothing,
  Statement,  // a word that only begins or belongs to a statement (If, Dim, ...)
};

class Lexer {
 public:
  explicit Lexer(std::u16string_view source) : source_(source) {}

  // Reads the next token; throws ScriptError (compilation) on a character
  // that begins no token, an unterminated string or a number out of range.
  void Next();

  Token token() const { return token_; }
  Keyword keyword() const { return keyword_; }
  // The token's text as written (for a word, its name).
  std::u16string_view text() const { return source_.substr(start_, length_); }
  // The value of a Number or String token.
  const Value& value() const { return value_; }

 private:
  void ReadNumber();
  void ReadRadixNumber(int base);
  void ReadString();
  void ReadWord();

  std::u16string_view source_;
  std::size_t pos_ = 0;
  std::size_t start_ = 0;
  std::size_t length_ = 0;
  Token token_ = Token::End;
  Keyword keyword_ = Keyword::None;
  Value value_;
};

}  // namespace vbs
