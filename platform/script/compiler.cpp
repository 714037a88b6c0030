// The expression grammar, by VBScript's precedence from loosest to tightest:
//   Imp, Eqv, Xor, Or, And, Not (prefix), the comparisons = <> < > <= >= Is
//   (all equal, left to right), &, + and -, Mod, \, * and /, unary - and +,
//   ^ (left to right; its right operand may carry a sign), then literals,
//   identifiers, calls f(a, b), member calls obj.m(a) and parentheses.
#include <string_view>

#include "error.h"
#include "lexer.h"
#include "program.h"

namespace vbs {
namespace {

constexpr int kLevelNot = 6;
constexpr int kLevelUnary = 13;

struct BinaryToken {
  BinaryOp op;
  int level;  // 0: the token is no binary operator
};

BinaryToken BinaryAt(const Lexer& lex) {
  switch (lex.token()) {
    case Token::Caret:
      return {BinaryOp::Power, 14};
    case Token::Star:
      return {BinaryOp::Multiply, 12};
    case Token::Slash:
      return {BinaryOp::Divide, 12};
    case Token::Backslash:
      return {BinaryOp::IntDivide, 11};
    case Token::Plus:
      return {BinaryOp::Add, 9};
    case Token::Minus:
      return {BinaryOp::Subtract, 9};
    case Token::Ampersand:
      return {BinaryOp::Concat, 8};
    case Token::Equal:
      return {BinaryOp::Equal, 7};
    case Token::NotEqual:
      return {BinaryOp::NotEqual, 7};
    case Token::Less:
      return {BinaryOp::Less, 7};
    case Token::Greater:
      return {BinaryOp::Greater, 7};
    case Token::LessEqual:
      return {BinaryOp::LessEqual, 7};
    case Token::GreaterEqual:
      return {BinaryOp::GreaterEqual, 7};
    case Token::Word:
      switch (lex.keyword()) {
        case Keyword::Mod:
          return {BinaryOp::Mod, 10};
        case Keyword::Is:
          return {BinaryOp::Is, 7};
        case Keyword::And:
          return {BinaryOp::And, 5};
        case Keyword::Or:
          return {BinaryOp::Or, 4};
        case Keyword::Xor:
          return {BinaryOp::Xor, 3};
        case Keyword::Eqv:
          return {BinaryOp::Eqv, 2};
        case Keyword::Imp:
          return {BinaryOp::Imp, 1};
        default:
          break;
      }
      break;
    default:
      break;
  }
  return {BinaryOp::Add, 0};
}

class Parser {
 public:
  Parser(std::u16string_view source, Program& program) : lex_(source), program_(program) {}

  void ParseAll() {
    lex_.Next();
    ParseExpression(1);
    while (lex_.token() == Token::EndOfStatement) lex_.Next();
    if (lex_.token() != Token::End) ThrowCompilation(err::kExpectedEndOfStatement);
  }

 private:
  // Bounds the parser's recursion, and with it the nesting of the input.
  struct Nesting {
    explicit Nesting(int& depth) : depth_(depth) {
      if (++depth_ > kMaxNestingDepth) ThrowCompilation(err::kOutOfStackSpace);
    }
    ~Nesting() { --depth_; }
    int& depth_;
  };

  void ParseExpression(int min_level) {
    Nesting nesting(depth_);
    ParsePrefix(min_level);
    for (;;) {
      const BinaryToken t = BinaryAt(lex_);
      if (t.level == 0 || t.level < min_level) return;
      lex_.Next();
      if (t.op == BinaryOp::Power)
        ParseExponent();
      else
        ParseExpression(t.level + 1);
      program_.code.push_back({.op = OpCode::Binary, .binary = t.op});
    }
  }

  void ParsePrefix(int min_level) {
    if (lex_.token() == Token::Word && lex_.keyword() == Keyword::Not) {
      // Not binds looser than the comparisons: "1 + Not 0" is no expression.
      if (min_level > kLevelNot) ThrowCompilation(err::kSyntaxError);
      lex_.Next();
      ParseExpression(kLevelNot);
      EmitUnary(UnaryOp::Not);
    } else if (lex_.token() == Token::Minus || lex_.token() == Token::Plus) {
      const UnaryOp op = lex_.token() == Token::Minus ? UnaryOp::Negate : UnaryOp::Plus;
      lex_.Next();
      ParseExpression(kLevelUnary);
      EmitUnary(op);
    } else {
      ParsePostfix();
    }
  }

