// Documented VBScript behaviour, one expression a row: the text of its result
// as CStr gives it (or "Null", or "error N") and, where it matters, its
// subtype.
#include <gtest/gtest.h>

#include "script_test_util.h"

namespace vbs::testing {
namespace {

struct Case {
  const char* expression;
  const char* expected;
  const char* type_name = nullptr;  // checked when given
};

void PrintTo(const Case& c, std::ostream* os) { *os << c.expression; }

class Semantics : public ::testing::TestWithParam<Case> {};

TEST_P(Semantics, EvaluatesAsVBScript) {
  Engine engine;
  const Case& c = GetParam();
  const Outcome out = Evaluate(engine, c.expression);
  EXPECT_EQ(out.text, c.expected) << c.expression;
  if (c.type_name) {
    EXPECT_EQ(out.type_name, c.type_name) << c.expression;
  }
}

// One case a line: the tables read as a list.
// clang-format off
// The forms the validator hands over after rewriting a rule.
INSTANTIATE_TEST_SUITE_P(ValidatorForms, Semantics, ::testing::Values(
    Case{"5+7=12", "True", "Boolean"},
    Case{"5+7=13", "False", "Boolean"},
    Case{"12.4+3.3=15.7", "True"},  // the sum rounds to the Double nearest 15.7
    Case{"16=16", "True"},
    Case{"100>=99.5", "True"},
    Case{"1250+37+0=1287", "True"},
    Case{"5+7<>12", "False"},
    Case{"(5+7=12) And (3<=2)", "False"},
    Case{"5+7=12 Or 1=2", "True"},
    Case{"Not 5+7=12", "False"},
    Case{"12==12", "error 1002"},
    Case{"F1(JB1_1,A01,1)+1", "error 13"},
    Case{"F1(JB1-1,A01,1)+1", "error 13"},
    Case{"5+", "error 1002"},
    Case{"12%", "error 1032"},
    Case{"12345==12%", "error 1002"},
    Case{"(12.5", "error 1006"},
    Case{"12.4 And 3)", "error 1025"}));

INSTANTIATE_TEST_SUITE_P(Precedence, Semantics, ::testing::Values(
    Case{"2+3*4", "14"},
    Case{"(2+3)*4", "20"},
    Case{"-2^2", "-4"},
    Case{"2^3^2", "64"},
    Case{"2^-1", "0.5"},
    Case{"10-4-3", "3"},
    Case{"100/10/5", "2"},
    Case{"7\\2*3", "1"},        // * before \ .
    Case{"10 Mod 3*2", "4"},    // * before Mod
    Case{"5+10 Mod 3", "6"},    // Mod before +
    Case{"9\\2 Mod 3", "1"},    // \ before Mod
    Case{"1+2 & 3", "33"},      // + before &
    Case{"1 & 2+3", "15"},
    Case{"\"a\" & 1=\"a1\"", "True"},  // & before =
    Case{"1<2=True", "True"},   // comparisons left to right
    Case{"3>2>1", "False"},     // (3>2) is -1, and -1 > 1 is False
    Case{"Not 1=2", "True"},    // comparison before Not
    Case{"Not True And False", "False"},
    Case{"True Or False And False", "True"},
    Case{"True Xor True Or True", "False"},
    Case{"False Imp False Eqv False", "True"},
    Case{"- -3", "3"},
    Case{"2*-3", "-6"},
    Case{"Not Not True", "True"},
    Case{"1 + Not 0", "error 1002"}));

// Each operator on Integer, Long, Double, Boolean, String and Empty operands;
// widening instead of overflow.
INSTANTIATE_TEST_SUITE_P(Arithmetic, Semantics, ::testing::Values(
    Case{"1+2", "3", "Integer"},
    Case{"32767+1", "32768", "Long"},
    Case{"-32768-1", "-32769", "Long"},
    Case{"32767*2", "65534", "Long"},
    Case{"2147483647+1", "2147483648", "Double"},
    Case{"-2147483647-2", "-2147483649", "Double"},
    Case{"65536*65536", "4294967296", "Double"},
    Case{"CByte(200)+CByte(50)", "250", "Byte"},
    Case{"CByte(200)+CByte(100)", "300", "Integer"},
    Case{"CByte(1)-CByte(2)", "-1", "Integer"},
    Case{"True+True", "-2", "Integer"},
    Case{"True*5", "-5", "Integer"},
    Case{"Empty+Empty", "0", "Integer"},
    Case{"Empty+2147483647", "2147483647", "Long"},
    Case{"Empty-5", "-5", "Integer"},
    Case{"Empty*5", "0", "Integer"},
    Case{"\"3\"+4", "7", "Double"},
    Case{"\"3\"+\"4\"", "34", "String"},
    Case{"\"3\"-\"1\"", "2", "Double"},
    Case{"\"a\"+1", "error 13"},
    Case{"\"a\"*2", "error 13"},
    Case{"1.5+1.5", "3", "Double"},
    Case{"1E308*10", "error 6"},
    Case{"7/2", "3.5", "Double"},
    Case{"6/3", "2", "Double"},
    Case{"1/0", "error 11"},
    Case{"0/0", "error 6"},
    Case{"Empty/1", "0", "Double"},
    Case{"7\\2", "3", "Integer"},
    Case{"-7\\2", "-3"},
    Case{"2.5\\1", "2", "Long"},   // banker's rounding of the operands
    Case{"3.5\\1", "4"},
    Case{"-2.5\\1", "-2"},
    Case{"7\\2.5", "3"},           // 7 \ 2
    Case{"5\\0", "error 11"},
    Case{"5\\0.4", "error 11"},    // 0.4 rounds to 0
    Case{"1E10\\1", "error 6"},
    Case{"-32768\\-1", "32768", "Long"},
    Case{"19 Mod 7", "5"},
    Case{"7 Mod 2.5", "1"},        // 7 Mod 2
    Case{"7.5 Mod 3", "2"},        // 8 Mod 3
    Case{"12 Mod 4.3", "0"},
    Case{"12.6 Mod 5", "3"},
    Case{"-7 Mod 3", "-1"},
    Case{"5 Mod 0", "error 11"},
    Case{"CByte(9) Mod CByte(4)", "1", "Byte"},
    Case{"2^10", "1024", "Double"},
    Case{"4^0.5", "2"},
    Case{"(-8)^(1/3)", "error 5"},
    Case{"(-2)^3", "-8"},
    Case{"10^400", "error 6"},
    Case{"-(-32768)", "32768", "Long"},
    Case{"-True", "1", "Integer"},
    Case{"-\"2\"", "-2", "Double"},
    Case{"-Empty", "0", "Integer"}));

INSTANTIATE_TEST_SUITE_P(Logical, Semantics, ::testing::Values(
    Case{"True And False", "False", "Boolean"},
    Case{"True Or False", "True", "Boolean"},
    Case{"True Xor True", "False"},
    Case{"True Eqv False", "False"},
    Case{"True Imp False", "False"},
    Case{"False Imp True", "True"},
    Case{"Not True", "False"},
    Case{"5 And 3", "1", "Integer"},
    Case{"12 And 10", "8"},
    Case{"5 Or 3", "7"},
    Case{"5 Xor 3", "6"},
    Case{"5 Eqv 3", "-7"},
    Case{"5 Imp 3", "-5"},
    Case{"Not 5", "-6", "Integer"},
    Case{"Not 0", "-1"},
    Case{"Not CByte(0)", "255", "Byte"},
    Case{"-1 And 255", "255"},
    Case{"&HFF And &H0F", "15"},
    Case{"True And 5", "5", "Integer"},
    Case{"65536 Or 1", "65537", "Long"},
    Case{"2.5 And 3", "2", "Long"},  // 2.5 rounds to 2
    Case{"3.5 And 7", "4"},
    Case{"1E10 And 1", "error 6"},
    Case{"\"6\" And 3", "2"},
    Case{"\"x\" And 3", "error 13"}));

INSTANTIATE_TEST_SUITE_P(NullPropagation, Semantics, ::testing::Values(
    Case{"Null", "Null", "Null"},
    Case{"Null+1", "Null"},
    Case{"1-Null", "Null"},
    Case{"Null*2", "Null"},
    Case{"Null/0", "Null"},
    Case{"Null\\0", "Null"},
    Case{"Null^2", "Null"},
    Case{"-Null", "Null"},
    Case{"Null=Null", "Null"},
    Case{"Null<>1", "Null"},
    Case{"Null And False", "False"},
    Case{"Null And True", "Null"},
    Case{"Null And 0", "0"},
    Case{"Null Or True", "True"},
    Case{"Null Or False", "Null"},
    Case{"Null Xor True", "Null"},
    Case{"Null Eqv True", "Null"},
    Case{"False Imp Null", "True"},
    Case{"True Imp Null", "Null"},
    Case{"Null Imp True", "True"},
    Case{"Null Imp False", "Null"},
    Case{"Not Null", "Null"},
    Case{"Null & \"a\"", "a", "String"},
    Case{"Null & Null", "Null"},
    Case{"IsNull(Null+1)", "True"},
    Case{"CStr(Null)", "error 94"}));

INSTANTIATE_TEST_SUITE_P(Comparisons, Semantics, ::testing::Values(
    Case{"1=1.0", "True"},
    Case{"32768>32767", "True"},
    Case{"2147483648>2147483647", "True"},
    Case{"True=-1", "True"},
    Case{"0.1+0.2=0.3", "False"},
    Case{"\"abc\"<\"abd\"", "True"},
    Case{"\"a\"<\"B\"", "False"},  // binary comparison: "B" is 66, "a" 97
    Case{"\"A\"<\"a\"", "True"},
    Case{"\"10\"<\"9\"", "True"},
    Case{"\"abc\"=\"ABC\"", "False"},
    Case{"10<\"9\"", "True"},       // a number is less than a string
    Case{"\"1\"=1", "False"},
    Case{"CStr(5)>5", "True"},
    Case{"Empty=0", "True"},
    Case{"Empty=\"\"", "True"},
    Case{"Empty<1", "True"},
    Case{"Empty=Empty", "True"},
    Case{"Empty<\"a\"", "True"},
    Case{"CCur(1.5)=1.5", "True"},
    Case{"CCur(2)>1", "True"},
    Case{"Nothing Is Nothing", "True"},
    Case{"1 Is 1", "error 424"}));

// CStr of results: 15 significant digits, E notation, "." as the point.
INSTANTIATE_TEST_SUITE_P(ResultText, Semantics, ::testing::Values(
    Case{"0.1+0.2", "0.3", "Double"},
    Case{"1/3", "0.333333333333333"},
    Case{"2/3", "0.666666666666667"},
    Case{"1E20", "1E+20", "Double"},
    Case{"123456789012345678", "1.23456789012346E+17", "Double"},
    Case{"1.41111111133534E+16", "1.41111111133534E+16"},
    Case{"1E15", "1E+15"},
    Case{"999999999999999", "999999999999999", "Double"},
    Case{"100000000000000", "100000000000000"},
    Case{"0.0001", "0.0001"},
    Case{"0.00001", "1E-05"},
    Case{"-1.5", "-1.5"},
    Case{"1E-300", "1E-300"},
    Case{"1.5E+300*2", "3E+300"},
    Case{"1.0", "1", "Double"},
    Case{"2.50", "2.5"},
    Case{".5", "0.5"},
    Case{"True", "True", "Boolean"},
    Case{"False", "False"},
    Case{"Empty", "", "Empty"},
    Case{"x", "", "Empty"},
    Case{"CCur(1.5)", "1.5", "Currency"},
    Case{"CCur(10)", "10"},
    Case{"CCur(0.12345)", "0.1234"},  // a half goes to the even neighbour
    Case{"CCur(123456789012.5)", "123456789012.5", "Currency"},
    Case{"CCur(1E15)", "error 6"},
    Case{"CCur(1)*1E15", "error 6"},
    Case{"&HFFFF", "-1", "Integer"},
    Case{"&H8000", "-32768", "Integer"},
    Case{"&H10000", "65536", "Long"},
    Case{"&HFFFFFFFF", "-1", "Long"},
    Case{"&H7FFFFFFF", "2147483647", "Long"},
    Case{"&hff", "255"},
    Case{"&O17", "15"},
    Case{"32768", "32768", "Long"},
    Case{"2147483648", "2147483648", "Double"},
    Case{"\"a\"\"b\"", "a\"b", "String"},
    Case{"\"中文\" & \"字\"", "中文字"},
    Case{"\"统计\"=\"统计\"", "True"}));

INSTANTIATE_TEST_SUITE_P(Builtins, Semantics, ::testing::Values(
    Case{"Abs(-5)", "5", "Integer"},
    Case{"Abs(-32768)", "32768", "Long"},
    Case{"Abs(-2.5)", "2.5"},
    Case{"Abs(Null)", "Null"},
    Case{"Int(2.7)", "2", "Double"},
    Case{"Int(-2.7)", "-3"},
    Case{"Fix(-2.7)", "-2"},
    Case{"Fix(2.7)", "2"},
    Case{"Int(\"3.7\")", "3"},
    Case{"Int(Null)", "Null"},
    Case{"Round(2.5)", "2"},
    Case{"Round(3.5)", "4"},
    Case{"Round(-2.5)", "-2"},
    Case{"Round(0.5)", "0"},
    Case{"Round(1.5)", "2"},
    Case{"Round(2.567, 2)", "2.57"},
    Case{"Round(1234.5678, 1)", "1234.6"},
    Case{"Round(0.12335, 4)", "0.1234"},  // the language reference's examples
    Case{"Round(0.12345, 4)", "0.1234"},
    Case{"Round(0.12355, 4)", "0.1236"},
    Case{"Round(0.12365, 4)", "0.1236"},
    Case{"Round(0.00005, 4)", "0"},
    Case{"Round(7)", "7", "Integer"},
    Case{"Round(1.5, -1)", "error 5"},
    Case{"Sgn(-3)", "-1", "Integer"},
    Case{"Sgn(0)", "0"},
    Case{"Sgn(2.5)", "1"},
    Case{"Sqr(16)", "4", "Double"},
    Case{"Sqr(2)", "1.4142135623731"},
    Case{"Sqr(-1)", "error 5"},
    Case{"CInt(2.5)", "2", "Integer"},
    Case{"CInt(3.5)", "4"},
    Case{"CInt(-2.5)", "-2"},
    Case{"CInt(32767.5)", "error 6"},
    Case{"CInt(\"12\")", "12"},
    Case{"CInt(\"abc\")", "error 13"},
    Case{"CLng(2147483647.5)", "error 6"},
    Case{"CLng(\"  42 \")", "42", "Long"},
    Case{"CDbl(\"1.5\")", "1.5", "Double"},
    Case{"CDbl(\"1e3\")", "1000"},
    Case{"CDbl(\"&H10\")", "16"},
    Case{"CDbl(\"12abc\")", "error 13"},
    Case{"CStr(12)", "12", "String"},
    Case{"CStr(True)", "True"},
    Case{"CStr(Empty)", ""},
    Case{"CBool(0)", "False", "Boolean"},
    Case{"CBool(2)", "True"},
    Case{"CBool(\"true\")", "True"},
    Case{"CBool(\"0\")", "False"},
    Case{"CBool(\"abc\")", "error 13"},
    Case{"Len(\"abc\")", "3", "Long"},
    Case{"Len(\"中文\")", "2"},
    Case{"Len(123)", "3"},
    Case{"Len(Null)", "Null"},
    Case{"Left(\"abcdef\", 2)", "ab"},
    Case{"Left(\"ab\", 5)", "ab"},
    Case{"Left(\"ab\", -1)", "error 5"},
    Case{"Right(\"abcdef\", 2)", "ef"},
    Case{"Right(\"中文字\", 1)", "字"},
    Case{"Mid(\"abcdef\", 2, 3)", "bcd"},
    Case{"Mid(\"abcdef\", 4)", "def"},
    Case{"Mid(\"abc\", 5)", ""},
    Case{"Mid(\"abc\", 0)", "error 5"},
    Case{"InStr(\"abcabc\", \"c\")", "3", "Long"},
    Case{"InStr(4, \"abcabc\", \"c\")", "6"},
    Case{"InStr(\"abc\", \"d\")", "0"},
    Case{"InStr(1, \"ABC\", \"b\", 1)", "2"},
    Case{"InStr(1, \"ABC\", \"b\", 0)", "0"},
    Case{"InStr(\"abc\", \"\")", "1"},
    Case{"InStr(5, \"abc\", \"a\")", "0"},
    Case{"InStr(Null, \"a\")", "Null"},
    Case{"Trim(\"  a b  \")", "a b"},
    Case{"LTrim(\"  a \")", "a "},
    Case{"RTrim(\"  a \")", "  a"},
    Case{"UCase(\"abc中\")", "ABC中"},
    Case{"LCase(\"ABC\")", "abc"},
    Case{"IsNumeric(\"12\")", "True"},
    Case{"IsNumeric(\" -1.5e3 \")", "True"},
    Case{"IsNumeric(\"abc\")", "False"},
    Case{"IsNumeric(\"\")", "False"},
    Case{"IsNumeric(12)", "True"},
    Case{"IsNumeric(Empty)", "True"},
    Case{"IsNumeric(Null)", "False"},
    Case{"IsEmpty(Empty)", "True"},
    Case{"IsEmpty(undefinedName)", "True"},
    Case{"IsEmpty(0)", "False"},
    Case{"IsNull(Null)", "True"},
    Case{"IsNull(Empty)", "False"},
    Case{"TypeName(1.5)", "Double"},
    Case{"VarType(\"a\")", "8"},
    Case{"Hex(255)", "FF"},
    Case{"Hex(-1)", "FFFF"},
    Case{"Oct(8)", "10"},
    Case{"abs(-1)", "1"},      // names in any letter case
    Case{"Left", "error 450"},
    Case{"Len(\"a\", 2)", "error 450"},
    Case{"CreateObject(\"No.Such\")", "error 429"}));

INSTANTIATE_TEST_SUITE_P(SyntaxErrors, Semantics, ::testing::Values(
    Case{"", "error 1002"},
    Case{"(1+2", "error 1006"},
    Case{"1+2)", "error 1025"},
    Case{"1 2", "error 1025"},
    Case{"\"abc", "error 1033"},
    Case{"If", "error 1002"},
    Case{"1 Then", "error 1025"},
    Case{"&H", "error 1002"},
    Case{"&H123456789", "error 1031"},
    Case{"1E400", "error 1031"},
    Case{"x.", "error 1010"},
    Case{"F1(a,b", "error 1006"},
    Case{"1,2", "error 1025"},
    Case{"12!", "error 1032"},
    Case{"#1/1/2000#", "error 1032"},
    Case{"1 + 中", "error 1032"},
    Case{"5 ' a comment", "5"},
    Case{"5\n", "5"},
    Case{"5:6", "error 1025"},
    Case{"1/0 +", "error 1002"}));  // compiled before anything runs

// clang-format on

}  // namespace
}  // namespace vbs::testing
