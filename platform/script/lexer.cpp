#include "lexer.h"

#include <string>

#include "error.h"
#include "number_text.h"

namespace vbs {
namespace {

constexpr std::size_t kMaxIdentifierLength = 255;

bool IsDigit(char16_t c) { return c >= u'0' && c <= u'9'; }
bool IsLetter(char16_t c) { return (c >= u'a' && c <= u'z') || (c >= u'A' && c <= u'Z'); }
bool IsWordChar(char16_t c) { return IsLetter(c) || IsDigit(c) || c == u'_'; }
char16_t Upper(char16_t c) { return c >= u'a' && c <= u'z' ? c - u'a' + u'A' : c; }

bool SameWord(std::u16string_view word, std::u16string_view upper) {
  if (word.size() != upper.size()) return false;
  for (std::size_t i = 0; i < word.size(); ++i)
    if (Upper(word[i]) != upper[i]) return false;
  return true;
}

struct KeywordEntry {
  std::u16string_view upper;
  Keyword keyword;
};

constexpr KeywordEntry kKeywords[] = {
    {u"MOD", Keyword::Mod},
    {u"IS", Keyword::Is},
    {u"NOT", Keyword::Not},
    {u"AND", Keyword::And},
    {u"OR", Keyword::Or},
    {u"XOR", Keyword::Xor},
    {u"EQV", Keyword::Eqv},
    {u"IMP", Keyword::Imp},
    {u"TRUE", Keyword::True},
    {u"FALSE", Keyword::False},
    {u"EMPTY", Keyword::Empty},
    {u"NULL", Keyword::Null},
    {u"NOTHING", Keyword::Nothing},
    // Reserved for statements: never a value in an expression.
    {u"BYREF", Keyword::Statement},
    {u"BYVAL", Keyword::Statement},
    {u"CALL", Keyword::Statement},
    {u"CASE", Keyword::Statement},
    {u"CLASS", Keyword::Statement},
    {u"CONST", Keyword::Statement},
    {u"DIM", Keyword::Statement},
    {u"DO", Keyword::Statement},
    {u"EACH", Keyword::Statement},
    {u"ELSE", Keyword::Statement},
    {u"ELSEIF", Keyword::Statement},
    {u"END", Keyword::Statement},
    {u"ERASE", Keyword::Statement},
    {u"EXIT", Keyword::Statement},
    {u"FOR", Keyword::Statement},
    {u"FUNCTION", Keyword::Statement},
    {u"GET", Keyword::Statement},
    {u"IF", Keyword::Statement},
    {u"IN", Keyword::Statement},
    {u"LET", Keyword::Statement},
    {u"LOOP", Keyword::Statement},
    {u"NEW", Keyword::Statement},
    {u"NEXT", Keyword::Statement},
    {u"ON", Keyword::Statement},
    {u"OPTION", Keyword::Statement},
    {u"PRESERVE", Keyword::Statement},
    {u"PRIVATE", Keyword::Statement},
    {u"PROPERTY", Keyword::Statement},
    {u"PUBLIC", Keyword::Statement},
    {u"REDIM", Keyword::Statement},
    {u"REM", Keyword::Statement},
    {u"RESUME", Keyword::Statement},
    {u"SELECT", Keyword::Statement},
    {u"SET", Keyword::Statement},
    {u"STEP", Keyword::Statement},
    {u"SUB", Keyword::Statement},
    {u"THEN", Keyword::Statement},
    {u"TO", Keyword::Statement},
    {u"UNTIL", Keyword::Statement},
    {u"WEND", Keyword::Statement},
    {u"WHILE", Keyword::Statement},
    {u"WITH", Keyword::Statement},
};

Keyword KeywordOf(std::u16string_view word) {
  if (word.size() > 8) return Keyword::None;
  for (const auto& k : kKeywords)
    if (SameWord(word, k.upper)) return k.keyword;
  return Keyword::None;
}

}  // namespace

void Lexer::Next() {
  keyword_ = Keyword::None;
  while (pos_ < source_.size() && (source_[pos_] == u' ' || source_[pos_] == u'\t')) ++pos_;
  if (pos_ < source_.size() && source_[pos_] == u'\'') {
    while (pos_ < source_.size() && source_[pos_] != u'\r' && source_[pos_] != u'\n') ++pos_;
  }
  start_ = pos_;
  if (pos_ >= source_.size()) {
    token_ = Token::End;
    length_ = 0;
    return;
  }
  const char16_t c = source_[pos_];
  const char16_t next = pos_ + 1 < source_.size() ? source_[pos_ + 1] : u'\0';
  auto single = [&](Token t, std::size_t n = 1) {
    token_ = t;
    pos_ += n;
  };
  if (IsDigit(c) || (c == u'.' && IsDigit(next))) {
    ReadNumber();
  } else if (IsLetter(c)) {
    ReadWord();
  } else {
    switch (c) {
      case u'"':
        ReadString();
        break;
      case u'\r':
      case u'\n':
      case u':':
        single(Token::EndOfStatement);
        break;
      case u'(':
        single(Token::LParen);
        break;
      case u')':
        single(Token::RParen);
        break;
      case u',':
        single(Token::Comma);
        break;
      case u'.':
        single(Token::Dot);
        break;
      case u'+':
        single(Token::Plus);
        break;
      case u'-':
        single(Token::Minus);
        break;
      case u'*':
        single(Token::Star);
        break;
      case u'/':
        single(Token::Slash);
        break;
      case u'\\':
        single(Token::Backslash);
        break;
      case u'^':
        single(Token::Caret);
        break;
      case u'=':
        single(Token::Equal);
        break;
      case u'<':
        if (next == u'>')
          single(Token::NotEqual, 2);
        else if (next == u'=')
          single(Token::LessEqual, 2);
        else
          single(Token::Less);
        break;
      case u'>':
        if (next == u'=')
          single(Token::GreaterEqual, 2);
        else
          single(Token::Greater);
        break;
      case u'&':
        if (next == u'H' || next == u'h')
          ReadRadixNumber(16);
        else if (next == u'O' || next == u'o')
          ReadRadixNumber(8);
        else
          single(Token::Ampersand);
        break;
      default:
        ThrowCompilation(err::kInvalidCharacter);
    }
  }
  length_ = pos_ - start_;
}

void Lexer::ReadNumber() {
  std::size_t i = pos_;
  bool whole = true;
  while (i < source_.size() && IsDigit(source_[i])) ++i;
  if (i < source_.size() && source_[i] == u'.') {
    whole = false;
    ++i;
    while (i < source_.size() && IsDigit(source_[i])) ++i;
  }
  if (i < source_.size() && (source_[i] == u'E' || source_[i] == u'e')) {
    std::size_t j = i + 1;
    if (j < source_.size() && (source_[j] == u'+' || source_[j] == u'-')) ++j;
    if (j < source_.size() && IsDigit(source_[j])) {
      whole = false;
      while (j < source_.size() && IsDigit(source_[j])) ++j;
      i = j;
    }
  }
  std::string ascii(source_.begin() + pos_, source_.begin() + i);
  pos_ = i;
  token_ = Token::Number;
  const DecimalNumber n = ReadDecimal(ascii);
  if (n.status != NumberRead::Ok) ThrowCompilation(err::kInvalidNumber);
  // A whole literal is an Integer when it fits, else a Long, else a Double.
  if (whole && n.value <= 32767)
    value_ = Value::Integer(static_cast<std::int16_t>(n.value));
  else if (whole && n.value <= 2147483647.0)
    value_ = Value::Long(static_cast<std::int32_t>(n.value));
  else
    value_ = Value::Double(n.value);
}

void Lexer::ReadRadixNumber(int base) {
  std::size_t i = pos_ + 2;
  while (i < source_.size() && IsWordChar(source_[i]) && source_[i] != u'_') {
    const char16_t c = Upper(source_[i]);
    const bool digit =
        base == 16 ? (IsDigit(c) || (c >= u'A' && c <= u'F')) : (c >= u'0' && c <= u'7');
    if (!digit) break;
    ++i;
  }
  const std::u16string_view digits = source_.substr(pos_ + 2, i - pos_ - 2);
  pos_ = i;
  token_ = Token::Number;
  if (digits.empty()) ThrowCompilation(err::kSyntaxError);
  const auto r = ReadRadix(digits, base);
  if (!r) ThrowCompilation(err::kInvalidNumber);
  value_ = r->is_long ? Value::Long(r->value) : Value::Integer(static_cast<std::int16_t>(r->value));
}

void Lexer::ReadString() {
  std::u16string s;
  std::size_t i = pos_ + 1;
  for (;;) {
    if (i >= source_.size() || source_[i] == u'\r' || source_[i] == u'\n')
      ThrowCompilation(err::kUnterminatedString);
    if (source_[i] == u'"') {
      if (i + 1 < source_.size() && source_[i + 1] == u'"') {
        s += u'"';
        i += 2;
        continue;
      }
      ++i;
      break;
    }
    s += source_[i++];
  }
  pos_ = i;
  token_ = Token::String;
  value_ = Value::String(std::move(s));
}

void Lexer::ReadWord() {
  std::size_t i = pos_;
  while (i < source_.size() && IsWordChar(source_[i])) ++i;
  if (i - pos_ > kMaxIdentifierLength) ThrowCompilation(err::kIdentifierTooLong);
  token_ = Token::Word;
  keyword_ = KeywordOf(source_.substr(pos_, i - pos_));
  pos_ = i;
}

}  // namespace vbs
