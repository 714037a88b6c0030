// The lint of a rule set: one planted fault a line, each found on its line
// with its kind and nothing else; the shipped data set lints clean.
#include <utility>

#include "com/activation.h"
#include "lint_fixture.h"
#include "validation/lint/rule_lint.h"

namespace velmora::testing {
namespace {

using lint::FindingKind;

// Position file: A101 before A10, so that the loose lookup of A10 takes the
// A101 line; HD01 sits on a locked header cell.
const std::vector<std::string> kPositions = {
    "J1_1|A101|10,4|合计",
    "J1_1|A10|11,4|其中",
    "J1_1|HD01|4,3|学校代码",
};

struct Rule {
  std::string line;
  std::vector<FindingKind> faults;
};

const std::vector<Rule> kRules = {
    {R"r(表1-1：干净的规则,1-001,1,"=(F1(JB1_1,A101,1)>=F1(JB1_1,A101,2)+F1(JB1_1,A101,3))")r", {}},
    {R"r(表1-1：编号为空,,1,"=(F1(JB1_1,A101,1)>=0)")r", {FindingKind::Items}},
    {R"r(表1-1：没有引号,1-003,1,=(F1(JB1_1,A101,1)>=0))r", {FindingKind::Quotes}},
    {R"r(表1-1：框架不对,1-004,1,"=[F1(JB1_1,A101,1)>=0)")r", {FindingKind::Framing}},
    {R"r(表1-1：没有位置,1-005,1,"=(F1(JB1_1,ZZ99,1)>=0)")r", {FindingKind::NoPosition}},
    {R"r(表1-1：较长的指标,1-006,1,"=(F1(JB1_1,A10,1)>=0)")r", {FindingKind::LooseMatch}},
    {R"r(表1-1：表头单元格,1-007,1,"=(F1(JB1_1,HD01,1)>=0)")r", {FindingKind::NotInput}},
    {R"r(表1-1：缺少操作数,1-008,1,"=(F1(JB1_1,A101,1)>=)")r", {FindingKind::Syntax}},
    {R"r(表1-1：行偏移不是整数,1-009,1,"=(F1(JB1_1,A101,x)>=0)")r", {FindingKind::BadPosition}},
    // Keyword references and tests are rewritten as the validator does: a
    // clean conditional rule, and one mixing a region-code and a school-code
    // prefix test, whose second test stays and makes the engine fail.
    {R"r(表1-1：条件规则,1-010,0,"WHEN(F1(JB1_1,dqdm,1)==4101% And F1(JB1_1,XXLBDM,1)==112)|=(F1(JB1_1,A101,2)-F1(JB1_1,A101,3)<=F1(JB1_1,A101,1)*0.5);")r",
     {}},
    {R"r(表1-1：混合前缀,1-011,0,"WHEN(F1(JB1_1,dqdm,1)==41% And F1(JB1_1,xxdm,1)==1%)|=(F1(JB1_1,A101,1)>0);")r",
     {FindingKind::Syntax}},
    {"   ", {}},
    // A reference in lower case is no reference: the engine gets the names.
    {R"r(表1-1：小写引用,1-012,1,"=(f1(JB1_1,A101,1)>=0)")r", {FindingKind::UnknownName}},
    {R"r(表1-1：函数与常数,1-014,1,"=(Abs(F1(JB1_1,A101,1))>=Round(0.5) Or F1(JB1_1,A101,1)=&H10 Or 1E2>0)")r", {}},
    // A blank before the "|" becomes the condition's last byte, so its ")" is
    // left in the condition.
    {R"r(表1-1：空白在竖线前,1-013,1,"WHEN(F1(JB1_1,A101,1)>0) |=(F1(JB1_1,A101,2)>0);")r",
     {FindingKind::Framing, FindingKind::Syntax}},
};

class RuleLint : public LintTest {
 protected:
  void SetUp() override {
    LintTest::SetUp();
    ASSERT_TRUE(com::SUCCEEDED(com::CoInitialize(nullptr)));
  }
  void TearDown() override {
    com::CoUninitialize();
    LintTest::TearDown();
  }
  void WriteRuleSet() const {
    std::vector<std::string> lines;
    for (const Rule& rule : kRules) lines.push_back(rule.line);
    WriteFile("1.txt", lines);
    WriteFile("d1.txt", kPositions);
    WriteTemplate();
  }
  std::string Folder() const { return win::Utf8ToAnsi(set_ + "/"); }
};

TEST_F(RuleLint, FindsEachPlantedFaultOnItsLineAndNothingElse) {
  WriteRuleSet();
  const lint::LintReport report = lint::LintRuleSet(Folder());
  std::vector<std::pair<std::size_t, FindingKind>> expected, found;
  for (std::size_t i = 0; i < kRules.size(); ++i)
    for (FindingKind fault : kRules[i].faults) expected.emplace_back(i + 1, fault);
  for (const lint::Finding& finding : report.findings) {
    EXPECT_EQ(finding.file, "1.txt");
    found.emplace_back(finding.line, finding.kind);
  }
  EXPECT_EQ(found, expected) << [&] {
    std::string all;
    for (const lint::Finding& finding : report.findings) all += win::AnsiToUtf8(lint::FormatFinding(finding)) + "\n";
    return all;
  }();
  EXPECT_EQ(report.files, std::vector<std::string>{"1.txt"});
  EXPECT_EQ(report.rules, kRules.size() - 1);  // the blank line is none
}

std::string ExplanationOf(const lint::LintReport& report, FindingKind kind) {
  for (const lint::Finding& finding : report.findings)
    if (finding.kind == kind) return win::AnsiToUtf8(finding.explanation);
  return {};
}

TEST_F(RuleLint, SaysWhichLineTheLooseLookupTakesAndWhy) {
  WriteRuleSet();
  const std::string explanation = ExplanationOf(lint::LintRuleSet(Folder()), FindingKind::LooseMatch);
  EXPECT_NE(explanation.find("d1.txt:1 \"J1_1|A101|10,4\""), std::string::npos) << explanation;
  EXPECT_NE(explanation.find("inside its longer id \"A101\""), std::string::npos) << explanation;
  EXPECT_NE(explanation.find("own line d1.txt:2 comes later"), std::string::npos) << explanation;
}

TEST_F(RuleLint, NamesTheCellsAndTheRewrittenExpression) {
  WriteRuleSet();
  const lint::LintReport report = lint::LintRuleSet(Folder());
  EXPECT_NE(ExplanationOf(report, FindingKind::NotInput).find("sheet 1 C4 is locked in TANVIK1"), std::string::npos);
  EXPECT_NE(ExplanationOf(report, FindingKind::Syntax).find("\"1>=\""), std::string::npos);
}

TEST_F(RuleLint, ReadsLoneCrAndLfLineEndsAsTheValidatorDoes) {
  WriteRuleSet();
  std::ofstream(set_ + "/d1.txt", std::ios::binary) << "J1_1|A101|10,4\rJ1_1|A10|11,4\nJ1_1|HD01|4,3";
  const std::string explanation = ExplanationOf(lint::LintRuleSet(Folder()), FindingKind::LooseMatch);
  EXPECT_NE(explanation.find("own line d1.txt:2"), std::string::npos) << explanation;
}

TEST_F(RuleLint, AFolderWithoutARuleSetCannotBeLinted) {
  EXPECT_THROW(lint::LintRuleSet(Folder()), lint::LintError);
  WriteFile("1.txt", {kRules[0].line});
  EXPECT_THROW(lint::LintRuleSet(Folder()), lint::LintError);  // no position file
  WriteFile("d1.txt", kPositions);
  EXPECT_THROW(lint::LintRuleSet(Folder()), lint::LintError);  // no template
  WriteTemplate();
  EXPECT_TRUE(lint::LintRuleSet(Folder()).findings.empty());
}

TEST_F(RuleLint, TheShippedDataSetLintsClean) {
  if (!std::filesystem::exists(bin_ + "/TANVIK1")) GTEST_SKIP() << "the templates are not built";
  const lint::LintReport report = lint::LintRuleSet(win::Utf8ToAnsi(bin_ + "/"));
  EXPECT_EQ(report.files, (std::vector<std::string>{"1.txt", "2.txt", "3.txt"}));
  EXPECT_GT(report.rules, 0u);
  for (const lint::Finding& finding : report.findings) ADD_FAILURE() << win::AnsiToUtf8(lint::FormatFinding(finding));
}

}  // namespace
}  // namespace velmora::testing