  // The right operand of ^: a signed operand without further operators.
  void ParseExponent() {
    Nesting nesting(depth_);
    if (lex_.token() == Token::Minus || lex_.token() == Token::Plus) {
      const UnaryOp op = lex_.token() == Token::Minus ? UnaryOp::Negate : UnaryOp::Plus;
      lex_.Next();
      ParseExponent();
      EmitUnary(op);
    } else {
      ParsePostfix();
    }
  }

  void ParsePostfix() {
    ParsePrimary();
    while (lex_.token() == Token::Dot) {
      lex_.Next();
      if (lex_.token() != Token::Word) ThrowCompilation(err::kExpectedIdentifier);
      const std::uint32_t name = AddName(lex_.text());
      lex_.Next();
      const std::uint32_t argc = lex_.token() == Token::LParen ? ParseArguments() : 0;
      program_.code.push_back({.op = OpCode::Member, .a = name, .b = argc});
    }
  }

  void ParsePrimary() {
    switch (lex_.token()) {
      case Token::Number:
      case Token::String:
        PushConstant(lex_.value());
        lex_.Next();
        return;
      case Token::LParen:
        lex_.Next();
        ParseExpression(1);
        if (lex_.token() != Token::RParen) ThrowCompilation(err::kExpectedRightParen);
        lex_.Next();
        return;
      case Token::Word:
        ParseWord();
        return;
      default:
        ThrowCompilation(err::kSyntaxError);
    }
  }

  void ParseWord() {
    switch (lex_.keyword()) {
      case Keyword::True:
        PushConstant(Value::Boolean(true));
        break;
      case Keyword::False:
        PushConstant(Value::Boolean(false));
        break;
      case Keyword::Empty:
        PushConstant(Value());
        break;
      case Keyword::Null:
        PushConstant(Value::Null());
        break;
      case Keyword::Nothing:
        PushConstant(Value::Object(nullptr));
        break;
      case Keyword::None:
        ParseIdentifier();
        return;
      default:
        ThrowCompilation(err::kSyntaxError);
    }
    lex_.Next();
  }

  // A built-in function, called with or without parentheses, or a name that
  // holds nothing: Empty as a value, an error when called.
  void ParseIdentifier() {
    const std::u16string_view name = lex_.text();
    const Builtin* builtin = FindBuiltin(name);
    lex_.Next();
    const bool called = lex_.token() == Token::LParen;
    const std::uint32_t argc = called ? ParseArguments() : 0;
    if (builtin) {
      program_.code.push_back({.op = OpCode::CallBuiltin, .a = AddBuiltin(builtin), .b = argc});
    } else if (called) {
      program_.code.push_back({.op = OpCode::CallUnknown, .a = AddName(name), .b = argc});
    } else {
      program_.code.push_back({.op = OpCode::PushEmpty});
    }
  }

  // "(" [expression {"," expression}] ")"; returns the number of arguments.
  std::uint32_t ParseArguments() {
    lex_.Next();
    std::uint32_t argc = 0;
    if (lex_.token() == Token::RParen) {
      lex_.Next();
      return 0;
    }
    for (;;) {
      ParseExpression(1);
      ++argc;
      if (lex_.token() != Token::Comma) break;
      lex_.Next();
    }
    if (lex_.token() != Token::RParen) ThrowCompilation(err::kExpectedRightParen);
    lex_.Next();
    return argc;
  }

  void PushConstant(const Value& v) {
    program_.code.push_back(
        {.op = OpCode::PushConstant, .a = static_cast<std::uint32_t>(program_.constants.size())});
    program_.constants.push_back(v);
  }

  void EmitUnary(UnaryOp op) { program_.code.push_back({.op = OpCode::Unary, .unary = op}); }

  std::uint32_t AddName(std::u16string_view name) {
    program_.names.push_back(name);
    return static_cast<std::uint32_t>(program_.names.size() - 1);
  }

  std::uint32_t AddBuiltin(const Builtin* builtin) {
    program_.builtins.push_back(builtin);
    return static_cast<std::uint32_t>(program_.builtins.size() - 1);
  }

  Lexer lex_;
  Program& program_;
  int depth_ = 0;
};

}  // namespace

void Compile(std::u16string_view source, Program& program) {
  program.Clear();
  if (source.size() > kMaxExpressionLength) ThrowCompilation(err::kOutOfMemory);
  Parser(source, program).ParseAll();
}

}  // namespace vbs
