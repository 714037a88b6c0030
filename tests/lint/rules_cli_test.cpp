// velmora rules lint on the command line: the shipped rule set beside
// velmora lints clean (status 0), a planted fault is printed as
// FILE:LINE: kind: explanation (status 1), and a folder that holds no rule
// set is status 2.
#include <sys/wait.h>

#include <array>
#include <cstdio>

#include "lint_fixture.h"
#include "tests/support/run_command.h"

namespace velmora::testing {
namespace {

using Outcome = velmora::testing::CommandOutcome;

class RulesCli : public LintTest {
 protected:
  Outcome Run(const std::string& arguments) const {
    return velmora::testing::RunCommand(bin_ + "/velmora rules lint " + arguments);
  }
};

TEST_F(RulesCli, TheShippedRuleSetBesideVelmoraLintsClean) {
  if (!std::filesystem::exists(bin_ + "/TANVIK1")) GTEST_SKIP() << "the templates are not built";
  const Outcome outcome = Run("");
  EXPECT_EQ(outcome.status, 0) << outcome.out;
  EXPECT_NE(outcome.out.find("1.txt, 2.txt, 3.txt: "), std::string::npos) << outcome.out;
  EXPECT_NE(outcome.out.find(" rules, 0 findings\n"), std::string::npos) << outcome.out;
}

TEST_F(RulesCli, PrintsEachFindingOnItsOwnLineAndFails) {
  WriteFile("1.txt", {R"r(表1-1：正确,1-001,1,"=(F1(JB1_1,A101,1)>=0)")r",
                      R"r(表1-1：没有位置,1-002,1,"=(F1(JB1_1,ZZ99,1)>=0)")r"});
  WriteFile("d1.txt", {"J1_1|A101|10,4|合计"});
  WriteTemplate();
  const Outcome outcome = Run(set_);
  EXPECT_EQ(outcome.status, 1) << outcome.out;
  EXPECT_EQ(outcome.out,
            "1.txt:2: no-position: F1(JB1_1,ZZ99,1): no line of d1.txt holds both the sheet key \"1_1\" and the "
            "indicator \"ZZ99\": the validator stops the run here\n"
            "1.txt: 2 rules, 1 finding\n");
}

TEST_F(RulesCli, AFolderWithoutARuleSetIsStatusTwo) {
  for (const std::string& folder : {set_, dir_ + "/missing"}) {
    const Outcome outcome = Run(folder);
    EXPECT_EQ(outcome.status, 2) << folder << ": " << outcome.out;
  }
}

}  // namespace
}  // namespace velmora::testing
