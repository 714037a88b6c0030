// The run of a rule file: the loop with its error message, the result list
// sorted mandatory first, and the validation flag B40.
#include "addin/text/text_file.h"
#include "validation/result_list.h"
#include "validation/rule_run.h"
#include "validation/validation_flag.h"
#include "validation_fixture.h"

namespace velmora::testing {
namespace {

class RuleRun : public ValidationTest {
 protected:
  void SetUp() override {
    ValidationTest::SetUp();
    WriteFile("d1.txt", {"J1_1|A01|10,3", "J1_1|A02|11,3", "J1_1|A03|12,3"});
    Input(1, 10, 3, 5);
    Input(1, 11, 3, 7);
    Input(1, 12, 3, -1);
  }
  // The rows as "type|message|cell list", in the list's order.
  static std::vector<std::string> Rows(forms::ClientDataSet& results) {
    std::vector<std::string> rows;
    for (results.First(); !results.Eof(); results.Next())
      rows.push_back(U(results.FieldByName(TypeField()).AsString()) + "|" +
                     U(results.FieldByName(MessageField()).AsString()) + "|" +
                     results.FieldByName(kCellInfoField).AsString());
    return rows;
  }
  std::string B40() { return U(base_table::ReadCell(Book().Sheet(1), base_table::kValidationFlagCell)); }
};

TEST_F(RuleRun, FailuresAreListedMandatoryFirst) {
  WriteFile("1.txt", {
                         "提示一,1-001,0,\"=(F1(JB1_1,A01,1)>5)\"",
                         "强制一,1-002,1,\"=(F1(JB1_1,A01,1)+F1(JB1_1,A02,1)==13)\"",
                         "通过,1-003,1,\"=(F1(JB1_1,A01,1)+F1(JB1_1,A02,1)==12)\"",
                         // Conditional: the action only when the condition is "True".
                         "条件不成立,1-004,1,\"WHEN(F1(JB1_1,A01,1)>9)|=(1==2);\"",
                         "条件成立,1-005,1,\"WHEN(F1(JB1_1,A01,1)<9)|=(F1(JB1_1,A02,1)==8);\"",
                         // A condition the engine fails on gives the empty text: no action.
                         "条件出错,1-006,1,\"WHEN(1/0)|=(1==2);\"",
                         "提示二,1-007,0,\"=(1==2)\"",
                     });
  Open();
  RunResult run = JiaoYan("1", Context());
  EXPECT_TRUE(run.outcome.completed);
  EXPECT_EQ(Rows(*run.results), (std::vector<std::string>{"强制|强制一|1,10,3|1,11,3", "强制|条件成立|1,11,3",
                                                          "提示|提示一|1,10,3", "提示|提示二|"}));
  EXPECT_FALSE(CheckIsValidated(*run.results));
  EXPECT_TRUE(Boxes().empty());
}

TEST_F(RuleRun, AnErrorStopsTheRunWithTheExpressionAndTheErrorText) {
  struct Case {
    std::vector<std::string> lines;
    std::string message;  // empty: the run completes
    std::size_t rows;
  } cases[] = {
      // The third line has three items: the second rule's expression is shown.
      {{"a,1,1,\"=(1==2)\"", "b,2,1,\"=(2==3)\"", "c,3,1", "d,4,1,\"=(1==2)\""},
       "=(2==3)||List index out of bounds (3)", 2},
      // A short first line: "||" and the message alone.
      {{"a,1", "b,2,1,\"=(2==3)\""}, "||List index out of bounds (3)", 0},
      // A negative cell.
      {{"a,1,1,\"=(1==2)\"", "b,2,1,\"=(F1(JB1_1,A03,1)>0)\"", "c,3,1,\"=(1==2)\""},
       "=(F1(JB1_1,A03,1)>0)||填报数据只能为正整数,请检查填报的数据！12,3", 1},
      // A reference without a position-file line.
      {{"b,2,1,\"=(F1(JB1_1,NONE,1)>0)\""}, "=(F1(JB1_1,NONE,1)>0)||List index out of bounds (0)", 0},
      // Blank lines, among the rules and at the end, are skipped.
      {{"a,1,1,\"=(1==2)\"", "", "   ", "b,2,1,\"=(2==3)\"", ""}, "", 2},
  };
  for (const Case& c : cases) {
    WriteFile("1.txt", c.lines);
    if (!book_) Open();
    ui_->Clear();
    RunResult run = JiaoYan("1", Context());
    EXPECT_EQ(run.outcome.completed, c.message.empty()) << c.message;
    EXPECT_EQ(U(run.outcome.message), c.message);
    EXPECT_EQ(Boxes(), c.message.empty() ? std::vector<std::string>{} : std::vector<std::string>{c.message});
    EXPECT_EQ(run.results->RecordCount(), static_cast<int>(c.rows)) << c.message;
  }
}

TEST_F(RuleRun, MissingFilesStopBeforeAnyRule) {
  Open();
  EXPECT_THROW(JiaoYan("1", Context()), FileError);  // no 1.txt
  WriteFile("2.txt", {"a,1,1,\"=(1==2)\""});
  EXPECT_THROW(JiaoYan("2", Context()), FileError);  // no d2.txt: read, not used
  WriteFile("d2.txt", {});
  EXPECT_EQ(JiaoYan("2", Context()).results->RecordCount(), 1);
  WriteFile("3.txt", {"a,1,1,\"=(1==2)\""});  // table 3 does not read d3.txt first
  EXPECT_EQ(JiaoYan("3", Context()).results->RecordCount(), 1);
}

TEST_F(RuleRun, TheFlagIsOkOnlyAfterACompleteRunWithoutMandatoryFailures) {
  struct Case {
    const char* name;
    const char* b40_before;
    std::vector<std::string> rules;
    const char* b40_after;
    int saves;
  } cases[] = {
      {"all pass, B40 empty", "", {"a,1,1,\"=(1==1)\""}, "ok", 1},
      {"all pass, B40 blank", "  ", {"a,1,1,\"=(1==1)\""}, "ok", 1},
      {"all pass, B40 already ok", "ok", {"a,1,1,\"=(1==1)\""}, "ok", 0},
      {"hints only", "", {"a,1,0,\"=(1==2)\""}, "ok", 1},
      {"a mandatory failure", "ok", {"a,1,1,\"=(1==2)\"", "b,2,0,\"=(1==2)\""}, "", 0},
      // Stopped before any mandatory failure: the rules after the error
      // were never checked, so the return is not flagged.
      {"a stopped run", "ok", {"a,1,0,\"=(1==2)\"", "b,2,1,\"=(F1(JB1_1,A03,1)>0)\"", "c,3,1,\"=(1==1)\""}, "", 0},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    ModelSheet(1).SetValue(40, 2, xlsx::Value::Text(c.b40_before));
    WriteFile("1.txt", c.rules);
    Open();
    RunResult run = JiaoYan("1", Context());
    excel::fault::Clear();
    SetJiaoYanFlagOnExcel(Excel(), *run.results, run.outcome);
    EXPECT_EQ(B40(), c.b40_after);
    EXPECT_EQ(excel::fault::Calls("Workbook.Save"), c.saves);
    book_.reset();
    excel_.reset();
  }
}

TEST_F(RuleRun, MessagesAreCutAtACharacterAndCellListsKeptWhole) {
  std::string long_message = "a";
  for (int i = 0; i < 300; ++i) long_message += "表";  // GBK: two bytes each, after one odd byte
  std::string action;
  for (int i = 0; i < 60; ++i) action += (i ? "+" : "") + std::string("F1(JB1_1,A01,1)");
  WriteFile("1.txt", {long_message + ",1,1,\"=(" + action + "==0)\""});
  Open();
  RunResult run = JiaoYan("1", Context());
  ASSERT_EQ(run.results->RecordCount(), 1);
  run.results->First();
  const std::string message = run.results->FieldByName(MessageField()).AsString();
  EXPECT_EQ(message.size(), 499u);  // 500 would end in half a character
  EXPECT_EQ(U(message), long_message.substr(0, 1 + 249 * 3));  // UTF-8 here: three bytes each
  const std::string cells = run.results->FieldByName(kCellInfoField).AsString();
  EXPECT_EQ(cells.size(), 60 * 6 + 59u);
  EXPECT_EQ(cells.substr(cells.size() - 7), "|1,10,3");
}

}  // namespace
}  // namespace velmora::testing
