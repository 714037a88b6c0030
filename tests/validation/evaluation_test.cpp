// The rewriting and evaluation of one expression: keyword tests, cell
// references, the whole-number step and the script engine, over a workbook
// opened in the spreadsheet stand-in.
#include "validation/expression_evaluation.h"
#include "validation/keyword_rewriting.h"
#include "validation/result_list.h"
#include "validation/school_codes.h"
#include "validation/script_engine.h"
#include "validation_fixture.h"

namespace velmora::testing {
namespace {

class Evaluation : public ValidationTest {
 protected:
  void SetUp() override {
    ValidationTest::SetUp();
    WriteFile("d1.txt", {"J1_1|A01|10,3", "J1_1|A02|11,3", "J1_1|A03|12,3", "J1_1|A04|13,3", "J1_2|B01|8,4"});
  }
  // The rows an action adds, as "type|message|cell list".
  std::vector<std::string> Failures(const std::string& action, const char* kind = "1") {
    auto results = CreateResultDataSet();
    thenstringCalc(*results, G(action), kind, G("消息"), "1", Context());
    std::vector<std::string> rows;
    for (results->First(); !results->Eof(); results->Next())
      rows.push_back(U(results->FieldByName(TypeField()).AsString()) + "|" +
                     U(results->FieldByName(MessageField()).AsString()) + "|" +
                     results->FieldByName(kCellInfoField).AsString());
    return rows;
  }
  std::string Result(const std::string& expression) { return U(Evaluate(G(expression), "1", Context()).result); }
};

TEST_F(Evaluation, CellReferencesBecomeTheirNumbers) {
  Input(1, 10, 3, 5);
  Input(1, 11, 3, 7);
  Input(1, 12, 3, 12);
  Input(1, 13, 3, 13);
  Open();
  const auto passing = Evaluate("F1(JB1_1,A01,1)+F1(JB1_1,A02,1)==F1(JB1_1,A03,1)", "1", Context());
  EXPECT_EQ(passing.rewritten, "5+7=12");
  EXPECT_EQ(passing.result, "True");
  EXPECT_TRUE(Failures("F1(JB1_1,A01,1)+F1(JB1_1,A02,1)==F1(JB1_1,A03,1)").empty());

  EXPECT_EQ(Failures("F1(JB1_1,A01,1)+F1(JB1_1,A02,1)==F1(JB1_1,A04,1)"),
            std::vector<std::string>{"强制|消息|1,10,3|1,11,3|1,13,3"});
  EXPECT_EQ(Failures("F1(JB1_1,A01,1)+F1(JB1_1,A02,1)==F1(JB1_1,A04,1)", "0"),
            std::vector<std::string>{"提示|消息|1,10,3|1,11,3|1,13,3"});
  // The same reference twice is looked up twice and listed twice.
  EXPECT_EQ(Failures("F1(JB1_1,A01,1)+F1(JB1_1,A01,1)==F1(JB1_1,A04,1)"),
            std::vector<std::string>{"强制|消息|1,10,3|1,10,3|1,13,3"});
  // An empty cell counts as 0; a row shift reaches the cells below.
  EXPECT_EQ(Evaluate("F1(JB1_2,B01,1)+F1(JB1_1,A01,4)", "1", Context()).rewritten, "0+13");
  // "!=" and a former "-" (now "_") become VBScript's "<>" and "-".
  EXPECT_EQ(Evaluate("F1(JB1_1,A04,1)_F1(JB1_1,A01,1)!=8", "1", Context()).rewritten, "13-5<>8");
  // No references: the engine alone decides.
  EXPECT_EQ(Result("2>1"), "True");
  EXPECT_EQ(Result("7*6"), "42");
}

TEST_F(Evaluation, FailuresOfTheFinalEvaluationPassQuietly) {
  Input(1, 10, 3, 5);
  Open();
  for (const char* action : {"F1(JB1_1,A01,1)==(5", "F1(JB1_1,A01,1)/0=1", "f1(JB1_1,A01,1)=5", "\"a\"*2=0"}) {
    EXPECT_EQ(Result(action), "") << action;
    EXPECT_TRUE(Failures(action).empty()) << action;
  }
  EXPECT_TRUE(Boxes().empty());
}

TEST_F(Evaluation, CellsThatAreNoPositiveNumbersStopWithTheirRowAndColumn) {
  Input(1, 10, 3, -3);
  Input(1, 11, 3, "abc");
  Input(1, 12, 3, "６６４３２.５");  // full-width digits: a text
  Input(1, 13, 3, "  ");
  Open();
  const std::string message = "填报数据只能为正整数,请检查填报的数据！";
  struct Case {
    int sheet, row, column;
    const char* error;  // empty: no error
    double value;
  } cases[] = {
      {1, 10, 3, "10,3", 0}, {1, 11, 3, "11,3", 0}, {1, 12, 3, "12,3", 0},
      {1, 13, 3, "", 0},      // blanks only: 0
      {1, 14, 3, "", 0},      // empty
      {9, 14, 3, "14,3", 0},  // a sheet the workbook does not have
  };
  for (const Case& c : cases) {
    if (!*c.error) {
      EXPECT_EQ(GetCellInfo(Excel(), c.sheet, c.row, c.column), c.value);
      continue;
    }
    try {
      GetCellInfo(Excel(), c.sheet, c.row, c.column);
      ADD_FAILURE() << c.error;
    } catch (const std::runtime_error& e) {
      EXPECT_EQ(U(e.what()), message + c.error);
    }
  }
  // The error leaves the evaluation.
  EXPECT_THROW(Failures("F1(JB1_1,A01,1)==5"), std::runtime_error);
  // A reference without a position-file line: the empty position has no items.
  EXPECT_THROW(Failures("F1(JB1_1,NONE,1)==5"), std::out_of_range);
}

TEST_F(Evaluation, DecimalNumbersAndWholeNumbers) {
  Input(1, 10, 3, 12.5);
  Input(1, 11, 3, 12.4);
  Open();
  // 12.5 goes to the even 12: the two compare equal.
  EXPECT_EQ(Evaluate("F1(JB1_1,A01,1)==F1(JB1_1,A02,1)", "1", Context()).rewritten, "12=12");
  EXPECT_TRUE(Failures("F1(JB1_1,A01,1)==F1(JB1_1,A02,1)").empty());
  // ">=" is never reduced; in parentheses or with a further comparison the
  // equation is left whole to the final evaluation, which fails it.
  EXPECT_EQ(Failures("F1(JB1_1,A02,1)>=F1(JB1_1,A01,1)").size(), 1u);
  EXPECT_EQ(Failures("(F1(JB1_1,A01,1)==F1(JB1_1,A02,1))").size(), 1u);
  EXPECT_EQ(Failures("F1(JB1_1,A01,1)==F1(JB1_1,A02,1) And 3==3").size(), 1u);
  EXPECT_TRUE(Boxes().empty());
}

TEST_F(Evaluation, ParseIntReducesOnlyPlainEquations) {
  struct Case {
    const char *expression, *result;
  } cases[] = {
      {"12.4+3.3=15.7", "16=16"},
      {"12.5=12.4", "12=12"},
      {"2.5=3.5", "2=4"},
      {"0.5=1", "0=1"},
      {"12=12", "12=12"},  // no decimal number: unchanged
      {"12.5>=12.4", "12.5>=12.4"},
      {"12.5<=12.4", "12.5<=12.4"},
      {"12.5<>12.4", "12.5<>12.4"},
      {"12.5>12.4", "12.5>12.4"},  // no "="
      {"(12.5=12.4)", "(12.5=12.4)"},
      {"12.5=12.4 And 3=3", "12.5=12.4 And 3=3"},
      {"12.5=(1", "12.5=(1"},
      {"12.5=\"x\"", "12.5=\"x\""},
      {"=12.5", "=12.5"},
      {"12.5=2>1", "12.5=2>1"},  // "2>1" gives True, no number
  };
  for (const Case& c : cases) EXPECT_EQ(ParseInt(c.expression), c.result) << c.expression;
}

TEST_F(Evaluation, SchoolCodesAndKeywordReferences) {
  Open();
  EXPECT_EQ(GetDqDm(Excel()), "41010200");
  EXPECT_EQ(GetLsgxDm(Excel()), "21");
  EXPECT_EQ(GetXxlbDm(Excel()), "112");
  EXPECT_EQ(GetXxdm(Excel()), "11069");
  struct Case {
    const char *expression, *rewritten;
  } cases[] = {
      {"F1(JB1_1,XXDM,1)>=10000", "11069>=10000"},
      {"F1(JB1_1,xxdm,1)>=10000", "11069>=10000"},
      {"f1(JB1_1,Xxdm,1)>=10000", "11069>=10000"},  // keyword references ignore case, even of F1
      {"F1(JB1_1,XXLBDM,1)==115", "112==115"},
      {"F1(JB1_1,LSGXDM,1)>=20 And F1(JB1_1,DQDM,1)<=82000000", "21>=20 And 41010200<=82000000"},
      {"F1(JB1_1,dqdm,1)>=02$", "True"},
      {"F1(JB1_1,dqdm,1)>=01$", "False"},
      {"F1(JB1_1,dqdm,1)>=03$ Or F1(JB1_1,dqdm,1)>=02$", "False Or True"},
      {"F1(JB1_1,dqdm,1)>=02$ Or F1(JB1_1,dqdm,1)>=03$", "True Or False"},
      {"F1(JB1_1,dqdm,1)==4101%", "True"},
      {"F1(JB1_1,dqdm,1)==42%", "False"},
      {"F1(JB1_1,xxdm,1)==1%", "True"},
      {"F1(JB1_1,xxdm,1)==111%", "False"},
      // A region-code prefix test leaves the school-code one to the "xxdm"
      // step, whose leftover "==" and "%" the engine fails on.
      {"F1(JB1_1,dqdm,1)==41% And F1(JB1_1,xxdm,1)==1%", "True And 11069==1%"},
      {"F1(JB1_1,A01,1)==5", "F1(JB1_1,A01,1)==5"},
  };
  for (const Case& c : cases) EXPECT_EQ(RewriteKeywords(c.expression, Excel()), c.rewritten) << c.expression;
  EXPECT_EQ(ReplaceOtherKeyWords("F1(JB1_1,XXDM,1)", "lsgxdm", Excel()), "F1(JB1_1,XXDM,1)");
  EXPECT_EQ(Result("F1(JB1_1,dqdm,1)==41% And F1(JB1_1,xxdm,1)==1%"), "");
}

struct SchoolCase {
  const char* info;
  const char* expression;
  const char* rewritten;
};

class SchoolCodes : public ValidationTest, public ::testing::WithParamInterface<SchoolCase> {};

TEST_P(SchoolCodes, TestsOfTheSchoolsCodes) {
  ModelSheet(1).SetValue(40, 1, xlsx::Value::Text(GetParam().info));
  Open();
  EXPECT_EQ(RewriteKeywords(GetParam().expression, Excel()), GetParam().rewritten);
}

INSTANTIATE_TEST_SUITE_P(
    Codes, SchoolCodes,
    ::testing::Values(
        SchoolCase{"2010|41010200|21|112|12345|x", "F1(JB1_1,xxdm,1)==12%", "True"},
        SchoolCase{"2010|41010200|21|112|12345|x", "F1(JB1_1,xxdm,1)==123456%", "False"},
        SchoolCase{"2010|41010200|21|112|12345|x", "F1(JB1_1,xxdm,1)==13%", "False"},
        SchoolCase{"2010|41010200|21|112|12345|x", "F1(JB1_1,xxdm,1)==12345%", "True"},
        // A region code of 5 bytes fails every middle test.
        SchoolCase{"2010|41012|21|112|12345|x", "F1(JB1_1,dqdm,1)>=01$", "False"},
        SchoolCase{"2010|41012|21|112|12345|x", "F1(JB1_1,dqdm,1)>=1$", "False"},
        // A 6-byte region code: its 5th to third-to-last bytes are empty.
        SchoolCase{"2010|410102|21|112|12345|x", "F1(JB1_1,dqdm,1)>=02$", "False"},
        // An empty field: the items shift and the codes come from the wrong items.
        SchoolCase{"2010||21|112|12345|x", "F1(JB1_1,DQDM,1)", "21"},
        SchoolCase{"2010||21|112|12345|x", "F1(JB1_1,XXDM,1)", "x"},
        // An empty A40: no codes at all.
        SchoolCase{"", "F1(JB1_1,XXDM,1)==1", "==1"}));

TEST_F(Evaluation, TooShortAnInformationStringStops) {
  ModelSheet(1).SetValue(40, 1, xlsx::Value::Text("2010|41010200|21"));
  Open();
  EXPECT_EQ(GetLsgxDm(Excel()), "21");
  EXPECT_THROW(GetXxdm(Excel()), std::out_of_range);
  EXPECT_THROW(Failures("F1(JB1_1,XXDM,1)>=10000"), std::out_of_range);
}

TEST_F(Evaluation, AnEngineThatCannotBeCreatedStops) {
  ASSERT_EQ(CallExport("velscript.dll", "DllUnregisterServer"), com::S_OK);
  Open();
  EXPECT_THROW(ScriptEngine{}, com::ComError);
  EXPECT_THROW(Failures("1=1"), com::ComError);
}

}  // namespace
}  // namespace velmora::testing
