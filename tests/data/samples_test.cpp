// The sample returns under the validator, with the shipped rule and position
// files: a clean sample passes every rule, and a mistaken one shows its
// mistakes run after run, as data/README.md says, until it is corrected.
#include <gtest/gtest.h>

#include <map>
#include <string>
#include <vector>

#include "../validation/validation_fixture.h"
#include "addin/text/item_split.h"
#include "addin/text/text_file.h"
#include "validation/result_list.h"
#include "validation/rule_run.h"

namespace velmora::testing {
namespace {

// A cell to correct: sheet number, row, column and the clean sample's value.
struct Fix {
  int sheet, row, column;
  double value;
};

// One run: the failures listed (rule number in the file -> cell list), and
// the error that stopped it ("" when the run completed).
struct ExpectedRun {
  std::map<int, std::string> failures;
  std::string stop;
  Fix then;  // what the school corrects before the next run
};

struct Sample {
  int kind;
  std::vector<ExpectedRun> runs;  // of the mistaken sample; the last one passes
};

void PrintTo(const Sample& sample, std::ostream* os) { *os << "jb" << sample.kind; }

const std::string kStop = "||填报数据只能为正整数,请检查填报的数据！";

const Sample kSamples[] = {
    {1,
     {{{{4, "1,10,7|1,11,7|1,12,7|1,13,7|1,14,7|1,15,7|1,16,7|1,17,7"}, {6, "1,10,7|1,10,4|1,10,5|1,10,6"}},
       "18,4", {2, 18, 4, 66432.5}},
      {{{4, "1,10,7|1,11,7|1,12,7|1,13,7|1,14,7|1,15,7|1,16,7|1,17,7"}, {6, "1,10,7|1,10,4|1,10,5|1,10,6"}},
       "12,5", {4, 12, 5, 3200}},
      {{{4, "1,10,7|1,11,7|1,12,7|1,13,7|1,14,7|1,15,7|1,16,7|1,17,7"}, {6, "1,10,7|1,10,4|1,10,5|1,10,6"}},
       "", {1, 10, 7, 999}},
      {{}, "", {}}}},
    {2,
     {{{{29, "2,10,3|2,11,3|2,14,3|2,17,3|2,20,3|2,21,3"}, {32, "2,10,3|2,10,4|2,10,5"}}, "13,3", {3, 13, 3, 5860}},
      {{{29, "2,10,3|2,11,3|2,14,3|2,17,3|2,20,3|2,21,3"}, {32, "2,10,3|2,10,4|2,10,5"}}, "17,6", {4, 17, 6, 150}},
      {{{29, "2,10,3|2,11,3|2,14,3|2,17,3|2,20,3|2,21,3"}, {32, "2,10,3|2,10,4|2,10,5"}}, "", {2, 10, 3, 9418.7}},
      {{}, "", {}}}},
    {3,
     {{{{54, "3,10,3|3,10,4|3,10,9|3,10,13|3,10,15"}, {60, "3,10,3|3,11,3|3,16,3|3,17,3"}}, "11,4", {4, 11, 4, 142000}},
      {{{54, "3,10,3|3,10,4|3,10,9|3,10,13|3,10,15"}, {60, "3,10,3|3,11,3|3,16,3|3,17,3"}}, "16,3", {4, 16, 3, 40000}},
      {{{54, "3,10,3|3,10,4|3,10,9|3,10,13|3,10,15"}, {60, "3,10,3|3,11,3|3,16,3|3,17,3"}}, "", {3, 10, 3, 103400}},
      {{}, "", {}}}},
};

class SampleRun : public ValidationTest, public ::testing::WithParamInterface<Sample> {
 protected:
  // Opens the sample (with the corrections so far) as the active workbook and
  // runs its rule file from the shipped data folder.
  RunResult Validate(const std::string& sample, const std::vector<Fix>& fixes) {
    book_.reset();
    excel_.reset();
    auto model = xlsx::Workbook::Load(bin_ + "/samples/" + sample + ".xlsx");
    for (const Fix& f : fixes) model->Sheet(f.sheet).SetValue(f.row, f.column, xlsx::Value::Number(f.value));
    path_ = dir_ + "/" + sample + ".xlsx";
    model->Save(path_);
    excel_.emplace(excel::CreateApplication());
    book_.emplace(excel_->Open(G(path_)));
    ui_->Clear();
    return JiaoYan(std::to_string(GetParam().kind), {*excel_, G(bin_ + "/")});
  }

  // The rule numbers (lines of the rule file) of the listed failures, with their cell lists.
  std::map<int, std::string> Failures(forms::ClientDataSet& results) {
    std::vector<std::string> rules = LoadLines(bin_ + "/" + std::to_string(GetParam().kind) + ".txt");
    std::map<int, std::string> failures;
    for (results.First(); !results.Eof(); results.Next()) {
      const std::string message = results.FieldByName(MessageField()).AsString();
      int line = 0;
      for (std::size_t i = 0; i < rules.size() && !line; ++i)
        if (SplitItems(rules[i], ",", " ").at(0) == message) line = static_cast<int>(i) + 1;
      EXPECT_NE(line, 0) << U(message);
      failures[line] = results.FieldByName(kCellInfoField).AsString();
    }
    return failures;
  }
};

TEST_P(SampleRun, TheCleanSamplePassesEveryRule) {
  RunResult run = Validate("jb" + std::to_string(GetParam().kind) + "_clean", {});
  EXPECT_TRUE(run.outcome.completed) << U(run.outcome.message);
  EXPECT_EQ(run.results->RecordCount(), 0) << ::testing::PrintToString(Failures(*run.results));
  EXPECT_TRUE(Boxes().empty());
}

TEST_P(SampleRun, TheMistakenSampleShowsItsMistakesUntilCorrected) {
  const Sample& sample = GetParam();
  std::vector<Fix> fixes;
  for (std::size_t n = 0; n < sample.runs.size(); ++n) {
    const ExpectedRun& expected = sample.runs[n];
    RunResult run = Validate("jb" + std::to_string(sample.kind) + "_mistakes", fixes);
    SCOPED_TRACE("run " + std::to_string(n + 1));
    EXPECT_EQ(Failures(*run.results), expected.failures);
    if (expected.stop.empty()) {
      EXPECT_TRUE(run.outcome.completed) << U(run.outcome.message);
    } else {
      EXPECT_FALSE(run.outcome.completed);
      std::string message = U(run.outcome.message);
      EXPECT_TRUE(message.ends_with(kStop + expected.stop)) << message;
      EXPECT_EQ(Boxes(), std::vector<std::string>{message});
    }
    if (n + 1 < sample.runs.size()) fixes.push_back(expected.then);
  }
  EXPECT_EQ(fixes.size(), 3u);
}

INSTANTIATE_TEST_SUITE_P(Data, SampleRun, ::testing::ValuesIn(kSamples),
                         [](const ::testing::TestParamInfo<Sample>& info) { return "jb" + std::to_string(info.param.kind); });

}  // namespace
}  // namespace velmora::testing
