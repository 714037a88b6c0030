// Rule lines, the framing of conditions and actions, and the lookup of cell
// references in the position file.
#include "validation/cell_position.h"
#include "validation/rule_file.h"
#include "validation_fixture.h"

#include "addin/text/conversions.h"
#include "addin/text/text_file.h"

namespace velmora::testing {
namespace {

TEST(RuleLine, ItemsKindAndExpression) {
  struct Case {
    const char* line;
    const char* message;
    const char* kind;
    const char* expression;
  } cases[] = {
      {"表1-1：合计,1-001,1,\"=(F1(JB1_1,RY01,1)==5)\"", "表1-1：合计", "1", "=(F1(JB1_1,RY01,1)==5)"},
      // Every "-" becomes "_", in ids and minus signs alike.
      {"m,1-002,0,\"=(F1(JB1_3,ZC02-1,1)-1>0)\"", "m", "0", "=(F1(JB1_3,ZC02_1,1)_1>0)"},
      // Blanks before items are skipped; items after item 3 are ignored.
      {"  m ,  n,  1,  \"=(1=1)\",extra", "m ", "1", "=(1=1)"},
      // Not in quotes: item 3 is cut at the first comma and loses a real
      // character at each end.
      {"m,n,1,=(F1(JB1_1,RY01,1)==5)", "m", "1", "(F1(JB1_"},
  };
  for (const Case& c : cases) {
    const std::optional<RuleLine> rule = ParseRuleLine(G(c.line));
    ASSERT_TRUE(rule) << c.line;
    EXPECT_EQ(U(rule->message), c.message) << c.line;
    EXPECT_EQ(rule->kind, c.kind) << c.line;
    EXPECT_EQ(U(rule->expression), c.expression) << c.line;
  }
  EXPECT_EQ(U(TypeText("1")), "强制");
  for (const char* other : {"0", "", " 1", "2", "1 "}) EXPECT_EQ(U(TypeText(other)), "提示") << other;
}

TEST(RuleLine, ShortLinesRaiseTheIndexErrorAndBlankLinesAreSkipped) {
  // Two commas in a row count as one: four items become three.
  for (const char* line : {"m,,1,\"=(1=1)\"", "m,n,1", "m"})
    EXPECT_THROW(ParseRuleLine(line), ListIndexError) << line;
  try {
    ParseRuleLine("m,n,1");
  } catch (const ListIndexError& e) {
    EXPECT_STREQ(e.what(), "List index out of bounds (3)");
  }
  for (const char* blank : {"", "   ", "\t ", " \x01"}) EXPECT_FALSE(ParseRuleLine(blank)) << '"' << blank << '"';
}

TEST(RuleFraming, ConditionalAndPlainRules) {
  struct Case {
    const char* expression;
    std::optional<std::string> condition;
    const char* action;
  } cases[] = {
      {"WHEN(F1(JB1_1,XXLBDM,1)==115)|=(F1(JB1_1,BC11,1)>0);", "F1(JB1_1,XXLBDM,1)==115", "F1(JB1_1,BC11,1)>0"},
      {"=(F1(JB1_1,RY01,1)==5)", std::nullopt, "F1(JB1_1,RY01,1)==5"},
      // A "|" inside a quoted VBScript string does not cut the expression.
      {"=(\"a|b\"=\"a|b\")", std::nullopt, "\"a|b\"=\"a|b\""},
      // Two "|" outside quotes: three items, a plain rule of the first one.
      {"=(1=2)|=(1=1)|=(3=3)", std::nullopt, "1=2"},
  };
  for (const Case& c : cases) {
    const RuleParts parts = SplitRule(c.expression);
    EXPECT_EQ(parts.condition, c.condition) << c.expression;
    EXPECT_EQ(parts.action, c.action) << c.expression;
  }
}

class PositionLookup : public ValidationTest {};

TEST_F(PositionLookup, FirstMatchingLineWinsAndRowsShift) {
  WriteFile("d1.txt", {"J1_1|A10|8,3|name", "J1_1|A101|9,3", "J1_2|RY01|12,5", "J1_2|LOW|7, 4 "});
  struct Case {
    const char *A, *Y, *Z, *position;
  } cases[] = {
      {"JB1_1", "A10", "1", "1,8,3"},
      {"JB1_1", "A101", "1", "1,9,3"},
      {"JB1_2", "RY01", "3", "2,14,5"},
      {"JB1_2", "RY01", "1", "2,12,5"},
      {"JB1_2", "RY01", "0", "2,11,5"},
      {"JB1_2", "ry01", "1", "2,12,5"},  // letter case ignored
      {"jb1_2", "RY01", "1", "2,12,5"},
      {"JB1_2", "LOW", "2", "2,8,4 "},   // the column is copied as it stands
      {"JB1_2", "LOW", "1", "2,7, 4 "},
      {"JB1_3", "RY01", "1", ""},        // no line of sheet key 1_3
      {"JB1_1", "RY01", "1", ""},
  };
  for (const Case& c : cases)
    EXPECT_EQ(getCellPosition("1", c.A, c.Y, c.Z, Directory()), c.position) << c.A << " " << c.Y << " " << c.Z;

  // A designator shorter than three bytes: the empty sheet key is in every line.
  EXPECT_EQ(getCellPosition("1", "JB", "RY01", "1", Directory()), ",12,5");

  // Lines ended by a lone CR or a lone LF, the last one by nothing.
  WriteRaw("d1.txt", "J1_1|A1|1,1\rJ1_2|a1|2,2\nJ1_3|A1|3,3\r\n\r\nJ1_4|A1|4,4");
  EXPECT_EQ(getCellPosition("1", "JB1_2", "A1", "1", Directory()), "2,2,2");
  EXPECT_EQ(getCellPosition("1", "JB1_3", "A1", "1", Directory()), "3,3,3");
  EXPECT_EQ(getCellPosition("1", "JB1_4", "A1", "2", Directory()), "4,5,4");

  // With the lines in the other order the shorter id finds the longer one.
  WriteFile("d1.txt", {"J1_1|A101|9,3", "J1_1|A10|8,3"});
  EXPECT_EQ(getCellPosition("1", "JB1_1", "A10", "1", Directory()), "1,9,3");
}

TEST_F(PositionLookup, FailuresOfTheLookup) {
  WriteFile("d1.txt", {"J1_1|A10", "J1_2|B20|x,3", "J1_2|C30|12,5"});
  const std::string dir = Directory();
  EXPECT_THROW(getCellPosition("1", "JB1_1", "A10", "1", dir), ListIndexError);
  EXPECT_THROW(getCellPosition("1", "JB1_2", "B20", "2", dir), ConversionError);
  EXPECT_EQ(getCellPosition("1", "JB1_2", "B20", "1", dir), "2,x,3");  // Z "1" copies item 2 as it stands
  EXPECT_THROW(getCellPosition("1", "JB1_2", "C30", "two", dir), ConversionError);
  EXPECT_THROW(getCellPosition("2", "JB1_2", "C30", "1", dir), FileError);
}

}  // namespace
}  // namespace velmora::testing
