// Bad input never hurts the host: deep nesting, long input and long chains
// give a result or an error, never a crash; an engine is reused safely.
#include <gtest/gtest.h>

#include <string>

#include "script/program.h"
#include "script_test_util.h"

namespace vbs::testing {
namespace {

TEST(EngineLimits, DeepParenthesesAreAnErrorNotAStackOverflow) {
  Engine engine;
  const std::string deep = std::string(100000, '(') + "1" + std::string(100000, ')');
  EXPECT_EQ(Evaluate(engine, deep).text, "error 28");
  const std::string unary(100000, '-');
  EXPECT_EQ(Evaluate(engine, unary + "1").text, "error 28");
  std::string nots;
  for (int i = 0; i < 50000; ++i) nots += "Not ";
  EXPECT_EQ(Evaluate(engine, nots + "1").text, "error 28");
}

TEST(EngineLimits, ModerateNestingIsEvaluated) {
  Engine engine;
  const std::string nested = std::string(100, '(') + "1+1" + std::string(100, ')');
  EXPECT_EQ(Evaluate(engine, nested).text, "2");
}

TEST(EngineLimits, LongChainsNeedNoRecursion) {
  Engine engine;
  std::string sum = "0";
  for (int i = 0; i < 100000; ++i) sum += "+1";
  EXPECT_EQ(Evaluate(engine, sum).text, "100000");
  std::string text = "\"\"";
  for (int i = 0; i < 20000; ++i) text += "&\"ab\"";
  EXPECT_EQ(Evaluate(engine, "Len(" + text + ")").text, "40000");
}

TEST(EngineLimits, OverlongInputIsRefused) {
  Engine engine;
  const std::string huge(kMaxExpressionLength + 1, ' ');
  EXPECT_EQ(Evaluate(engine, huge + "1").text, "error 7");
}

TEST(EngineLimits, AnErrorLeavesTheEngineUsable) {
  Engine engine;
  EXPECT_EQ(Evaluate(engine, "1/0").text, "error 11");
  EXPECT_EQ(Evaluate(engine, "(((").text, "error 1002");
  EXPECT_EQ(Evaluate(engine, "5+7=12").text, "True");
  EXPECT_EQ(Evaluate(engine, "\"abc\" & 1").text, "abc1");
}

TEST(EngineLimits, ErrorsCarryVBScriptDescriptions) {
  Engine engine;
  struct Expected {
    const char* expression;
    ErrorKind kind;
    const char16_t* description;
  };
  const Expected cases[] = {
      {"1/0", ErrorKind::Runtime, u"Division by zero"},
      {"CInt(40000)", ErrorKind::Runtime, u"Overflow"},
      {"\"a\"+1", ErrorKind::Runtime, u"Type mismatch"},
      {"F1(1)", ErrorKind::Runtime, u"Type mismatch: 'F1'"},
      {"12==12", ErrorKind::Compilation, u"Syntax error"},
      {"12%", ErrorKind::Compilation, u"Invalid character"},
      {"(1", ErrorKind::Compilation, u"Expected ')'"},
  };
  for (const auto& c : cases) {
    try {
      engine.Eval(Utf16(c.expression));
      ADD_FAILURE() << c.expression << " did not fail";
    } catch (const ScriptError& e) {
      EXPECT_EQ(e.kind(), c.kind) << c.expression;
      EXPECT_EQ(e.description(), c.description) << c.expression;
    }
  }
}

}  // namespace
}  // namespace vbs::testing
